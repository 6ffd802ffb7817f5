#pragma once
// Helpers of the environment library's tests.
//
// PlinthCopy puts a real copy of the built libplinth.so into a temporary
// directory, with the files that ship beside it, and opens it: a copy has its
// own module state (its code dictionary is loaded afresh on first use) and
// finds its sibling files in that directory.
#include <optional>
#include <string>

#include "platform/dynamic_library.h"
#include "temp_dir.h"

namespace plinth_test {

// Sets (or, for nullopt, unsets) an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char *name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

class PlinthCopy {
  public:
    // `codesTsv` and `plinthIni`, when given, are written beside the copy as
    // plinth-codes.tsv and plinth.ini.
    PlinthCopy(std::optional<std::string> codesTsv, std::optional<std::string> plinthIni);

    const std::string &Directory() const { return dir_.Path(); }
    // The function `name` of the copy, typed as `Function`; fails the test
    // and returns null when the copy lacks it.
    template <class Function>
    Function *Get(const char *name) const {
        return reinterpret_cast<Function *>(Symbol(name));
    }

  private:
    void *Symbol(const char *name) const;

    testing_support::TempDir dir_;
    platform::DynamicLibrary library_;
};

}  // namespace plinth_test
