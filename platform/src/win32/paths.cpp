#include "platform/paths.h"

namespace platform {

const char kPathSeparator = '\\';

std::string JoinPath(const std::string &directory, const std::string &name) {
    if (directory.empty()) return name;
    const char last = directory.back();
    if (last == '\\' || last == '/') return directory + name;
    return directory + '\\' + name;
}

bool IsAbsolutePath(const std::string &path) {
    if (path.empty()) return false;
    if (path[0] == '\\' || path[0] == '/') return true;
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

}  // namespace platform
