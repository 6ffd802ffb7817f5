#include "seed_tsv.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/number_text.h"
#include "platform/text_fields.h"

namespace seed {

std::vector<std::string> SplitFields(std::string_view line, char separator) {
    const std::vector<std::string_view> views = platform::SplitFields(line, separator);
    return std::vector<std::string>(views.begin(), views.end());
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
    if (text.size() > 11) return false;
    const std::optional<long long> parsed = platform::ParseInteger(text);
    if (!parsed || *parsed < INT_MIN || *parsed > INT_MAX) return false;
    value = static_cast<int>(*parsed);
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
    platform::NumberRules rules;
    rules.saturate = true;  // a number of hundreds of digits is still a number
    const std::optional<double> parsed = platform::ParseDecimal(text, rules);
    if (!parsed) return false;
    value = *parsed;
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
