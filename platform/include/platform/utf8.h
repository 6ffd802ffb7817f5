#pragma once
// Strict UTF-8: what a file that claims to be UTF-8 must hold.
#include <cstddef>
#include <string_view>

namespace platform {

// True when `text` is well-formed UTF-8: no overlong form, no surrogate
// (U+D800..U+DFFF), nothing above U+10FFFF, no sequence cut short. A NUL is
// a character like any other. When false and `badOffset` is given, it
// receives the offset of the first byte of the first bad sequence.
bool IsValidUtf8(std::string_view text, std::size_t *badOffset = nullptr);

}  // namespace platform
