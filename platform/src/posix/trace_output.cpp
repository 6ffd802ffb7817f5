// Linux: a module without a GUI shows its notices on standard error.
#include "trace_output.h"

namespace platform::detail {

void SendToDebugger(std::string_view) {}

void ShowNotice(std::string_view gbkText) {
    WriteStderrUtf8(gbkText);
}

}  // namespace platform::detail
