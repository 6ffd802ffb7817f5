#include "platform/sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace platform {
namespace {

// Fetched once: an implicit fetch per initialisation costs more than the
// hash of a short message.
const EVP_MD *Sha256Method() {
    static EVP_MD *const method = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    if (method == nullptr) throw std::runtime_error("libcrypto has no SHA-256");
    return method;
}

}  // namespace

struct Sha256::State {
    EVP_MD_CTX *context = nullptr;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->context = EVP_MD_CTX_new();
    if (state_->context == nullptr ||
        EVP_DigestInit_ex(state_->context, Sha256Method(), nullptr) != 1) {
        EVP_MD_CTX_free(state_->context);
        throw std::runtime_error("SHA-256 could not be started");
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(state_->context);
}

void Sha256::Update(std::string_view bytes) {
    if (EVP_DigestUpdate(state_->context, bytes.data(), bytes.size()) != 1)
        throw std::runtime_error("SHA-256 update failed");
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1 ||
        length != digest.size() || EVP_DigestInit_ex(state_->context, Sha256Method(), nullptr) != 1)
        throw std::runtime_error("SHA-256 could not be finished");
    return digest;
}

}  // namespace platform
