// The environment record: GetPlinth fills the station's directories and
// connection lines from section [env] of an INI file.
#include <cstring>
#include <string>
#include <string_view>

#include "library_files.h"
#include "platform/ascii_case.h"
#include "platform/ini_file.h"
#include "plinth_api.h"
#include "text_ops.h"

namespace plinth {
namespace {

struct EnvField {
    const char *key;
    std::size_t offset;
    std::size_t room;  // bytes of text; a NUL follows
};

constexpr EnvField kEnvFields[] = {
    {"databaseLine", PLINTH_ENV_DATABASE_LINE, 1231},
    {"configDirectory", PLINTH_ENV_CONFIG_DIRECTORY, 259},
    {"moduleDirectory", PLINTH_ENV_MODULE_DIRECTORY, 259},
    {"stationLine", PLINTH_ENV_STATION_LINE, 1023},
};
static_assert(PLINTH_ENV_STATION_LINE + 1023 + 1 <= PLINTH_ENV_SIZE);

constexpr const char *kSection = "env";

// Zeroes the record, then copies each value unconverted, cut to its room at a
// GBK character boundary. A missing file or key leaves its field empty.
bool FillEnvironment(char *env) {
    if (env == nullptr) return false;
    std::memset(env, 0, PLINTH_ENV_SIZE);
    const std::string path = FileFromEnvironmentOrBeside("PLINTH_ENV", "plinth.ini");
    if (path.empty()) return true;
    // One read of the file, which the INI reader bounds and refuses when it is
    // not a regular file; the first of equal keys wins, as GetProfileString's.
    const platform::ProfileSection entries = platform::GetProfileSection(path, kSection);
    for (const EnvField &field : kEnvFields) {
        for (const auto &[key, value] : entries) {
            if (platform::EqualsAsciiNoCase(key, field.key)) {
                CopyCut(value, env + field.offset, field.room);
                break;
            }
        }
    }
    return true;
}

}  // namespace
}  // namespace plinth

extern "C" {

int GetPlinthStrSize(void) {
    return PLINTH_ENV_SIZE;
}

int GetPlinth(char *env) {
    return plinth::Guarded([&] { return plinth::FillEnvironment(env); });
}

}  // extern "C"
