#pragma once
// The main dialog's icon buttons: owner-drawn push buttons with an icon left
// of the caption, a tooltip, and while the pointer is over one a lighter
// face (background offset) and another text colour.
#include <windows.h>

#include <string>

namespace dialogs::win32 {

class IconButton {
  public:
    IconButton() = default;
    ~IconButton();
    IconButton(const IconButton &) = delete;
    IconButton &operator=(const IconButton &) = delete;

    // Takes over the dialog's owner-drawn button `id`: icon resource `icon`
    // of `instance`, the tooltip `tip` (UTF-16) shown by `tooltips`.
    void Attach(HWND dialog, int id, HINSTANCE instance, int icon, HWND tooltips,
                const std::wstring &tip);
    void SetHoverColours(int backgroundOffset, COLORREF text) {
        hoverOffset_ = backgroundOffset;
        hoverText_ = text;
    }
    void SetTextColour(COLORREF text) { text_ = text; }
    HWND Window() const { return button_; }
    // WM_DRAWITEM of this button.
    void Draw(const DRAWITEMSTRUCT &item) const;
    bool Hovered() const { return hovered_; }

  private:
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                     DWORD_PTR self);
    HWND button_ = nullptr;
    HICON icon_ = nullptr;
    bool hovered_ = false;
    int hoverOffset_ = 0;
    COLORREF hoverText_ = RGB(0, 0, 0);
    COLORREF text_ = RGB(0, 0, 0);
};

// A tooltip window for the controls of `dialog`.
HWND CreateTooltips(HWND dialog);

}  // namespace dialogs::win32
