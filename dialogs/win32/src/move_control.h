#pragma once
// The layout object of the editor's resizable Win32 dialogs: scales every
// visible child window's edges in proportion to the change of the dialog's
// client area (carrying each edge's rounding loss per control), keeps the
// height of short labels, edits and buttons, gives every visible child the
// dialog font of loginset.ini, and sizes combo-box drop-downs.
#include <windows.h>

#include <array>

#include "generator/dialog_layout.h"

namespace dialogs::win32 {

// The class of a child window by its class name, case ignored: "Static" 0,
// "Edit" 1, "Button" 2, "ComboBox" 3, "SysListView32" 4, "SysIPAddress32" 5,
// any other 1000.
int ControlKind(HWND child);

class MoveControl {
  public:
    MoveControl();  // reads the dialog font
    ~MoveControl();
    MoveControl(const MoveControl &) = delete;
    MoveControl &operator=(const MoveControl &) = delete;

    // Clears the error accumulators, remembers `parent` and its client
    // rectangle as the base.
    void Bind(HWND parent);
    // Scales the visible children from the base rectangle to the parent's
    // current client rectangle and gives them the dialog font. Nothing when
    // unbound or when either size is 0 or less. Children beyond the
    // accumulators' 500 are moved without carrying their rounding loss.
    void Layout();
    // The drop-down sizing of a combo box: sets its dropped width to the
    // widest string plus a scroll bar and two window edges, and returns the
    // extra height (sum over the first 10 strings of font height + 5).
    static int SizeDropDown(HWND box);
    // The combo box moved to its rectangle with the drop-down height added.
    static void ResizeDropDown(HWND box);

    // The dialog font, created at the first use and kept for the object's
    // life.
    HFONT Font();
    bool LaidOut() const { return laidOut_; }

  private:
    using Carries = std::array<float, generator::kMaxLayoutControls>;
    Carries left_{}, right_{}, top_{}, bottom_{};
    generator::DialogFontSetting setting_;
    HFONT font_ = nullptr;
    bool laidOut_ = false;
    HWND parent_ = nullptr;
    RECT base_{};
    bool bound_ = false;
};

}  // namespace dialogs::win32
