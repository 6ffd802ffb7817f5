#include "dialogs/std_info_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "dialog_units.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "dialogs/val_set.h"
#include "engine/registration_params.h"
#include "platform/value_text.h"

namespace dialogs {
namespace {

namespace ids = conditions_ids;

constexpr int kNamesPerBase = 200;
constexpr qsizetype kFieldChars = generator::kConditionTextChars - 1;

// One labelled field: its label's text, the names of field and label, the
// field's resource number and its place in dialog units.
struct FieldPlace {
    const char16_t *label;
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
    {u"最大总质量", u"totalMassEdit", u"totalMassLabel", ids::kTotalMassEdit, false, kLeft, 10},
    {u"满载比", u"loadRatioEdit", u"loadRatioLabel", ids::kLoadRatioEdit, false, kLeft, 64},
    {u"乘员数", u"seatsEdit", u"seatsLabel", ids::kSeatsEdit, false, kLeft, 28},
    {u"最高车速", u"maxSpeedEdit", u"maxSpeedLabel", ids::kMaxSpeedEdit, false, kLeft, 82},
    {u"整备质量", u"curbMassEdit", u"curbMassLabel", ids::kCurbMassEdit, false, kLeft, 46},
    {u"驱动方式", u"driveTypeBox", u"driveTypeLabel", ids::kDriveTypeBox, true, kRight, 10},
    {u"车辆种类", u"vehicleKindBox", u"vehicleKindLabel", ids::kVehicleKindBox, true, kRight, 28},
    {u"燃油方式", u"fuelBox", u"fuelLabel", ids::kFuelBox, true, kRight, 78},
    {u"灯制", u"lampSystemBox", u"lampSystemLabel", ids::kLampSystemBox, true, kRight, 46},
    {u"三元催化", u"catalystBox", u"catalystLabel", ids::kCatalystBox, true, kRight, 114},
    {u"进气方式", u"intakeBox", u"intakeLabel", ids::kIntakeBox, true, kRight, 96},
};
static_assert(std::size(kPlaces) == generator::kVehicleConditionIds.size());

std::string TrimSpaces(const char *text) {
    std::string s(text);
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The vehicle's numbers (the first five fields): which must be given.
constexpr std::size_t kNumberFields = 5;
constexpr bool kRequired[kNumberFields] = {true, false, false, false, true};

// A number as typed: blanks at both ends ignored, full-width digits, signs
// and point (an input method's) read as their ASCII forms. "" when the text
// is not one finite decimal number.
QString NumberText(const QString &typed) {
    QString ascii;
    for (QChar ch : typed.trimmed()) {
        const char16_t c = ch.unicode();
        if (c >= u'\uFF01' && c <= u'\uFF5E') ch = QChar(char16_t(c - 0xFEE0));  // full width
        ascii += ch;
    }
    for (QChar ch : ascii)
        if (!(ch.isDigit() && ch.unicode() < 0x80) && ch != u'.' && ch != u'-' && ch != u'+' &&
            ch != u'e' && ch != u'E')
            return {};
    bool ok = false;
    const double value = ascii.toDouble(&ok);
    return ok && std::isfinite(value) ? ascii : QString();
}

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
        auto *label = new QLabel(QString::fromUtf16(place.label), this);
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
    std::vector<std::string> names;
    const int first = engine::ParamCode(param, 1);
    for (int i = 0; i < kNamesPerBase; ++i) {
        char name[PLINTH_NAME_BYTES] = {};
        if (session_.Plinth().GetZK2IDInfo(first + i, name) <= 0) continue;
        std::string trimmed = TrimSpaces(name);
        if (!trimmed.empty()) names.push_back(std::move(trimmed));
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) box->addItem(GbkToQString(name));
    box->setCurrentIndex(-1);
    box->clearEditText();
}

// Diesel engines take an intake type; the others a three-way catalyst.
void StdInfoDlg::FuelChanged(int index) {
    if (index < 0) return;
    bool diesel = false;
    std::string gbk;
    char code[PLINTH_NAME_BYTES] = {};
    if (QStringToGbk(fuel_->itemText(index), gbk) &&
        session_.Plinth().GetParamIDByName(gbk.c_str(), engine::kParamFuel, code) > 0)
        diesel = platform::IntegerOf(code) == engine::kFuelDiesel;
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
    for (std::size_t n = 0; n < kNumberFields; ++n) {
        auto *edit = qobject_cast<QLineEdit *>(fields_[n]);
        if (edit == nullptr) continue;
        const QString name = QString::fromUtf16(kPlaces[n].label);
        const QString typed = edit->text().trimmed();
        QString problem;
        if (typed.isEmpty()) {
            if (kRequired[n]) problem = QStringLiteral("%1不能为空!").arg(name);
        } else if (const QString number = NumberText(typed); number.isEmpty()) {
            problem = QStringLiteral("%1 \"%2\" 不是数字!").arg(name, typed);
        } else if (number != edit->text()) {
            edit->setText(number);
        }
        if (problem.isEmpty()) continue;
        ShowBox(this, {problem, QStringLiteral("提示"), generator::MessageIcon::kExclamation});
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    return true;
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
