#include "generator/messages.h"

#include "platform/trace.h"

namespace generator {

void TraceMessageSink::Show(const Message &message) {
    platform::Trace(message.text + "\n");
}

bool TraceMessageSink::Confirm(const Message &message) {
    platform::Trace(message.text + "\n");
    return false;
}

}  // namespace generator
