#pragma once
// The mask dialog (resource 8009, "屏蔽"): every catalogue parameter with a
// check box; checked parameters are masked. "保存", "全选" and "反选" change
// the mask table and its file through the session. A parameter listed under
// two devices is one parameter of the mask: its rows are checked together
// and it is saved once.
#include <QDialog>
#include <vector>

#include "dialogs/move_control.h"
#include "generator/editor_session.h"

class QPushButton;
class QTableWidgetItem;
class QTimer;

namespace widgets {
class ReportCtrl;
}

namespace dialogs {

class MaskDlg : public QDialog {
    Q_OBJECT
  public:
    MaskDlg(generator::EditorSession &session, QWidget *parent = nullptr);
    // The fill of the 200 ms timer, at once (screenshots, tests).
    void FillList();

    // "保存": the check state of every row into the mask, then OK.
    void accept() override;

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    void SelectAll();
    void Invert();
    void CheckChanged(QTableWidgetItem *item);
    // One choice per parameter, in the order of its first row.
    std::vector<generator::MaskChoice> ParamChoices() const;
    // The parameter IDs, in list order; only the checked or only the
    // unchecked ones.
    std::vector<int32_t> RowParams(bool checked) const;

    generator::EditorSession &session_;
    MoveControl layout_;
    QPushButton *selectAll_ = nullptr;     // 3
    QPushButton *invert_ = nullptr;        // 4
    widgets::ReportCtrl *list_ = nullptr;  // 8023
    QTimer *fillTimer_ = nullptr;
    bool syncing_ = false;  // CheckChanged is checking the twins
};

}  // namespace dialogs
