// Key pairs, signatures and the check of a package against the station's
// trusted keys, on the Ed25519 primitive of platform/ed25519.h.
#include "package_signature.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/ed25519.h"
#include "standards_package.h"
#include "station.h"

namespace stdhost {
namespace {

namespace ed = platform::ed25519;

constexpr char kPublicKind[] = "ed25519-public";
constexpr char kSecretKind[] = "ed25519-secret";
constexpr char kSignatureKind[] = "ed25519-signature";
// A key or signature file is one short line; anything longer is not one.
constexpr std::size_t kLineFileBytes = 4096;
// The largest package signed: far above any national table.
constexpr std::size_t kPackageBytes = 512u * 1024 * 1024;

bool IsKeyName(std::string_view name) {
    if (name.empty() || name.size() > 64 || name[0] == '.' || name[0] == '-') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '_' || c == '-';
    });
}

template <std::size_t N>
std::string Hex(const std::array<std::uint8_t, N> &raw) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * N);
    for (const std::uint8_t byte : raw) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0f];
    }
    return hex;
}

template <std::size_t N>
bool FromHex(std::string_view hex, std::array<std::uint8_t, N> &raw) {
    if (hex.size() != 2 * N) return false;
    auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (std::size_t i = 0; i < N; ++i) {
        const int high = digit(hex[2 * i]), low = digit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        raw[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

template <std::size_t N>
std::string Line(const char *kind, const std::string &name,
                 const std::array<std::uint8_t, N> &raw) {
    return std::string(kind) + '\t' + name + '\t' + Hex(raw);
}

// Reads the one-line file "KIND<TAB>NAME<TAB>HEX" in `bytes`: "" with `name`
// and `raw` set, else what is wrong with it.
template <std::size_t N>
std::string ParseLine(std::string_view bytes, const char *kind, std::string &name,
                      std::array<std::uint8_t, N> &raw) {
    if (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n")
        bytes.remove_suffix(2);
    else if (!bytes.empty() && bytes.back() == '\n')
        bytes.remove_suffix(1);
    const std::string form = "expected one line \"" + std::string(kind) + "<TAB>NAME<TAB>" +
                             std::to_string(2 * N) + " hex digits\"";
    const std::size_t tab1 = bytes.find('\t');
    const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : bytes.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos || bytes.substr(0, tab1) != kind) return form;
    const std::string_view nameText = bytes.substr(tab1 + 1, tab2 - tab1 - 1);
    if (!IsKeyName(nameText)) return form + "; \"" + std::string(nameText) + "\" is no key name";
    if (!FromHex(bytes.substr(tab2 + 1), raw)) return form;
    name = nameText;
    return "";
}

// Reads the small file `path` into `bytes`: "" or what stops it.
std::string ReadLineFile(const std::string &path, const char *kind, std::string &bytes) {
    const platform::ReadResult read = platform::ReadFileAtMost(path, kLineFileBytes, bytes);
    return read == platform::ReadResult::kOk
               ? ""
               : platform::InputFileProblem(read, path, kind, kLineFileBytes);
}

bool Exists(const std::string &path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() !=
           std::filesystem::file_type::not_found;
}

std::string NewFileProblem(platform::NewFileResult result, const std::string &path) {
    switch (result) {
        case platform::NewFileResult::kOk:
            return "";
        case platform::NewFileResult::kExists:
            return path + " already exists: a key is never overwritten";
        case platform::NewFileResult::kCannotCreate:
            return path + " cannot be created (is its directory there and writable?)";
        case platform::NewFileResult::kWriteFailed:
            return path + " could not be written";
    }
    return path + " could not be written";
}

}  // namespace

bool SignaturesAvailable() {
    return ed::Available();
}

KeygenResult MakeKeyPair(const std::string &base) {
    KeygenResult result;
    if (!SignaturesAvailable()) {
        result.problem = kNoSignatures;
        return result;
    }
    const std::size_t slash = base.find_last_of('/');
    const std::string name = slash == std::string::npos ? base : base.substr(slash + 1);
    if (!IsKeyName(name)) {
        result.problem = "\"" + name +
                         "\" is no key name: 1 to 64 letters, digits, '.', '_' or '-', not "
                         "starting with '.' or '-'";
        return result;
    }
    const std::string publicFile = base + ".pub", secretFile = base + ".sec";
    for (const std::string *file : {&publicFile, &secretFile})
        if (Exists(*file)) {
            result.problem = NewFileProblem(platform::NewFileResult::kExists, *file);
            return result;
        }
    ed::PublicKey publicKey{};
    ed::SecretKey secretKey{};
    ed::MakeKeyPair(publicKey, secretKey);
    const std::string publicLine = Line(kPublicKind, name, publicKey);
    // The secret first: a public key whose secret was never written is no use.
    platform::NewFileResult written =
        platform::CreateNewFile(secretFile, Line(kSecretKind, name, secretKey) + '\n', true);
    secretKey.fill(0);
    if (written != platform::NewFileResult::kOk) {
        result.problem = NewFileProblem(written, secretFile);
        return result;
    }
    written = platform::CreateNewFile(publicFile, publicLine + '\n', false);
    if (written != platform::NewFileResult::kOk) {
        std::error_code ec;
        std::filesystem::remove(secretFile, ec);
        result.problem = NewFileProblem(written, publicFile);
        return result;
    }
    result.ok = true;
    result.publicFile = publicFile;
    result.secretFile = secretFile;
    result.publicKeyLine = publicLine;
    return result;
}

namespace {

// The secret key of the file `path`: "" or what is wrong with it.
std::string LoadSecretKey(const std::string &path, std::string &name, ed::SecretKey &key) {
    std::string bytes;
    if (std::string problem = ReadLineFile(path, "the secret key file", bytes); !problem.empty())
        return problem;
    if (std::string problem = ParseLine(bytes, kSecretKind, name, key); !problem.empty())
        return path + ": not a secret key file: " + problem;
    ed::PublicKey half{};
    std::copy(key.begin() + 32, key.end(), half.begin());
    if (ed::PublicKeyOf(key) != half)
        return path + ": a damaged secret key (its two halves do not belong together)";
    return "";
}

SignResult SignFailed(int exitCode, const std::string &problem) {
    SignResult result;
    result.exitCode = exitCode;
    result.problem = problem;
    return result;
}

}  // namespace

SignResult SignPackage(const std::string &package, const std::string &secretKey) {
    if (!SignaturesAvailable()) return SignFailed(kExitFailure, kNoSignatures);
    std::string name;
    ed::SecretKey key{};
    if (std::string problem = LoadSecretKey(secretKey, name, key); !problem.empty())
        return SignFailed(kExitBadFile, problem);
    std::string bytes;
    const platform::ReadResult read = platform::ReadFileAtMost(package, kPackageBytes, bytes);
    if (read != platform::ReadResult::kOk)
        return SignFailed(kExitBadFile,
                          platform::InputFileProblem(read, package, "the package", kPackageBytes));
    StandardsPackage parsed;
    if (std::string error; !ReadStandardsPackage(bytes, package, parsed, error))
        return SignFailed(kExitBadFile, error + " (nothing signed)");
    const std::string signature = Line(kSignatureKind, name, ed::Sign(bytes, key)) + '\n';
    key.fill(0);
    SignResult result;
    result.signatureFile = package + ".sig";
    std::error_code ec;
    using Type = std::filesystem::file_type;
    const Type type = std::filesystem::status(result.signatureFile, ec).type();
    if (type == Type::directory || type == Type::fifo || type == Type::character ||
        type == Type::block || type == Type::socket)
        return SignFailed(kExitFailure,
                          result.signatureFile + ": not a regular file: left as it is");
    if (const platform::AtomicWriteResult written =
            platform::WriteFileAtomically(result.signatureFile, signature);
        written != platform::AtomicWriteResult::kOk)
        return SignFailed(kExitFailure, result.signatureFile + " could not be written: " +
                                            platform::AtomicWriteProblem(written));
    result.ok = true;
    result.exitCode = kExitOk;
    return result;
}

namespace {

// The package a signature file is of: PACKAGE for PACKAGE.sig.
std::string SignedFile(const std::string &signatureFile) {
    const std::string suffix = ".sig";
    return signatureFile.size() > suffix.size() &&
                   signatureFile.compare(signatureFile.size() - suffix.size(), suffix.size(),
                                         suffix) == 0
               ? signatureFile.substr(0, signatureFile.size() - suffix.size())
               : signatureFile;
}

// The "*.pub" files of `dir` in name order; none when it cannot be listed.
std::vector<std::filesystem::path> PublicKeyFiles(const std::string &dir) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".pub") files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

SignatureCheck CheckPackageSignature(std::string_view bytes, const std::string &signatureFile,
                                     const std::string &trustedKeysDir) {
    SignatureCheck check;
    if (!SignaturesAvailable()) {
        check.problem = kNoSignatures;
        return check;
    }
    std::string text;
    const platform::ReadResult read = platform::ReadFileAtMost(signatureFile, kLineFileBytes, text);
    if (read == platform::ReadResult::kMissing) {
        check.problem = "no signature file " + signatureFile;
        return check;
    }
    if (read != platform::ReadResult::kOk) {
        check.problem =
            platform::InputFileProblem(read, signatureFile, "the signature file", kLineFileBytes);
        return check;
    }
    std::string name;
    ed::Signature signature{};
    if (std::string problem = ParseLine(text, kSignatureKind, name, signature); !problem.empty()) {
        check.problem = signatureFile + ": not a signature file: " + problem;
        return check;
    }
    // Every trusted key of that name is tried: a station may keep an old and
    // a new key of one signer side by side under different file names.
    bool named = false;
    std::string damaged;  // a key file called NAME.pub that is not a key
    for (const std::filesystem::path &file : PublicKeyFiles(trustedKeysDir)) {
        std::string keyName;
        ed::PublicKey key{};
        std::string problem = ReadLineFile(file.string(), "the public key file", text);
        if (problem.empty()) problem = ParseLine(text, kPublicKind, keyName, key);
        if (!problem.empty()) {
            if (file.stem() == name && damaged.empty())
                damaged = file.string() + ": not a public key file: " + problem;
            continue;
        }
        if (keyName != name) continue;
        named = true;
        if (ed::Verify(bytes, signature, key)) {
            check.verified = true;
            check.keyName = name;
            return check;
        }
    }
    if (named)
        check.problem = "the signature of " + SignedFile(signatureFile) +
                        " does not verify: the package was changed after signing, or signed by "
                        "another key called " +
                        name;
    else if (!damaged.empty())
        check.problem = damaged;
    else
        check.problem = "the package is signed by " + name +
                        ", which this station does not trust (no " + name + ".pub in " +
                        trustedKeysDir + ")";
    return check;
}

}  // namespace stdhost
