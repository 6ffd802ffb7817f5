#pragma once
// GBK (code page 936) <-> UTF-8 through glibc iconv. Conversion is strict: a
// text that has no form in the other encoding is an error, never altered.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

bool GbkToUtf8(std::string_view gbk, std::string &utf8);
bool Utf8ToGbk(std::string_view utf8, std::string &gbk);

// As above, but throw platform::EncodingError on a text that does not convert.
std::string GbkToUtf8OrThrow(std::string_view gbk);
std::string Utf8ToGbkOrThrow(std::string_view utf8);

// Converts as far as it can and replaces each byte that does not convert by
// '?': for diagnostics only (trace to a terminal), never for data.
std::string GbkToUtf8Lossy(std::string_view gbk);

// True when byte `c` starts a GBK double-byte character (0x81..0xFE).
inline bool IsGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// The largest length <= maxBytes at which `text` can be cut without splitting
// a double-byte character (a lead byte followed by its trail byte).
std::size_t GbkCutLength(std::string_view text, std::size_t maxBytes);

}  // namespace platform
