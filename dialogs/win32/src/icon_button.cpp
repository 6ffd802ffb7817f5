#include "icon_button.h"

#include <commctrl.h>

#include <algorithm>

#include "win_text.h"

namespace dialogs::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;

COLORREF Lighter(COLORREF colour, int offset) {
    const auto add = [offset](int channel) { return std::clamp(channel + offset, 0, 255); };
    return RGB(add(GetRValue(colour)), add(GetGValue(colour)), add(GetBValue(colour)));
}

}  // namespace

HWND CreateTooltips(HWND dialog) {
    HWND tips =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, nullptr, nullptr);
    return tips;
}

IconButton::~IconButton() {
    if (button_ != nullptr && ::IsWindow(button_))
        ::RemoveWindowSubclass(button_, &IconButton::Subclass, kSubclassId);
}

void IconButton::Attach(HWND dialog, int id, HINSTANCE instance, int icon, HWND tooltips,
                        const std::wstring &tip) {
    button_ = ::GetDlgItem(dialog, id);
    if (button_ == nullptr) return;
    // A shared icon of the module's resources: not destroyed by us.
    icon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, 0, 0,
                                            LR_DEFAULTSIZE | LR_SHARED));
    ::SetWindowSubclass(button_, &IconButton::Subclass, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    if (tooltips != nullptr) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = dialog;
        info.uId = reinterpret_cast<UINT_PTR>(button_);
        std::wstring text = tip;
        info.lpszText = text.data();
        ::SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

LRESULT CALLBACK IconButton::Subclass(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                      DWORD_PTR self) {
    auto *button = reinterpret_cast<IconButton *>(self);
    switch (message) {
        case WM_MOUSEMOVE:
            if (!button->hovered_) {
                button->hovered_ = true;
                TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
                ::TrackMouseEvent(&track);
                ::InvalidateRect(window, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            button->hovered_ = false;
            ::InvalidateRect(window, nullptr, FALSE);
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, &IconButton::Subclass, kSubclassId);
            button->button_ = nullptr;
            break;
        default:
            break;
    }
    return ::DefSubclassProc(window, message, w, l);
}

void IconButton::Draw(const DRAWITEMSTRUCT &item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    HBRUSH brush = ::CreateSolidBrush(hovered_ && !disabled ? Lighter(face, hoverOffset_) : face);
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
    ::DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = pressed ? 1 : 0;

    // The icon square on the left, as tall as the button allows.
    const int height = r.bottom - r.top;
    const int side = std::max(0, std::min(32, height - 6));
    const int iconLeft = r.left + 4 + shift, iconTop = r.top + (height - side) / 2 + shift;
    if (icon_ != nullptr && side > 0)
        ::DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon_), 0, iconLeft, iconTop,
                    side, side, DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));

    RECT text = r;
    text.left = iconLeft + side + 2;
    ::OffsetRect(&text, 0, shift);
    const std::wstring caption = WindowText(item.hwndItem);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, disabled ? ::GetSysColor(COLOR_GRAYTEXT) : hovered_ ? hoverText_ : text_);
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = r;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
    }
}

}  // namespace dialogs::win32
