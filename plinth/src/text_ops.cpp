#include "text_ops.h"

#include <cstring>

#include "platform/gbk.h"
#include "plinth_api.h"

namespace plinth {
namespace {

// Width of the character that starts at `i` of a text of `n` bytes.
std::size_t CharWidth(const char *text, std::size_t i, std::size_t n) {
    return platform::IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < n ? 2 : 1;
}

}  // namespace

void CopyCut(std::string_view text, char *out, std::size_t maxBytes) {
    const std::size_t n = platform::GbkCutLength(text, maxBytes);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

void TrimLeftChar(char *text, char ch) {
    if (text == nullptr || ch == '\0') return;
    const std::size_t n = std::strlen(text);
    std::size_t start = 0;
    while (start < n && text[start] == ch && CharWidth(text, start, n) == 1) ++start;
    if (start > 0) std::memmove(text, text + start, n - start + 1);
}

void TrimRightChar(char *text, char ch) {
    if (text == nullptr || ch == '\0') return;
    const std::size_t n = std::strlen(text);
    std::size_t keep = 0;  // end of the last character that stays
    for (std::size_t i = 0; i < n;) {
        const std::size_t width = CharWidth(text, i, n);
        if (width == 2 || text[i] != ch) keep = i + width;
        i += width;
    }
    text[keep] = '\0';
}

bool CommaField(std::string_view line, int n, char *out, std::size_t maxBytes) {
    out[0] = '\0';
    if (n < 0) return false;
    // A comma (0x2C) is never the trail byte of a GBK character: a byte
    // search finds only real separators.
    for (int k = 0; k < n; ++k) {
        const auto comma = line.find(',');
        if (comma == std::string_view::npos) return false;
        line.remove_prefix(comma + 1);
    }
    CopyCut(line.substr(0, line.find(',')), out, maxBytes);
    return true;
}

}  // namespace plinth

extern "C" {

void TrimLeft(char *text, char ch) {
    try {
        plinth::TrimLeftChar(text, ch);
    } catch (...) {
    }
}

void TrimRight(char *text, char ch) {
    try {
        plinth::TrimRightChar(text, ch);
    } catch (...) {
    }
}

int GetField(const char *line, char *out, int n) {
    return plinth::Guarded([&] {
        if (out == nullptr) return false;
        if (line == nullptr) {
            out[0] = '\0';
            return false;
        }
        return plinth::CommaField(line, n, out, PLINTH_FIELD_BYTES - 1);
    });
}

}  // extern "C"
