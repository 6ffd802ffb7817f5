#pragma once
// A shared object opened with dlopen(RTLD_NOW | RTLD_LOCAL). Move-only; the
// destructor closes it.
#include <string>

namespace platform {

class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Close(); }
    DynamicLibrary(DynamicLibrary &&other) noexcept;
    DynamicLibrary &operator=(DynamicLibrary &&other) noexcept;
    DynamicLibrary(const DynamicLibrary &) = delete;
    DynamicLibrary &operator=(const DynamicLibrary &) = delete;

    // Opens `path` as given (any extension). On failure returns false and
    // keeps dlerror()'s text in LastError(); a library already open is closed first.
    bool Open(const std::string &path);
    // The address of `name`, or null when the library is closed or lacks it.
    void *Symbol(const char *name) const;
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    const std::string &LastError() const { return error_; }

  private:
    void *handle_ = nullptr;
    std::string error_;
};

}  // namespace platform
