#include "library_files.h"

#include <cstdlib>

#include "platform/system_directory.h"

namespace plinth {
namespace {

// Any object inside the library: dladdr maps its address to libplinth.so.
const char kAnchor = 0;

}  // namespace

std::string FileBesideLibrary(const char *name) {
    std::string directory = platform::ModuleDirectory(&kAnchor);
    if (directory.empty()) return {};
    if (directory.back() != '/') directory += '/';
    return directory + name;
}

std::string FileFromEnvironmentOrBeside(const char *name, const char *fileName) {
    const char *value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return value;
    return FileBesideLibrary(fileName);
}

}  // namespace plinth
