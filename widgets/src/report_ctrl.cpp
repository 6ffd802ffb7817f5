#include "widgets/report_ctrl.h"

#include <QEvent>
#include <QHeaderView>
#include <QPalette>
#include <QTableWidgetItem>
#include <algorithm>
#include <utility>
#include <vector>

namespace widgets {

namespace {

// Cells are never edited in place; the check box of column 0 is the only
// thing a click changes.
constexpr Qt::ItemFlags kCellFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;

}  // namespace

ReportCtrl::ReportCtrl(QWidget *parent) : QTableWidget(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    UpdateRowHeight();
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        SetSelectionMark(row);
        emit rowDoubleClicked(row);
    });
}

void ReportCtrl::changeEvent(QEvent *event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateRowHeight();
}

void ReportCtrl::UpdateRowHeight() {
    // Compact rows like a report list: one line of text and a small margin.
    const int height = fontMetrics().height() + 6;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

bool ReportCtrl::SetColumns(const QString &columnsText) {
    std::vector<std::pair<QString, int>> columns;
    const QStringList entries = columnsText.split(u';');
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString &entry = entries[i];
        if (entry.isEmpty() && i == entries.size() - 1 && i > 0) break;  // trailing ';'
        const qsizetype comma = entry.lastIndexOf(u',');
        if (comma < 0) return false;
        bool ok = false;
        const int width = entry.mid(comma + 1).trimmed().toInt(&ok);
        if (!ok || width < 0) return false;
        columns.emplace_back(entry.left(comma), width);
    }
    if (columns.empty()) return false;

    setColumnCount(static_cast<int>(columns.size()));
    for (int c = 0; c < columnCount(); ++c) {
        const auto &[name, width] = columns[static_cast<std::size_t>(c)];
        setHorizontalHeaderItem(c, new QTableWidgetItem(name));
        // A hidden column keeps its cells: callers store keys there.
        setColumnHidden(c, width == 0);
        if (width > 0) setColumnWidth(c, width);
    }
    // Rows appended before the columns existed get their missing cells.
    for (int r = 0; r < rowCount(); ++r) PrepareRow(r);
    return true;
}

void ReportCtrl::SetGridLines(bool on) {
    setShowGrid(on);
}

void ReportCtrl::SetCheckBoxes(bool on) {
    checkBoxes_ = on;
    for (int r = 0; r < rowCount(); ++r) PrepareRow(r);
}

void ReportCtrl::SetTextColor(const QColor &color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Text, color);
    setPalette(pal);
}

void ReportCtrl::SetBkColor(const QColor &color) {
    // Cells carry no background of their own, so Base is also the text background.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::AlternateBase, color);
    setPalette(pal);
}

void ReportCtrl::SetRedraw(bool on) {
    setUpdatesEnabled(on);
    if (on) viewport()->update();
}

void ReportCtrl::PrepareRow(int row) {
    for (int c = 0; c < columnCount(); ++c) {
        QTableWidgetItem *cell = item(row, c);
        if (cell == nullptr) {
            cell = new QTableWidgetItem;
            setItem(row, c, cell);
        }
        if (c == 0 && checkBoxes_) {
            cell->setFlags(kCellFlags | Qt::ItemIsUserCheckable);
            if (!cell->data(Qt::CheckStateRole).isValid()) cell->setCheckState(Qt::Unchecked);
        } else {
            cell->setFlags(kCellFlags);
            cell->setData(Qt::CheckStateRole, QVariant());
        }
    }
}

int ReportCtrl::AppendRow(const QStringList &cells) {
    const int row = rowCount();
    insertRow(row);
    PrepareRow(row);
    const qsizetype n = std::min<qsizetype>(cells.size(), columnCount());
    for (qsizetype c = 0; c < n; ++c) item(row, static_cast<int>(c))->setText(cells[c]);
    return row;
}

void ReportCtrl::DeleteAllRows() {
    setRowCount(0);
}

QString ReportCtrl::CellText(int row, int column) const {
    const QTableWidgetItem *cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void ReportCtrl::SetCellText(int row, int column, const QString &text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    if (item(row, column) == nullptr) PrepareRow(row);
    item(row, column)->setText(text);
}

bool ReportCtrl::IsChecked(int row) const {
    const QTableWidgetItem *cell = item(row, 0);
    return checkBoxes_ && cell != nullptr && cell->checkState() == Qt::Checked;
}

void ReportCtrl::SetChecked(int row, bool checked) {
    // Without check boxes a state would draw an indicator, so there is none.
    if (!checkBoxes_ || row < 0 || row >= rowCount() || columnCount() == 0) return;
    item(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int ReportCtrl::SelectionMark() const {
    return currentRow();
}

void ReportCtrl::SetSelectionMark(int row) {
    if (row < 0) {
        setCurrentIndex(QModelIndex());
        clearSelection();
        return;
    }
    if (row >= rowCount() || columnCount() == 0) return;
    // The first shown column, so the current cell is never a hidden key column.
    int column = 0;
    while (column < columnCount() - 1 && isColumnHidden(column)) ++column;
    setCurrentCell(row, column);
}

}  // namespace widgets
