#include "val_set.h"

#include <algorithm>

#include "generator/editor_flow.h"
#include "win32_ids.h"
#include "win_messages.h"
#include "win_text.h"

namespace dialogs::win32 {

void ValSet::SetTexts(const std::wstring &upper, const std::wstring &lower) {
    upper_ = upper.substr(0, kMaxChars);
    lower_ = lower.substr(0, kMaxChars);
}

bool ValSet::Run(HINSTANCE instance, HWND owner) {
    return RunModal(instance, IDD_LIMIT, owner) == IDOK;
}

void ValSet::Initialise() {
    for (int id : {IDC_UPPER_EDIT, IDC_LOWER_EDIT})
        ::SendMessageW(Item(id), EM_LIMITTEXT, kMaxChars, 0);
    ::SetWindowTextW(Item(IDC_UPPER_EDIT), upper_.c_str());
    ::SetWindowTextW(Item(IDC_LOWER_EDIT), lower_.c_str());
    if (!parameter_.empty())
        ::SetWindowTextW(Window(), (WindowText(Window()) + L" - " + parameter_).c_str());
    if (anchored_) PlaceBesideRow();
}

// Below the row when the screen has room there, else above it: the row
// being edited stays in sight.
void ValSet::PlaceBesideRow() {
    RECT frame{};
    ::GetWindowRect(Window(), &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromRect(&anchor_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT room = monitor.rcWork;
    constexpr int kGap = 4;
    int x = (anchor_.left + anchor_.right) / 2 - width / 2;
    x = std::clamp(x, static_cast<int>(room.left),
                   std::max(static_cast<int>(room.left), static_cast<int>(room.right) - width));
    int y = anchor_.bottom + kGap;
    if (y + height > room.bottom && anchor_.top - kGap - height >= room.top)
        y = anchor_.top - kGap - height;
    ::SetWindowPos(Window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ValSet::ReadField(int id, generator::LimitField field, generator::LimitInput &limit) {
    const std::wstring text = WindowText(Item(id)).substr(0, kMaxChars);
    std::string gbk;
    if (ToGbk(text, gbk)) {
        limit = generator::ParseLimitInput(gbk);
    } else {
        limit = {};
        limit.error = generator::LimitInputError::kNotANumber;
    }
    if (limit) return true;
    Box(Window(), generator::LimitProblem(field, WindowTextGbk(Item(id)), limit.error), nullptr,
        generator::MessageIcon::kExclamation);
    ::SetFocus(Item(id));
    ::SendMessageW(Item(id), EM_SETSEL, 0, -1);
    return false;
}

INT_PTR ValSet::Handle(UINT message, WPARAM w, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            Initialise();
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return ColourControl(message, w);
        case WM_COMMAND:
            if (LOWORD(w) == IDOK) {
                if (!ReadField(IDC_UPPER_EDIT, generator::LimitField::kUpper, upperLimit_) ||
                    !ReadField(IDC_LOWER_EDIT, generator::LimitField::kLower, lowerLimit_))
                    return TRUE;
                upper_ = WindowText(Item(IDC_UPPER_EDIT)).substr(0, kMaxChars);
                lower_ = WindowText(Item(IDC_LOWER_EDIT)).substr(0, kMaxChars);
                ::EndDialog(Window(), IDOK);
                return TRUE;
            }
            if (LOWORD(w) == IDCANCEL) {
                ::EndDialog(Window(), IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace dialogs::win32
