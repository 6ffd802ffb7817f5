#include "win_text.h"

namespace dialogs::win32 {
namespace {

constexpr UINT kGbk = 936;

}  // namespace

std::wstring Wide(std::string_view gbk) {
    if (gbk.empty()) return {};
    const int size = static_cast<int>(gbk.size());
    const int n = ::MultiByteToWideChar(kGbk, 0, gbk.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(kGbk, 0, gbk.data(), size, wide.data(), n);
    return wide;
}

bool ToGbk(std::wstring_view wide, std::string &gbk) {
    gbk.clear();
    if (wide.empty()) return true;
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(kGbk, 0, wide.data(), size, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    gbk.resize(static_cast<std::size_t>(n));
    ::WideCharToMultiByte(kGbk, 0, wide.data(), size, gbk.data(), n, nullptr, nullptr);
    return true;
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string WindowTextGbk(HWND window) {
    std::string gbk;
    if (!ToGbk(WindowText(window), gbk)) gbk.clear();
    return gbk;
}

void SetWindowTextGbk(HWND window, std::string_view gbk) {
    ::SetWindowTextW(window, Wide(gbk).c_str());
}

}  // namespace dialogs::win32
