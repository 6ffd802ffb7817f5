#pragma once
// Where trace lines and notices go besides the trace file: the platform's
// part of the sinks in trace.cpp.
#include <string_view>

namespace platform::detail {

// GBK text to standard error as UTF-8, with a line break at its end.
void WriteStderrUtf8(std::string_view gbkText);

// A trace line for an attached debugger (Windows: OutputDebugStringA;
// nothing on Linux).
void SendToDebugger(std::string_view gbkText);

// A notice shown to the user (Linux: standard error; Windows: a message box,
// or standard error when $STATION_NO_DIALOGS is set). The caller traces it.
void ShowNotice(std::string_view gbkText);

}  // namespace platform::detail
