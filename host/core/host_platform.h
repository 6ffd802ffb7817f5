#pragma once
// What stdhost does differently on Linux and on Windows: where it finds its
// plug-ins and data, the plug-ins' file names, how it sets the environment
// they read, and how its standard streams carry UTF-8.
#include <string>

namespace stdhost {

// The directory of this program's file, whatever the name it was started by.
std::string ProgramDirectory();

// Where the plug-ins and the environment library are: ../lib beside the
// program on Linux, the program's own directory on Windows.
std::string LibraryDirectoryOf(const std::string &programDirectory);
// The shipped data: ../share/station-limits on Linux, share\station-limits
// beside the program on Windows.
std::string DataDirectoryOf(const std::string &programDirectory);

// liblimbank.so / Limbank.dll, and the environment library's file.
extern const char kLimitsPluginFile[];
extern const char kEnvironmentLibraryFile[];

// What tells one version of a file from the next, as text: its identity on
// the volume (a rename over it brings a new one) and its modification time;
// "" when there is no such file.
std::string FileVersion(const std::string &path);

// Sets an environment variable of this process (read by the plug-ins it
// loads); an existing one is kept unless `replace`.
void SetEnvironment(const char *name, const std::string &value, bool replace);

// Called first by main: on Windows standard output and error become binary,
// so that UTF-8 text and "\n" reach the caller byte for byte.
void PrepareStandardStreams();

}  // namespace stdhost
