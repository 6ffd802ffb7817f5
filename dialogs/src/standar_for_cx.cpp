#include "dialogs/standar_for_cx.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialog_units.h"
#include "dialogs/mask_dlg.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "dialogs/std_info_dlg.h"
#include "dialogs/val_set.h"
#include "engine/registration_params.h"
#include "gbk_texts.h"
#include "generator/editor_flow.h"
#include "stationdb/stationdb.h"
#include "widgets/btn_st.h"
#include "widgets/report_ctrl.h"

// Resources of a static library are registered by hand, from the global
// namespace.
static void InitSergenIcons() {
    Q_INIT_RESOURCE(sergen_icons);
}

namespace dialogs {
namespace {

namespace ids = standards_ids;

constexpr int kFirstLoadDelayMs = 500;
constexpr int kUnnumbered = 0;  // a control the template does not number
// Columns of the standards list.
constexpr int kDeviceIndexColumn = 1;
constexpr int kItemIndexColumn = 3;
constexpr int kParamIndexColumn = 5;
constexpr int kUpperColumn = 6;
constexpr int kLowerColumn = 7;

const QColor kTextColor(0, 0, 255);
const QColor kListBackground(240, 247, 233);
const QColor kHoverText(200, 128, 0);
constexpr int kHoverOffset = 30;

QString Prompt() {
    return GbkToQString(texts::kPromptCaption);
}

// `what` (GBK) and the database's error (UTF-8) below it.
void ShowError(QWidget *parent, const char *what, const stationdb::DatabaseError &error) {
    ShowBox(parent,
            {GbkToQString(generator::ErrorReport(what, "")) + QString::fromUtf8(error.what()),
             Prompt(), generator::MessageIcon::kExclamation, false});
}

QLabel *AddLabel(QWidget *parent, const QString &text, const QString &name, int id, QRect place,
                 Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto *label = new QLabel(text, parent);
    if (id == kUnnumbered)
        label->setObjectName(name);
    else
        NameControl(label, name, id);
    label->setAlignment(align);
    label->setGeometry(place);
    return label;
}

QComboBox *AddCombo(QWidget *parent, const QString &name, int id, QRect place) {
    auto *box = new QComboBox(parent);
    NameControl(box, name, id);
    box->setGeometry(place);
    return box;
}

// Fills `box` with `gbkNames` in GBK byte order (the order of a Chinese
// sorted list).
void FillSorted(QComboBox *box, std::vector<std::string> gbkNames) {
    std::sort(gbkNames.begin(), gbkNames.end());
    for (const std::string &name : gbkNames) box->addItem(GbkToQString(name));
}

}  // namespace

StandarForCX::StandarForCX(generator::EditorSession &session, const generator::EditorRect &rect,
                           QWidget *parent)
    : QDialog(parent), session_(session) {
    InitSergenIcons();
    NameControl(this, QStringLiteral("standardsDialog"), ids::kDialog);
    setWindowTitle(QStringLiteral("车型库标准"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    BuildControls();
    layout_.Bind(this);

    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width > 0 && height > 0) {
        setGeometry(rect.left, rect.top, width, height);
        layout_.Layout();
    }
    layout_.Layout();

    conditions_ = std::make_unique<StdInfoDlg>(session_, this);
    limitEdit_ = std::make_unique<ValSet>(this);
    firstLoad_ = new QTimer(this);
    firstLoad_->setSingleShot(true);
    connect(firstLoad_, &QTimer::timeout, this, &StandarForCX::FirstLoad);
    QTimer::singleShot(0, this, &StandarForCX::ShowStartProblems);

    // Without the environment library the editor stays open and empty.
    if (!session_.LastOpen().plinthLoaded) {
        for (QWidget *control : std::initializer_list<QWidget *>{
                 brand_, series_, content_, FindByResourceId<QPushButton>(this, ids::kMaskButton),
                 default_, generate_, clear_})
            control->setEnabled(false);
        return;
    }
    firstLoad_->start(kFirstLoadDelayMs);

    default_->setEnabled(session_.FullModuleLoaded());
    char name[PLINTH_NAME_BYTES] = {};
    if (session_.Plinth().GetZK2IDInfo(engine::kParamBrand, name) > 0)
        brandLabel_->setText(GbkToQString(name));
    if (session_.Plinth().GetZK2IDInfo(engine::kParamModel, name) > 0)
        seriesLabel_->setText(GbkToQString(name));
}

StandarForCX::~StandarForCX() = default;

void StandarForCX::UseOwnWindow(const QString &title) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(title);
    setMinimumSize(templateSize_);
    if (width() < templateSize_.width() || height() < templateSize_.height())
        resize(templateSize_.expandedTo(size()));
}

// What the start-up found, each in its own box; without the environment
// library only that.
void StandarForCX::ShowStartProblems() {
    const generator::OpenReport &report = session_.LastOpen();
    if (!report.plinthLoaded) {
        ShowBox(this, {QStringLiteral("Plinth.dll 加载错误或者没有该文件！"), QString()});
        return;
    }
    for (const std::string &problem : report.problems)
        ShowBox(this, {GbkToQString(problem), Prompt(), generator::MessageIcon::kExclamation});
}

// The controls at the template's 345 x 263 dialog units.
void StandarForCX::BuildControls() {
    const QFont font = layout_.Font().ToFont();
    setFont(font);
    QPalette blue = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        blue.setColor(role, kTextColor);
    setPalette(blue);
    const DialogUnits du(font);
    BuildSelectors(du);
    BuildList(du);
    BuildButtons(du);
    templateSize_ = du.Size(345, 263);
    resize(templateSize_);
    ConnectControls();
}

// Brand, series, mask button and content filter: the top two rows.
void StandarForCX::BuildSelectors(const DialogUnits &du) {
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    brandLabel_ = AddLabel(this, QStringLiteral("厂牌名称"), QStringLiteral("brandLabel"),
                           ids::kBrandLabel, du.Rect(7, 8, 38, 10), right);
    brand_ = AddCombo(this, QStringLiteral("brandBox"), ids::kBrandBox, du.Rect(48, 6, 100, 13));
    brand_->setEditable(true);
    brand_->setInsertPolicy(QComboBox::NoInsert);
    brand_->setCompleter(nullptr);
    seriesLabel_ = AddLabel(this, QStringLiteral("车型"), QStringLiteral("seriesLabel"),
                            ids::kSeriesLabel, du.Rect(154, 8, 32, 10), right);
    series_ =
        AddCombo(this, QStringLiteral("seriesBox"), ids::kSeriesBox, du.Rect(189, 6, 100, 13));
    mask_ = new QPushButton(QStringLiteral("显"), this);
    NameControl(mask_, QStringLiteral("maskButton"), ids::kMaskButton);
    mask_->setToolTip(QStringLiteral("屏蔽参数"));
    mask_->setGeometry(du.Rect(297, 5, 41, 15));
    mask_->setAutoDefault(false);

    AddLabel(this, QStringLiteral("检测内容"), QStringLiteral("contentLabel"), kUnnumbered,
             du.Rect(7, 26, 38, 10), right);
    content_ =
        AddCombo(this, QStringLiteral("contentBox"), ids::kContentBox, du.Rect(48, 24, 100, 13));
    AddLabel(this, QStringLiteral("车型库标准(FCX)(1104_1069)"), QStringLiteral("titleLabel"),
             ids::kTitleLabel, du.Rect(154, 26, 184, 10));
}

// The standards list and the hint below it.
void StandarForCX::BuildList(const DialogUnits &du) {
    list_ = new widgets::ReportCtrl(this);
    NameControl(list_, QStringLiteral("limitList"), ids::kLimitList);
    list_->setGeometry(du.Rect(7, 42, 331, 186));
    AddLabel(this, QStringLiteral("双击鼠标左键修改数据!"), QStringLiteral("hintLabel"),
             kUnnumbered, du.Rect(7, 240, 108, 10));

    // Nine columns; the three index columns are hidden and address the
    // parameter in the catalogue.
    const int w = list_->width() / 6;
    list_->SetColumns(QStringLiteral("设备名称,%1;设备下标,0;检测项目,%2;项目下标,0;检测参数,%2;"
                                     "参数下标,0;上限,%3;下限,%3;ID,%3;")
                          .arg(w - 10)
                          .arg(w + 40)
                          .arg(w - 30));
    list_->SetGridLines(true);
    list_->SetTextColor(kTextColor);
    list_->SetBkColor(kListBackground);
}

// The four icon buttons along the bottom.
void StandarForCX::BuildButtons(const DialogUnits &du) {
    struct Button {
        widgets::BtnST **member;
        const char16_t *caption;
        const char16_t *name;
        int id;
        const char16_t *icon;
        const char16_t *tip;
    };
    const Button buttons[] = {
        {&clear_, u"清除标准", u"clearStandardsButton", ids::kClearStandardsButton,
         u":/icons/8006.svg", u"清除标准"},
        {&default_, u"缺省标准", u"defaultStandardButton", ids::kDefaultStandardButton,
         u":/icons/8007.svg", u"生成缺省标准"},
        {&generate_, u"生成", u"generateButton", ids::kGenerateButton, u":/icons/8008.svg",
         u"生成标准"},
        {&return_, u"返回", u"returnButton", ids::kReturnButton, u":/icons/8001.svg", u"返回"},
    };
    int x = 118;
    for (const Button &b : buttons) {
        auto *button = new widgets::BtnST(QString::fromUtf16(b.caption), this);
        NameControl(button, QString::fromUtf16(b.name), b.id);
        button->SetIcon(QIcon(QString::fromUtf16(b.icon)));
        button->SetTooltipText(QString::fromUtf16(b.tip));
        button->SetHoverBkOffset(kHoverOffset);
        button->SetHoverTextColor(kHoverText);
        button->setAutoDefault(false);
        button->setGeometry(du.Rect(x, 233, 52, 22));
        *b.member = button;
        x += 56;
    }
}

void StandarForCX::ConnectControls() {
    connect(content_, &QComboBox::activated, this, [this] { FillList(content_->currentText()); });
    connect(brand_->lineEdit(), &QLineEdit::textEdited, this, &StandarForCX::BrandEdited);
    connect(brand_, &QComboBox::activated, this, &StandarForCX::CascadeSeries);
    connect(series_, &QComboBox::activated, this, &StandarForCX::ModelChanged);
    connect(list_, &widgets::ReportCtrl::rowDoubleClicked, this, &StandarForCX::EditLimit);
    connect(generate_, &QPushButton::clicked, this, &StandarForCX::Generate);
    connect(default_, &QPushButton::clicked, this, &StandarForCX::DefaultStandard);
    connect(clear_, &QPushButton::clicked, this, &StandarForCX::ClearStandards);
    connect(mask_, &QPushButton::clicked, this, &StandarForCX::ShowMask);
    connect(return_, &QPushButton::clicked, this, &StandarForCX::reject);
    brand_->installEventFilter(this);
    series_->installEventFilter(this);
    brand_->view()->installEventFilter(this);
}

void StandarForCX::FirstLoad() {
    firstLoad_->stop();
    if (!session_.LastOpen().plinthLoaded) return;
    try {
        session_.LoadCatalogue();
    } catch (const stationdb::DatabaseError &error) {
        ShowError(this, texts::kReadParamsFailed, error);
    }
    FillList(QString());
    content_->clear();
    content_->addItem(GbkToQString(generator::AllDevicesText()));
    for (const generator::CatalogueDevice &device : session_.State().catalogue.devices)
        content_->addItem(GbkToQString(device.devname));
    MoveControl::SizeDropDown(content_);
}

void StandarForCX::FillList(const QString &filter) {
    const generator::Catalogue &catalogue = session_.State().catalogue;
    if (catalogue.devices.empty()) return;
    ShowRows(generator::ListRows(catalogue, session_.State().mask, GbkKey(filter)));
}

void StandarForCX::ShowDefaultRows(const std::vector<generator::StandardRow> &rows) {
    ShowRows(generator::DefaultRows(session_.State().catalogue, rows));
}

void StandarForCX::ShowRows(const std::vector<generator::ListRow> &rows) {
    list_->SetRedraw(false);
    list_->DeleteAllRows();
    for (const generator::ListRow &row : rows)
        list_->AppendRow({GbkToQString(row.device), QString::number(row.at.device),
                          GbkToQString(row.item), QString::number(row.at.item),
                          GbkToQString(row.param), QString::number(row.at.param),
                          QString::fromStdString(row.upper), QString::fromStdString(row.lower),
                          QString::number(row.paramid)});
    list_->SetRedraw(true);
}

generator::ParamPosition StandarForCX::RowPosition(int row) const {
    return {list_->CellText(row, kDeviceIndexColumn).toInt(),
            list_->CellText(row, kItemIndexColumn).toInt(),
            list_->CellText(row, kParamIndexColumn).toInt()};
}

void StandarForCX::RefreshLimits(const generator::ParamPosition &at) {
    const generator::Catalogue &catalogue = session_.State().catalogue;
    for (int row = 0; row < list_->RowCount(); ++row) {
        const generator::ParamPosition place = RowPosition(row);
        std::string upper, lower;
        if (!generator::SameParameter(catalogue, at, place) ||
            !generator::LimitTexts(catalogue, place, upper, lower))
            continue;
        list_->SetCellText(row, kUpperColumn, QString::fromStdString(upper));
        list_->SetCellText(row, kLowerColumn, QString::fromStdString(lower));
    }
}

std::string StandarForCX::BoxTextGbk(const QComboBox *box) {
    std::string gbk;
    QStringToGbk(box->currentText(), gbk);
    return gbk;
}

// Type-ahead: the brands whose letter code starts with the typed text.
void StandarForCX::BrandEdited(const QString &text) {
    if (!text.isEmpty()) {
        std::string prefix;
        generator::BrandQuery found;
        if (QStringToGbk(text, prefix)) found = session_.Brands(prefix);
        brand_->clear();
        for (const std::string &name : found.brands) brand_->addItem(GbkToQString(name));
        brand_->setCurrentIndex(-1);
        brand_->setEditText(text);
        if (found.result == 1) {
            MoveControl::SizeDropDown(brand_);
            brand_->showPopup();
        } else {
            brand_->hidePopup();
        }
    }
    brand_->setEditText(text);
    brand_->lineEdit()->setCursorPosition(static_cast<int>(text.size()));
    MoveControl::SizeDropDown(series_);
}

bool StandarForCX::MayDiscardEdits() {
    if (!session_.Dirty()) return true;
    BoxRequest question{GbkToQString(texts::kDiscardEdits), Prompt(),
                        generator::MessageIcon::kQuestion};
    question.yesNo = true;
    question.negativeDefault = true;
    if (ShowBox(this, question)) return true;
    // The boxes show the series whose edits the list keeps.
    brand_->setEditText(loadedBrand_);
    series_->clear();
    std::string brand;
    if (QStringToGbk(loadedBrand_, brand)) FillSorted(series_, session_.Series(brand));
    series_->setCurrentIndex(series_->findText(loadedSeries_));
    return false;
}

// The series of the brand shown, the first one chosen.
void StandarForCX::CascadeSeries() {
    if (!MayDiscardEdits()) return;
    series_->clear();
    FillSorted(series_, session_.Series(BoxTextGbk(brand_)));
    if (series_->count() > 0) series_->setCurrentIndex(0);
    MoveControl::SizeDropDown(brand_);
    MoveControl::SizeDropDown(series_);
    LoadShownSeries();
}

// The stored limits of the series chosen replace those in the list.
void StandarForCX::ModelChanged() {
    if (MayDiscardEdits()) LoadShownSeries();
}

void StandarForCX::LoadShownSeries() {
    LoadSeries(brand_->currentText(), series_->currentText());
}

void StandarForCX::LoadSeries(const QString &brand, const QString &series) {
    std::string brandGbk, seriesGbk;  // "" without a GBK form: nothing is loaded
    QStringToGbk(brand, brandGbk);
    QStringToGbk(series, seriesGbk);
    try {
        session_.LoadSeries(brandGbk, seriesGbk);
    } catch (const stationdb::DatabaseError &error) {
        ShowError(this, texts::kReadSeriesFailed, error);
    }
    loadedBrand_ = brand;
    loadedSeries_ = series;
    FillList(content_->currentText());
}

void StandarForCX::ChooseSeries(const QString &brand, const QString &series) {
    brand_->setEditText(brand);
    CascadeSeries();
    const int at = series_->findText(series);
    if (at < 0 || at == series_->currentIndex()) return;
    series_->setCurrentIndex(at);
    ModelChanged();
}

// Below the row when the screen has room there, else above it: the row
// being edited stays in sight.
void StandarForCX::PlaceBesideRow(QWidget *dialog, int row) const {
    const QRect cell = list_->visualItemRect(list_->item(row, kUpperColumn));
    const QWidget *view = list_->viewport();
    const QRect rowRect(view->mapToGlobal(QPoint(0, cell.top())),
                        QSize(view->width(), cell.height()));
    // The frame is known once the dialog has been shown; before, allow for a
    // title bar.
    const QSize frame = dialog->isVisible() || dialog->testAttribute(Qt::WA_WState_ExplicitShowHide)
                            ? dialog->frameGeometry().size()
                            : dialog->size() + QSize(0, 40);
    const QScreen *screen = list_->screen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : QRect();
    constexpr int kGap = 4;
    int x = view->mapToGlobal(cell.topLeft()).x() + cell.width() / 2 - frame.width() / 2;
    int y = rowRect.bottom() + 1 + kGap;
    if (room.isValid()) {
        x = std::clamp(x, room.left(), std::max(room.left(), room.right() + 1 - frame.width()));
        if (y + frame.height() > room.bottom() + 1 &&
            rowRect.top() - kGap - frame.height() >= room.top())
            y = rowRect.top() - kGap - frame.height();
    }
    dialog->move(x, y);
}

// The limits of one row, checked by the limit dialog; stored in the
// catalogue at every place of the parameter, written by "生成".
void StandarForCX::EditLimit() {
    if (list_->RowCount() == 0) return;
    const int row = list_->SelectionMark();
    if (row < 0) return;
    limitEdit_->SetTexts(list_->CellText(row, kUpperColumn), list_->CellText(row, kLowerColumn));
    limitEdit_->SetParameter(
        QStringLiteral("%1 (%2)").arg(list_->CellText(row, 4), list_->CellText(row, 8)));
    PlaceBesideRow(limitEdit_.get(), row);
    if (limitEdit_->exec() != QDialog::Accepted) return;
    const generator::LimitInput &upper = limitEdit_->UpperLimit();
    const generator::LimitInput &lower = limitEdit_->LowerLimit();
    const generator::ParamPosition at = RowPosition(row);
    if (session_.SetLimits(at, upper.value, lower.value) == 0) return;
    RefreshLimits(at);
    std::string upperTyped, lowerTyped;  // OK took them: both have a GBK form
    QStringToGbk(limitEdit_->Upper(), upperTyped);
    QStringToGbk(limitEdit_->Lower(), lowerTyped);
    const std::string note = generator::RoundingNote(upperTyped, upper, lowerTyped, lower);
    if (!note.empty())
        ShowBox(this, {GbkToQString(note), Prompt(), generator::MessageIcon::kInformation});
}

void StandarForCX::Generate() {
    switch (generator::NextGenerateStep(GbkKey(brand_->currentText()),
                                        GbkKey(series_->currentText()), GbkKey(loadedBrand_),
                                        GbkKey(loadedSeries_))) {
        case generator::GenerateStep::kNoBrand:
            ShowBox(this, {GbkToQString(texts::kNoBrandName), Prompt(),
                           generator::MessageIcon::kExclamation});
            brand_->setFocus();
            return;
        case generator::GenerateStep::kNoSeries:
            ShowBox(this, {GbkToQString(texts::kNoSeriesName), Prompt(),
                           generator::MessageIcon::kExclamation});
            series_->setFocus();
            return;
        case generator::GenerateStep::kLoadBrand:
            CascadeSeries();
            return;
        case generator::GenerateStep::kLoadSeries:
            ModelChanged();
            return;
        case generator::GenerateStep::kGenerate:
            break;
    }
    generate_->setEnabled(false);
    generate_->setText(GbkToQString(texts::kPleaseWait));
    const std::string brand = BoxTextGbk(brand_), series = BoxTextGbk(series_);
    std::optional<generator::GenerationResult> written;
    {
        // One call that cannot report progress: a busy bar while it runs.
        QProgressDialog progress(GbkToQString(texts::kGeneratingSeries), QString(), 0, 0, this);
        progress.setWindowTitle(GbkToQString(texts::kGenerateCaption));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        progress.show();
        QCoreApplication::processEvents();
        try {
            written = session_.Generate(brand, series);
        } catch (const stationdb::DatabaseError &error) {
            progress.hide();
            ShowError(this, texts::kGenerateFailed, error);
        } catch (const std::invalid_argument &refused) {
            // The generation refused to write; its text says why.
            progress.hide();
            ShowBox(this,
                    {GbkToQString(refused.what()), Prompt(), generator::MessageIcon::kExclamation});
        }
    }
    generate_->setText(GbkToQString(texts::kGenerateCaption));
    generate_->setEnabled(true);
    if (written && written->ran)
        ShowBox(this, {GbkToQString(generator::GenerationReport(
                           generator::SeriesCondition(brand, series), *written)),
                       Prompt(), generator::MessageIcon::kInformation});
}

// Shows the conditions dialog and waits, with the other controls usable,
// until it is hidden; then its standard goes into the list.
void StandarForCX::DefaultStandard() {
    conditions_->show();
    conditions_->raise();
    conditions_->activateWindow();
    if (waiting_) return;  // the running wait applies it
    waiting_ = true;
    {
        QEventLoop wait;
        connect(conditions_.get(), &StdInfoDlg::hidden, &wait, &QEventLoop::quit);
        while (conditions_->IsShown()) wait.exec();
    }
    waiting_ = false;
    if (closeQueued_) {
        closeQueued_ = false;
        Close();
        return;
    }
    const generator::AppliedDefault applied = session_.ApplyDefault();
    if (!applied.applied) return;
    if (applied.rows.empty()) {
        // An empty list would hide the limits "生成" stores: keep it as it was.
        ShowBox(this, {GbkToQString(texts::kDefaultGaveNothing), Prompt(),
                       generator::MessageIcon::kExclamation});
        return;
    }
    ShowDefaultRows(applied.rows);
}

void StandarForCX::ClearStandards() {
    stationdb::Connection *connection = session_.Connection();
    if (connection == nullptr || !connection->IsOpen()) return;
    generator::StandardCounts counts;
    try {
        counts = session_.CountStandards();
    } catch (const stationdb::DatabaseError &error) {
        ShowError(this, texts::kReadStandardsFailed, error);
        return;
    }
    BoxRequest question{GbkToQString(generator::ClearQuestion(counts)),
                        GbkToQString(texts::kConfirmCaption), generator::MessageIcon::kNone, true};
    question.negativeDefault = true;  // Enter must not delete the table
    if (!ShowBox(this, question)) return;
    clear_->setEnabled(false);
    clear_->setText(GbkToQString(texts::kClearStandardsBusy));
    clear_->repaint();
    bool cleared = false;
    try {
        session_.ClearStandards();
        cleared = true;
    } catch (const stationdb::DatabaseError &error) {
        ShowError(this, texts::kClearStandardsFailed, error);
    }
    clear_->setText(GbkToQString(texts::kClearStandardsButton));
    clear_->setEnabled(true);
    if (!cleared) return;
    // The list shows what a generation would store: the stored limits (now
    // none) unless it holds edits not yet generated.
    if (session_.Dirty())
        FillList(content_->currentText());
    else
        LoadSeries(loadedBrand_, loadedSeries_);
    ShowBox(this, {GbkToQString(texts::kClearStandardsDone), Prompt()});
}

void StandarForCX::ShowMask() {
    MaskDlg mask(session_, this);
    mask.exec();
    FillList(content_->currentText());  // the mask as it is now
}

void StandarForCX::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    layout_.Layout();
}

void StandarForCX::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// While "缺省标准" waits, closing would pull the dialogs from under the
// wait: the conditions dialog is only hidden and the wait closes after.
void StandarForCX::reject() {
    // Escape is one key away from the list: edits not yet generated are not
    // dropped without a word.
    if (!MayDiscardEdits()) return;
    if (waiting_) {
        closeQueued_ = true;
        conditions_->hide();
        return;
    }
    Close();
}

void StandarForCX::Close() {
    conditions_->hide();
    list_->DeleteAllRows();
    QDialog::done(QDialog::Rejected);
}

bool StandarForCX::eventFilter(QObject *watched, QEvent *event) {
    // Leaving a box is the user's move to another control (mouse, Tab,
    // shortcut). Its own list opening, the type-ahead refilling it (Qt gives
    // "other" as the reason) or the window losing activation (a message box,
    // another program) is not leaving it.
    const auto leaves = [event] {
        switch (static_cast<QFocusEvent *>(event)->reason()) {
            case Qt::MouseFocusReason:
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::ShortcutFocusReason:
                return true;
            default:
                return false;
        }
    };
    // Only a changed text reloads: leaving a box as it was keeps the edits.
    if (event->type() == QEvent::FocusOut && leaves()) {
        if (watched == brand_ && brand_->currentText() != loadedBrand_) CascadeSeries();
        if (watched == series_ &&
            (series_->currentText() != loadedSeries_ || brand_->currentText() != loadedBrand_))
            ModelChanged();
    }
    // Typing goes on in the brand's edit field while its list is open.
    if (watched == brand_->view() && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool editing = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                             key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
                             (!key->text().isEmpty() && key->text().at(0).isPrint());
        if (editing) {
            QCoreApplication::sendEvent(brand_->lineEdit(), event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace dialogs
