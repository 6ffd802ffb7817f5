#include "seed_tsv.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/atomic_file.h"

namespace seed {

std::vector<std::string> SplitFields(std::string_view line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t end = line.find(separator, start);
        fields.emplace_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

std::vector<SourceLine> ReadSourceFile(const std::string &path, size_t fieldCount) {
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) throw SeedError(path + ": cannot be read");
    std::vector<SourceLine> lines;
    int number = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        SourceLine source{number, SplitFields(line)};
        bool blank = false;
        for (const std::string &field : source.fields) blank = blank || field.empty();
        if (source.fields.size() != fieldCount || blank) {
            throw SeedError(path + ":" + std::to_string(number) + ": expected " +
                            std::to_string(fieldCount) + " non-empty tab-separated fields");
        }
        lines.push_back(std::move(source));
    }
    return lines;
}

bool ParseInt(std::string_view text, int &value) {
    if (text.empty() || text.size() > 11) return false;
    std::string copy(text);
    char *end = nullptr;
    errno = 0;
    long parsed = std::strtol(copy.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || copy.front() == '+' || copy.front() == ' ') return false;
    if (parsed < -2147483647L - 1 || parsed > 2147483647L) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseDecimal(std::string_view text, double &value) {
    // Digits with an optional sign and decimal point only: no exponents,
    // blanks, "inf" or "nan".
    size_t digits = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (!(c == '-' && i == 0) && c != '.') {
            return false;
        }
    }
    if (digits == 0 || text.find('.') != text.rfind('.')) return false;
    value = std::strtod(std::string(text).c_str(), nullptr);
    return true;
}

std::string FormatLimit(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    if (std::string(text) == "-0.00") return "0.00";
    return text;
}

std::string SeedTable::Text() const {
    std::string text;
    auto appendLine = [&text](const std::vector<std::string> &fields) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) text += '\t';
            text += fields[i];
        }
        text += '\n';
    };
    appendLine(columns);
    for (const auto &row : rows) appendLine(row);
    return text;
}

}  // namespace seed
