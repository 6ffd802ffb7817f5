#include "move_control.h"

#include <algorithm>
#include <string>

#include "win_text.h"

namespace dialogs::win32 {
namespace {

int Width(const RECT &r) {
    return r.right - r.left;
}
int Height(const RECT &r) {
    return r.bottom - r.top;
}

// The height of "FON" in the control's font, on its own device context.
int TextHeight(HWND child, HFONT font) {
    HDC dc = ::GetDC(child);
    if (dc == nullptr) return 0;
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, L"FON", 3, &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(child, dc);
    return size.cy;
}

}  // namespace

int ControlKind(HWND child) {
    wchar_t name[64] = {};
    if (::GetClassNameW(child, name, 64) <= 0) return 1000;
    static constexpr const wchar_t *kKinds[] = {L"Static",   L"Edit",          L"Button",
                                                L"ComboBox", L"SysListView32", L"SysIPAddress32"};
    for (int kind = 0; kind < 6; ++kind)
        if (::lstrcmpiW(name, kKinds[kind]) == 0) return kind;
    return 1000;
}

MoveControl::MoveControl() : setting_(generator::ReadDialogFont()) {}

MoveControl::~MoveControl() {
    if (font_ != nullptr) ::DeleteObject(font_);
}

HFONT MoveControl::Font() {
    if (font_ != nullptr) return font_;
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    LOGFONTW font{};
    // Tenths of a point; 0 or less leaves the size to the font mapper.
    font.lfHeight = setting_.tenthsOfPoint > 0 ? -::MulDiv(setting_.tenthsOfPoint, dpi, 720) : 0;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = Wide(setting_.faceGbk);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    font_ = ::CreateFontIndirectW(&font);
    return font_;
}

void MoveControl::Bind(HWND parent) {
    left_.fill(0.0f);
    right_.fill(0.0f);
    top_.fill(0.0f);
    bottom_.fill(0.0f);
    bound_ = true;
    laidOut_ = false;
    parent_ = parent;
    base_ = {};
    if (parent != nullptr) ::GetClientRect(parent, &base_);
}

void MoveControl::Layout() {
    if (!bound_ || parent_ == nullptr || !::IsWindow(parent_)) return;
    RECT now{};
    ::GetClientRect(parent_, &now);
    const int oldW = Width(base_), oldH = Height(base_), newW = Width(now), newH = Height(now);
    // A minimised or not yet sized dialog: nothing to scale from or to.
    if (oldW <= 0 || oldH <= 0 || newW <= 0 || newH <= 0) return;
    const float sx = static_cast<float>(newW) / static_cast<float>(oldW);
    const float sy = static_cast<float>(newH) / static_cast<float>(oldH);
    HFONT font = Font();

    std::size_t n = 0;  // visible children so far: the index of their carries
    for (HWND child = ::GetWindow(parent_, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        // Visible in the dialog (a dialog laid out while hidden counts its
        // shown controls).
        if ((::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0) continue;
        const bool carries = n < left_.size();
        auto carry = [&](Carries &edges) -> float * { return carries ? &edges[n] : nullptr; };
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT *>(&r), 2);
        const int h = Height(r);
        const int kind = ControlKind(child);

        const int top = generator::ScaleEdge(r.top, sy, carry(top_));
        const int left = generator::ScaleEdge(r.left, sx, carry(left_));
        const int right = generator::ScaleEdge(r.right, sx, carry(right_));
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

        int bottom;
        if (kind <= 2 && h < generator::kShortControlHeight) {
            bottom = top + h;
            const int textHeight = TextHeight(child, font);
            const bool empty = r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
            if (!empty && h < textHeight) bottom = top + textHeight + 2;
        } else {
            bottom = generator::ScaleEdge(r.bottom, sy, carry(bottom_));
        }
        if (kind == 3) bottom += SizeDropDown(child);
        ::MoveWindow(child, left, top, right - left, bottom - top, FALSE);
        ++n;
    }
    ::InvalidateRect(parent_, nullptr, TRUE);
    ::GetClientRect(parent_, &base_);
    laidOut_ = true;
}

int MoveControl::SizeDropDown(HWND box) {
    if (box == nullptr) return 0;
    HDC dc = ::GetDC(box);
    if (dc == nullptr) return 0;
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    int widest = 0, extra = 0;
    for (int i = 0; i < count; ++i) {
        const auto length = ::SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        ::SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(text.data()));
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(length), &size);
        widest = std::max(widest, static_cast<int>(size.cx + metrics.tmAveCharWidth));
        if (i < generator::kDropDownRows) extra += static_cast<int>(metrics.tmHeight) + 5;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(box, dc);
    const int width = widest + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE);
    ::SendMessageW(box, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
    return extra;
}

void MoveControl::ResizeDropDown(HWND box) {
    HWND parent = ::GetParent(box);
    if (box == nullptr || parent == nullptr) return;
    RECT r{};
    ::GetWindowRect(box, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    const int extra = SizeDropDown(box);
    ::MoveWindow(box, r.left, r.top, Width(r), Height(r) + extra, TRUE);
}

}  // namespace dialogs::win32
