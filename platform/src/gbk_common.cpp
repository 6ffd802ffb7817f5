// The GBK helpers every platform shares; the conversions themselves are in
// gbk.cpp (iconv) or win32/gbk.cpp (code page 936).
#include "platform/errors.h"
#include "platform/gbk.h"

namespace platform {

std::string GbkToUtf8OrThrow(std::string_view gbk) {
    std::string out;
    if (!GbkToUtf8(gbk, out)) throw EncodingError("text is not valid GBK");
    return out;
}

std::string Utf8ToGbkOrThrow(std::string_view utf8) {
    std::string out;
    if (!Utf8ToGbk(utf8, out)) throw EncodingError("text has no GBK form");
    return out;
}

std::size_t GbkCutLength(std::string_view text, std::size_t maxBytes) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        std::size_t width =
            (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
    }
    return i;
}

}  // namespace platform
