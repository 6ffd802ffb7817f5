#include "platform/utf8.h"

#include <cstdint>
#include <cstring>

namespace platform {
namespace {

// The length of the well-formed sequence at `p` (with `left` bytes to go),
// 0 when it is not one. The ranges of the second byte are those of the
// Unicode standard's table of well-formed byte sequences.
std::size_t SequenceLength(const unsigned char *p, std::size_t left) {
    const unsigned char c = p[0];
    auto trail = [&](std::size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return i < left && p[i] >= low && p[i] <= high;
    };
    if (c >= 0xC2 && c <= 0xDF) return trail(1) ? 2 : 0;
    if (c == 0xE0) return trail(1, 0xA0) && trail(2) ? 3 : 0;
    if (c == 0xED) return trail(1, 0x80, 0x9F) && trail(2) ? 3 : 0;  // no surrogates
    if (c >= 0xE1 && c <= 0xEF) return trail(1) && trail(2) ? 3 : 0;
    if (c == 0xF0) return trail(1, 0x90) && trail(2) && trail(3) ? 4 : 0;
    if (c >= 0xF1 && c <= 0xF3) return trail(1) && trail(2) && trail(3) ? 4 : 0;
    if (c == 0xF4) return trail(1, 0x80, 0x8F) && trail(2) && trail(3) ? 4 : 0;
    return 0;  // a trail byte, an overlong lead (C0, C1) or F5..FF
}

}  // namespace

bool IsValidUtf8(std::string_view text, std::size_t *badOffset) {
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        // Eight ASCII bytes at a time: most of a package is digits and tabs.
        if (size - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(p + i, size - i);
        if (n == 0) {
            if (badOffset) *badOffset = i;
            return false;
        }
        i += n;
    }
    return true;
}

}  // namespace platform
