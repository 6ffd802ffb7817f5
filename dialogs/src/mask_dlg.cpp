#include "dialogs/mask_dlg.h"

#include <QPushButton>
#include <QTimer>

#include "dialog_units.h"
#include "dialogs/qt_text.h"
#include "widgets/report_ctrl.h"

namespace dialogs {
namespace {

constexpr int kFillDelayMs = 200;
constexpr int kIdColumn = 3;

}  // namespace

MaskDlg::MaskDlg(generator::EditorSession &session, QWidget *parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("8009"));
    setWindowTitle(QStringLiteral("屏蔽"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    const QFont font = layout_.Font().ToFont();
    setFont(font);
    const DialogUnits du(font);

    list_ = new widgets::ReportCtrl(this);
    list_->setObjectName(QStringLiteral("8023"));
    list_->setGeometry(du.Rect(7, 7, 241, 151));
    list_->SetColumns(QStringLiteral("序号,100;设备名称,100;参数名称,160;参数ID,160;"));
    list_->SetCheckBoxes(true);
    list_->SetGridLines(true);

    struct Button {
        const char16_t *caption;
        const char16_t *id;
        int x;
    };
    const Button buttons[] = {
        {u"全选", u"3", 7}, {u"反选", u"4", 63}, {u"保存", u"1", 142}, {u"取消", u"2", 198}};
    for (const Button &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf16(b.caption), this);
        button->setObjectName(QString::fromUtf16(b.id));
        button->setGeometry(du.Rect(b.x, 164, 50, 15));
        button->setAutoDefault(false);
    }
    selectAll_ = findChild<QPushButton *>(QStringLiteral("3"));
    invert_ = findChild<QPushButton *>(QStringLiteral("4"));
    auto *save = findChild<QPushButton *>(QStringLiteral("1"));
    save->setDefault(true);
    connect(selectAll_, &QPushButton::clicked, this, &MaskDlg::SelectAll);
    connect(invert_, &QPushButton::clicked, this, &MaskDlg::Invert);
    connect(save, &QPushButton::clicked, this, &MaskDlg::accept);
    connect(findChild<QPushButton *>(QStringLiteral("2")), &QPushButton::clicked, this,
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
    list_->SetRedraw(false);
    list_->DeleteAllRows();
    int row = 0;
    catalogue.ForEachParam(
        [&](const generator::CatalogueDevice &, const generator::CatalogueItem &item,
            const generator::CatalogueParam &param, const generator::ParamPosition &) {
            list_->AppendRow({QString::number(row++), GbkToQString(item.itemname),
                              GbkToQString(param.paramname), QString::number(param.paramid)});
        });
    const generator::MaskTable &mask = session_.State().mask;
    if (mask.Count() > 0) {
        for (int n = 0; n < list_->RowCount(); ++n)
            list_->SetChecked(n, mask.IsMasked(list_->CellText(n, kIdColumn).toInt()));
    }
    list_->SetRedraw(true);
}

std::vector<int32_t> MaskDlg::RowParams(bool checked) const {
    std::vector<int32_t> params;
    for (int n = 0; n < list_->RowCount(); ++n)
        if (list_->IsChecked(n) == checked) params.push_back(list_->CellText(n, kIdColumn).toInt());
    return params;
}

void MaskDlg::accept() {
    std::vector<generator::MaskChoice> rows;
    rows.reserve(static_cast<std::size_t>(list_->RowCount()));
    for (int n = 0; n < list_->RowCount(); ++n)
        rows.push_back({list_->CellText(n, kIdColumn).toInt(), list_->IsChecked(n)});
    session_.ChangeMask(rows);
    QDialog::accept();
}

// Every row masked, in list order.
void MaskDlg::SelectAll() {
    selectAll_->setEnabled(false);
    std::vector<int32_t> all;
    for (int n = 0; n < list_->RowCount(); ++n)
        all.push_back(list_->CellText(n, kIdColumn).toInt());
    session_.ReplaceMask(all);
    FillList();
    selectAll_->setEnabled(true);
}

// The unchecked rows become the mask; the checked ones are unmasked.
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
