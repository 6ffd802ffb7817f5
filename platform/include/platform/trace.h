#pragma once
// The debug trace and the notices of a plug-in. Every plug-in links its own
// copy of these sinks.
//
// Trace lines are GBK bytes. They go to $STATION_TRACE when it is set: a file
// path (appended, bytes unchanged) or "-" for standard error (converted to
// UTF-8). Without $STATION_TRACE they go nowhere.
//
// A notice takes the place of a modal message box in a module without a GUI:
// it is written to standard error as UTF-8 and to the trace.
#include <functional>
#include <string_view>

// MinGW's "printf" is the Microsoft runtime's, which lacks %zu and %lld;
// the C++ runtime formats with the C99 one.
#if defined(__MINGW32__)
#define STATION_PRINTF_FORMAT gnu_printf
#else
#define STATION_PRINTF_FORMAT printf
#endif

namespace platform {

void Trace(std::string_view gbkText);
// printf-style; the formatted text is cut at 1023 bytes.
void TraceF(const char *format, ...) __attribute__((format(STATION_PRINTF_FORMAT, 1, 2)));
void Notice(std::string_view gbkText);

// Test hooks of this copy of the sinks: each receives the GBK text of every
// trace line or notice in addition to the normal output. Pass {} to remove.
void SetTraceHook(std::function<void(std::string_view)> hook);
void SetNoticeHook(std::function<void(std::string_view)> hook);

}  // namespace platform
