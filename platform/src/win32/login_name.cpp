#include "platform/login_name.h"

#include <windows.h>

namespace platform {

std::string LoginName() {
    char name[257] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) return {};
    return name;
}

}  // namespace platform
