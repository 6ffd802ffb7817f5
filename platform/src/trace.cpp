#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/gbk.h"
#include "trace_output.h"

namespace platform {
namespace {

// Function-local statics of this translation unit: every module that links
// the platform library has its own.
std::function<void(std::string_view)> &TraceHook() {
    static std::function<void(std::string_view)> hook;
    return hook;
}
std::function<void(std::string_view)> &NoticeHook() {
    static std::function<void(std::string_view)> hook;
    return hook;
}

}  // namespace

namespace detail {

void WriteStderrUtf8(std::string_view gbkText) {
    std::string utf8 = GbkToUtf8Lossy(gbkText);
    if (utf8.empty() || utf8.back() != '\n') utf8.push_back('\n');
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

}  // namespace detail

void Trace(std::string_view gbkText) {
    try {
        if (auto &hook = TraceHook()) hook(gbkText);
        detail::SendToDebugger(gbkText);
        const char *target = std::getenv("STATION_TRACE");
        if (target == nullptr || target[0] == '\0') return;
        if (std::strcmp(target, "-") == 0) {
            detail::WriteStderrUtf8(gbkText);
            return;
        }
        std::FILE *f = std::fopen(target, "ab");
        if (f == nullptr) return;
        std::fwrite(gbkText.data(), 1, gbkText.size(), f);
        if (gbkText.empty() || gbkText.back() != '\n') std::fputc('\n', f);
        std::fclose(f);
    } catch (...) {
        // Tracing never fails its caller.
    }
}

void TraceF(const char *format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    Trace(std::string_view(line, std::strlen(line)));
}

void Notice(std::string_view gbkText) {
    try {
        if (auto &hook = NoticeHook()) hook(gbkText);
        detail::ShowNotice(gbkText);
    } catch (...) {
    }
    Trace(gbkText);
}

void SetTraceHook(std::function<void(std::string_view)> hook) {
    TraceHook() = std::move(hook);
}
void SetNoticeHook(std::function<void(std::string_view)> hook) {
    NoticeHook() = std::move(hook);
}

}  // namespace platform
