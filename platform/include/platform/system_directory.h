#pragma once
// Where a module finds the station's system libraries: $STATION_SYSDIR when
// set and non-empty, else the directory of the shared object (or program)
// that contains `addressInModule`. Empty when neither can be found.
#include <string>

namespace platform {

std::string SystemDirectory(const void *addressInModule);

// The directory part of the file that contains `addressInModule`, or "".
std::string ModuleDirectory(const void *addressInModule);

}  // namespace platform
