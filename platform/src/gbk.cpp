#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>

#include "platform/errors.h"

namespace platform {
namespace {

// Converts all of `in`; on an invalid or unconvertible sequence either fails
// (strict) or emits '?' for one input byte and goes on.
bool Convert(const char *to, const char *from, std::string_view in, std::string &out, bool lossy) {
    out.clear();
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.reserve(in.size() * 3 / 2 + 4);
    char *src = const_cast<char *>(in.data());
    std::size_t srcLeft = in.size();
    char chunk[1024];
    bool ok = true;
    while (srcLeft > 0) {
        char *dst = chunk;
        std::size_t dstLeft = sizeof chunk;
        std::size_t r = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(chunk, static_cast<std::size_t>(dst - chunk));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!lossy) {
            ok = false;
            break;
        }
        // EILSEQ or EINVAL (truncated sequence at the end): skip one byte.
        out.push_back('?');
        ++src;
        --srcLeft;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    if (ok) {
        char *dst = chunk;
        std::size_t dstLeft = sizeof chunk;
        if (::iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1) && !lossy)
            ok = false;
        out.append(chunk, static_cast<std::size_t>(dst - chunk));
    }
    ::iconv_close(cd);
    if (!ok) out.clear();
    return ok;
}

}  // namespace

bool GbkToUtf8(std::string_view gbk, std::string &utf8) {
    return Convert("UTF-8", "GBK", gbk, utf8, false);
}

bool Utf8ToGbk(std::string_view utf8, std::string &gbk) {
    return Convert("GBK", "UTF-8", utf8, gbk, false);
}

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

std::string GbkToUtf8Lossy(std::string_view gbk) {
    std::string out;
    Convert("UTF-8", "GBK", gbk, out, true);
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
