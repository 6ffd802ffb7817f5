#pragma once
// SHA-256 from the system's cryptography: OpenSSL's libcrypto on Linux,
// CNG (BCryptHashData) on Windows. Throws std::runtime_error only when the
// library itself fails (no memory, no provider).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// An incremental hash; Finish() returns the digest and starts a new one, so
// one object can hash many messages.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void Update(std::string_view bytes);
    Sha256Digest Finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

Sha256Digest Sha256Of(std::string_view bytes);

// Lowercase hexadecimal, 64 characters.
std::string HexOf(const Sha256Digest &digest);

}  // namespace platform
