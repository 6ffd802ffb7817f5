#pragma once
// File names as the platform writes them: "%s/X" on Linux, "%s\X" on Windows.
#include <string>

namespace platform {

// The separator this platform puts between a directory and a name.
extern const char kPathSeparator;

// `directory` + separator + `name`; no second separator when the directory
// already ends in one, and `name` alone for an empty directory.
std::string JoinPath(const std::string &directory, const std::string &name);

// True for a path that names its file without the current directory:
// "/x" on Linux; "C:\x", "\\server\x" and, for Wine's Unix paths, "/x" or
// "\x" on Windows.
bool IsAbsolutePath(const std::string &path);

}  // namespace platform
