#pragma once
// The icon button of the editor's dialogs: an icon (from the resources), a
// caption, a tooltip, and while the pointer is over it a background lighter
// by an offset and its own text colour.
#include <QColor>
#include <QIcon>
#include <QPushButton>
#include <QString>

namespace widgets {

class BtnST : public QPushButton {
    Q_OBJECT
  public:
    explicit BtnST(const QString &caption, QWidget *parent = nullptr);

    void SetIcon(const QIcon &icon);
    void SetTooltipText(const QString &text);
    // Added to each of R, G and B of the normal background (clamped to
    // 0..255) while the pointer is over the button.
    void SetHoverBkOffset(int offset);
    void SetHoverTextColor(const QColor &color);
    bool IsHovered() const { return hovered_; }

  protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void ApplyLook();
    QColor normalBk_;
    QColor normalText_;
    bool applying_ = false;
    int hoverOffset_ = 0;
    QColor hoverText_;
    bool hovered_ = false;
};

}  // namespace widgets
