#include "report_list.h"

#include <commctrl.h>

namespace dialogs::win32 {

void ReportList::SetColumns(const std::wstring &layout) {
    int column = 0;
    std::size_t start = 0;
    while (start < layout.size()) {
        std::size_t end = layout.find(L';', start);
        if (end == std::wstring::npos) end = layout.size();
        const std::wstring entry = layout.substr(start, end - start);
        start = end + 1;
        const std::size_t comma = entry.rfind(L',');
        if (comma == std::wstring::npos) continue;
        std::wstring name = entry.substr(0, comma);
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        info.fmt = LVCFMT_LEFT;
        info.cx = _wtoi(entry.c_str() + comma + 1);
        info.pszText = name.data();
        info.iSubItem = column;
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                       reinterpret_cast<LPARAM>(&info));
        ++column;
    }
}

void ReportList::AddExtendedStyle(DWORD style) {
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
}

void ReportList::SetColours(COLORREF text, COLORREF background) {
    coloured_ = true;
    text_ = text;
    background_ = background;
    ::SendMessageW(list_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
    ::SendMessageW(list_, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
    ::SendMessageW(list_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(background));
}

int ReportList::Append(const std::vector<std::wstring> &cells) {
    if (cells.empty()) return -1;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = Count();
    std::wstring first = cells[0];
    item.pszText = first.data();
    const int row = static_cast<int>(
        ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return row;
    for (std::size_t column = 1; column < cells.size(); ++column)
        SetCell(row, static_cast<int>(column), cells[column]);
    return row;
}

void ReportList::Clear() {
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
}

int ReportList::Count() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ReportList::Cell(int row, int column) const {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    const auto n = ::SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                  reinterpret_cast<LPARAM>(&item));
    return std::wstring(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

void ReportList::SetCell(int row, int column, const std::wstring &text) {
    std::wstring copy = text;
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = copy.data();
    ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
}

bool ReportList::Checked(int row) const {
    const auto state =
        ::SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void ReportList::SetChecked(int row, bool checked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
}

int ReportList::SelectionMark() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETSELECTIONMARK, 0, 0));
}

void ReportList::SetRedraw(bool on) {
    ::SendMessageW(list_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) ::InvalidateRect(list_, nullptr, TRUE);
}

// Rows not selected in the list's colours; the selection as the system
// draws it.
LRESULT ReportList::CustomDraw(NMLVCUSTOMDRAW &draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return coloured_ ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
        case CDDS_ITEMPREPAINT:
            draw.clrText = text_;
            draw.clrTextBk = background_;
            return CDRF_NEWFONT;
        default:
            return CDRF_DODEFAULT;
    }
}

}  // namespace dialogs::win32
