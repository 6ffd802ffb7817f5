#include "dialogs/val_set.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_units.h"
#include "dialogs/move_control.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "gbk_texts.h"
#include "generator/editor_flow.h"

namespace dialogs {

Qt::WindowFlags FixedDialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

ValSet::ValSet(QWidget *parent) : QDialog(parent) {
    NameControl(this, QStringLiteral("limitDialog"), limit_ids::kDialog);
    setWindowTitle(QStringLiteral("限值修改"));
    setWindowFlags(FixedDialogFlags());
    const QFont font = DialogFont::FromLoginSet().ToFont();
    setFont(font);
    QPalette blue = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        blue.setColor(role, QColor(0, 0, 255));
    setPalette(blue);

    const DialogUnits du(font);
    auto *upperLabel = new QLabel(QStringLiteral("上限:"), this);
    upperLabel->setObjectName(QStringLiteral("upperLabel"));
    upperLabel->setGeometry(du.Rect(6, 7, 24, 10));
    upperEdit_ = new QLineEdit(this);
    NameControl(upperEdit_, QStringLiteral("upperEdit"), limit_ids::kUpperEdit);
    upperEdit_->setGeometry(du.Rect(31, 5, 52, 13));
    auto *lowerLabel = new QLabel(QStringLiteral("下限:"), this);
    lowerLabel->setObjectName(QStringLiteral("lowerLabel"));
    lowerLabel->setGeometry(du.Rect(92, 7, 24, 10));
    lowerEdit_ = new QLineEdit(this);
    NameControl(lowerEdit_, QStringLiteral("lowerEdit"), limit_ids::kLowerEdit);
    lowerEdit_->setGeometry(du.Rect(117, 5, 52, 13));

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    NameControl(ok, QStringLiteral("okButton"), limit_ids::kOkButton);
    ok->setGeometry(du.Rect(61, 22, 50, 14));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    NameControl(cancel, QStringLiteral("cancelButton"), limit_ids::kCancelButton);
    cancel->setGeometry(du.Rect(119, 22, 50, 14));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &ValSet::accept);
    connect(cancel, &QPushButton::clicked, this, &ValSet::reject);

    setFixedSize(du.Size(176, 39));
}

void ValSet::SetTexts(const QString &upper, const QString &lower) {
    upper_ = upper.left(kMaxChars);
    lower_ = lower.left(kMaxChars);
    upperEdit_->setText(upper_);
    lowerEdit_->setText(lower_);
}

void ValSet::SetParameter(const QString &name) {
    setWindowTitle(name.isEmpty() ? QStringLiteral("限值修改")
                                  : QStringLiteral("限值修改 - ") + name);
}

bool ValSet::ReadField(QLineEdit *edit, generator::LimitField field, generator::LimitInput &limit) {
    const QString text = edit->text().left(kMaxChars);
    std::string gbk;
    if (QStringToGbk(text, gbk)) {
        limit = generator::ParseLimitInput(gbk);
    } else {
        limit = {};
        limit.error = generator::LimitInputError::kNotANumber;
    }
    if (limit) return true;
    ShowBox(this, {TypedMessage(generator::LimitProblem(field, TypedGbk(text), limit.error), text),
                   GbkToQString(texts::kPromptCaption), generator::MessageIcon::kExclamation});
    edit->setFocus();
    edit->selectAll();
    return false;
}

void ValSet::accept() {
    if (!ReadField(upperEdit_, generator::LimitField::kUpper, upperLimit_) ||
        !ReadField(lowerEdit_, generator::LimitField::kLower, lowerLimit_))
        return;
    upper_ = upperEdit_->text().left(kMaxChars);
    lower_ = lowerEdit_->text().left(kMaxChars);
    QDialog::accept();
}

}  // namespace dialogs
