#pragma once
// The login name of the user running the process.
#include <string>

namespace platform {

// getpwuid's name on Linux, GetUserNameA on Windows (in the ANSI code
// page); "" when the system does not say.
std::string LoginName();

}  // namespace platform
