#include "store/condition_compare.h"

#include "platform/gbk.h"

namespace store {

void FoldCondition(std::string_view text, char *out) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (platform::IsGbkLeadByte(c) && i + 1 < n) {
            out[i] = text[i];
            out[i + 1] = text[i + 1];  // the trail byte is never folded
            ++i;
            continue;
        }
        out[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : text[i];
    }
}

std::string FoldCondition(std::string_view text) {
    std::string out(text.size(), '\0');
    FoldCondition(text, out.data());
    return out;
}

bool ConditionEqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const std::size_t n = a.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (platform::IsGbkLeadByte(ca) && i + 1 < n) {
            // Both texts must have a double-byte character here, byte for byte.
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb) return false;
    }
    return true;
}

}  // namespace store
