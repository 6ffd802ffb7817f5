#pragma once
// The main standards dialog (resource 8002) on Win32: brand type-ahead,
// series cascade, the standards list with its device filter, editing one
// limit, "生成", "缺省标准", "清除标准" and the mask dialog. The decisions
// live in the editor session and the shared editor flow; this class wires
// the controls to them.
#include <memory>
#include <string>

#include "dialog_base.h"
#include "generator/editor_flow.h"
#include "generator/editor_session.h"
#include "generator/sergen_module.h"
#include "icon_button.h"
#include "move_control.h"
#include "report_list.h"
#include "std_info_dlg.h"
#include "val_set.h"
#include "win_messages.h"

namespace dialogs::win32 {

class StandarForCX : public DialogBase {
  public:
    // `session` is open; `rect` is the host's rectangle (screen coordinates).
    StandarForCX(generator::EditorSession &session, const generator::EditorRect &rect,
                 Win32MessageSink &messages);
    ~StandarForCX() override;
    // Runs the dialog modally over `owner` until "返回" or Escape.
    void Run(HINSTANCE instance, HWND owner);

  protected:
    INT_PTR Handle(UINT message, WPARAM w, LPARAM l) override;

  private:
    // Columns of the standards list; 1, 3 and 5 are hidden and address the
    // row's parameter in the catalogue.
    static constexpr int kDeviceIndexColumn = 1, kItemIndexColumn = 3, kParamNameColumn = 4,
                         kParamIndexColumn = 5, kUpperColumn = 6, kLowerColumn = 7, kIdColumn = 8;

    void Initialise();
    void SetUpList();
    void SetUpButtons();
    void ShowStartProblems();
    void FirstLoad();
    void FillList(const std::string &filter);
    void ShowRows(const std::vector<generator::ListRow> &rows);
    generator::ParamPosition RowPosition(int row) const;
    void RefreshLimits(const generator::ParamPosition &at);
    INT_PTR Command(int id, int code);
    INT_PTR Notify(const NMHDR &header, LPARAM l);
    void BrandEdited();
    void CascadeSeries();
    void ModelChanged();
    void LeftBox(int id);
    void LoadShownSeries();
    void LoadSeries(const std::string &brand, const std::string &series);
    bool MayDiscardEdits();
    void FillSeries(const std::string &brand);
    void EditLimit();
    void Generate();
    void WriteSeries(const std::string &brand, const std::string &series);
    void DefaultStandard();
    void ClearStandards();
    void ShowMask();
    void Return();
    void Close();
    std::string BoxText(int id) const;
    std::string ContentFilter() const;
    void ShowError(const char *what, const std::exception &error);

    generator::EditorSession &session_;
    generator::EditorRect rect_;
    Win32MessageSink &messages_;
    MoveControl layout_;
    StdInfoDlg conditions_;
    ValSet limitEdit_;
    ReportList list_;
    IconButton clear_, default_, generate_, return_;
    HWND tooltips_ = nullptr;
    // The brand and series whose limits the list holds ("" before the
    // first load): leaving a box reloads only when its text differs.
    std::string loadedBrand_;
    std::string loadedSeries_;
    bool typing_ = false;  // the type-ahead is refilling the brand box
    // "缺省标准" is waiting for the conditions dialog; a close asked for
    // meanwhile is done once the wait has ended.
    bool waiting_ = false;
    bool closeQueued_ = false;
    bool closed_ = false;
};

}  // namespace dialogs::win32
