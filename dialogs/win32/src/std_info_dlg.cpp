#include "std_info_dlg.h"

#include <string>
#include <vector>

#include "engine/registration_params.h"
#include "gbk_texts.h"
#include "generator/editor_flow.h"
#include "generator/editor_session.h"
#include "win32_ids.h"
#include "win_messages.h"
#include "win_text.h"

namespace dialogs::win32 {
namespace {

// The fields in the order of generator::kVehicleConditionIds.
constexpr int kFieldIds[] = {IDC_TOTAL_MASS_EDIT,  IDC_LOAD_RATIO_EDIT, IDC_SEATS_EDIT,
                             IDC_MAX_SPEED_EDIT,   IDC_CURB_MASS_EDIT,  IDC_DRIVE_TYPE_BOX,
                             IDC_VEHICLE_KIND_BOX, IDC_FUEL_BOX,        IDC_LAMP_SYSTEM_BOX,
                             IDC_CATALYST_BOX,     IDC_INTAKE_BOX};
static_assert(std::size(kFieldIds) == generator::kVehicleConditionIds.size());

// The coded boxes and their parameters, in the order they are filled.
struct NamedBox {
    int id;
    int param;
};
constexpr NamedBox kNamedBoxes[] = {{IDC_DRIVE_TYPE_BOX, engine::kParamDriveType},
                                    {IDC_VEHICLE_KIND_BOX, engine::kParamVehicleKind},
                                    {IDC_FUEL_BOX, engine::kParamFuel},
                                    {IDC_LAMP_SYSTEM_BOX, engine::kParamLampSystem},
                                    {IDC_CATALYST_BOX, engine::kParamCatalyst},
                                    {IDC_INTAKE_BOX, engine::kParamIntake}};

constexpr std::size_t kFieldChars = generator::kConditionTextChars - 1;

}  // namespace

bool StdInfoDlg::Create(HINSTANCE instance, HWND owner) {
    return CreateModeless(instance, IDD_CONDITIONS, owner) != nullptr;
}

void StdInfoDlg::Show() {
    if (Window() == nullptr) return;
    ::ShowWindow(Window(), SW_SHOW);
    ::SetForegroundWindow(Window());
}

void StdInfoDlg::Hide() {
    if (Window() != nullptr) ::ShowWindow(Window(), SW_HIDE);
    shown_ = false;
}

generator::VehicleConditions StdInfoDlg::Conditions() const {
    generator::VehicleConditions conditions;
    for (std::size_t n = 0; n < conditions.size(); ++n)
        ToGbk(WindowText(Item(kFieldIds[n])).substr(0, kFieldChars), conditions[n]);
    return conditions;
}

void StdInfoDlg::Initialise() {
    layout_.Bind(Window());
    for (const NamedBox &box : kNamedBoxes) {
        HWND combo = Item(box.id);
        ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const std::string &name : generator::ConditionNames(session_.Plinth(), box.param))
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    }
    Centre();
    layout_.Layout();
}

void StdInfoDlg::Centre() {
    RECT frame{}, area{};
    ::GetWindowRect(Window(), &frame);
    HWND owner = ::GetWindow(Window(), GW_OWNER);
    if (owner != nullptr)
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::SetWindowPos(Window(), nullptr, (area.left + area.right - width) / 2,
                   (area.top + area.bottom - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Diesel engines take an intake type; the others a three-way catalyst.
void StdInfoDlg::FuelChanged() {
    HWND fuel = Item(IDC_FUEL_BOX);
    const auto index = ::SendMessageW(fuel, CB_GETCURSEL, 0, 0);
    if (index < 0) return;
    const auto length = ::SendMessageW(fuel, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring name(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    ::SendMessageW(fuel, CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(name.data()));
    name.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    std::string gbk;
    const bool diesel = ToGbk(name, gbk) && generator::IsDieselFuel(session_.Plinth(), gbk);
    ::EnableWindow(Item(IDC_INTAKE_BOX), diesel);
    ::EnableWindow(Item(IDC_CATALYST_BOX), !diesel);
}

// The vehicle's numbers are checked (a number typed in full-width characters
// is put back in ASCII); then the module computes and the dialog hides.
void StdInfoDlg::Generate() {
    generator::VehicleConditions conditions = Conditions();
    const generator::ConditionsCheck check = generator::CheckConditionNumbers(conditions);
    for (std::size_t n = 0; n < 5; ++n)
        if (WindowTextGbk(Item(kFieldIds[n])) != conditions[n])
            SetWindowTextGbk(Item(kFieldIds[n]), conditions[n]);
    if (!check) {
        HWND field = Item(kFieldIds[check.field]);
        Box(Window(), check.problem, texts::kPromptCaption, generator::MessageIcon::kExclamation);
        ::SetFocus(field);
        ::SendMessageW(field, EM_SETSEL, 0, -1);
        return;
    }
    SetWindowTextGbk(Item(IDC_STATUS_LABEL), texts::kGeneratingStandard);
    ::UpdateWindow(Item(IDC_STATUS_LABEL));
    if (session_.ComputeDefault(conditions) != generator::DefaultStandardResult::kComputed) return;
    Hide();
    SetWindowTextGbk(Item(IDC_STATUS_LABEL), texts::kGeneratedStandard);
}

INT_PTR StdInfoDlg::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            Initialise();
            return FALSE;  // created hidden: no focus to give
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            return ColourControl(message, w);
        case WM_SHOWWINDOW:
            // Shown or hidden by a call, not by the owner's minimising.
            if (l == 0) {
                shown_ = w != FALSE;
                if (shown_) ::SetWindowTextW(Item(IDC_STATUS_LABEL), L"-");
            }
            return FALSE;
        case WM_CLOSE:
            Hide();
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case IDOK:
                    Generate();
                    return TRUE;
                case IDCANCEL:
                    Hide();
                    return TRUE;
                case IDC_FUEL_BOX:
                    if (HIWORD(w) == CBN_SELCHANGE) FuelChanged();
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace dialogs::win32
