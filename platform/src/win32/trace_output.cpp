// Windows: trace lines also go to an attached debugger; notices are message
// boxes, or go to standard error (and the trace) when $STATION_NO_DIALOGS
// is set, for tests and unattended hosts.
#include "trace_output.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "gbk_texts.h"

namespace platform::detail {
namespace {

constexpr UINT kGbkCodePage = 936;

// The GBK text as UTF-16, so that the box reads right whatever the system's
// own code page is; bytes that are not GBK become U+FFFD.
std::wstring Wide(std::string_view gbk) {
    if (gbk.empty()) return {};
    const int n = ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()),
                                        nullptr, 0);
    std::wstring out(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(),
                              n);
    return out;
}

bool DialogsOff() {
    const char *value = std::getenv("STATION_NO_DIALOGS");
    return value != nullptr && value[0] != '\0';
}

}  // namespace

void SendToDebugger(std::string_view gbkText) {
    std::string line(gbkText);
    if (line.empty() || line.back() != '\n') line.push_back('\n');
    ::OutputDebugStringA(line.c_str());
}

void ShowNotice(std::string_view gbkText) {
    if (DialogsOff()) {
        WriteStderrUtf8(gbkText);
        return;
    }
    const std::wstring text = Wide(gbkText);
    const std::wstring caption = Wide(texts::kCaptionPrompt);
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(),
                  MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace platform::detail
