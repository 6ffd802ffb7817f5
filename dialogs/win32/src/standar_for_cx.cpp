#include "standar_for_cx.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/registration_params.h"
#include "gbk_texts.h"
#include "generator/editor_flow.h"
#include "platform/gbk.h"
#include "stationdb/stationdb.h"
#include "win32_ids.h"
#include "win_text.h"

namespace dialogs::win32 {
namespace {

constexpr UINT_PTR kFirstLoadTimer = 1;
constexpr UINT kFirstLoadDelayMs = 500;
// Posted to itself: a box's choice is acted on once the box has settled.
constexpr UINT kStartProblems = WM_APP + 1;
constexpr UINT kCascade = WM_APP + 2;
constexpr UINT kModel = WM_APP + 3;
constexpr UINT kLeftBox = WM_APP + 4;

constexpr COLORREF kListBackground = RGB(240, 247, 233);
constexpr COLORREF kHoverText = RGB(200, 128, 0);
constexpr int kHoverOffset = 30;

}  // namespace

StandarForCX::StandarForCX(generator::EditorSession &session, const generator::EditorRect &rect,
                           Win32MessageSink &messages)
    : session_(session), rect_(rect), messages_(messages), conditions_(session) {}

StandarForCX::~StandarForCX() = default;

void StandarForCX::Run(HINSTANCE instance, HWND owner) {
    RunModal(instance, IDD_STANDARDS, owner);
    messages_.SetOwner(nullptr);
}

void StandarForCX::Initialise() {
    messages_.SetOwner(Window());
    layout_.Bind(Window());
    SetUpList();
    SetUpButtons();
    const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;
    if (width > 0 && height > 0) {
        ::MoveWindow(Window(), rect_.left, rect_.top, width, height, TRUE);  // WM_SIZE lays out
    } else {
        RECT frame{}, area{};
        ::GetWindowRect(Window(), &frame);
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        ::SetWindowPos(Window(), nullptr, (area.right - frame.right + frame.left) / 2,
                       (area.bottom - frame.bottom + frame.top) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
    }
    layout_.Layout();
    ::PostMessageW(Window(), kStartProblems, 0, 0);

    // Without the environment library the editor stays open and empty.
    if (!session_.LastOpen().plinthLoaded) {
        for (int id : {IDC_BRAND_BOX, IDC_SERIES_BOX, IDC_CONTENT_BOX, IDC_MASK_BUTTON,
                       IDC_DEFAULT_BUTTON, IDC_GENERATE_BUTTON, IDC_CLEAR_BUTTON})
            ::EnableWindow(Item(id), FALSE);
        return;
    }
    conditions_.Create(Instance(), Window());
    ::SetTimer(Window(), kFirstLoadTimer, kFirstLoadDelayMs, nullptr);
    ::EnableWindow(Item(IDC_DEFAULT_BUTTON), session_.FullModuleLoaded());
    char name[PLINTH_NAME_BYTES] = {};
    if (session_.Plinth().GetZK2IDInfo(engine::kParamBrand, name) > 0)
        SetWindowTextGbk(Item(IDC_BRAND_LABEL), name);
    if (session_.Plinth().GetZK2IDInfo(engine::kParamModel, name) > 0)
        SetWindowTextGbk(Item(IDC_SERIES_LABEL), name);
}

// Nine columns; the three index columns are hidden and address the
// parameter in the catalogue.
void StandarForCX::SetUpList() {
    list_.Attach(Item(IDC_LIMIT_LIST));
    RECT r{};
    ::GetClientRect(list_.Window(), &r);
    const int w = (r.right - r.left) / 6;
    const std::wstring a = std::to_wstring(w - 10), b = std::to_wstring(w + 40),
                       c = std::to_wstring(w - 30);
    list_.SetColumns(L"设备名称," + a + L";设备下标,0;检测项目," + b + L";项目下标,0;检测参数," +
                     b + L";参数下标,0;上限," + c + L";下限," + c + L";ID," + c + L";");
    list_.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    list_.SetColours(kDialogText, kListBackground);
}

void StandarForCX::SetUpButtons() {
    tooltips_ = CreateTooltips(Window());
    struct Button {
        IconButton *button;
        int id;
        int icon;
        const wchar_t *tip;
    };
    const Button buttons[] = {{&return_, IDC_RETURN_BUTTON, IDI_RETURN, L"返回"},
                              {&default_, IDC_DEFAULT_BUTTON, IDI_DEFAULT, L"生成缺省标准"},
                              {&generate_, IDC_GENERATE_BUTTON, IDI_GENERATE, L"生成标准"},
                              {&clear_, IDC_CLEAR_BUTTON, IDI_CLEAR, L"清除标准"}};
    for (const Button &b : buttons) {
        b.button->Attach(Window(), b.id, Instance(), b.icon, tooltips_, b.tip);
        b.button->SetTextColour(kDialogText);
        b.button->SetHoverColours(kHoverOffset, kHoverText);
    }
}

// What the start-up found, each in its own box; without the environment
// library only that.
void StandarForCX::ShowStartProblems() {
    const generator::OpenReport &report = session_.LastOpen();
    if (!report.plinthLoaded) {
        Box(Window(), texts::kPlinthLoadError, nullptr, generator::MessageIcon::kNone);
        return;
    }
    for (const std::string &problem : report.problems)
        Box(Window(), problem, texts::kPromptCaption, generator::MessageIcon::kExclamation);
}

void StandarForCX::FirstLoad() {
    ::KillTimer(Window(), kFirstLoadTimer);
    try {
        session_.LoadCatalogue();
    } catch (const stationdb::DatabaseError &error) {
        ShowError(texts::kReadParamsFailed, error);
    }
    FillList("");
    HWND content = Item(IDC_CONTENT_BOX);
    ::SendMessageW(content, CB_RESETCONTENT, 0, 0);
    ::SendMessageW(content, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"所有"));
    for (const generator::CatalogueDevice &device : session_.State().catalogue.devices)
        ::SendMessageW(content, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Wide(device.devname).c_str()));
    ::SendMessageW(content, CB_SETCURSEL, 0, 0);
    MoveControl::ResizeDropDown(content);
}

void StandarForCX::FillList(const std::string &filter) {
    if (session_.State().catalogue.devices.empty()) return;
    ShowRows(generator::ListRows(session_.State().catalogue, session_.State().mask, filter));
}

void StandarForCX::ShowRows(const std::vector<generator::ListRow> &rows) {
    list_.SetRedraw(false);
    list_.Clear();
    for (const generator::ListRow &row : rows)
        list_.Append({Wide(row.device), std::to_wstring(row.at.device), Wide(row.item),
                      std::to_wstring(row.at.item), Wide(row.param), std::to_wstring(row.at.param),
                      Wide(row.upper), Wide(row.lower), std::to_wstring(row.paramid)});
    list_.SetRedraw(true);
}

generator::ParamPosition StandarForCX::RowPosition(int row) const {
    return {_wtoi(list_.Cell(row, kDeviceIndexColumn).c_str()),
            _wtoi(list_.Cell(row, kItemIndexColumn).c_str()),
            _wtoi(list_.Cell(row, kParamIndexColumn).c_str())};
}

// Every row of the parameter at `at` (all its places) shows its limits.
void StandarForCX::RefreshLimits(const generator::ParamPosition &at) {
    const generator::Catalogue &catalogue = session_.State().catalogue;
    for (int row = 0; row < list_.Count(); ++row) {
        const generator::ParamPosition place = RowPosition(row);
        std::string upper, lower;
        if (!generator::SameParameter(catalogue, at, place) ||
            !generator::LimitTexts(catalogue, place, upper, lower))
            continue;
        list_.SetCell(row, kUpperColumn, Wide(upper));
        list_.SetCell(row, kLowerColumn, Wide(lower));
    }
}

std::string StandarForCX::BoxText(int id) const {
    return WindowTextGbk(Item(id));
}

// A database error's text is UTF-8; the box takes GBK.
void StandarForCX::ShowError(const char *what, const std::exception &error) {
    std::string gbk;
    if (!platform::Utf8ToGbk(error.what(), gbk)) gbk = error.what();
    Box(Window(), generator::ErrorReport(what, gbk.c_str()), texts::kPromptCaption,
        generator::MessageIcon::kExclamation);
}

INT_PTR StandarForCX::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            Initialise();
            return TRUE;
        case WM_TIMER:
            if (w != kFirstLoadTimer) return FALSE;
            FirstLoad();
            return TRUE;
        case WM_SIZE:
            layout_.Layout();
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            return ColourControl(message, w);
        case WM_DRAWITEM: {
            const auto *item = reinterpret_cast<const DRAWITEMSTRUCT *>(l);
            for (const IconButton *button : {&clear_, &default_, &generate_, &return_})
                if (button->Window() == item->hwndItem) button->Draw(*item);
            return TRUE;
        }
        case WM_COMMAND:
            return Command(LOWORD(w), HIWORD(w));
        case WM_NOTIFY:
            return Notify(*reinterpret_cast<const NMHDR *>(l), l);
        case WM_CLOSE:
            Return();
            return TRUE;
        case kStartProblems:
            ShowStartProblems();
            return TRUE;
        case kCascade:
            if (BoxText(IDC_BRAND_BOX) != loadedBrand_ ||
                ::SendMessageW(Item(IDC_SERIES_BOX), CB_GETCOUNT, 0, 0) <= 0)
                CascadeSeries();
            return TRUE;
        case kModel:
            if (BoxText(IDC_SERIES_BOX) != loadedSeries_ || BoxText(IDC_BRAND_BOX) != loadedBrand_)
                ModelChanged();
            return TRUE;
        case kLeftBox:
            LeftBox(static_cast<int>(w));
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR StandarForCX::Command(int id, int code) {
    const auto dropped = [this](int box) {
        return ::SendMessageW(Item(box), CB_GETDROPPEDSTATE, 0, 0) != 0;
    };
    switch (id) {
        case IDC_CONTENT_BOX:
            if (code == CBN_SELCHANGE) FillList(ContentFilter());
            return TRUE;
        case IDC_BRAND_BOX:
            if (code == CBN_EDITCHANGE && !typing_) BrandEdited();
            if (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !dropped(id)))
                ::PostMessageW(Window(), kCascade, 0, 0);
            if (code == CBN_KILLFOCUS) ::PostMessageW(Window(), kLeftBox, IDC_BRAND_BOX, 0);
            return TRUE;
        case IDC_SERIES_BOX:
            if (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !dropped(id)))
                ::PostMessageW(Window(), kModel, 0, 0);
            if (code == CBN_KILLFOCUS) ::PostMessageW(Window(), kLeftBox, IDC_SERIES_BOX, 0);
            return TRUE;
        case IDC_GENERATE_BUTTON:
            if (code == BN_CLICKED) Generate();
            return TRUE;
        case IDC_DEFAULT_BUTTON:
            if (code == BN_CLICKED) DefaultStandard();
            return TRUE;
        case IDC_CLEAR_BUTTON:
            if (code == BN_CLICKED) ClearStandards();
            return TRUE;
        case IDC_MASK_BUTTON:
            if (code == BN_CLICKED) ShowMask();
            return TRUE;
        case IDOK:  // Enter does nothing
            return TRUE;
        case IDCANCEL:  // "返回" and Escape
            Return();
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR StandarForCX::Notify(const NMHDR &header, LPARAM l) {
    if (header.idFrom != IDC_LIMIT_LIST) return FALSE;
    if (header.code == NM_CUSTOMDRAW) {
        SetResult(list_.CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW *>(l)));
        return TRUE;
    }
    if (header.code == NM_DBLCLK) {
        EditLimit();
        SetResult(0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace dialogs::win32
