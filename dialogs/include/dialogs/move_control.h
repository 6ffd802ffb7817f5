#pragma once
// The layout object of the editor's resizable dialogs: scales every visible
// child's edges in proportion to the change of the dialog's client area
// (carrying each edge's rounding loss per control), keeps the height of
// short labels, edits and buttons, gives every visible child the dialog
// font, and sizes combo-box drop-downs.
#include <QFont>
#include <QRect>
#include <QString>
#include <array>

#include "generator/dialog_layout.h"

class QComboBox;
class QWidget;

namespace dialogs {

// The dialog font of loginset.ini (section DLGFONT) in the current
// directory: FONTSIZE in tenths of a point (default "120"; text without
// digits gives 0) and FONTFOCENAME (default "幼圆", cut to 29 bytes of GBK).
struct DialogFont {
    int tenthsOfPoint = 120;
    QString face;
    static DialogFont FromLoginSet();  // reads ./loginset.ini
    QFont ToFont() const;              // falls back to an installed CJK face when `face` is missing
};

// The class of a child control: 0 label, 1 edit, 2 button, 3 combo box,
// 4 list, 5 IP address, 1000 anything else.
int ControlKind(const QWidget *child);

class MoveControl {
  public:
    static constexpr int kMaxControls = generator::kMaxLayoutControls;

    MoveControl();  // reads the dialog font
    // Clears the error accumulators, remembers `parent` and its client
    // rectangle as the base. `parent` must outlive the binding (or be rebound).
    void Bind(QWidget *parent);
    // Scales the visible children from the base rectangle to the parent's
    // current client rectangle and applies the dialog font. Does nothing
    // when unbound or when either size is 0 or less. Children beyond
    // kMaxControls are moved without accumulators. A combo box keeps its
    // height: unlike a Win32 one, its geometry holds no open list.
    void Layout();
    // The drop-down sizing of a combo box: sets the width of its list to the
    // widest string plus a scroll bar and two frame widths, and returns the
    // extra height (sum over the first 10 strings of font height + 5).
    static int SizeDropDown(QComboBox *box);

    const DialogFont &Font() const { return font_; }
    bool LaidOut() const { return laidOut_; }
    QRect BaseRect() const { return base_; }

  private:
    std::array<float, kMaxControls> left_{}, right_{}, top_{}, bottom_{};
    DialogFont font_;
    QFont qfont_;
    bool fontCreated_ = false;
    bool laidOut_ = false;
    QWidget *parent_ = nullptr;
    QRect base_;
    bool bound_ = false;
};

}  // namespace dialogs
