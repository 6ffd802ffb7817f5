#include "platform/paths.h"

namespace platform {

const char kPathSeparator = '/';

std::string JoinPath(const std::string &directory, const std::string &name) {
    if (directory.empty()) return name;
    if (directory.back() == '/') return directory + name;
    return directory + '/' + name;
}

bool IsAbsolutePath(const std::string &path) {
    return !path.empty() && path[0] == '/';
}

}  // namespace platform
