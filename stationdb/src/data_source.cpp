// Data sources in an odbc.ini: one [name] section per source.
#include <string>
#include <vector>

#include "odbc_check.h"
#include "platform/atomic_file.h"
#include "stationdb/stationdb.h"

namespace stationdb {
namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// "[name]" gives true and the trimmed name.
bool SectionName(std::string_view line, std::string_view &name) {
    line = TrimBlanks(line);
    if (line.size() < 2 || line.front() != '[') return false;
    auto close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = TrimBlanks(line.substr(1, close - 1));
    return true;
}

}  // namespace

// The old [name] section (every one of that name, ignoring case) is dropped
// and the new one appended, so no key of an earlier definition survives; all
// other lines are kept byte for byte and the file is replaced in one step.
bool WriteDataSource(const std::string &odbcIniPath, const std::string &name,
                     const std::vector<std::pair<std::string, std::string>> &settings) {
    if (name.empty() || name.find_first_of("[]\r\n") != std::string::npos) return false;
    for (const auto &[key, value] : settings)
        if (key.empty() || key.find_first_of("=[\r\n") != std::string::npos ||
            value.find_first_of("\r\n") != std::string::npos)
            return false;

    std::string old;
    if (!platform::ReadWholeFile(odbcIniPath, old)) old.clear();
    std::string kept;
    bool skipping = false;
    std::string_view rest = old;
    while (!rest.empty()) {
        auto nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl == std::string_view::npos ? rest.size() : nl + 1);
        rest.remove_prefix(line.size());
        std::string_view section;
        if (SectionName(line, section)) skipping = detail::EqualsIgnoringAsciiCase(section, name);
        if (skipping) continue;
        kept.append(line);
        if (line.back() != '\n') kept += '\n';
    }
    while (kept.size() >= 2 && kept[kept.size() - 1] == '\n' && kept[kept.size() - 2] == '\n')
        kept.pop_back();
    if (!kept.empty()) kept += '\n';
    kept += "[" + name + "]\n";
    for (const auto &[key, value] : settings) kept += key + " = " + value + "\n";
    return platform::WriteFileAtomically(odbcIniPath, kept) == platform::AtomicWriteResult::kOk;
}

bool WriteSqliteDataSource(const std::string &odbcIniPath, const std::string &name,
                           const std::string &databaseFile) {
    return WriteDataSource(odbcIniPath, name,
                           {{"Driver", "SQLite3"},
                            {"Database", databaseFile},
                            {"Timeout", "2000"},
                            {"NoCreat", "1"},
                            {"JournalMode", "WAL"}});
}

}  // namespace stationdb
