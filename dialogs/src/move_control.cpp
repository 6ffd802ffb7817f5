#include "dialogs/move_control.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStringList>
#include <QStyle>
#include <QTextEdit>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <string>

#include "generator/dialog_layout.h"
#include "platform/gbk.h"

namespace dialogs {

namespace {

// Installed in place of a face the machine lacks (幼圆 is a Windows font);
// every one covers Simplified Chinese.
const QStringList &CjkFallbacks() {
    static const QStringList families{
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Source Han Sans SC"),  QStringLiteral("Droid Sans Fallback"),
        QStringLiteral("AR PL UMing CN"),      QStringLiteral("WenQuanYi Zen Hei")};
    return families;
}

QString DefaultFace() {
    return QStringLiteral("幼圆");
}

}  // namespace

DialogFont DialogFont::FromLoginSet() {
    const generator::DialogFontSetting setting = generator::ReadDialogFont();
    DialogFont font;
    font.tenthsOfPoint = setting.tenthsOfPoint;
    std::string utf8;
    // A face that is not GBK names no font; the default one is the closest.
    font.face =
        platform::GbkToUtf8(setting.faceGbk, utf8) ? QString::fromStdString(utf8) : DefaultFace();
    return font;
}

QFont DialogFont::ToFont() const {
    QFont font;  // nothing resolved: a size of 0 or less leaves the widget's size
    if (tenthsOfPoint > 0) font.setPointSizeF(tenthsOfPoint / 10.0);
    QStringList families;
    if (!face.isEmpty()) families.append(face);
    for (const QString &fallback : CjkFallbacks())
        if (!families.contains(fallback)) families.append(fallback);
    font.setFamilies(families);
    return font;
}

int ControlKind(const QWidget *child) {
    if (child == nullptr) return 1000;
    if (qobject_cast<const QLabel *>(child) != nullptr) return 0;
    if (qobject_cast<const QLineEdit *>(child) != nullptr ||
        qobject_cast<const QTextEdit *>(child) != nullptr ||
        qobject_cast<const QPlainTextEdit *>(child) != nullptr ||
        qobject_cast<const QSpinBox *>(child) != nullptr ||
        qobject_cast<const QDoubleSpinBox *>(child) != nullptr)
        return 1;
    // A group box is a button in Win32 dialogs.
    if (qobject_cast<const QAbstractButton *>(child) != nullptr ||
        qobject_cast<const QGroupBox *>(child) != nullptr)
        return 2;
    if (qobject_cast<const QComboBox *>(child) != nullptr) return 3;
    if (qobject_cast<const QAbstractItemView *>(child) != nullptr) return 4;
    // Qt has no IP address control, so 5 is never returned.
    return 1000;
}

MoveControl::MoveControl() : font_(DialogFont::FromLoginSet()) {}

void MoveControl::Bind(QWidget *parent) {
    left_.fill(0.0f);
    right_.fill(0.0f);
    top_.fill(0.0f);
    bottom_.fill(0.0f);
    bound_ = true;
    laidOut_ = false;
    parent_ = parent;
    base_ = parent != nullptr ? parent->rect() : QRect();
}

void MoveControl::Layout() {
    if (!bound_ || parent_ == nullptr) return;
    const int oldW = base_.width();
    const int oldH = base_.height();
    const int newW = parent_->rect().width();
    const int newH = parent_->rect().height();
    // A minimised or not yet sized dialog: nothing to scale from or to.
    if (oldW <= 0 || oldH <= 0 || newW <= 0 || newH <= 0) return;
    const float sx = static_cast<float>(newW) / static_cast<float>(oldW);
    const float sy = static_cast<float>(newH) / static_cast<float>(oldH);

    if (!fontCreated_) {
        qfont_ = font_.ToFont();
        fontCreated_ = true;
    }

    std::size_t n = 0;  // visible children so far: the index of their carries
    const QObjectList children = parent_->children();
    for (QObject *object : children) {
        auto *child = qobject_cast<QWidget *>(object);
        if (child == nullptr || child->isWindow() || !child->isVisibleTo(parent_)) continue;
        const bool carries = n < static_cast<std::size_t>(kMaxControls);
        auto carry = [&](std::array<float, kMaxControls> &edges) -> float * {
            return carries ? &edges[n] : nullptr;
        };
        const QRect rect = child->geometry();
        const int h = rect.height();
        const int kind = ControlKind(child);

        const int top = generator::ScaleEdge(rect.y(), sy, carry(top_));
        const int left = generator::ScaleEdge(rect.x(), sx, carry(left_));
        const int right = generator::ScaleEdge(rect.x() + rect.width(), sx, carry(right_));

        child->setFont(qfont_);

        int bottom;
        // A Win32 combo box's height includes its open list; a QComboBox's
        // geometry is the closed box alone, so it keeps its height like a
        // short edit and only the list's width follows the strings.
        const bool keepHeight = (kind <= 2 && h < generator::kShortControlHeight) || kind == 3;
        if (keepHeight) {
            bottom = top + h;
            const int textHeight = QFontMetrics(child->font())
                                       .size(Qt::TextSingleLine, QStringLiteral("FON"))
                                       .height();
            if (!(rect.x() == 0 && rect.y() == 0 && rect.width() == 0 && h == 0) && h < textHeight)
                bottom = top + textHeight + 2;
        } else {
            bottom = generator::ScaleEdge(rect.y() + h, sy, carry(bottom_));
        }
        if (kind == 3) SizeDropDown(static_cast<QComboBox *>(child));

        child->setGeometry(left, top, right - left, bottom - top);
        ++n;
    }
    parent_->update();
    base_ = parent_->rect();
    laidOut_ = true;
}

int MoveControl::SizeDropDown(QComboBox *box) {
    if (box == nullptr) return 0;
    const QFontMetrics metrics = box->fontMetrics();
    int widest = 0;
    int extra = 0;
    for (int i = 0; i < box->count(); ++i) {
        const QString text = box->itemText(i);
        widest = std::max(widest, metrics.horizontalAdvance(text) + metrics.averageCharWidth());
        if (i < generator::kDropDownRows) extra += metrics.height() + 5;
    }
    QStyle *style = box->style();
    const int width = widest + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box) +
                      2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
    box->view()->setMinimumWidth(width);
    return extra;
}

}  // namespace dialogs
