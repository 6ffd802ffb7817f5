#include "platform/login_name.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace platform {

std::string LoginName() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr)
        return {};
    return found->pw_name;
}

}  // namespace platform
