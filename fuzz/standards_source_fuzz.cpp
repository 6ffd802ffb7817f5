// The readable standard table that `stdhost build-standards` reads
// (ReadStandardsSource) on the input. A source it takes gives a standard file
// that loads back to the same number of limits, undamaged; a source it
// refuses names the line.
#include <sstream>

#include "fuzz_support.h"
#include "standards_source.h"

namespace {

// The limit lines of the input: neither blank nor comments.
std::vector<std::string> LimitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::istringstream in(text);
    store::StandardTable table;
    int rows = -1;
    std::string error;
    const bool taken = stdhost::ReadStandardsSource(in, "standards.tsv", table, rows, error);
    if (!taken) {
        FUZZ_CHECK(error.rfind("standards.tsv:", 0) == 0);
        return 0;
    }
    const std::vector<std::string> lines = LimitLines(text);
    FUZZ_CHECK(rows == static_cast<int>(lines.size()));
    // Every field of a limit line taken is text: a NUL byte is refused.
    for (const std::string &line : lines) FUZZ_CHECK(line.find('\0') == std::string::npos);

    FUZZ_CHECK(table.RecordCount() <= lines.size());
    if (table.RecordCount() == 0) return 0;
    const std::string sfd = fuzz::ScratchDir() + "/built.sfd";
    FUZZ_CHECK(table.WriteFile(sfd) == 1);
    store::StandardTable loaded;
    store::StandardFileReport report;
    FUZZ_CHECK(loaded.LoadFromFile(sfd, &report) == 1);
    FUZZ_CHECK(!report.Damaged());
    FUZZ_CHECK(loaded.RecordCount() == table.RecordCount());
    return 0;
}
