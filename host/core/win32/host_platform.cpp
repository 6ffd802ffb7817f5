// stdhost.exe: the plug-ins, Plinth.dll and the data ship beside the program,
// as a station installs them.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "host_platform.h"

namespace stdhost {

const char kLimitsPluginFile[] = "Limbank.dll";
const char kEnvironmentLibraryFile[] = "Plinth.dll";

std::string ProgramDirectory() {
    char file[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, file, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    std::string path(file, n);
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string LibraryDirectoryOf(const std::string &programDirectory) {
    return programDirectory;
}

std::string DataDirectoryOf(const std::string &programDirectory) {
    return programDirectory + "\\share\\station-limits";
}

std::string FileVersion(const std::string &path) {
    HANDLE h = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = ::GetFileInformationByHandle(h, &info);
    ::CloseHandle(h);
    if (!ok) return {};
    char text[96];
    std::snprintf(text, sizeof text, "%lx %lx%08lx %lx%08lx",
                  static_cast<unsigned long>(info.dwVolumeSerialNumber),
                  static_cast<unsigned long>(info.nFileIndexHigh),
                  static_cast<unsigned long>(info.nFileIndexLow),
                  static_cast<unsigned long>(info.ftLastWriteTime.dwHighDateTime),
                  static_cast<unsigned long>(info.ftLastWriteTime.dwLowDateTime));
    return text;
}

void SetEnvironment(const char *name, const std::string &value, bool replace) {
    if (!replace && std::getenv(name) != nullptr) return;
    // The C runtime's copy, which every module's getenv reads, and the
    // process environment together.
    const std::string entry = std::string(name) + "=" + value;
    ::_putenv(entry.c_str());
}

void PrepareStandardStreams() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

}  // namespace stdhost
