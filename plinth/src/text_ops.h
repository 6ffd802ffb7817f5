#pragma once
// Small text helpers of the library. Texts are GBK: a byte 0x81..0xFE that is
// followed by another byte starts a double-byte character, and no helper
// splits one or takes its trail byte for a single character.
#include <cstddef>
#include <string_view>

namespace plinth {

// Writes at most `maxBytes` bytes of `text`, cut at a GBK character boundary,
// and a NUL to `out` (which has room for maxBytes + 1).
void CopyCut(std::string_view text, char *out, std::size_t maxBytes);

// Remove every occurrence of the single-byte character `ch` at the start or
// the end of the NUL-terminated `text`, in place.
void TrimLeftChar(char *text, char ch);
void TrimRightChar(char *text, char ch);

// Field `n` (from 0) of a comma-separated line: a line with k commas has k + 1
// fields, empty ones included. Writes the field cut to `maxBytes` and a NUL
// and returns true; for an absent field (n < 0 or beyond the last) writes ""
// and returns false.
bool CommaField(std::string_view line, int n, char *out, std::size_t maxBytes);

}  // namespace plinth
