// stdhost's vehicle file reader (LoadVehicleFile) on a file made of the
// input. A file it takes is written back line by line and must read the same;
// a file it refuses must be refused with the error stdhost reports as bad usage.
#include <cctype>
#include <fstream>

#include "fuzz_support.h"
#include "vehicle_file.h"

namespace {

// The lines of the input that are neither blank nor comments, as the reader
// sees them (CR of a CRLF ending removed, leading blanks skipped).
std::vector<std::string> ValueLines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        lines.push_back(line.substr(first));
    }
    return lines;
}

// "ID=" with the ID as decimal digits: white space and a sign before them
// allowed, as strtol reads a number.
bool DecimalId(const std::string &line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::size_t i = 0;
    while (i < eq && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i < eq && (line[i] == '+' || line[i] == '-')) ++i;
    if (i == eq) return false;
    for (; i < eq; ++i)
        if (line[i] < '0' || line[i] > '9') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string path = fuzz::WriteScratch("input.vehicle", data, size);
    std::string text(reinterpret_cast<const char *>(data), size);
    if (text.compare(0, 3, "\xef\xbb\xbf") == 0) text.erase(0, 3);  // a UTF-8 BOM is dropped
    const std::vector<std::string> lines = ValueLines(text);
    std::vector<stdhost::InfoValue> values;
    try {
        values = stdhost::LoadVehicleFile(path, "--vehicle");
    } catch (const stdhost::VehicleFileError &) {
        return 0;
    }
    // A file past the bound is never read.
    FUZZ_CHECK(size <= stdhost::kVehicleFileBytes);
    FUZZ_CHECK(values.size() == lines.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        FUZZ_CHECK(values[i].first >= 1 && values[i].first <= 65535);
        FUZZ_CHECK(DecimalId(lines[i]));
        FUZZ_CHECK(values[i].second == lines[i].substr(lines[i].find('=') + 1));
    }

    // Written back as ID=TEXT lines (CRLF, so that a text ending in CR keeps it).
    const std::string copy = fuzz::ScratchDir() + "/copy.vehicle";
    {
        std::ofstream out(copy, std::ios::binary | std::ios::trunc);
        for (const auto &[id, text] : values) out << id << '=' << text << "\r\n";
    }
    // CRLF endings can take a copy past the bound, where it is refused.
    if (fuzz::ReadBytes(copy).size() > stdhost::kVehicleFileBytes) return 0;
    FUZZ_CHECK(stdhost::LoadVehicleFile(copy, "--vehicle") == values);
    return 0;
}
