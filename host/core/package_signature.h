#pragma once
// Detached Ed25519 signatures of standards packages, and the keys a station
// trusts (every "*.pub" file of its config/trusted-keys/ directory).
//
// A public key file ("NAME.pub") and a secret key file ("NAME.sec") are one
// line of text each: "ed25519-public<TAB>NAME<TAB><64 hex digits>" and
// "ed25519-secret<TAB>NAME<TAB><128 hex digits>". A signature file
// ("PACKAGE.sig") is "ed25519-signature<TAB>NAME<TAB><128 hex digits>": the
// signature of every byte of the package, by the key called NAME. Each file
// ends in LF; a reader takes an LF or CRLF after the line and nothing else.
// Hex digits are lowercase. NAME is 1 to 64 ASCII letters, digits, '.', '_'
// and '-', not starting with '.' or '-' (it names files).
//
// The signatures come from libsodium on Linux. A build without it (the
// Windows build) has no signatures: SignaturesAvailable() is false and the
// functions below that need them report so.
#include <string>
#include <string_view>
#include <vector>

namespace stdhost {

bool SignaturesAvailable();
// What every function below says, and stdhost prints, without them.
inline constexpr char kNoSignatures[] = "signatures need the Linux build of stdhost (libsodium)";

struct KeygenResult {
    bool ok = false;
    std::string problem;  // why nothing was written
    std::string publicFile, secretFile;
    std::string publicKeyLine;  // the public key file's line, without its LF
};
// Writes NAME.pub and NAME.sec (the secret readable by its owner alone) for
// `base` = "DIR/NAME" or "NAME"; refuses to overwrite either file.
KeygenResult MakeKeyPair(const std::string &base);

struct SignResult {
    bool ok = false;
    std::string problem;
    std::string signatureFile;  // PACKAGE.sig
    // kExitOk; kExitBadFile when the key or the package cannot be read or is
    // malformed; kExitFailure when no signature could be written (or this
    // build has none). Nothing is written unless ok.
    int exitCode = 0;
};
// Signs the file `package` with the secret key file `secretKey`, writing
// PACKAGE.sig atomically (an existing signature is replaced; anything but a
// regular file in its place is refused). Only a package that
// ReadStandardsPackage takes is signed.
SignResult SignPackage(const std::string &package, const std::string &secretKey);

struct SignatureCheck {
    bool verified = false;  // a trusted key signed exactly `bytes`
    std::string keyName;    // the key that signed it (when verified)
    std::string problem;    // why not: no signature file, unknown key, bad signature, ...
};
// Checks `signatureFile` over `bytes` (the package as read) against the
// public keys in `trustedKeysDir`.
SignatureCheck CheckPackageSignature(std::string_view bytes, const std::string &signatureFile,
                                     const std::string &trustedKeysDir);

}  // namespace stdhost
