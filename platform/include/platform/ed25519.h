#pragma once
// Ed25519 signatures from the system's cryptography: libsodium on Linux. The
// Windows build has no such library: Available() is false there and every
// other call throws. Keys and signatures are the raw bytes libsodium uses (a
// secret key is the 32-byte seed followed by the public key).
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace platform::ed25519 {

using PublicKey = std::array<std::uint8_t, 32>;
using SecretKey = std::array<std::uint8_t, 64>;
using Signature = std::array<std::uint8_t, 64>;

// The library is there and started (started once, on the first call).
bool Available();

// Thrown when the library is missing or fails to start.
class Unavailable : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A new key pair from the system's random source.
void MakeKeyPair(PublicKey &publicKey, SecretKey &secretKey);

// The public key that belongs to the seed half of `secretKey`: equal to its
// second half for a key that MakeKeyPair made and nobody changed.
PublicKey PublicKeyOf(const SecretKey &secretKey);

// The detached signature of `message` by `secretKey`.
Signature Sign(std::string_view message, const SecretKey &secretKey);

// True when `signature` is one of `message` by the owner of `publicKey`.
bool Verify(std::string_view message, const Signature &signature, const PublicKey &publicKey);

}  // namespace platform::ed25519
