#pragma once
// The editor's message boxes on Windows: MessageBoxW with the texts (GBK),
// captions and icons the core and the dialogs give.
#include <windows.h>

#include <string>

#include "generator/messages.h"

namespace dialogs::win32 {

// MB_OK, MB_OKCANCEL or MB_YESNO and so on, with the icon of `icon`; the
// answer of MessageBoxW. A null caption is "提示".
int Box(HWND owner, const std::string &text, const char *caption, generator::MessageIcon icon,
        UINT buttons = MB_OK);

// The core's messages over Box, owned by the dialog that is open.
class Win32MessageSink : public generator::MessageSink {
  public:
    void SetOwner(HWND owner) { owner_ = owner; }
    void Show(const generator::Message &message) override;
    bool Confirm(const generator::Message &message) override;

  private:
    HWND owner_ = nullptr;
};

}  // namespace dialogs::win32
