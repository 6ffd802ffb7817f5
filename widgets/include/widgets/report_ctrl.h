#pragma once
// The report list of the editor's dialogs: a list in report view whose
// columns come from a "name,width;name,width;" string (a zero width hides a
// column, which then still carries data), with grid lines, full-row
// selection, optional check boxes in the first column, text and background
// colours, redraw switched off during a refill, and row, cell-text,
// check-state and selection-mark operations. Cell editing stays off.
#include <QColor>
#include <QString>
#include <QStringList>
#include <QTableWidget>

namespace widgets {

class ReportCtrl : public QTableWidget {
    Q_OBJECT
  public:
    explicit ReportCtrl(QWidget *parent = nullptr);

    // Replaces the columns with those of `columns` ("name,width;..."; widths in
    // pixels; a trailing ';' is allowed). False (columns unchanged) for a
    // malformed string.
    bool SetColumns(const QString &columns);
    void SetGridLines(bool on);
    void SetCheckBoxes(bool on);  // a check box in column 0 of every row
    void SetTextColor(const QColor &color);
    void SetBkColor(const QColor &color);  // background and text background
    // Off: rows may be added without repainting; on: one repaint.
    void SetRedraw(bool on);

    // Appends a row with `cells` (missing cells empty); returns its index.
    int AppendRow(const QStringList &cells);
    void DeleteAllRows();
    int RowCount() const { return rowCount(); }
    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString &text);
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);
    // The row of the selection mark (the current row), or -1.
    int SelectionMark() const;
    void SetSelectionMark(int row);

  signals:
    // A double click on a row (the selection mark is that row).
    void rowDoubleClicked(int row);

  protected:
    void changeEvent(QEvent *event) override;

  private:
    // Gives `row` an item in every column, with a check box in column 0 when
    // check boxes are on (and none otherwise).
    void PrepareRow(int row);
    void UpdateRowHeight();
    bool checkBoxes_ = false;
};

}  // namespace widgets
