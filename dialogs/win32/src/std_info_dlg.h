#pragma once
// The conditions dialog of a default standard (resource 8004, "标准生成"):
// modeless and hidden between uses. "生成" checks the vehicle's numbers,
// has the full standard module compute the standard and hides the dialog;
// "取消" and the close box hide it too. The main dialog waits on Shown().
#include <array>

#include "dialog_base.h"
#include "generator/default_standard.h"
#include "move_control.h"

namespace generator {
class EditorSession;
}

namespace dialogs::win32 {

class StdInfoDlg : public DialogBase {
  public:
    explicit StdInfoDlg(generator::EditorSession &session) : session_(session) {}
    // Creates the hidden window over `owner`.
    bool Create(HINSTANCE instance, HWND owner);
    void Show();
    void Hide();
    // 1 while visible; 0 once hidden or closed.
    bool Shown() const { return shown_; }
    // The eleven fields in GBK, in the order of kVehicleConditionIds.
    generator::VehicleConditions Conditions() const;

  protected:
    INT_PTR Handle(UINT message, WPARAM w, LPARAM l) override;

  private:
    void Initialise();
    void FuelChanged();
    void Generate();
    void Centre();
    generator::EditorSession &session_;
    MoveControl layout_;
    bool shown_ = false;
};

}  // namespace dialogs::win32
