#include "table_text.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/atomic_file.h"
#include "platform/number_text.h"
#include "platform/text_fields.h"

namespace stdhost {

namespace {

// The C library's reading of a field (strtol, strtof): blanks before the
// number, a '+', and for a decimal the hexadecimal form.
platform::NumberRules FieldRules() {
    platform::NumberRules rules;
    rules.leadingBlanks = true;
    rules.plusSign = true;
    rules.hexadecimal = true;
    return rules;
}

}  // namespace

std::vector<std::string> SplitTabs(const std::string &line) {
    const std::vector<std::string_view> fields = platform::SplitFields(line);
    return std::vector<std::string>(fields.begin(), fields.end());
}

bool ParseInt(const std::string &text, int32_t &out) {
    const std::optional<long long> v = platform::ParseInteger(text, FieldRules());
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
    out = static_cast<int32_t>(*v);
    return true;
}

bool ParseFloat(const std::string &text, float &out) {
    const std::optional<float> v = platform::ParseFloat(text, FieldRules());
    if (!v || !std::isfinite(*v)) return false;
    // strtof called a subnormal result out of range unless the text gives it exactly.
    if (std::fpclassify(*v) == FP_SUBNORMAL &&
        platform::ParseDecimal(text, FieldRules()) != static_cast<double>(*v))
        return false;
    out = *v;
    return true;
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
