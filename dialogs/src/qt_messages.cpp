#include "dialogs/qt_messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "dialogs/qt_text.h"

namespace dialogs {
namespace {

std::function<bool(const BoxRequest &)> &Answerer() {
    static std::function<bool(const BoxRequest &)> answerer;
    return answerer;
}

QMessageBox::Icon BoxIcon(generator::MessageIcon icon) {
    switch (icon) {
        case generator::MessageIcon::kInformation:
            return QMessageBox::Information;
        case generator::MessageIcon::kExclamation:
            return QMessageBox::Warning;
        case generator::MessageIcon::kQuestion:
            return QMessageBox::Question;
        case generator::MessageIcon::kNone:
            break;
    }
    return QMessageBox::NoIcon;
}

BoxRequest FromMessage(const generator::Message &message, bool okCancel) {
    return {GbkToQString(message.text), GbkToQString(message.caption), message.icon, okCancel};
}

}  // namespace

bool ShowBox(QWidget *parent, const BoxRequest &request) {
    if (Answerer()) return Answerer()(request);
    const QString caption =
        request.caption.isEmpty() ? QApplication::applicationName() : request.caption;
    const QMessageBox::StandardButton yes = request.yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const QMessageBox::StandardButton no = request.yesNo ? QMessageBox::No : QMessageBox::Cancel;
    const bool two = request.yesNo || request.okCancel;
    QMessageBox box(BoxIcon(request.icon), caption, request.text,
                    two ? QMessageBox::StandardButtons(yes | no) : QMessageBox::Ok, parent);
    if (parent != nullptr) box.setFont(parent->font());
    box.button(yes)->setText(request.yesNo ? QStringLiteral("是") : QStringLiteral("确定"));
    if (two) {
        box.button(no)->setText(request.yesNo ? QStringLiteral("否") : QStringLiteral("取消"));
        box.setDefaultButton(request.negativeDefault ? no : yes);
        box.setEscapeButton(no);
    }
    return box.exec() == yes;
}

void SetBoxAnswerer(std::function<bool(const BoxRequest &)> answerer) {
    Answerer() = std::move(answerer);
}

void QtMessageSink::Show(const generator::Message &message) {
    ShowBox(parent_, FromMessage(message, false));
}

bool QtMessageSink::Confirm(const generator::Message &message) {
    return ShowBox(parent_, FromMessage(message, true));
}

}  // namespace dialogs
