// The file of `stdhost series import` (ParseSeriesImport) on the input, for a
// station with the shipped seed data: its series (tb_type_vehicle) and its
// catalogue's parameters (tb_id_param). A file it takes holds only known
// series and parameters, one standard per series; a refused one says where.
#include <cmath>
#include <fstream>
#include <sstream>

#include "fuzz_support.h"
#include "series_import_file.h"

namespace {

// The rows of a seed table after its header, split at tabs.
std::vector<std::vector<std::string>> SeedRows(const char *table) {
    std::ifstream in(std::string(STATION_SOURCE_DIR "/db/seed/") + table, std::ios::binary);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    for (bool header = true; std::getline(in, line); header = false)
        if (!header && !line.empty()) rows.push_back(stdhost::SplitTabs(line));
    FUZZ_CHECK(!rows.empty());
    return rows;
}

struct Station {
    std::set<stdhost::SeriesKey> known;
    std::set<std::pair<int32_t, int32_t>> params;
    Station() {
        for (const auto &row : SeedRows("tb_type_vehicle.tsv")) {
            std::string brand, series;
            FUZZ_CHECK(row.size() >= 2 && platform::Utf8ToGbk(row[0], brand) &&
                       platform::Utf8ToGbk(row[1], series));
            known.insert({std::string(platform::TrimBlanks(brand)),
                          std::string(platform::TrimBlanks(series))});
        }
        for (const auto &row : SeedRows("tb_id_param.tsv")) {
            std::pair<int32_t, int32_t> key;
            FUZZ_CHECK(row.size() >= 3 && stdhost::ParseInt(row[1], key.first) &&
                       stdhost::ParseInt(row[2], key.second));
            params.insert(key);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    static const Station station;
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::istringstream in(text);
    std::vector<generator::SeriesStandard> standards;
    try {
        standards = stdhost::ParseSeriesImport(in, "series.tsv", station.known, station.params);
    } catch (const stdhost::SeriesFileError &e) {
        FUZZ_CHECK(e.exitCode == stdhost::kExitBadFile || e.exitCode == stdhost::kExitUnknown);
        FUZZ_CHECK(e.message.rfind("series.tsv:", 0) == 0);
        return 0;
    }
    FUZZ_CHECK(text.rfind(stdhost::kSeriesFileHeader, 0) == 0);
    std::set<stdhost::SeriesKey> seen;
    for (const auto &standard : standards) {
        const stdhost::SeriesKey key{standard.id.brand, standard.id.series};
        FUZZ_CHECK(station.known.count(key) == 1);
        FUZZ_CHECK(seen.insert(key).second);
        FUZZ_CHECK(!standard.limits.empty());
        for (const auto &limit : standard.limits) {
            FUZZ_CHECK(station.params.count({limit.itemid, limit.paramid}) == 1);
            FUZZ_CHECK(std::isfinite(limit.hvalue) && std::isfinite(limit.lvalue));
        }
    }
    // The numbers of a line taken are text: a NUL byte in one is refused.
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = stdhost::SplitTabs(line);
        if (f.size() != stdhost::kSeriesFileFields) continue;
        for (std::size_t column : {3, 5, 7, 8})
            FUZZ_CHECK(f[column].find('\0') == std::string::npos);
    }
    return 0;
}
