// The INI reader of the platform layer on a file made of the input: the
// values of the environment record and of memstd.ini, a whole section, and the
// two writers, which read the file before they replace it.
#include <string>

#include "fuzz_support.h"
#include "platform/ini_file.h"

namespace {

// The name of the first "[name]" line of the input, or "env".
std::string FirstSection(const std::string &text) {
    const std::size_t open = text.find('[');
    if (open == std::string::npos) return "env";
    const std::size_t close = text.find_first_of("]\n", open);
    if (close == std::string::npos || text[close] != ']') return "env";
    std::string name = text.substr(open + 1, close - open - 1);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(0, 1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    return name;
}

bool EqualsNoCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x < 0x80) x = static_cast<unsigned char>(std::tolower(x));
        if (y < 0x80) y = static_cast<unsigned char>(std::tolower(y));
        if (x != y) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string path = fuzz::WriteScratch("station.ini", data, size);
    const std::string text(reinterpret_cast<const char *>(data), size);

    for (const char *key : {"databaseLine", "configDirectory", "moduleDirectory", "stationLine"})
        (void)platform::GetProfileString(path, "env", key, "");
    (void)platform::GetProfileInt(path, "CREATETIME", "TIME", -1);
    (void)platform::GetProfileInt(path, "env", "databaseLine", 7);

    // A section read whole gives what reading its keys one by one gives:
    // the value of the first key of each name.
    const std::string section = FirstSection(text);
    const platform::ProfileSection entries = platform::GetProfileSection(path, section);
    for (std::size_t i = 0; i < entries.size() && i < 32; ++i) {
        std::size_t first = 0;
        while (!EqualsNoCase(entries[first].first, entries[i].first)) ++first;
        FUZZ_CHECK(platform::GetProfileString(path, section, entries[i].first, "\x01") ==
                   entries[first].second);
        (void)platform::GetProfileInt(path, section, entries[i].first, 0);
    }

    // A value written is read back, and the other sections keep theirs.
    const bool other = !EqualsNoCase(section, "env");
    if (platform::WriteProfileString(path, "env", "configDirectory", "/station/config")) {
        FUZZ_CHECK(platform::GetProfileString(path, "env", "configDirectory", "") ==
                   "/station/config");
        if (other) FUZZ_CHECK(platform::GetProfileSection(path, section) == entries);
    }
    const platform::ProfileSection odbc = {{"Driver", "SQLite3"}, {"Database", "station.db"}};
    if (platform::WriteProfileSection(path, "station_limits", odbc)) {
        FUZZ_CHECK(platform::GetProfileSection(path, "station_limits") == odbc);
        if (other && !EqualsNoCase(section, "station_limits"))
            FUZZ_CHECK(platform::GetProfileSection(path, section) == entries);
    }
    return 0;
}
