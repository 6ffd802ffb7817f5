#include "dialogs/mask_dlg.h"

#include <QPushButton>
#include <QTimer>

#include "dialog_units.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "generator/editor_flow.h"
#include "widgets/report_ctrl.h"

namespace dialogs {
namespace {

constexpr int kFillDelayMs = 200;
constexpr int kIdColumn = 3;

}  // namespace

MaskDlg::MaskDlg(generator::EditorSession &session, QWidget *parent)
    : QDialog(parent), session_(session) {
    NameControl(this, QStringLiteral("maskDialog"), mask_ids::kDialog);
    setWindowTitle(QStringLiteral("屏蔽"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    const QFont font = layout_.Font().ToFont();
    setFont(font);
    const DialogUnits du(font);

    list_ = new widgets::ReportCtrl(this);
    NameControl(list_, QStringLiteral("paramList"), mask_ids::kParamList);
    list_->setGeometry(du.Rect(7, 7, 241, 151));
    list_->SetColumns(QStringLiteral("序号,100;设备名称,100;参数名称,160;参数ID,160;"));
    list_->SetCheckBoxes(true);
    list_->SetGridLines(true);
    connect(list_, &QTableWidget::itemChanged, this, &MaskDlg::CheckChanged);

    struct Button {
        const char16_t *caption;
        const char16_t *name;
        int id;
        int x;
    };
    const Button buttons[] = {{u"全选", u"selectAllButton", mask_ids::kSelectAllButton, 7},
                              {u"反选", u"invertButton", mask_ids::kInvertButton, 63},
                              {u"保存", u"saveButton", mask_ids::kSaveButton, 142},
                              {u"取消", u"cancelButton", mask_ids::kCancelButton, 198}};
    for (const Button &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf16(b.caption), this);
        NameControl(button, QString::fromUtf16(b.name), b.id);
        button->setGeometry(du.Rect(b.x, 164, 50, 15));
        button->setAutoDefault(false);
    }
    selectAll_ = findChild<QPushButton *>(QStringLiteral("selectAllButton"));
    invert_ = findChild<QPushButton *>(QStringLiteral("invertButton"));
    auto *save = findChild<QPushButton *>(QStringLiteral("saveButton"));
    save->setDefault(true);
    connect(selectAll_, &QPushButton::clicked, this, &MaskDlg::SelectAll);
    connect(invert_, &QPushButton::clicked, this, &MaskDlg::Invert);
    connect(save, &QPushButton::clicked, this, &MaskDlg::accept);
    connect(findChild<QPushButton *>(QStringLiteral("cancelButton")), &QPushButton::clicked, this,
            &MaskDlg::reject);

    resize(du.Size(255, 185));
    layout_.Bind(this);
    fillTimer_ = new QTimer(this);
    fillTimer_->setSingleShot(true);
    connect(fillTimer_, &QTimer::timeout, this, &MaskDlg::FillList);
    fillTimer_->start(kFillDelayMs);
    layout_.Layout();
}

void MaskDlg::FillList() {
    fillTimer_->stop();
    const generator::Catalogue &catalogue = session_.State().catalogue;
    if (catalogue.devices.empty()) return;
    syncing_ = true;  // rows come in whole, with their marks
    list_->SetRedraw(false);
    list_->DeleteAllRows();
    int row = 0;
    for (const generator::MaskRow &shown : generator::MaskRows(catalogue))
        list_->AppendRow({QString::number(row++), GbkToQString(shown.item),
                          GbkToQString(shown.param), QString::number(shown.paramid)});
    const generator::MaskTable &mask = session_.State().mask;
    if (mask.Count() > 0) {
        for (int n = 0; n < list_->RowCount(); ++n)
            list_->SetChecked(n, mask.IsMasked(list_->CellText(n, kIdColumn).toInt()));
    }
    list_->SetRedraw(true);
    syncing_ = false;
}

// A parameter listed under two devices is one parameter of the mask: its
// rows are checked and unchecked together.
void MaskDlg::CheckChanged(QTableWidgetItem *item) {
    if (syncing_ || item == nullptr || item->column() != 0) return;
    const int changed = item->row();
    const QString id = list_->CellText(changed, kIdColumn);
    const bool checked = list_->IsChecked(changed);
    syncing_ = true;
    for (int n = 0; n < list_->RowCount(); ++n)
        if (n != changed && list_->CellText(n, kIdColumn) == id && list_->IsChecked(n) != checked)
            list_->SetChecked(n, checked);
    syncing_ = false;
}

std::vector<generator::MaskChoice> MaskDlg::ParamChoices() const {
    std::vector<generator::MaskChoice> rows;
    for (int n = 0; n < list_->RowCount(); ++n)
        rows.push_back({list_->CellText(n, kIdColumn).toInt(), list_->IsChecked(n)});
    return generator::UniqueChoices(rows);
}

std::vector<int32_t> MaskDlg::RowParams(bool checked) const {
    std::vector<int32_t> params;
    for (const generator::MaskChoice &choice : ParamChoices())
        if (choice.masked == checked) params.push_back(choice.paramid);
    return params;
}

void MaskDlg::accept() {
    session_.ChangeMask(ParamChoices());
    QDialog::accept();
}

// Every parameter masked, in list order.
void MaskDlg::SelectAll() {
    selectAll_->setEnabled(false);
    std::vector<int32_t> ordered;
    for (const generator::MaskChoice &choice : ParamChoices()) ordered.push_back(choice.paramid);
    session_.ReplaceMask(ordered);
    FillList();
    selectAll_->setEnabled(true);
}

// The unchecked parameters become the mask; the checked ones are unmasked.
void MaskDlg::Invert() {
    invert_->setEnabled(false);
    session_.ReplaceMask(RowParams(false));
    FillList();
    invert_->setEnabled(true);
}

void MaskDlg::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    layout_.Layout();
}

}  // namespace dialogs
