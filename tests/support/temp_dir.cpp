#include "temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/gbk.h"

namespace testing_support {

TempDir::TempDir() {
    const char *base = std::getenv("TMPDIR");
    std::string tmpl =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/station-test-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void WriteBytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::string &path) {
    return std::filesystem::exists(path);
}

std::string Gbk(const std::string &utf8) {
    std::string out;
    EXPECT_TRUE(platform::Utf8ToGbk(utf8, out)) << "no GBK form: " << utf8;
    return out;
}

}  // namespace testing_support
