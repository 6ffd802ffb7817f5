#include "mask_dlg.h"

#include <commctrl.h>

#include <string>

#include "generator/editor_flow.h"
#include "generator/editor_session.h"
#include "win32_ids.h"
#include "win_text.h"

namespace dialogs::win32 {
namespace {

constexpr UINT_PTR kFillTimer = 1;
constexpr UINT kFillDelayMs = 200;
constexpr int kIdColumn = 3;

}  // namespace

void MaskDlg::Run(HINSTANCE instance, HWND owner) {
    RunModal(instance, IDD_MASK, owner);
}

void MaskDlg::Initialise() {
    list_.Attach(Item(IDC_PARAM_LIST));
    list_.SetColumns(L"序号,100;设备名称,100;参数名称,160;参数ID,160;");
    list_.AddExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    layout_.Bind(Window());
    ::SetTimer(Window(), kFillTimer, kFillDelayMs, nullptr);
    layout_.Layout();
}

void MaskDlg::FillList() {
    const generator::Catalogue &catalogue = session_.State().catalogue;
    if (catalogue.devices.empty()) return;
    syncing_ = true;  // rows come in whole, with their marks
    list_.SetRedraw(false);
    list_.Clear();
    int row = 0;
    for (const generator::MaskRow &entry : generator::MaskRows(catalogue)) {
        list_.Append({std::to_wstring(row++), Wide(entry.item), Wide(entry.param),
                      std::to_wstring(entry.paramid)});
    }
    const generator::MaskTable &mask = session_.State().mask;
    if (mask.Count() > 0)
        for (int n = 0; n < list_.Count(); ++n)
            list_.SetChecked(n, mask.IsMasked(_wtoi(list_.Cell(n, kIdColumn).c_str())));
    list_.SetRedraw(true);
    syncing_ = false;
}

void MaskDlg::CheckChanged(int changed) {
    if (syncing_ || changed < 0) return;
    const std::wstring id = list_.Cell(changed, kIdColumn);
    const bool checked = list_.Checked(changed);
    syncing_ = true;
    for (int n = 0; n < list_.Count(); ++n)
        if (n != changed && list_.Cell(n, kIdColumn) == id && list_.Checked(n) != checked)
            list_.SetChecked(n, checked);
    syncing_ = false;
}

std::vector<generator::MaskChoice> MaskDlg::Choices() const {
    std::vector<generator::MaskChoice> rows;
    rows.reserve(static_cast<std::size_t>(list_.Count()));
    for (int n = 0; n < list_.Count(); ++n)
        rows.push_back({_wtoi(list_.Cell(n, kIdColumn).c_str()), list_.Checked(n)});
    return generator::UniqueChoices(rows);
}

// Every parameter masked, in list order.
void MaskDlg::SelectAll() {
    ::EnableWindow(Item(IDC_SELECT_ALL_BUTTON), FALSE);
    std::vector<int32_t> ordered;
    for (const generator::MaskChoice &choice : Choices()) ordered.push_back(choice.paramid);
    session_.ReplaceMask(ordered);
    FillList();
    ::EnableWindow(Item(IDC_SELECT_ALL_BUTTON), TRUE);
}

// The unchecked parameters become the mask; the checked ones are unmasked.
void MaskDlg::Invert() {
    ::EnableWindow(Item(IDC_INVERT_BUTTON), FALSE);
    std::vector<int32_t> unchecked;
    for (const generator::MaskChoice &choice : Choices())
        if (!choice.masked) unchecked.push_back(choice.paramid);
    session_.ReplaceMask(unchecked);
    FillList();
    ::EnableWindow(Item(IDC_INVERT_BUTTON), TRUE);
}

INT_PTR MaskDlg::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            Initialise();
            return TRUE;
        case WM_TIMER:
            if (w != kFillTimer) return FALSE;
            ::KillTimer(Window(), kFillTimer);
            FillList();
            return TRUE;
        case WM_SIZE:
            layout_.Layout();
            return TRUE;
        case WM_NOTIFY: {
            const auto *header = reinterpret_cast<const NMHDR *>(l);
            if (header->idFrom != IDC_PARAM_LIST || header->code != LVN_ITEMCHANGED) return FALSE;
            const auto *change = reinterpret_cast<const NMLISTVIEW *>(l);
            if ((change->uChanged & LVIF_STATE) != 0 &&
                ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) != 0)
                CheckChanged(change->iItem);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case IDC_SELECT_ALL_BUTTON:
                    SelectAll();
                    return TRUE;
                case IDC_INVERT_BUTTON:
                    Invert();
                    return TRUE;
                case IDOK:
                    session_.ChangeMask(Choices());
                    ::EndDialog(Window(), IDOK);
                    return TRUE;
                case IDCANCEL:
                    ::EndDialog(Window(), IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace dialogs::win32
