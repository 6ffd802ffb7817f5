#pragma once
// The main standards dialog (resource 8002): brand type-ahead, series
// cascade, the standards list with its device filter, editing one limit,
// "生成", "缺省标准", "清除标准" and the mask dialog. Logic lives in the
// editor session; this class only wires controls to it.
#include <QDialog>
#include <memory>

#include "dialogs/move_control.h"
#include "generator/editor_flow.h"
#include "generator/editor_session.h"
#include "generator/sergen_module.h"

class QComboBox;
class QWidget;
class QLabel;
class QPushButton;
class QTimer;

namespace widgets {
class ReportCtrl;
class BtnST;
}  // namespace widgets

namespace dialogs {

class DialogUnits;
class StdInfoDlg;
class ValSet;

class StandarForCX : public QDialog {
    Q_OBJECT
  public:
    // `session` is open (environment library, mask, full standard module).
    StandarForCX(generator::EditorSession &session, const generator::EditorRect &rect,
                 QWidget *parent = nullptr);
    ~StandarForCX() override;

    // The first load of the 500 ms timer, at once (screenshots, tests).
    void FirstLoad();
    // Types a brand and picks a series as a user would (screenshots, tests).
    void ChooseSeries(const QString &brand, const QString &series);
    StdInfoDlg *ConditionsDialog() const { return conditions_.get(); }
    ValSet *LimitDialog() const { return limitEdit_.get(); }
    // A window of its own instead of the host's rectangle: a framed
    // top-level window with this title, never smaller than the template
    // size, at which no caption is cut.
    void UseOwnWindow(const QString &title);

  protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;  // Enter does nothing
    void reject() override;                         // "返回" and Escape
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void BuildControls();
    void BuildSelectors(const DialogUnits &du);
    void BuildList(const DialogUnits &du);
    void BuildButtons(const DialogUnits &du);
    void ConnectControls();
    void FillList(const QString &filter);
    // The rows of a default standard: every parameter it set, all devices.
    void ShowDefaultRows(const std::vector<generator::StandardRow> &rows);
    void ShowRows(const std::vector<generator::ListRow> &rows);
    // The catalogue position a row shows (its hidden index columns).
    generator::ParamPosition RowPosition(int row) const;
    // Rewrites the limits of every row of the parameter at `at` (all its
    // places in the catalogue) from the catalogue.
    void RefreshLimits(const generator::ParamPosition &at);
    void BrandEdited(const QString &text);
    void CascadeSeries();
    void ModelChanged();
    // Loads the series shown in the boxes and lists it.
    void LoadShownSeries();
    // Loads the stored limits of brand and series into the list; they become
    // the series the list holds.
    void LoadSeries(const QString &brand, const QString &series);
    // True when the list holds no edits not yet generated, or the user lets
    // them go; false: the boxes show the series of the list again.
    bool MayDiscardEdits();
    void ShowStartProblems();
    void PlaceBesideRow(QWidget *dialog, int row) const;
    void EditLimit();
    void Generate();
    void DefaultStandard();
    void ClearStandards();
    void ShowMask();
    void Close();
    // The text of a box in GBK ("" when it has no GBK form).
    static std::string BoxTextGbk(const QComboBox *box);

    generator::EditorSession &session_;
    MoveControl layout_;
    std::unique_ptr<StdInfoDlg> conditions_;
    std::unique_ptr<ValSet> limitEdit_;

    // The controls by object name and resource number (dialogs/resource_ids.h).
    QLabel *brandLabel_ = nullptr;         // brandLabel, 8020
    QLabel *seriesLabel_ = nullptr;        // seriesLabel, 8021
    QComboBox *brand_ = nullptr;           // brandBox, 8002
    QComboBox *series_ = nullptr;          // seriesBox, 8003
    QComboBox *content_ = nullptr;         // contentBox, 8004
    QPushButton *mask_ = nullptr;          // maskButton, 8022
    widgets::ReportCtrl *list_ = nullptr;  // limitList, 8001
    widgets::BtnST *clear_ = nullptr;      // clearStandardsButton, 8018
    widgets::BtnST *default_ = nullptr;    // defaultStandardButton, 8007
    widgets::BtnST *generate_ = nullptr;   // generateButton, 8005
    widgets::BtnST *return_ = nullptr;     // returnButton, 2
    QTimer *firstLoad_ = nullptr;
    QSize templateSize_;
    // The brand and series texts whose limits the list holds ("" before
    // the first load): leaving a box reloads only when its text differs.
    QString loadedBrand_;
    QString loadedSeries_;
    // "缺省标准" is waiting for the conditions dialog; a close asked for
    // meanwhile is done once the wait has ended.
    bool waiting_ = false;
    bool closeQueued_ = false;
};

}  // namespace dialogs
