#include "platform/sha256.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// bcrypt.h takes its types from windows.h.
#include <bcrypt.h>

#include <algorithm>
#include <stdexcept>

namespace platform {
namespace {

bool Ok(NTSTATUS status) {
    return status >= 0;
}

// The provider is opened once for the process and shared by every hash.
BCRYPT_ALG_HANDLE Provider() {
    static BCRYPT_ALG_HANDLE const provider = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        if (!Ok(BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            return static_cast<BCRYPT_ALG_HANDLE>(nullptr);
        return handle;
    }();
    if (provider == nullptr) throw std::runtime_error("CNG has no SHA-256 provider");
    return provider;
}

}  // namespace

struct Sha256::State {
    BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!Ok(BCryptCreateHash(Provider(), &state_->hash, nullptr, 0, nullptr, 0, 0)))
        throw std::runtime_error("SHA-256 could not be started");
}

Sha256::~Sha256() {
    if (state_->hash != nullptr) BCryptDestroyHash(state_->hash);
}

void Sha256::Update(std::string_view bytes) {
    // BCryptHashData takes a ULONG length: long inputs go in pieces.
    while (!bytes.empty()) {
        const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 30));
        auto *data = reinterpret_cast<PUCHAR>(const_cast<char *>(bytes.data()));
        if (!Ok(BCryptHashData(state_->hash, data, piece, 0)))
            throw std::runtime_error("SHA-256 update failed");
        bytes.remove_prefix(piece);
    }
}

Sha256Digest Sha256::Finish() {
    Sha256Digest digest{};
    if (!Ok(BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0)))
        throw std::runtime_error("SHA-256 could not be finished");
    BCryptDestroyHash(state_->hash);
    state_->hash = nullptr;
    if (!Ok(BCryptCreateHash(Provider(), &state_->hash, nullptr, 0, nullptr, 0, 0)))
        throw std::runtime_error("SHA-256 could not be restarted");
    return digest;
}

}  // namespace platform
