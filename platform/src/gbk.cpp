#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace platform {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// One conversion direction, opened once: opening a converter costs far more
// than converting a short text. Destroyed with the module that holds it.
class Converter {
  public:
    Converter(const char *to, const char *from) : to_(to), from_(from) {}
    ~Converter() {
        if (cd_ != kNoConverter) ::iconv_close(cd_);
    }
    // The converter in its initial state, or kNoConverter.
    iconv_t Acquire() {
        if (cd_ == kNoConverter) cd_ = ::iconv_open(to_, from_);
        if (cd_ != kNoConverter) ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }
    std::mutex &Lock() { return mutex_; }

  private:
    const char *to_;
    const char *from_;
    iconv_t cd_ = kNoConverter;
    std::mutex mutex_;
};

Converter &GbkFromUtf8() {
    static Converter converter("GBK", "UTF-8");
    return converter;
}

Converter &Utf8FromGbk() {
    static Converter converter("UTF-8", "GBK");
    return converter;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

// Converts all of `in`; on an invalid or unconvertible sequence either fails
// (strict) or emits '?' for one input byte and goes on. ASCII is the same in
// both encodings and is copied.
bool Convert(Converter &converter, std::string_view in, std::string &out, bool lossy) {
    out.clear();
    if (IsAscii(in)) {
        out.assign(in);
        return true;
    }
    std::lock_guard<std::mutex> hold(converter.Lock());
    iconv_t cd = converter.Acquire();
    if (cd == kNoConverter) return false;
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
    if (!ok) out.clear();
    return ok;
}

}  // namespace

bool GbkToUtf8(std::string_view gbk, std::string &utf8) {
    return Convert(Utf8FromGbk(), gbk, utf8, false);
}

bool Utf8ToGbk(std::string_view utf8, std::string &gbk) {
    return Convert(GbkFromUtf8(), utf8, gbk, false);
}

std::string GbkToUtf8Lossy(std::string_view gbk) {
    std::string out;
    Convert(Utf8FromGbk(), gbk, out, true);
    return out;
}

}  // namespace platform
