// Key pairs, signatures of standards packages and the station's trusted
// keys, through the functions and through `stdhost standards keygen/sign`.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "package_signature.h"
#include "standards_package.h"
#include "station.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

std::string PackageText() {
    stdhost::PackageHeader header;
    header.name = "national limits";
    header.version = "2027.1";
    header.effective = "2027-01-01";
    header.issuer = "省检验中心";
    return stdhost::WriteStandardsPackage(
        header, {{200, "车速表检验台", "40公里", 2001, "40.00", "32.80", 0},
                 {201, "车速表检验台", "60公里", 2011, "60.00", "51.00", 0}});
}

// A directory with the package "pkg.txt", the key pair "keys/alice" and the
// trusted keys "trusted/" (empty).
class PackageSignature : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(stdhost::SignaturesAvailable());
        std::filesystem::create_directory(dir_.File("keys"));
        std::filesystem::create_directory(trusted_);
        WriteBytes(package_, PackageText());
        const stdhost::KeygenResult made = stdhost::MakeKeyPair(dir_.File("keys/alice"));
        ASSERT_TRUE(made.ok) << made.problem;
    }
    stdhost::SignatureCheck Check() const {
        return stdhost::CheckPackageSignature(ReadBytes(package_), package_ + ".sig", trusted_);
    }
    void Trust(const std::string &publicFile) const {
        std::filesystem::copy_file(
            publicFile, trusted_ + "/" + std::filesystem::path(publicFile).filename().string());
    }

    TempDir dir_;
    const std::string package_ = dir_.File("pkg.txt");
    const std::string trusted_ = dir_.File("trusted");
    const std::string secret_ = dir_.File("keys/alice.sec");
};

TEST_F(PackageSignature, KeygenWritesAPrivateSecretAndNeverOverwrites) {
    const std::string pub = ReadBytes(dir_.File("keys/alice.pub"));
    const std::string sec = ReadBytes(secret_);
    EXPECT_EQ(pub.rfind("ed25519-public\talice\t", 0), 0u) << pub;
    EXPECT_EQ(pub.size(), 21u + 64 + 1);
    EXPECT_EQ(sec.rfind("ed25519-secret\talice\t", 0), 0u);
    EXPECT_EQ(sec.size(), 21u + 128 + 1);
    struct stat st;
    ASSERT_EQ(::stat(secret_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const stdhost::KeygenResult again = stdhost::MakeKeyPair(dir_.File("keys/alice"));
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.problem,
              dir_.File("keys/alice.pub") + " already exists: a key is never overwritten");
    // Only the public key gone: the secret still stops it.
    std::filesystem::remove(dir_.File("keys/alice.pub"));
    EXPECT_FALSE(stdhost::MakeKeyPair(dir_.File("keys/alice")).ok);
    EXPECT_EQ(ReadBytes(secret_), sec);
    EXPECT_FALSE(FileExists(dir_.File("keys/alice.pub")));
}

TEST_F(PackageSignature, ASignatureVerifiesUntilOneByteChanges) {
    const stdhost::SignResult signed_ = stdhost::SignPackage(package_, secret_);
    ASSERT_TRUE(signed_.ok) << signed_.problem;
    EXPECT_EQ(signed_.signatureFile, package_ + ".sig");
    EXPECT_EQ(ReadBytes(package_ + ".sig").rfind("ed25519-signature\talice\t", 0), 0u);
    Trust(dir_.File("keys/alice.pub"));
    stdhost::SignatureCheck check = Check();
    EXPECT_TRUE(check.verified) << check.problem;
    EXPECT_EQ(check.keyName, "alice");

    // A CRLF after the signature line is still the signature.
    std::string sig = ReadBytes(package_ + ".sig");
    WriteBytes(package_ + ".sig", sig.substr(0, sig.size() - 1) + "\r\n");
    EXPECT_TRUE(Check().verified);
    WriteBytes(package_ + ".sig", sig + "\n");
    EXPECT_EQ(Check().problem.find(package_ + ".sig: not a signature file"), 0u);
    WriteBytes(package_ + ".sig", sig);

    std::string bytes = ReadBytes(package_);
    bytes[bytes.find("32.80")] = '4';
    check = stdhost::CheckPackageSignature(bytes, package_ + ".sig", trusted_);
    EXPECT_FALSE(check.verified);
    EXPECT_EQ(check.problem, "the signature of " + package_ +
                                 " does not verify: the package was changed after signing, or "
                                 "signed by another key called alice");
}

TEST_F(PackageSignature, OnlyAKeyTheStationTrustsVerifies) {
    ASSERT_TRUE(stdhost::SignPackage(package_, secret_).ok);
    EXPECT_EQ(Check().problem,
              "the package is signed by alice, which this station does not "
              "trust (no alice.pub in " +
                  trusted_ + ")");
    // Another key that calls itself alice, and damaged files: none verifies.
    std::filesystem::create_directory(dir_.File("other"));
    ASSERT_TRUE(stdhost::MakeKeyPair(dir_.File("other/alice")).ok);
    Trust(dir_.File("other/alice.pub"));
    WriteBytes(trusted_ + "/broken.pub", "ed25519-public\tbroken\tzz\n");
    EXPECT_EQ(Check().problem.find("the signature of " + package_ + " does not verify"), 0u);
    WriteBytes(trusted_ + "/alice.pub", "ed25519-public\talice\t00\n");
    EXPECT_EQ(Check().problem, trusted_ +
                                   "/alice.pub: not a public key file: expected one line "
                                   "\"ed25519-public<TAB>NAME<TAB>64 hex digits\"");
    // The right key under another file name verifies; damaged files are passed over.
    std::filesystem::copy_file(dir_.File("keys/alice.pub"), trusted_ + "/alice-2027.pub");
    EXPECT_TRUE(Check().verified);

    std::filesystem::remove(package_ + ".sig");
    EXPECT_EQ(Check().problem, "no signature file " + package_ + ".sig");
}

TEST_F(PackageSignature, SigningRefusesBadKeysBadPackagesAndNoPlaceForTheSignature) {
    WriteBytes(dir_.File("bad.sec"), "ed25519-secret\talice\t1234\n");
    stdhost::SignResult result = stdhost::SignPackage(package_, dir_.File("bad.sec"));
    EXPECT_EQ(result.exitCode, stdhost::kExitBadFile);
    EXPECT_EQ(result.problem.find(dir_.File("bad.sec") + ": not a secret key file"), 0u);
    // A secret whose public half is another key's.
    std::string sec = ReadBytes(secret_);
    sec[sec.size() - 2] = sec[sec.size() - 2] == '0' ? '1' : '0';
    WriteBytes(dir_.File("bad.sec"), sec);
    result = stdhost::SignPackage(package_, dir_.File("bad.sec"));
    EXPECT_EQ(result.exitCode, stdhost::kExitBadFile);
    EXPECT_NE(result.problem.find("damaged secret key"), std::string::npos);

    WriteBytes(dir_.File("not-a-package.txt"), "hello\n");
    result = stdhost::SignPackage(dir_.File("not-a-package.txt"), secret_);
    EXPECT_EQ(result.exitCode, stdhost::kExitBadFile);
    EXPECT_EQ(result.problem.find(dir_.File("not-a-package.txt") + ":1:1: not a standards package"),
              0u);
    EXPECT_FALSE(FileExists(dir_.File("not-a-package.txt.sig")));

    std::filesystem::create_directory(package_ + ".sig");
    result = stdhost::SignPackage(package_, secret_);
    EXPECT_EQ(result.exitCode, stdhost::kExitFailure);
    EXPECT_EQ(result.problem, package_ + ".sig: not a regular file: left as it is");
}

TEST_F(PackageSignature, StdhostKeygenAndSign) {
    using stdhost_test::RunStdhost;
    auto run = RunStdhost("standards keygen " + dir_.File("keys/bob"));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(
        run.out.find("wrote " + dir_.File("keys/bob.pub") + "\nwrote " + dir_.File("keys/bob.sec")),
        0u)
        << run.out;
    EXPECT_NE(run.out.find("\n" + ReadBytes(dir_.File("keys/bob.pub"))), std::string::npos);
    run = RunStdhost("standards keygen " + dir_.File("keys/bob"));
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("already exists"), std::string::npos) << run.out;

    run = RunStdhost("standards sign " + package_ + " --key " + dir_.File("keys/bob.sec"));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "wrote " + package_ + ".sig\n");
    Trust(dir_.File("keys/bob.pub"));
    EXPECT_EQ(Check().keyName, "bob");

    run = RunStdhost("standards sign " + package_ + " --key " + dir_.File("keys/bob.pub"));
    EXPECT_EQ(run.exitCode, 7) << run.out;
    run = RunStdhost("standards sign " + dir_.File("missing.txt") + " --key " + secret_);
    EXPECT_EQ(run.exitCode, 7) << run.out;
    std::filesystem::remove(package_ + ".sig");
    std::filesystem::create_directory(package_ + ".sig");
    run = RunStdhost("standards sign " + package_ + " --key " + secret_);
    EXPECT_EQ(run.exitCode, 1) << run.out;
}

}  // namespace
