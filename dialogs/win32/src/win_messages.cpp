#include "win_messages.h"

#include "gbk_texts.h"
#include "win_text.h"

namespace dialogs::win32 {
namespace {

UINT IconFlag(generator::MessageIcon icon) {
    switch (icon) {
        case generator::MessageIcon::kInformation:
            return MB_ICONINFORMATION;
        case generator::MessageIcon::kExclamation:
            return MB_ICONEXCLAMATION;
        case generator::MessageIcon::kQuestion:
            return MB_ICONQUESTION;
        case generator::MessageIcon::kNone:
            break;
    }
    return 0;
}

}  // namespace

int Box(HWND owner, const std::string &text, const char *caption, generator::MessageIcon icon,
        UINT buttons) {
    const std::wstring title =
        Wide(caption != nullptr && caption[0] != '\0' ? std::string(caption)
                                                      : std::string(texts::kPromptCaption));
    return ::MessageBoxW(owner, Wide(text).c_str(), title.c_str(),
                         buttons | IconFlag(icon) | MB_SETFOREGROUND);
}

void Win32MessageSink::Show(const generator::Message &message) {
    Box(owner_, message.text, message.caption.c_str(), message.icon);
}

// Cancel is the default: Enter does not start what the box asks about.
bool Win32MessageSink::Confirm(const generator::Message &message) {
    return Box(owner_, message.text, message.caption.c_str(), message.icon,
               MB_OKCANCEL | MB_DEFBUTTON2) == IDOK;
}

}  // namespace dialogs::win32
