// The codes-and-names functions of the C interface, answered from the code
// dictionary (code_dictionary.h).
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "code_dictionary.h"
#include "platform/value_text.h"
#include "plinth_api.h"
#include "text_ops.h"

namespace plinth {
namespace {

// The value of a text that is exactly 8 decimal digits once leading and
// trailing blanks are removed.
std::optional<int> EightDigits(const char *text) {
    const std::string_view digits = platform::TrimSpacesAndTabs(text);
    if (digits.size() != 8) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A code is an 8-digit number whose parameter the dictionary names.
bool IsCodeOfNamedParameter(long long number) {
    return number >= 10000000 && number <= 99999999 &&
           Dictionary().NamesParameter(static_cast<int>(number / kCodeFactor));
}

bool IsCodeText(const char *text, std::optional<int> paramId) {
    if (text == nullptr) return false;
    const auto value = EightDigits(text);
    if (!value || !IsCodeOfNamedParameter(*value)) return false;
    return !paramId || *value / kCodeFactor == *paramId;
}

bool CodeOfName(const char *text, int paramId, char *out) {
    if (text == nullptr || out == nullptr) return false;
    const int code = Dictionary().CodeNamed(paramId, platform::TrimSpacesAndTabs(text));
    if (code == 0) return false;
    std::snprintf(out, PLINTH_NAME_BYTES, "%d", code);
    return true;
}

bool NameOf(int key, char *out) {
    if (out == nullptr) return false;
    const CodeDictionary::Entry *entry = Dictionary().Find(key);
    if (entry == nullptr) return false;
    CopyCut(entry->name, out, PLINTH_NAME_BYTES - 1);
    return true;
}

}  // namespace
}  // namespace plinth

extern "C" {

int IsSubID_char(const char *text) {
    return plinth::Guarded([&] { return plinth::IsCodeText(text, std::nullopt); });
}

int IsSubID_int(int number) {
    return plinth::Guarded([&] { return plinth::IsCodeOfNamedParameter(number); });
}

int IsSubID_charEx(const char *text, int paramId) {
    return plinth::Guarded([&] { return plinth::IsCodeText(text, paramId); });
}

int GetMainID(int code) {
    try {
        return plinth::Dictionary().MainCode(code);
    } catch (...) {
        return code;
    }
}

int GetParamIDByName(const char *text, int paramId, char *out) {
    return plinth::Guarded([&] { return plinth::CodeOfName(text, paramId, out); });
}

int GetZK2IDInfo(int code, char *out) {
    return plinth::Guarded([&] { return plinth::NameOf(code, out); });
}

}  // extern "C"
