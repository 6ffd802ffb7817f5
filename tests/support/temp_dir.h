#pragma once
// A fresh directory under $TMPDIR (or /tmp), removed with its content.
#include <string>

namespace testing_support {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &Path() const { return path_; }
    std::string File(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Writes `bytes` to `path` (plain write, for building test inputs).
void WriteBytes(const std::string &path, const std::string &bytes);
// The whole file, or "" when it cannot be read.
std::string ReadBytes(const std::string &path);
bool FileExists(const std::string &path);

// The GBK form of a UTF-8 literal; fails the test on a text with no GBK form.
std::string Gbk(const std::string &utf8);

}  // namespace testing_support
