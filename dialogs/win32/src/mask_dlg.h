#pragma once
// The mask dialog (resource 8009, "屏蔽"): every parameter of the catalogue
// with a check box; checked ones are hidden from the main list. "保存"
// stores the choice, "全选" and "反选" replace the mask at once.
#include <cstdint>
#include <vector>

#include "dialog_base.h"
#include "generator/mask_table.h"
#include "move_control.h"
#include "report_list.h"

namespace generator {
class EditorSession;
}

namespace dialogs::win32 {

class MaskDlg : public DialogBase {
  public:
    explicit MaskDlg(generator::EditorSession &session) : session_(session) {}
    void Run(HINSTANCE instance, HWND owner);

  protected:
    INT_PTR Handle(UINT message, WPARAM w, LPARAM l) override;

  private:
    void Initialise();
    void FillList();
    // A parameter listed under two devices is one parameter of the mask:
    // its rows are checked and unchecked together.
    void CheckChanged(int row);
    std::vector<generator::MaskChoice> Choices() const;
    void SelectAll();
    void Invert();
    generator::EditorSession &session_;
    MoveControl layout_;
    ReportList list_;
    bool syncing_ = false;
};

}  // namespace dialogs::win32
