#pragma once
// Text between the editor's core (GBK) and the Win32 controls (UTF-16): the
// W functions show Chinese whatever the system's code page.
#include <windows.h>

#include <string>
#include <string_view>

namespace dialogs::win32 {

// GBK (code page 936) to UTF-16; a byte without a GBK reading becomes U+FFFD.
std::wstring Wide(std::string_view gbk);
// UTF-16 to GBK; false (and `gbk` empty) when a character has no GBK form.
bool ToGbk(std::wstring_view wide, std::string &gbk);

std::wstring WindowText(HWND window);
// The window's text in GBK, "" when it has no GBK form.
std::string WindowTextGbk(HWND window);
void SetWindowTextGbk(HWND window, std::string_view gbk);
inline HWND Item(HWND dialog, int id) {
    return ::GetDlgItem(dialog, id);
}

}  // namespace dialogs::win32
