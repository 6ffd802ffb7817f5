#include "plinth_copy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace plinth_test {

ScopedEnv::ScopedEnv(const char *name, std::optional<std::string> value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old;
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        ::setenv(name_.c_str(), old_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

PlinthCopy::PlinthCopy(std::optional<std::string> codesTsv, std::optional<std::string> plinthIni) {
    const std::string copy = dir_.File(STATION_TEST_PLINTH_FILE);
    std::filesystem::copy_file(std::string(STATION_TEST_LIB_DIR) + "/" STATION_TEST_PLINTH_FILE,
                               copy);
    if (codesTsv) testing_support::WriteBytes(dir_.File("plinth-codes.tsv"), *codesTsv);
    if (plinthIni) testing_support::WriteBytes(dir_.File("plinth.ini"), *plinthIni);
    EXPECT_TRUE(library_.Open(copy)) << library_.LastError();
}

void *PlinthCopy::Symbol(const char *name) const {
    void *address = library_.Symbol(name);
    EXPECT_NE(address, nullptr) << name;
    return address;
}

}  // namespace plinth_test
