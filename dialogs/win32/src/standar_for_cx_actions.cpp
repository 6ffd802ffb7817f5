// The main standards dialog's actions: the series boxes, the limit edit,
// "生成", "缺省标准", "清除标准", the mask dialog and "返回".
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "gbk_texts.h"
#include "generator/editor_flow.h"
#include "mask_dlg.h"
#include "standar_for_cx.h"
#include "stationdb/stationdb.h"
#include "win32_ids.h"
#include "win_text.h"

namespace dialogs::win32 {

std::string StandarForCX::ContentFilter() const {
    return BoxText(IDC_CONTENT_BOX);
}

// Type-ahead: the brands whose letter code starts with the typed text.
void StandarForCX::BrandEdited() {
    HWND brand = Item(IDC_BRAND_BOX);
    const std::wstring text = WindowText(brand);
    typing_ = true;
    if (!text.empty()) {
        std::string prefix;
        generator::BrandQuery found;
        if (ToGbk(text, prefix)) found = session_.Brands(prefix);
        ::SendMessageW(brand, CB_RESETCONTENT, 0, 0);
        for (const std::string &name : found.brands)
            ::SendMessageW(brand, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
        if (found.result == 1) {
            MoveControl::ResizeDropDown(brand);
            ::SendMessageW(brand, CB_SHOWDROPDOWN, TRUE, 0);
            ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        } else {
            ::SendMessageW(brand, CB_SHOWDROPDOWN, FALSE, 0);
        }
    }
    ::SetWindowTextW(brand, text.c_str());
    const auto end = static_cast<WORD>(text.size());
    ::SendMessageW(brand, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
    typing_ = false;
    MoveControl::ResizeDropDown(Item(IDC_SERIES_BOX));
}

void StandarForCX::FillSeries(const std::string &brand) {
    HWND series = Item(IDC_SERIES_BOX);
    ::SendMessageW(series, CB_RESETCONTENT, 0, 0);
    for (const std::string &name : session_.Series(brand))
        ::SendMessageW(series, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
}

bool StandarForCX::MayDiscardEdits() {
    if (!session_.Dirty()) return true;
    if (Box(Window(), texts::kDiscardEdits, texts::kPromptCaption,
            generator::MessageIcon::kQuestion, MB_YESNO | MB_DEFBUTTON2) == IDYES)
        return true;
    // The boxes show the series whose edits the list keeps.
    SetWindowTextGbk(Item(IDC_BRAND_BOX), loadedBrand_);
    FillSeries(loadedBrand_);
    ::SendMessageW(Item(IDC_SERIES_BOX), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(Wide(loadedSeries_).c_str()));
    return false;
}

// The series of the brand shown, the first one chosen.
void StandarForCX::CascadeSeries() {
    if (!MayDiscardEdits()) return;
    FillSeries(BoxText(IDC_BRAND_BOX));
    HWND series = Item(IDC_SERIES_BOX);
    if (::SendMessageW(series, CB_GETCOUNT, 0, 0) > 0) ::SendMessageW(series, CB_SETCURSEL, 0, 0);
    MoveControl::ResizeDropDown(Item(IDC_BRAND_BOX));
    MoveControl::ResizeDropDown(series);
    LoadShownSeries();
}

// The stored limits of the series chosen replace those in the list.
void StandarForCX::ModelChanged() {
    if (MayDiscardEdits()) LoadShownSeries();
}

// Leaving a box for another control of the dialog reloads when its text
// differs from what the list holds; focus taken by a message box or another
// program is not leaving it.
void StandarForCX::LeftBox(int id) {
    HWND focus = ::GetFocus();
    HWND box = Item(id);
    if (focus == nullptr || !::IsChild(Window(), focus) || focus == box || ::IsChild(box, focus))
        return;
    const bool brandChanged = BoxText(IDC_BRAND_BOX) != loadedBrand_;
    if (id == IDC_BRAND_BOX && brandChanged) CascadeSeries();
    if (id == IDC_SERIES_BOX && (brandChanged || BoxText(IDC_SERIES_BOX) != loadedSeries_))
        ModelChanged();
}

void StandarForCX::LoadShownSeries() {
    LoadSeries(BoxText(IDC_BRAND_BOX), BoxText(IDC_SERIES_BOX));
}

void StandarForCX::LoadSeries(const std::string &brand, const std::string &series) {
    try {
        session_.LoadSeries(brand, series);
    } catch (const stationdb::DatabaseError &error) {
        ShowError(texts::kReadSeriesFailed, error);
    }
    loadedBrand_ = brand;
    loadedSeries_ = series;
    FillList(ContentFilter());
}

// The limits of one row, checked by the limit dialog; stored in the
// catalogue at every place of the parameter, written by "生成".
void StandarForCX::EditLimit() {
    if (list_.Count() == 0) return;
    const int row = list_.SelectionMark();
    if (row < 0) return;
    limitEdit_.SetTexts(list_.Cell(row, kUpperColumn), list_.Cell(row, kLowerColumn));
    limitEdit_.SetParameter(list_.Cell(row, kParamNameColumn) + L" (" + list_.Cell(row, kIdColumn) +
                            L")");
    RECT cell{};
    cell.left = LVIR_BOUNDS;
    if (::SendMessageW(list_.Window(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&cell)) != 0) {
        ::MapWindowPoints(list_.Window(), nullptr, reinterpret_cast<POINT *>(&cell), 2);
        limitEdit_.SetAnchor(cell);
    }
    if (!limitEdit_.Run(Instance(), Window())) return;
    const generator::ParamPosition at = RowPosition(row);
    if (session_.SetLimits(at, limitEdit_.UpperLimit().value, limitEdit_.LowerLimit().value) == 0)
        return;
    RefreshLimits(at);
    std::string upper, lower;
    ToGbk(limitEdit_.Upper(), upper);
    ToGbk(limitEdit_.Lower(), lower);
    const std::string note =
        generator::RoundingNote(upper, limitEdit_.UpperLimit(), lower, limitEdit_.LowerLimit());
    if (!note.empty())
        Box(Window(), note, texts::kPromptCaption, generator::MessageIcon::kInformation);
}

void StandarForCX::Generate() {
    const std::string brand = BoxText(IDC_BRAND_BOX), series = BoxText(IDC_SERIES_BOX);
    switch (generator::NextGenerateStep(brand, series, loadedBrand_, loadedSeries_)) {
        case generator::GenerateStep::kNoBrand:
            Box(Window(), texts::kNoBrandName, texts::kPromptCaption,
                generator::MessageIcon::kExclamation);
            ::SetFocus(Item(IDC_BRAND_BOX));
            return;
        case generator::GenerateStep::kNoSeries:
            Box(Window(), texts::kNoSeriesName, texts::kPromptCaption,
                generator::MessageIcon::kExclamation);
            ::SetFocus(Item(IDC_SERIES_BOX));
            return;
        // The list holds the limits of the series last loaded: a brand or
        // series typed or chosen since is loaded first (asking about pending
        // edits), so that what is stored is what the operator saw.
        case generator::GenerateStep::kLoadBrand:
            CascadeSeries();
            return;
        case generator::GenerateStep::kLoadSeries:
            ModelChanged();
            return;
        case generator::GenerateStep::kGenerate:
            WriteSeries(brand, series);
            return;
    }
}

void StandarForCX::WriteSeries(const std::string &brand, const std::string &series) {
    HWND button = generate_.Window();
    ::EnableWindow(button, FALSE);
    SetWindowTextGbk(button, texts::kPleaseWait);
    ::UpdateWindow(button);
    HCURSOR before = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    std::optional<generator::GenerationResult> written;
    try {
        written = session_.Generate(brand, series);
    } catch (const stationdb::DatabaseError &error) {
        ShowError(texts::kGenerateFailed, error);
    } catch (const std::invalid_argument &refused) {
        // The generation refused to write; its text (GBK) says why.
        Box(Window(), refused.what(), texts::kPromptCaption, generator::MessageIcon::kExclamation);
    }
    ::SetCursor(before);
    SetWindowTextGbk(button, texts::kGenerateCaption);
    ::EnableWindow(button, TRUE);
    if (written && written->ran)
        Box(Window(),
            generator::GenerationReport(generator::SeriesCondition(brand, series), *written),
            texts::kPromptCaption, generator::MessageIcon::kInformation);
}

// Shows the conditions dialog and waits, with the other controls usable,
// until it is hidden; then its standard goes into the list.
void StandarForCX::DefaultStandard() {
    conditions_.Show();
    if (waiting_) return;  // the running wait applies it
    waiting_ = true;
    while (conditions_.Shown()) {
        MSG message;
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::WaitMessage();
            continue;
        }
        if (message.message == WM_QUIT) {  // the host is ending: pass it on
            ::PostQuitMessage(static_cast<int>(message.wParam));
            conditions_.Hide();
            break;
        }
        if (::IsDialogMessageW(conditions_.Window(), &message) ||
            ::IsDialogMessageW(Window(), &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    waiting_ = false;
    if (closeQueued_) {
        closeQueued_ = false;
        Close();
        return;
    }
    const generator::AppliedDefault applied = session_.ApplyDefault();
    if (!applied.applied) return;
    if (applied.rows.empty()) {
        // An empty list would hide the limits "生成" stores: keep it as it was.
        Box(Window(), texts::kDefaultGaveNothing, texts::kPromptCaption,
            generator::MessageIcon::kExclamation);
        return;
    }
    ShowRows(generator::DefaultRows(session_.State().catalogue, applied.rows));
}

void StandarForCX::ClearStandards() {
    stationdb::Connection *connection = session_.Connection();
    if (connection == nullptr || !connection->IsOpen()) return;
    generator::StandardCounts counts;
    try {
        counts = session_.CountStandards();
    } catch (const stationdb::DatabaseError &error) {
        ShowError(texts::kReadStandardsFailed, error);
        return;
    }
    // Cancel is the default: Enter must not delete the table.
    if (Box(Window(), generator::ClearQuestion(counts), texts::kConfirmCaption,
            generator::MessageIcon::kNone, MB_OKCANCEL | MB_DEFBUTTON2) != IDOK)
        return;
    HWND button = clear_.Window();
    ::EnableWindow(button, FALSE);
    SetWindowTextGbk(button, texts::kClearStandardsBusy);
    ::UpdateWindow(button);
    bool cleared = false;
    try {
        session_.ClearStandards();
        cleared = true;
    } catch (const stationdb::DatabaseError &error) {
        ShowError(texts::kClearStandardsFailed, error);
    }
    SetWindowTextGbk(button, texts::kClearStandardsButton);
    ::EnableWindow(button, TRUE);
    if (!cleared) return;
    // The list shows what a generation would store: the stored limits (now
    // none) unless it holds edits not yet generated.
    if (session_.Dirty())
        FillList(ContentFilter());
    else
        LoadSeries(loadedBrand_, loadedSeries_);
    Box(Window(), texts::kClearStandardsDone, texts::kPromptCaption, generator::MessageIcon::kNone);
}

void StandarForCX::ShowMask() {
    MaskDlg mask(session_);
    mask.Run(Instance(), Window());
    FillList(ContentFilter());  // the mask as it is now
}

// Escape is one key away from the list: edits not yet generated are not
// dropped without a word. While "缺省标准" waits, closing would pull the
// dialogs from under the wait: the conditions dialog is only hidden and the
// wait closes after.
void StandarForCX::Return() {
    if (closed_ || !MayDiscardEdits()) return;
    if (waiting_) {
        closeQueued_ = true;
        conditions_.Hide();
        return;
    }
    Close();
}

void StandarForCX::Close() {
    closed_ = true;
    if (conditions_.Window() != nullptr) ::DestroyWindow(conditions_.Window());
    list_.Clear();
    ::EndDialog(Window(), IDCANCEL);
}

}  // namespace dialogs::win32
