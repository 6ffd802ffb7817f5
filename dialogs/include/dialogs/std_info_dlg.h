#pragma once
// The conditions dialog (resource 8004, "标准生成"): the eleven vehicle values
// of a default standard. Created modeless and hidden with the main dialog;
// "生成" computes the default standard through the session and hides the
// dialog, which ends the main dialog's wait.
#include <QDialog>
#include <array>

#include "dialogs/move_control.h"
#include "generator/editor_session.h"

class QComboBox;
class QLabel;
class QWidget;

namespace dialogs {

class StdInfoDlg : public QDialog {
    Q_OBJECT
  public:
    StdInfoDlg(generator::EditorSession &session, QWidget *parent = nullptr);
    // 1 while the dialog is visible, 0 after it was hidden or closed.
    bool IsShown() const { return shown_; }
    // The eleven texts in the order of generator::kVehicleConditionIds (GBK).
    generator::VehicleConditions Conditions() const;

    // "生成": checks the vehicle's numbers (最大总质量 and 整备质量 must be
    // given; any number field that holds text must hold a number), then
    // computes the default standard; hides the dialog when it was computed,
    // else stays shown (the user has been told why).
    void accept() override;

  signals:
    // The dialog became hidden (by "生成", "取消" or closing).
    void hidden();

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void FillNames(QComboBox *box, int param);
    bool CheckNumbers();
    void FuelChanged(int index);

    generator::EditorSession &session_;
    MoveControl layout_;
    bool shown_ = false;
    // The input controls in the order of generator::kVehicleConditionIds.
    std::array<QWidget *, generator::kVehicleConditionIds.size()> fields_{};
    QComboBox *fuel_ = nullptr;      // 8011
    QComboBox *intake_ = nullptr;    // 8009
    QComboBox *catalyst_ = nullptr;  // 8012
    QLabel *status_ = nullptr;       // 8016
};

}  // namespace dialogs
