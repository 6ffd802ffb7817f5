#pragma once
// A Win32 dialog over a resource template, its procedure forwarded to a C++
// object. No exception crosses the procedure into the system: one is traced
// and the message counts as handled.
#include <windows.h>

namespace dialogs::win32 {

// The text colour of every control of the editor's dialogs.
inline constexpr COLORREF kDialogText = RGB(0, 0, 255);

class DialogBase {
  public:
    DialogBase() = default;
    virtual ~DialogBase();
    DialogBase(const DialogBase &) = delete;
    DialogBase &operator=(const DialogBase &) = delete;

    // Runs the dialog modally over `owner`; its EndDialog value, -1 when
    // the template cannot be made a window.
    INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);
    // Creates the dialog modeless (shown only when its template says so).
    HWND CreateModeless(HINSTANCE instance, int templateId, HWND owner);
    HWND Window() const { return window_; }
    HINSTANCE Instance() const { return instance_; }

  protected:
    // One message; TRUE when handled (a WM_NOTIFY result goes through
    // SetResult).
    virtual INT_PTR Handle(UINT message, WPARAM w, LPARAM l) = 0;
    void SetResult(LRESULT result) const { ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, result); }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }
    // WM_CTLCOLOR*: the default brush of the control, text in kDialogText.
    static INT_PTR ColourControl(UINT message, WPARAM dc);

  private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    HWND window_ = nullptr;
    HINSTANCE instance_ = nullptr;
};

}  // namespace dialogs::win32
