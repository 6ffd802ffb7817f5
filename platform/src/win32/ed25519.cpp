// Windows: no libsodium, so no signatures. Every call but Available() throws.
#include "platform/ed25519.h"

namespace platform::ed25519 {
namespace {

[[noreturn]] void Refuse() {
    throw Unavailable("this build has no Ed25519 signatures (libsodium)");
}

}  // namespace

bool Available() {
    return false;
}

void MakeKeyPair(PublicKey &, SecretKey &) {
    Refuse();
}

PublicKey PublicKeyOf(const SecretKey &) {
    Refuse();
}

Signature Sign(std::string_view, const SecretKey &) {
    Refuse();
}

bool Verify(std::string_view, const Signature &, const PublicKey &) {
    Refuse();
}

}  // namespace platform::ed25519
