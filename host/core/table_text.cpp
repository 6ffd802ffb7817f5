#include "table_text.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "platform/atomic_file.h"

namespace stdhost {

std::vector<std::string> SplitTabs(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool ParseInt(const std::string &text, int32_t &out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    // The whole field: a NUL inside it ends strtol's reading, not the field.
    if (errno != 0 || end != text.c_str() + text.size() || v < INT32_MIN || v > INT32_MAX)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool ParseFloat(const std::string &text, float &out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    out = std::strtof(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(out);
}

bool ReadTextInput(const std::string &path, std::size_t bound, const std::string &kind,
                   std::string &text, std::string &why) {
    const platform::ReadResult read = platform::ReadInputFile(path, bound, text);
    if (read != platform::ReadResult::kOk) {
        why = platform::InputFileProblem(read, path, kind, bound);
        text.clear();
        return false;
    }
    // A spreadsheet or an editor may start UTF-8 text with a byte order mark.
    if (text.compare(0, 3, "\xef\xbb\xbf") == 0) text.erase(0, 3);
    return true;
}

}  // namespace stdhost
