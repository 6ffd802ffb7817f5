// Windows: GBK is the system's code page 936. Both directions are strict:
// GBK bytes that are not a character, and a character with no GBK form, are
// errors (no best-fit substitutes, no default character).
#include "platform/gbk.h"

#include <windows.h>

#include <string>

namespace platform {
namespace {

constexpr UINT kGbkCodePage = 936;

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

bool ToWide(UINT codePage, std::string_view in, std::wstring &out) {
    out.clear();
    if (in.empty()) return true;
    const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                        static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                 static_cast<int>(in.size()), out.data(), n) == n;
}

bool WideToUtf8(const std::wstring &in, std::string &out) {
    out.clear();
    if (in.empty()) return true;
    const int n = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in.data(),
                                        static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in.data(),
                                 static_cast<int>(in.size()), out.data(), n, nullptr, nullptr) == n;
}

// WC_NO_BEST_FIT_CHARS keeps Windows from writing a look-alike; a character
// that still needed the default character has no GBK form. The round trip
// catches any mapping that is not one to one.
bool WideToGbk(const std::wstring &in, std::string &out) {
    out.clear();
    if (in.empty()) return true;
    BOOL usedDefault = FALSE;
    const int n =
        ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, in.data(),
                              static_cast<int>(in.size()), nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(n));
    if (::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, in.data(),
                              static_cast<int>(in.size()), out.data(), n, nullptr,
                              &usedDefault) != n ||
        usedDefault)
        return false;
    std::wstring back;
    return ToWide(kGbkCodePage, out, back) && back == in;
}

}  // namespace

bool GbkToUtf8(std::string_view gbk, std::string &utf8) {
    if (IsAscii(gbk)) {
        utf8.assign(gbk);
        return true;
    }
    std::wstring wide;
    if (ToWide(kGbkCodePage, gbk, wide) && WideToUtf8(wide, utf8)) return true;
    utf8.clear();
    return false;
}

bool Utf8ToGbk(std::string_view utf8, std::string &gbk) {
    if (IsAscii(utf8)) {
        gbk.assign(utf8);
        return true;
    }
    std::wstring wide;
    if (ToWide(CP_UTF8, utf8, wide) && WideToGbk(wide, gbk)) return true;
    gbk.clear();
    return false;
}

std::string GbkToUtf8Lossy(std::string_view gbk) {
    std::string out;
    if (GbkToUtf8(gbk, out)) return out;
    // Character by character: one that does not convert becomes '?' for its
    // first byte, and the next byte starts afresh.
    out.clear();
    std::size_t i = 0;
    while (i < gbk.size()) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        std::string piece;
        if (IsGbkLeadByte(c) && i + 1 < gbk.size() && GbkToUtf8(gbk.substr(i, 2), piece)) {
            out += piece;
            i += 2;
            continue;
        }
        out.push_back('?');
        ++i;
    }
    return out;
}

}  // namespace platform
