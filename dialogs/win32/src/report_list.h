#pragma once
// A report-view list control (SysListView32) as the editor's lists use it:
// columns from a "name,width;..." text, whole rows of texts, check boxes,
// and its colours painted through custom draw.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace dialogs::win32 {

class ReportList {
  public:
    void Attach(HWND list) { list_ = list; }
    HWND Window() const { return list_; }

    // "设备名称,100;设备下标,0;...": a column per name and width, left-aligned.
    void SetColumns(const std::wstring &layout);
    // LVS_EX_* styles added to the list's.
    void AddExtendedStyle(DWORD style);
    // Text and background of every row that is not selected.
    void SetColours(COLORREF text, COLORREF background);

    int Append(const std::vector<std::wstring> &cells);
    void Clear();
    int Count() const;
    std::wstring Cell(int row, int column) const;
    void SetCell(int row, int column, const std::wstring &text);
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);
    int SelectionMark() const;
    void SetRedraw(bool on);

    // NM_CUSTOMDRAW of this list: the result for the dialog procedure.
    LRESULT CustomDraw(NMLVCUSTOMDRAW &draw) const;

  private:
    HWND list_ = nullptr;
    bool coloured_ = false;
    COLORREF text_ = 0;
    COLORREF background_ = 0;
};

}  // namespace dialogs::win32
