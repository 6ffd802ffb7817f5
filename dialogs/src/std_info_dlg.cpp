#include "dialogs/std_info_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <iterator>
#include <string>
#include <vector>

#include "dialog_units.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "dialogs/val_set.h"
#include "engine/registration_params.h"
#include "gbk_texts.h"
#include "generator/editor_flow.h"

namespace dialogs {
namespace {

namespace ids = conditions_ids;

constexpr qsizetype kFieldChars = generator::kConditionTextChars - 1;

// One labelled field (its label is generator::ConditionLabel): the names of
// field and label, the field's resource number and its place in dialog units.
struct FieldPlace {
    const char16_t *fieldName;
    const char16_t *labelName;
    int id;
    bool combo;
    int x;  // left edge of the label
    int y;
};

constexpr int kLeft = 10, kRight = 158, kLabelWidth = 44, kFieldWidth = 86;
// Listed in the order of generator::kVehicleConditionIds.
constexpr FieldPlace kPlaces[] = {
    {u"totalMassEdit", u"totalMassLabel", ids::kTotalMassEdit, false, kLeft, 10},
    {u"loadRatioEdit", u"loadRatioLabel", ids::kLoadRatioEdit, false, kLeft, 64},
    {u"seatsEdit", u"seatsLabel", ids::kSeatsEdit, false, kLeft, 28},
    {u"maxSpeedEdit", u"maxSpeedLabel", ids::kMaxSpeedEdit, false, kLeft, 82},
    {u"curbMassEdit", u"curbMassLabel", ids::kCurbMassEdit, false, kLeft, 46},
    {u"driveTypeBox", u"driveTypeLabel", ids::kDriveTypeBox, true, kRight, 10},
    {u"vehicleKindBox", u"vehicleKindLabel", ids::kVehicleKindBox, true, kRight, 28},
    {u"fuelBox", u"fuelLabel", ids::kFuelBox, true, kRight, 78},
    {u"lampSystemBox", u"lampSystemLabel", ids::kLampSystemBox, true, kRight, 46},
    {u"catalystBox", u"catalystLabel", ids::kCatalystBox, true, kRight, 114},
    {u"intakeBox", u"intakeLabel", ids::kIntakeBox, true, kRight, 96},
};
static_assert(std::size(kPlaces) == generator::kVehicleConditionIds.size());

// The vehicle's numbers are the first five fields.
constexpr std::size_t kNumberFields = 5;

QString FieldText(const QWidget *field) {
    if (const auto *edit = qobject_cast<const QLineEdit *>(field)) return edit->text();
    if (const auto *box = qobject_cast<const QComboBox *>(field)) return box->currentText();
    return {};
}

}  // namespace

StdInfoDlg::StdInfoDlg(generator::EditorSession &session, QWidget *parent)
    : QDialog(parent), session_(session) {
    NameControl(this, QStringLiteral("conditionsDialog"), ids::kDialog);
    setWindowTitle(QStringLiteral("标准生成"));
    setWindowFlags(FixedDialogFlags());
    const QFont font = layout_.Font().ToFont();
    setFont(font);
    const DialogUnits du(font);

    // The engine's values framed on the right, below the vehicle's kind.
    auto *engine = new QGroupBox(QStringLiteral("发动机"), this);
    engine->setObjectName(QStringLiteral("engineGroup"));
    engine->setGeometry(du.Rect(152, 62, 142, 70));

    for (std::size_t n = 0; n < fields_.size(); ++n) {
        const FieldPlace &place = kPlaces[n];
        auto *label = new QLabel(GbkToQString(generator::ConditionLabel(n)), this);
        label->setObjectName(QString::fromUtf16(place.labelName));
        label->setGeometry(du.Rect(place.x, place.y + 2, kLabelWidth, 10));
        QWidget *field;
        if (place.combo) {
            auto *box = new QComboBox(this);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            field = box;
        } else {
            field = new QLineEdit(this);
        }
        NameControl(field, QString::fromUtf16(place.fieldName), place.id);
        field->setGeometry(du.Rect(place.x + kLabelWidth + 2, place.y, kFieldWidth, 13));
        label->setBuddy(field);
        fields_[n] = field;
    }
    auto box = [this](int id) { return FindByResourceId<QComboBox>(this, id); };
    fuel_ = box(ids::kFuelBox);
    intake_ = box(ids::kIntakeBox);
    catalyst_ = box(ids::kCatalystBox);

    auto *other = new QLabel(QStringLiteral("其他条件: 新车/电喷"), this);
    other->setObjectName(QStringLiteral("otherConditionsLabel"));
    other->setGeometry(du.Rect(kLeft, 106, 130, 10));
    status_ = new QLabel(QStringLiteral("-"), this);
    NameControl(status_, QStringLiteral("statusLabel"), ids::kStatusLabel);
    status_->setGeometry(du.Rect(kLeft, 150, 160, 10));

    auto *ok = new QPushButton(QStringLiteral("生成"), this);
    NameControl(ok, QStringLiteral("okButton"), ids::kOkButton);
    ok->setGeometry(du.Rect(188, 146, 50, 15));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    NameControl(cancel, QStringLiteral("cancelButton"), ids::kCancelButton);
    cancel->setGeometry(du.Rect(244, 146, 50, 15));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &StdInfoDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &StdInfoDlg::reject);
    connect(fuel_, &QComboBox::activated, this, &StdInfoDlg::FuelChanged);

    setFixedSize(du.Size(302, 170));
    layout_.Bind(this);
    FillNames(box(ids::kDriveTypeBox), engine::kParamDriveType);
    FillNames(box(ids::kVehicleKindBox), engine::kParamVehicleKind);
    FillNames(fuel_, engine::kParamFuel);
    FillNames(box(ids::kLampSystemBox), engine::kParamLampSystem);
    FillNames(catalyst_, engine::kParamCatalyst);
    FillNames(intake_, engine::kParamIntake);
    layout_.Layout();
}

// The names of the first 200 codes of `param` that have one, without blanks
// at either end, in GBK byte order (the order of a Chinese sorted list).
void StdInfoDlg::FillNames(QComboBox *box, int param) {
    box->clear();
    for (const std::string &name : generator::ConditionNames(session_.Plinth(), param))
        box->addItem(GbkToQString(name));
    box->setCurrentIndex(-1);
    box->clearEditText();
}

// Diesel engines take an intake type; the others a three-way catalyst.
void StdInfoDlg::FuelChanged(int index) {
    if (index < 0) return;
    std::string gbk;
    const bool diesel = QStringToGbk(fuel_->itemText(index), gbk) &&
                        generator::IsDieselFuel(session_.Plinth(), gbk);
    intake_->setEnabled(diesel);
    catalyst_->setEnabled(!diesel);
}

generator::VehicleConditions StdInfoDlg::Conditions() const {
    generator::VehicleConditions conditions;
    for (std::size_t n = 0; n < fields_.size(); ++n)
        QStringToGbk(FieldText(fields_[n]).left(kFieldChars), conditions[n]);
    return conditions;
}

// The vehicle's numbers: a text that is not a number, or a missing mass, is
// named to the user (focus to its field); a number typed in full-width
// characters is put back in ASCII, as the module reads it.
bool StdInfoDlg::CheckNumbers() {
    generator::VehicleConditions typed;
    std::array<QLineEdit *, kNumberFields> edits{};
    for (std::size_t n = 0; n < kNumberFields; ++n) {
        edits[n] = qobject_cast<QLineEdit *>(fields_[n]);
        if (edits[n] != nullptr) typed[n] = TypedGbk(edits[n]->text());
    }
    generator::VehicleConditions checked = typed;
    const generator::ConditionsCheck check = generator::CheckConditionNumbers(checked);
    // The numbers before the first refused field, as the module reads them.
    const std::size_t usable = check ? kNumberFields : static_cast<std::size_t>(check.field);
    for (std::size_t n = 0; n < usable; ++n) {
        if (edits[n] == nullptr || edits[n]->text().trimmed().isEmpty()) continue;
        const QString number = GbkToQString(checked[n]);
        if (number != edits[n]->text()) edits[n]->setText(number);
    }
    if (check) return true;
    QLineEdit *edit = edits[static_cast<std::size_t>(check.field)];
    ShowBox(this, {TypedMessage(check.problem, edit->text()), GbkToQString(texts::kPromptCaption),
                   generator::MessageIcon::kExclamation});
    edit->setFocus();
    edit->selectAll();
    return false;
}

void StdInfoDlg::accept() {
    if (!CheckNumbers()) return;
    status_->setText(QStringLiteral("正在生成标准数据...."));
    status_->repaint();
    if (session_.ComputeDefault(Conditions()) != generator::DefaultStandardResult::kComputed)
        return;
    hide();
    status_->setText(QStringLiteral("生成成功!"));
}

// Minimising and restoring (spontaneous events) do not change the flag.
// A new use starts with an empty status line.
void StdInfoDlg::showEvent(QShowEvent *event) {
    if (!event->spontaneous()) {
        shown_ = true;
        status_->setText(QStringLiteral("-"));
    }
    QDialog::showEvent(event);
}

void StdInfoDlg::hideEvent(QHideEvent *event) {
    QDialog::hideEvent(event);
    if (event->spontaneous()) return;
    shown_ = false;
    emit hidden();
}

void StdInfoDlg::closeEvent(QCloseEvent *event) {
    shown_ = false;
    QDialog::closeEvent(event);
}

}  // namespace dialogs
