#pragma once
// Text for a terminal: UTF-8 in columns.
#include <cstddef>
#include <string>

namespace stdhost {

// Columns a UTF-8 text takes on a terminal: a CJK character (3 bytes of
// UTF-8 here) takes two.
std::size_t DisplayWidth(const std::string &utf8);

// printf's text for `format` and its arguments.
#if defined(__MINGW32__)  // MinGW's C++ printf family is its own, with C99 formats
#define STDHOST_PRINTF_FORMAT __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
#define STDHOST_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define STDHOST_PRINTF_FORMAT
#endif
std::string Printed(const char *format, ...) STDHOST_PRINTF_FORMAT;

// `text` followed by blanks up to `width` columns.
std::string Pad(const std::string &text, std::size_t width);

}  // namespace stdhost
