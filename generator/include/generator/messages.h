#pragma once
// How the series editor's core talks to its user. The editor shows modal
// message boxes; a command-line host prints; tests answer. All texts are GBK.
#include <string>

namespace generator {

enum class MessageIcon { kNone, kInformation, kExclamation, kQuestion };

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::kNone;
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows `message` and returns when the user has seen it.
    virtual void Show(const Message &message) = 0;
    // Asks with OK and Cancel buttons: true for OK.
    virtual bool Confirm(const Message &message) = 0;
};

// Writes messages to the debug trace only and answers Cancel: for callers
// that have nobody to ask.
class TraceMessageSink : public MessageSink {
  public:
    void Show(const Message &message) override;
    bool Confirm(const Message &message) override;
};

}  // namespace generator
