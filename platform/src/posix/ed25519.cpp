#include "platform/ed25519.h"

#include <sodium.h>

namespace platform::ed25519 {
namespace {

static_assert(crypto_sign_PUBLICKEYBYTES == std::tuple_size_v<PublicKey>);
static_assert(crypto_sign_SECRETKEYBYTES == std::tuple_size_v<SecretKey>);
static_assert(crypto_sign_BYTES == std::tuple_size_v<Signature>);
static_assert(crypto_sign_SEEDBYTES == 32);

// sodium_init may be called again and from several threads; a function-local
// static runs it once all the same, and keeps its answer.
bool Started() {
    static const bool started = ::sodium_init() >= 0;
    return started;
}

void Require() {
    if (!Started()) throw Unavailable("libsodium could not be started");
}

}  // namespace

bool Available() {
    return Started();
}

void MakeKeyPair(PublicKey &publicKey, SecretKey &secretKey) {
    Require();
    if (::crypto_sign_keypair(publicKey.data(), secretKey.data()) != 0)
        throw Unavailable("libsodium could not make a key pair");
}

PublicKey PublicKeyOf(const SecretKey &secretKey) {
    Require();
    PublicKey publicKey{};
    SecretKey again{};
    if (::crypto_sign_seed_keypair(publicKey.data(), again.data(), secretKey.data()) != 0)
        throw Unavailable("libsodium could not derive a public key");
    ::sodium_memzero(again.data(), again.size());
    return publicKey;
}

Signature Sign(std::string_view message, const SecretKey &secretKey) {
    Require();
    Signature signature{};
    if (::crypto_sign_detached(signature.data(), nullptr,
                               reinterpret_cast<const unsigned char *>(message.data()),
                               message.size(), secretKey.data()) != 0)
        throw Unavailable("libsodium could not sign");
    return signature;
}

bool Verify(std::string_view message, const Signature &signature, const PublicKey &publicKey) {
    Require();
    return ::crypto_sign_verify_detached(signature.data(),
                                         reinterpret_cast<const unsigned char *>(message.data()),
                                         message.size(), publicKey.data()) == 0;
}

}  // namespace platform::ed25519
