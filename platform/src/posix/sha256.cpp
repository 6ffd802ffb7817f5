#include "platform/sha256.h"

// The SHA256_* calls cost a fraction of EVP's per-message set-up, which
// dominates the hash of the short rows the history digests by the
// thousand; OpenSSL 3 marks them deprecated, not removed.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <stdexcept>

namespace platform {

struct Sha256::State {
    SHA256_CTX context;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (SHA256_Init(&state_->context) != 1)
        throw std::runtime_error("SHA-256 could not be started");
}

Sha256::~Sha256() = default;

void Sha256::Update(std::string_view bytes) {
    if (SHA256_Update(&state_->context, bytes.data(), bytes.size()) != 1)
        throw std::runtime_error("SHA-256 update failed");
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    if (SHA256_Final(digest.data(), &state_->context) != 1 || SHA256_Init(&state_->context) != 1)
        throw std::runtime_error("SHA-256 could not be finished");
    return digest;
}

}  // namespace platform
