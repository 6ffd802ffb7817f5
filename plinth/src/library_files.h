#pragma once
// Files that ship beside libplinth.so (its code dictionary, the station's
// plinth.ini) are found through the library's own location, not through the
// host's current directory.
#include <string>

namespace plinth {

// `directory-of-libplinth.so/name`, or "" when the directory cannot be found.
std::string FileBesideLibrary(const char *name);

// The value of environment variable `name` when set and non-empty, else
// FileBesideLibrary(fileName).
std::string FileFromEnvironmentOrBeside(const char *name, const char *fileName);

}  // namespace plinth
