#include "widgets/btn_st.h"

#include <QEnterEvent>
#include <QEvent>
#include <QPalette>
#include <QResizeEvent>
#include <algorithm>

namespace widgets {

namespace {

constexpr int kIconSide = 24;
constexpr int kMinIconSide = 12;
constexpr int kIconMargin = 8;  // frame and padding above and below the icon

int AddClamped(int channel, int offset) {
    return std::clamp(channel + offset, 0, 255);
}

}  // namespace

BtnST::BtnST(const QString &caption, QWidget *parent) : QPushButton(caption, parent) {
    // Flat: the button is its background colour and a caption until pressed.
    setFlat(true);
    setAutoFillBackground(true);
    setIconSize(QSize(kIconSide, kIconSide));
    normalBk_ = palette().color(QPalette::Button);
    normalText_ = palette().color(QPalette::ButtonText);
    ApplyLook();
}

void BtnST::SetIcon(const QIcon &icon) {
    setIcon(icon);
}

void BtnST::SetTooltipText(const QString &text) {
    setToolTip(text);
}

void BtnST::SetHoverBkOffset(int offset) {
    hoverOffset_ = offset;
    ApplyLook();
}

void BtnST::SetHoverTextColor(const QColor &color) {
    hoverText_ = color;
    ApplyLook();
}

void BtnST::enterEvent(QEnterEvent *event) {
    hovered_ = true;
    ApplyLook();
    QPushButton::enterEvent(event);
}

void BtnST::leaveEvent(QEvent *event) {
    hovered_ = false;
    ApplyLook();
    QPushButton::leaveEvent(event);
}

void BtnST::changeEvent(QEvent *event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        ApplyLook();
    } else if (event->type() == QEvent::PaletteChange && !applying_) {
        // A palette from outside (the dialog's or the caller's) is the new normal look.
        if (!hovered_ || !isEnabled()) {
            normalBk_ = palette().color(QPalette::Button);
            normalText_ = palette().color(QPalette::ButtonText);
        }
        ApplyLook();
    }
}

void BtnST::resizeEvent(QResizeEvent *event) {
    QPushButton::resizeEvent(event);
    // Keeps the icon inside a button that a dialog layout made short.
    const int side = std::clamp(event->size().height() - kIconMargin, kMinIconSide, kIconSide);
    setIconSize(QSize(side, side));
}

void BtnST::ApplyLook() {
    QColor bk = normalBk_;
    QColor text = normalText_;
    if (hovered_ && isEnabled()) {
        bk = QColor(AddClamped(normalBk_.red(), hoverOffset_),
                    AddClamped(normalBk_.green(), hoverOffset_),
                    AddClamped(normalBk_.blue(), hoverOffset_), normalBk_.alpha());
        if (hoverText_.isValid()) text = hoverText_;
    }
    QPalette pal = palette();
    pal.setColor(QPalette::Button, bk);
    pal.setColor(QPalette::ButtonText, text);
    applying_ = true;
    setPalette(pal);
    applying_ = false;
    update();
}

}  // namespace widgets
