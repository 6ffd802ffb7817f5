// The standards group, and its key commands: standards keygen NAME makes a
// signer's key pair, standards sign FILE --key SECRET signs a package.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "commands.h"
#include "package_signature.h"
#include "station.h"

namespace stdhost {
namespace {

int Keygen(const std::string &base) {
    const KeygenResult result = MakeKeyPair(base);
    if (!result.ok) {
        Complain(result.problem);
        return kExitFailure;
    }
    std::printf(
        "wrote %s\nwrote %s (the secret key: keep it to yourself, never on a station)\n%s\n",
        result.publicFile.c_str(), result.secretFile.c_str(), result.publicKeyLine.c_str());
    return kExitOk;
}

int Sign(const std::string &package, const std::string &secretKey) {
    const SignResult result = SignPackage(package, secretKey);
    if (!result.ok) {
        Complain(result.problem);
        return result.exitCode;
    }
    std::printf("wrote %s\n", result.signatureFile.c_str());
    return kExitOk;
}

void AddKeygenCommand(CLI::App &group, CommandLine &line) {
    auto base = std::make_shared<std::string>();
    CLI::App *keygen =
        AddCommand(group, line, "keygen", "Make a key pair for signing standards packages.",
                   [base] { return Keygen(*base); });
    keygen->add_option("NAME", *base, "the key's name, or DIR/NAME to write it in DIR")
        ->type_name("")
        ->required();
    keygen->footer(
        "Writes NAME.pub, the public key a station trusts once it is copied to its\n"
        "config/trusted-keys/, and NAME.sec, the secret key that signs (readable by its\n"
        "owner alone). Never overwrites either; exit 1 when refused.");
}

void AddSignCommand(CLI::App &group, CommandLine &line) {
    struct Files {
        std::string package, secretKey;
    };
    auto files = std::make_shared<Files>();
    CLI::App *sign = AddCommand(group, line, "sign", "Sign a standards package with a secret key.",
                                [files] { return Sign(files->package, files->secretKey); });
    sign->add_option("FILE", files->package, "the standards package")->type_name("")->required();
    sign->add_option("--key", files->secretKey, "the secret key file (NAME.sec)")
        ->type_name("SECRET")
        ->required();
    sign->footer(
        "Writes FILE.sig beside the package, replacing an older one. Exit 7 when the key\n"
        "or the package cannot be read or is malformed, 1 when FILE.sig cannot be written.");
}

}  // namespace

CLI::App *AddStandardsGroup(CLI::App &app, CommandLine &line) {
    CLI::App *group = app.add_subcommand(
        "standards", "Signed standards packages: keys, signatures, export, diff and apply.");
    group->require_subcommand(1);
    group->fallthrough();
    AddKeygenCommand(*group, line);
    AddSignCommand(*group, line);
    return group;
}

}  // namespace stdhost
