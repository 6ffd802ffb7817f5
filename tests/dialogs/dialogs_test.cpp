// The editor's four dialogs over a real SQLite station, the environment
// library and the full standard module, on Qt's offscreen platform. Message
// boxes are answered by the test.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "dialogs/mask_dlg.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "dialogs/standar_for_cx.h"
#include "dialogs/std_info_dlg.h"
#include "dialogs/val_set.h"
#include "generator/editor_session.h"
#include "temp_dir.h"
#include "test_database.h"
#include "widgets/report_ctrl.h"

namespace {

using dialogs::BoxRequest;
using testing_support::Gbk;
using testing_support::TempDir;
using testing_support::WriteBytes;

QString Q(const char16_t *text) {
    return QString::fromUtf16(text);
}

template <typename T>
T *Child(const QWidget *parent, const char16_t *name) {
    T *child = parent->findChild<T *>(Q(name));
    EXPECT_NE(child, nullptr) << QString::fromUtf16(name).toStdString();
    return child;
}

// Types `text` one key event per character, as a keyboard (or an input
// method) delivers it.
void Type(QWidget *widget, const QString &text) {
    for (const QChar ch : text) {
        const int key = ch.unicode() < 0x80 ? ch.toUpper().unicode() : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

// Runs `step` once the next modal loop (or wait) has started.
void WhenModal(std::function<void()> step) {
    QTimer::singleShot(0, std::move(step));
}

class Editor : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "dialogs_tests";
        static char *argv[] = {name, nullptr};
        if (QApplication::instance() != nullptr) return;
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        new QApplication(argc, argv);  // lives as long as the program
    }

    void SetUp() override {
        db_ = testdb::MakeEditorStation(station_);
        connection_.Open(db_->ConnectString());
        AnswerBoxes();
        session_ = std::make_unique<generator::EditorSession>(
            state_, [this] { return &connection_; }, sink_);
        session_->Open(reinterpret_cast<const void *>(&Q));
    }
    void TearDown() override {
        dialog_.reset();
        session_.reset();
        dialogs::SetBoxAnswerer({});
        ::unsetenv("PLINTH_ENV");
    }
    // Message boxes are recorded and answered with answer_.
    void AnswerBoxes() {
        dialogs::SetBoxAnswerer([this](const BoxRequest &box) {
            boxes_.push_back(box);
            return answer_;
        });
    }

    // The main dialog at its template size, shown and loaded.
    dialogs::StandarForCX &Main(bool load = true) {
        dialog_ = std::make_unique<dialogs::StandarForCX>(*session_, generator::EditorRect{});
        dialog_->show();
        QApplication::setActiveWindow(dialog_.get());
        if (load) dialog_->FirstLoad();
        return *dialog_;
    }
    widgets::ReportCtrl *List() { return Child<widgets::ReportCtrl>(dialog_.get(), u"limitList"); }
    QPushButton *Button(const QWidget *parent, const char16_t *name) {
        return Child<QPushButton>(parent, name);
    }
    // Rows of tb_id_standard under `condition`, or all of them.
    long long StoredRows(const std::string &condition = {}) {
        stationdb::Statement st(db_->Admin(),
                                condition.empty()
                                    ? "select count(*) from tb_id_standard where condition <> ?"
                                    : "select count(*) from tb_id_standard where condition = ?");
        st.BindText(1, condition);
        st.Execute();
        st.Fetch();
        return std::stoll(st.Text(1));
    }
    // A parameter found once in the catalogue (others, like 2231, are
    // measured on two devices and share their stored row).
    int32_t UniqueParam() {
        std::map<int32_t, int> seen;
        state_.catalogue.ForEachParam(
            [&](auto &, auto &, auto &p, const auto &) { ++seen[p.paramid]; });
        for (const auto &[id, times] : seen)
            if (times == 1) return id;
        return 0;
    }
    int RowOf(int32_t paramid) {
        const std::vector<int> rows = RowsOf(paramid);
        return rows.empty() ? -1 : rows.front();
    }
    std::vector<int> RowsOf(int32_t paramid, widgets::ReportCtrl *list = nullptr,
                            int idColumn = 8) {
        if (list == nullptr) list = List();
        std::vector<int> rows;
        for (int row = 0; row < list->RowCount(); ++row)
            if (list->CellText(row, idColumn).toInt() == paramid) rows.push_back(row);
        return rows;
    }
    // The stored upper limit of a parameter under `condition` ("" for none).
    std::string StoredUpper(const std::string &condition, int32_t paramid) {
        stationdb::Statement st(
            db_->Admin(), "select hvalue from tb_id_standard where condition = ? and paramid = ?");
        st.BindText(1, condition);
        st.BindInt(2, paramid);
        st.Execute();
        return st.Fetch() ? st.Text(1) : std::string();
    }
    // The catalogue position a row of the main list shows.
    generator::ParamPosition PositionOf(int row) {
        return {List()->CellText(row, 1).toInt(), List()->CellText(row, 3).toInt(),
                List()->CellText(row, 5).toInt()};
    }
    // Double-clicks `row`, types the limits into the limit dialog and clicks
    // `button`; `inside` sees the dialog after the click, which is then
    // cancelled if still open.
    void EditRow(int row, const QString &upper, const QString &lower,
                 const char16_t *button = u"okButton",
                 std::function<void(dialogs::ValSet *)> inside = {}) {
        widgets::ReportCtrl *list = List();
        list->scrollToItem(list->item(row, 4));
        const QPoint cell = list->visualItemRect(list->item(row, 4)).center();
        bool ran = false;
        WhenModal([this, upper, lower, button, inside, &ran] {
            ran = true;
            dialogs::ValSet *limits = dialog_->LimitDialog();
            ASSERT_TRUE(limits->isVisible());
            Child<QLineEdit>(limits, u"upperEdit")->setText(upper);
            Child<QLineEdit>(limits, u"lowerEdit")->setText(lower);
            QTest::mouseClick(Button(limits, button), Qt::LeftButton);
            if (inside) inside(limits);
            if (limits->isVisible()) limits->reject();
        });
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
        EXPECT_TRUE(ran) << "the limit dialog did not run";
    }

    TempDir station_;
    std::unique_ptr<testdb::TestDatabase> db_;
    stationdb::Connection connection_;
    generator::EditorState state_;
    dialogs::QtMessageSink sink_;
    std::unique_ptr<generator::EditorSession> session_;
    std::unique_ptr<dialogs::StandarForCX> dialog_;
    std::vector<BoxRequest> boxes_;
    bool answer_ = true;
};

TEST_F(Editor, BrandTypeAheadListsBrandsByLetterCodeAndKeepsTheTypedText) {
    Main();
    auto *brand = Child<QComboBox>(dialog_.get(), u"brandBox");
    const QStringList dBrands{Q(u"大众"), Q(u"东风"), Q(u"大阳")};
    Type(brand->lineEdit(), Q(u"d"));
    QStringList listed;
    for (int i = 0; i < brand->count(); ++i) listed << brand->itemText(i);
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()),
              QSet<QString>(dBrands.begin(), dBrands.end()));
    EXPECT_EQ(brand->currentText(), Q(u"d"));
    EXPECT_EQ(brand->lineEdit()->cursorPosition(), 1);
    EXPECT_TRUE(brand->view()->isVisible());

    Type(brand->lineEdit(), Q(u"Z"));  // the letter code ignores case
    EXPECT_EQ(brand->count(), 1);
    EXPECT_EQ(brand->itemText(0), Q(u"大众"));
    EXPECT_EQ(brand->currentText(), Q(u"dZ"));
    EXPECT_EQ(brand->lineEdit()->cursorPosition(), 2);

    // Erasing to an empty text asks nothing: the last brands stay.
    brand->lineEdit()->selectAll();
    QTest::keyClick(brand->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(brand->currentText(), QString());
    EXPECT_EQ(brand->count(), 1);
    brand->hidePopup();
}

TEST_F(Editor, CascadeChoosesTheFirstSeriesAndLoadsItsStoredLimits) {
    session_->LoadCatalogue();
    std::vector<std::string> series = session_->Series(Gbk("大众"));
    std::sort(series.begin(), series.end());
    const int32_t id = UniqueParam();
    generator::CatalogueParam *first = state_.catalogue.FindParam(id);
    first->hvalue = 12.5f;
    first->lvalue = 3.25f;
    ASSERT_TRUE(session_->Generate(Gbk("大众"), series.front()).ran);

    Main();  // loads the catalogue anew, every limit 0
    first = state_.catalogue.FindParam(id);
    ASSERT_EQ(first->hvalue, 0.0f);
    const int row = RowOf(id);
    auto *brand = Child<QComboBox>(dialog_.get(), u"brandBox");
    auto *model = Child<QComboBox>(dialog_.get(), u"seriesBox");
    Type(brand->lineEdit(), Q(u"dz"));
    brand->hidePopup();
    QTest::keyClick(brand, Qt::Key_Down);  // picks 大众: the cascade
    EXPECT_EQ(brand->currentText(), Q(u"大众"));
    EXPECT_EQ(model->count(), static_cast<int>(series.size()));
    EXPECT_EQ(model->currentText(), dialogs::GbkToQString(series.front()));
    EXPECT_EQ(List()->CellText(row, 6), Q(u"12.50"));
    EXPECT_EQ(List()->CellText(row, 7), Q(u"3.25"));

    // Leaving the model box as it was, or opening its own list, reloads
    // nothing; leaving it with another series does.
    first->hvalue = 99;
    QFocusEvent toPopup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(model, &toPopup);
    EXPECT_EQ(first->hvalue, 99.0f);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(model, &leave);
    EXPECT_EQ(first->hvalue, 99.0f);
    ASSERT_GT(model->count(), 1);
    model->setCurrentIndex(1);
    QApplication::sendEvent(model, &leave);
    EXPECT_EQ(first->hvalue, 0.0f);  // nothing stored for that series
    model->setCurrentIndex(0);
    QApplication::sendEvent(model, &leave);
    EXPECT_EQ(first->hvalue, 12.5f);
    EXPECT_EQ(List()->CellText(row, 6), Q(u"12.50"));
    EXPECT_TRUE(boxes_.empty());  // no edits were made through the list
}

TEST_F(Editor, LeavingABoxKeepsEditsUnlessAnotherSeriesIsChosenAndTheUserLetsThemGo) {
    Main();
    dialog_->ChooseSeries(Q(u"大众"), Q(u"捷达"));
    auto *brand = Child<QComboBox>(dialog_.get(), u"brandBox");
    auto *model = Child<QComboBox>(dialog_.get(), u"seriesBox");
    const int32_t id = UniqueParam();
    const int row = RowOf(id);
    ASSERT_GE(row, 0);
    EditRow(row, Q(u"0.3"), Q(u"0"));
    ASSERT_TRUE(session_->Dirty());

    // Into the brand box and out to "生成": the edit is what is stored.
    QTest::mouseClick(brand->lineEdit(), Qt::LeftButton);
    QTest::mouseClick(Button(dialog_.get(), u"generateButton"), Qt::LeftButton);
    EXPECT_EQ(model->currentText(), Q(u"捷达"));
    EXPECT_EQ(StoredUpper(Gbk("大众_捷达"), id), "0.30");
    EXPECT_FALSE(session_->Dirty());
    boxes_.clear();

    // Another series with edits not generated: asked first; No keeps the
    // edits and shows their series again.
    EditRow(row, Q(u"0.4"), Q(u"0"));
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(model, &leave);  // unchanged: no question
    EXPECT_TRUE(boxes_.empty());
    answer_ = false;
    model->setCurrentIndex(model->findText(Q(u"捷达")) == 0 ? 1 : 0);
    QApplication::sendEvent(model, &leave);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"修改尚未生成,是否放弃?"));
    EXPECT_TRUE(boxes_[0].yesNo);
    EXPECT_EQ(model->currentText(), Q(u"捷达"));
    EXPECT_EQ(List()->CellText(row, 6), Q(u"0.40"));
    brand->setEditText(Q(u"东风"));
    QApplication::sendEvent(brand, &leave);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(brand->currentText(), Q(u"大众"));
    EXPECT_EQ(model->currentText(), Q(u"捷达"));
    EXPECT_EQ(state_.catalogue.FindParam(id)->hvalue, 0.4f);

    // Yes: the other series is loaded.
    answer_ = true;
    model->setCurrentIndex(model->findText(Q(u"捷达")) == 0 ? 1 : 0);
    QApplication::sendEvent(model, &leave);
    EXPECT_EQ(boxes_.size(), 3u);
    EXPECT_NE(model->currentText(), Q(u"捷达"));
    EXPECT_EQ(List()->CellText(row, 6), Q(u"0.00"));
    EXPECT_FALSE(session_->Dirty());
}

// Typing a brand's letter code opens its list without leaving the box: no
// question while typing. "生成" with a brand not yet loaded loads it (asking
// first) rather than storing the list under a name it was not loaded for.
TEST_F(Editor, TypingABrandAsksNothingAndGenerateStoresOnlyWhatWasLoaded) {
    Main();
    dialog_->ChooseSeries(Q(u"大众"), Q(u"捷达"));
    auto *brand = Child<QComboBox>(dialog_.get(), u"brandBox");
    const int32_t id = UniqueParam();
    EditRow(RowOf(id), Q(u"0.3"), Q(u"0"));
    boxes_.clear();
    brand->lineEdit()->selectAll();
    QTest::keyClicks(brand->lineEdit(), QStringLiteral("D"));
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::OtherFocusReason}) {
        QFocusEvent typing(QEvent::FocusOut, reason);
        QApplication::sendEvent(brand, &typing);
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(session_->Dirty());

    brand->hidePopup();
    brand->setEditText(Q(u"东风"));
    answer_ = false;
    QTest::mouseClick(Button(dialog_.get(), u"generateButton"), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"修改尚未生成,是否放弃?"));
    EXPECT_EQ(brand->currentText(), Q(u"大众"));
    EXPECT_EQ(StoredUpper(Gbk("东风_捷达"), id), "");
    EXPECT_EQ(StoredUpper(Gbk("大众_捷达"), id), "");
}

TEST_F(Editor, DeviceFilterAndMaskDecideTheListedParameters) {
    ASSERT_EQ(session_->ChangeMask({{2231, true}}), generator::MaskChangeResult::kSaved);
    Main();
    const generator::Catalogue &catalogue = state_.catalogue;
    std::size_t masked = 0;
    catalogue.ForEachParam(
        [&](auto &, auto &, auto &p, const auto &) { masked += p.paramid == 2231; });
    ASSERT_GT(masked, 0u);
    EXPECT_EQ(List()->RowCount(), static_cast<int>(catalogue.ParamCount() - masked));
    EXPECT_EQ(RowOf(2231), -1);

    auto *content = Child<QComboBox>(dialog_.get(), u"contentBox");
    ASSERT_EQ(content->count(), static_cast<int>(catalogue.devices.size()) + 1);
    EXPECT_EQ(content->itemText(0), Q(u"所有"));
    QTest::keyClick(content, Qt::Key_Down);  // the first device
    const QString device = dialogs::GbkToQString(catalogue.devices[0].devname);
    EXPECT_EQ(content->currentText(), device);
    std::size_t ofDevice = 0;
    for (const auto &item : catalogue.devices[0].items)
        for (const auto &p : item.params) ofDevice += p.paramid != 2231;
    ASSERT_EQ(List()->RowCount(), static_cast<int>(ofDevice));
    for (int row = 0; row < List()->RowCount(); ++row) EXPECT_EQ(List()->CellText(row, 0), device);

    QTest::keyClick(content, Qt::Key_Up);  // "所有" again
    EXPECT_EQ(List()->RowCount(), static_cast<int>(catalogue.ParamCount() - masked));
}

TEST_F(Editor, DoubleClickEditsOneLimitInTheCatalogueOnly) {
    Main();
    widgets::ReportCtrl *list = List();
    // The row at the middle of the dialog, where a centred dialog would lie.
    const int middle = dialog_->mapToGlobal(dialog_->rect().center()).y();
    int row = 0;
    for (int r = 0; r < list->RowCount(); ++r) {
        const QRect at = list->visualItemRect(list->item(r, 4));
        if (list->viewport()->mapToGlobal(at.center()).y() <= middle) row = r;
    }
    const generator::ParamPosition at = PositionOf(row);
    generator::CatalogueParam *param = state_.catalogue.Find(at);
    ASSERT_NE(param, nullptr);
    ASSERT_EQ(list->CellText(row, 8).toInt(), param->paramid);
    const long long storedBefore = StoredRows();

    // Not a number: refused with the field named; the dialog stays open.
    bool stayedOpen = false;
    QRect placed;
    QString caption;
    EditRow(row, Q(u"abc"), Q(u"1"), u"okButton", [&](dialogs::ValSet *limits) {
        stayedOpen = limits->isVisible();
        placed = limits->frameGeometry();
        caption = limits->windowTitle();
    });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(boxes_[0].text.contains(Q(u"上限")) && boxes_[0].text.contains(Q(u"不是数字")))
        << boxes_[0].text.toStdString();
    // Named after its parameter, and beside its row, not over it.
    EXPECT_TRUE(caption.contains(dialogs::GbkToQString(param->paramname))) << caption.toStdString();
    const QRect cell = list->visualItemRect(list->item(row, 4));
    const QRect rowRect(list->viewport()->mapToGlobal(QPoint(0, cell.top())),
                        QSize(list->viewport()->width(), cell.height()));
    EXPECT_FALSE(placed.intersects(rowRect));
    EditRow(row, Q(u"1"), Q(u"0,5"), u"okButton",
            [&](dialogs::ValSet *limits) { stayedOpen = limits->isVisible(); });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_TRUE(boxes_[1].text.contains(Q(u"下限")));
    EXPECT_EQ(list->CellText(row, 6), Q(u"0.00"));
    EXPECT_EQ(param->hvalue, 0.0f);
    EXPECT_FALSE(session_->Dirty());

    // Full-width digits, sign and point are read; the list shows what is
    // stored, and the rounding is told.
    EditRow(row, Q(u"７５０.４５６"), Q(u"－０.５"));
    EXPECT_EQ(list->CellText(row, 6), Q(u"750.46"));
    EXPECT_EQ(list->CellText(row, 7), Q(u"-0.50"));
    EXPECT_EQ(generator::LimitText(param->hvalue), "750.46");
    EXPECT_EQ(param->lvalue, -0.5f);
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_TRUE(boxes_[2].text.contains(Q(u"750.46"))) << boxes_[2].text.toStdString();
    EXPECT_TRUE(session_->Dirty());

    // An upper limit of 0 is none: a lower limit above it is taken.
    EditRow(row, Q(u"0"), Q(u"60"));
    EXPECT_EQ(list->CellText(row, 7), Q(u"60.00"));
    EXPECT_EQ(boxes_.size(), 3u);

    EditRow(row, Q(u"7"), Q(u"8"), u"cancelButton");  // Cancel changes nothing
    EXPECT_EQ(list->CellText(row, 7), Q(u"60.00"));
    EXPECT_EQ(param->lvalue, 60.0f);
    EXPECT_EQ(StoredRows(), storedBefore);  // nothing reached the database
}

TEST_F(Editor, LimitTextsAreCutTo31Characters) {
    dialogs::ValSet limits;
    const QString blanks(40, QChar(u' '));
    limits.SetTexts(Q(u"1.5") + blanks, QString(31, QChar(u'1')));
    EXPECT_EQ(Child<QLineEdit>(&limits, u"upperEdit")->text().size(), 31);
    Child<QLineEdit>(&limits, u"lowerEdit")->setText(Q(u"2") + blanks);
    WhenModal([&] { QTest::mouseClick(Button(&limits, u"okButton"), Qt::LeftButton); });
    ASSERT_EQ(limits.exec(), QDialog::Accepted);
    EXPECT_EQ(limits.Upper(), (Q(u"1.5") + blanks).left(31));
    EXPECT_EQ(limits.Lower(), (Q(u"2") + blanks).left(31));
    EXPECT_EQ(limits.LowerLimit().stored, "2.00");
}

TEST_F(Editor, GenerateNeedsBrandAndSeriesThenWritesEveryParameter) {
    Main();
    auto *brand = Child<QComboBox>(dialog_.get(), u"brandBox");
    auto *model = Child<QComboBox>(dialog_.get(), u"seriesBox");
    QPushButton *generate = Button(dialog_.get(), u"generateButton");
    const long long seeded = StoredRows();
    QTest::mouseClick(generate, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"没有厂牌名称!"));
    EXPECT_EQ(boxes_[0].caption, Q(u"提示"));
    EXPECT_EQ(boxes_[0].icon, generator::MessageIcon::kExclamation);
    EXPECT_EQ(dialog_->focusWidget(), brand);

    // Leaving the brand box for the button runs the cascade first: a brand
    // without series leaves the model box empty.
    Type(brand->lineEdit(), Q(u"无此厂牌"));
    QTest::mouseClick(generate, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].text, Q(u"没有车型!"));
    EXPECT_EQ(dialog_->focusWidget(), model);
    EXPECT_EQ(StoredRows(), seeded);

    dialog_->ChooseSeries(Q(u"大众"), Q(u"捷达"));
    EXPECT_EQ(model->currentText(), Q(u"捷达"));
    // Edited while the list has the focus (leaving a box reloads the limits).
    List()->setFocus();
    const int32_t id = UniqueParam();
    state_.catalogue.FindParam(id)->hvalue = 11.5f;
    QTest::mouseClick(generate, Qt::LeftButton);
    // What was written, and that the lines take it at their next reload.
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_TRUE(boxes_[2].text.startsWith(Q(u"大众_捷达: "))) << boxes_[2].text.toStdString();
    EXPECT_TRUE(boxes_[2].text.contains(Q(u"条已新增")));
    EXPECT_TRUE(boxes_[2].text.contains(Q(u"下次重新加载")));
    EXPECT_EQ(boxes_[2].caption, Q(u"提示"));
    std::set<std::pair<int32_t, int32_t>> stored;  // one row per item and parameter
    state_.catalogue.ForEachParam([&](auto &, auto &item, auto &p, const auto &) {
        stored.insert({item.itemid, p.paramid});
    });
    EXPECT_EQ(StoredRows(Gbk("大众_捷达")), static_cast<long long>(stored.size()));
    stationdb::Statement st(
        db_->Admin(), "select hvalue from tb_id_standard where condition = ? and paramid = ?");
    st.BindText(1, Gbk("大众_捷达"));
    st.BindInt(2, id);
    st.Execute();
    ASSERT_TRUE(st.Fetch());
    EXPECT_EQ(st.Text(1), "11.50");
    EXPECT_EQ(generate->text(), Q(u"生成"));
    EXPECT_TRUE(generate->isEnabled());

    // A database error reaches the user, and the button comes back.
    QTest::mouseClick(generate, Qt::LeftButton);  // again: all updated
    ASSERT_EQ(boxes_.size(), 4u);
    EXPECT_TRUE(boxes_[3].text.startsWith(Q(u"大众_捷达: "))) << boxes_[3].text.toStdString();
    EXPECT_TRUE(boxes_[3].text.contains(Q(u"条已更新")));
    EXPECT_FALSE(boxes_[3].text.contains(Q(u"新增")));
    db_->Exec("drop table tb_id_standard");
    QTest::mouseClick(generate, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 5u);
    EXPECT_TRUE(boxes_[4].text.startsWith(Q(u"生成标准失败,数据库未改变!\n")))
        << boxes_[4].text.toStdString();
    EXPECT_GT(boxes_[4].text.size(), Q(u"生成标准失败,数据库未改变!\n").size());
    EXPECT_EQ(boxes_[4].caption, Q(u"提示"));
    EXPECT_EQ(generate->text(), Q(u"生成"));
    EXPECT_TRUE(generate->isEnabled());
}

// The sedan of the full standard module's own test, typed into the dialog.
struct Field {
    const char16_t *name;
    const char16_t *text;
};
constexpr Field kSedan[] = {
    {u"totalMassEdit", u"1580"},  {u"loadRatioEdit", u""},    {u"seatsEdit", u"5"},
    {u"maxSpeedEdit", u"185"},    {u"curbMassEdit", u"1230"}, {u"driveTypeBox", u"4x2前驱"},
    {u"vehicleKindBox", u"轿车"}, {u"fuelBox", u"汽油"},      {u"lampSystemBox", u"两灯制"},
    {u"catalystBox", u""},        {u"intakeBox", u"自然进气"}};

// Types the sedan into the conditions dialog key by key, as a user does.
void TypeSedan(QWidget *conditions) {
    for (const Field &field : kSedan) {
        QWidget *widget = Child<QWidget>(conditions, field.name);
        if (auto *box = qobject_cast<QComboBox *>(widget)) widget = box->lineEdit();
        Type(widget, Q(field.text));
    }
}

// Sets the sedan's numbers (the edit fields only) at once.
void SetSedanNumbers(QWidget *conditions) {
    for (const Field &field : kSedan)
        if (auto *edit = conditions->findChild<QLineEdit *>(Q(field.name)))
            edit->setText(Q(field.text));
}

// A module that answers no parameter (its table is empty) leaves the list as
// it was, with a word: an empty list would hide what "生成" stores.
TEST_F(Editor, ADefaultStandardWithoutLimitsKeepsTheList) {
    session_->Close();
    db_->Exec("delete from tb_id_standard");
    std::filesystem::remove(station_.File("config/StandarFile.sfd"));
    session_->Open(reinterpret_cast<const void *>(&Q));
    Main();
    const int rows = List()->RowCount();
    ASSERT_GT(rows, 0);
    dialogs::StdInfoDlg *conditions = dialog_->ConditionsDialog();
    WhenModal([&] {
        TypeSedan(conditions);
        QTest::mouseClick(Button(conditions, u"okButton"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(dialog_.get(), u"defaultStandardButton"), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"全标准模块没有给出任何限值,列表未改变!"));
    EXPECT_EQ(List()->RowCount(), rows);
    EXPECT_FALSE(session_->Dirty());
}

TEST_F(Editor, DefaultStandardFillsTheListFromTheFullStandardModule) {
    ASSERT_EQ(session_->ChangeMask({{2232, true}}), generator::MaskChangeResult::kSaved);
    Main();
    // Filtered to one device: the default standard lists every device all
    // the same.
    auto *content = Child<QComboBox>(dialog_.get(), u"contentBox");
    QTest::keyClick(content, Qt::Key_Down);
    ASSERT_EQ(content->currentIndex(), 1);
    dialogs::StdInfoDlg *conditions = dialog_->ConditionsDialog();
    EXPECT_FALSE(conditions->isVisible());
    ASSERT_TRUE(Button(dialog_.get(), u"defaultStandardButton")->isEnabled());
    WhenModal([&] {
        ASSERT_TRUE(conditions->IsShown());
        TypeSedan(conditions);
        QTest::mouseClick(Button(conditions, u"okButton"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(dialog_.get(), u"defaultStandardButton"), Qt::LeftButton);

    EXPECT_FALSE(conditions->IsShown());
    EXPECT_EQ(Child<QLabel>(conditions, u"statusLabel")->text(), Q(u"生成成功!"));
    generator::VehicleConditions typed = conditions->Conditions();
    for (std::size_t n = 0; n < typed.size(); ++n)
        EXPECT_EQ(dialogs::GbkToQString(typed[n]), Q(kSedan[n].text)) << n;
    EXPECT_TRUE(boxes_.empty());
    // A hydraulic-brake passenger car: at least 60 % braking ratio, shown
    // as the module gave it.
    const int row = RowOf(2231);
    ASSERT_GE(row, 0);
    EXPECT_EQ(List()->CellText(row, 7), Q(u"60"));
    EXPECT_EQ(RowOf(2232), -1);
    // One row per parameter the module answered, across the devices.
    std::set<QString> devices;
    for (int r = 0; r < List()->RowCount(); ++r) {
        devices.insert(List()->CellText(r, 0));
        EXPECT_FALSE(List()->CellText(r, 6).endsWith(Q(u".00"))) << r;
        const generator::CatalogueParam *param = state_.catalogue.Find(PositionOf(r));
        ASSERT_NE(param, nullptr);
        EXPECT_EQ(List()->CellText(r, 6), QString::asprintf("%g", double(param->hvalue)));
    }
    EXPECT_GT(devices.size(), 1u);
    EXPECT_LT(List()->RowCount(), static_cast<int>(state_.catalogue.ParamCount()));
    EXPECT_TRUE(session_->Dirty());

    // The next use starts with an empty status line.
    WhenModal([&] {
        EXPECT_EQ(Child<QLabel>(conditions, u"statusLabel")->text(), Q(u"-"));
        QTest::mouseClick(Button(conditions, u"cancelButton"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(dialog_.get(), u"defaultStandardButton"), Qt::LeftButton);
}

TEST_F(Editor, ConditionsDialogRefusesVehicleNumbersThatAreNotNumbers) {
    Main();
    dialogs::StdInfoDlg *conditions = dialog_->ConditionsDialog();
    conditions->show();
    const auto set = [&](const char16_t *name, const QString &text) {
        Child<QLineEdit>(conditions, name)->setText(text);
    };
    const auto generate = [&] {
        QTest::mouseClick(Button(conditions, u"okButton"), Qt::LeftButton);
        return boxes_.empty() ? QString() : boxes_.back().text;
    };
    SetSedanNumbers(conditions);
    set(u"totalMassEdit", Q(u"abc"));
    EXPECT_EQ(generate(), Q(u"最大总质量 \"abc\" 不是数字!"));
    set(u"totalMassEdit", QString());
    EXPECT_EQ(generate(), Q(u"最大总质量不能为空!"));
    set(u"totalMassEdit", Q(u"１５８０"));  // full-width, as an input method types it
    set(u"curbMassEdit", Q(u" "));
    EXPECT_EQ(generate(), Q(u"整备质量不能为空!"));
    set(u"curbMassEdit", Q(u"1230"));
    set(u"maxSpeedEdit", Q(u"fast"));
    EXPECT_EQ(generate(), Q(u"最高车速 \"fast\" 不是数字!"));
    EXPECT_EQ(boxes_.back().caption, Q(u"提示"));
    EXPECT_TRUE(conditions->IsShown());
    EXPECT_NE(Child<QLabel>(conditions, u"statusLabel")->text(), Q(u"生成成功!"));
    const std::size_t refused = boxes_.size();
    set(u"maxSpeedEdit", Q(u"185"));  // 满载比 stays empty: it may be
    QTest::mouseClick(Button(conditions, u"okButton"), Qt::LeftButton);
    EXPECT_EQ(boxes_.size(), refused);
    EXPECT_FALSE(conditions->IsShown());
    EXPECT_EQ(Child<QLineEdit>(conditions, u"totalMassEdit")->text(), Q(u"1580"));
}

TEST_F(Editor, CancellingTheConditionsFirstAppliesNothingAndReturnWaitsForTheWait) {
    Main();
    dialogs::StdInfoDlg *conditions = dialog_->ConditionsDialog();
    WhenModal([&] { QTest::mouseClick(Button(conditions, u"cancelButton"), Qt::LeftButton); });
    QTest::mouseClick(Button(dialog_.get(), u"defaultStandardButton"), Qt::LeftButton);
    EXPECT_FALSE(conditions->IsShown());
    const int row = RowOf(2231);
    ASSERT_GE(row, 0);
    EXPECT_EQ(List()->CellText(row, 7), Q(u"0.00"));
    EXPECT_EQ(state_.catalogue.FindParam(2231)->lvalue, 0.0f);

    // "返回" during the wait hides the conditions dialog and closes the main
    // dialog only after the wait has ended.
    bool closedInside = true;
    WhenModal([&] {
        QTest::mouseClick(Button(dialog_.get(), u"returnButton"), Qt::LeftButton);
        closedInside = !dialog_->isVisible();
    });
    QTest::mouseClick(Button(dialog_.get(), u"defaultStandardButton"), Qt::LeftButton);
    EXPECT_FALSE(closedInside);
    EXPECT_FALSE(conditions->isVisible());
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_EQ(List()->RowCount(), 0);
}

TEST_F(Editor, EnterDoesNothingAndEscapeReturns) {
    Main();
    QTest::keyClick(dialog_.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog_->isVisible());
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
}

// Closing with edits not yet generated asks first; No keeps the editor open.
TEST_F(Editor, ClosingWithEditsNotGeneratedAsksFirst) {
    Main();
    dialog_->ChooseSeries(Q(u"大众"), Q(u"捷达"));
    EditRow(RowOf(UniqueParam()), Q(u"0.3"), Q(u"0"));
    boxes_.clear();
    answer_ = false;
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"修改尚未生成,是否放弃?"));
    EXPECT_TRUE(dialog_->isVisible());
    answer_ = true;
    QTest::mouseClick(Button(dialog_.get(), u"returnButton"), Qt::LeftButton);
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_FALSE(dialog_->isVisible());
}

TEST_F(Editor, WithoutTheFullStandardModuleDefaultStandardIsDisabled) {
    session_->Close();
    std::filesystem::remove(station_.File("modules/Zk2GBStdALL.std"));
    session_->Open(reinterpret_cast<const void *>(&Q));
    Main(false);
    EXPECT_FALSE(Button(dialog_.get(), u"defaultStandardButton")->isEnabled());
    // Reached all the same, the conditions dialog says so, under "提示".
    dialogs::StdInfoDlg *conditions = dialog_->ConditionsDialog();
    conditions->show();
    SetSedanNumbers(conditions);
    QTest::mouseClick(Button(conditions, u"okButton"), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"全标准模块不存在?[ZK2STDALL.DLL]"));
    EXPECT_EQ(boxes_[0].caption, Q(u"提示"));
    EXPECT_TRUE(conditions->IsShown());
    conditions->hide();
    // The captions name the information IDs 1104 and 1069.
    EXPECT_EQ(Child<QLabel>(dialog_.get(), u"brandLabel")->text(), Q(u"厂牌"));
    EXPECT_EQ(Child<QLabel>(dialog_.get(), u"seriesLabel")->text(), Q(u"车型"));
}

TEST_F(Editor, ClearStandardsAsksWithTheRowCountsAndCancelAsDefault) {
    session_->LoadCatalogue();
    const int32_t id = UniqueParam();
    state_.catalogue.FindParam(id)->hvalue = 7;
    ASSERT_TRUE(session_->Generate(Gbk("大众"), Gbk("捷达")).ran);
    Main();
    dialog_->ChooseSeries(Q(u"大众"), Q(u"捷达"));
    ASSERT_EQ(List()->CellText(RowOf(id), 6), Q(u"7.00"));
    const long long total = StoredRows();
    stationdb::Statement st(db_->Admin(),
                            "select count(*) from tb_id_standard s where exists (select 1 from "
                            "tb_type_vehicle v where trim(v.CPMC) || '_' || trim(v.CXXL) = "
                            "trim(s.condition))");
    st.Execute();
    st.Fetch();
    const long long series = std::stoll(st.Text(1));
    ASSERT_GT(series, 0);
    ASSERT_GT(total, series);
    const QString question = Q(u"标准将全部清除!清除后将无法恢复!\n(共 %1 条: 国家标准 %2 条, "
                               u"车型标准 %3 条)")
                                 .arg(total)
                                 .arg(total - series)
                                 .arg(series);
    QPushButton *clear = Button(dialog_.get(), u"clearStandardsButton");

    // Enter in the real box is Cancel.
    dialogs::SetBoxAnswerer({});
    QString shown;
    WhenModal([&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::mouseClick(clear, Qt::LeftButton);
    AnswerBoxes();
    EXPECT_EQ(shown, question);
    EXPECT_EQ(StoredRows(), total);

    answer_ = false;
    QTest::mouseClick(clear, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, question);
    EXPECT_EQ(boxes_[0].caption, Q(u"确认"));
    EXPECT_TRUE(boxes_[0].okCancel);
    EXPECT_TRUE(boxes_[0].negativeDefault);
    EXPECT_EQ(StoredRows(), total);

    answer_ = true;
    QTest::mouseClick(clear, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[2].text, Q(u"标准已经全部清除!"));
    EXPECT_EQ(boxes_[2].caption, Q(u"提示"));
    EXPECT_EQ(StoredRows(), 0);
    EXPECT_EQ(List()->CellText(RowOf(id), 6), Q(u"0.00"));  // the list shows what is left
    EXPECT_EQ(clear->text(), Q(u"清除标准"));
    EXPECT_TRUE(clear->isEnabled());
}

TEST_F(Editor, AParameterOfTwoDevicesIsEditedStoredAndMaskedAsOne) {
    Main();
    dialog_->ChooseSeries(Q(u"大众"), Q(u"捷达"));
    const std::vector<int> rows = RowsOf(2231);
    ASSERT_EQ(rows.size(), 2u);
    EditRow(rows[0], Q(u"0.5"), Q(u"0"));
    for (int row : rows) EXPECT_EQ(List()->CellText(row, 6), Q(u"0.50")) << row;
    for (int row : rows) EXPECT_EQ(state_.catalogue.Find(PositionOf(row))->hvalue, 0.5f);
    List()->setFocus();
    QTest::mouseClick(Button(dialog_.get(), u"generateButton"), Qt::LeftButton);
    EXPECT_EQ(StoredUpper(Gbk("大众_捷达"), 2231), "0.50");

    // In the mask dialog a parameter's rows are ticked together and saved
    // once; the main list shows the new mask when the dialog closes.
    WhenModal([&] {
        auto *mask = qobject_cast<dialogs::MaskDlg *>(QApplication::activeModalWidget());
        ASSERT_NE(mask, nullptr);
        mask->FillList();
        auto *list = Child<widgets::ReportCtrl>(mask, u"paramList");
        const std::vector<int> brake = RowsOf(2231, list, 3), full = RowsOf(2232, list, 3);
        ASSERT_EQ(brake.size(), 2u);
        ASSERT_EQ(full.size(), 2u);
        list->SetChecked(brake[0], true);
        EXPECT_TRUE(list->IsChecked(brake[1]));
        list->SetChecked(full[1], true);
        EXPECT_TRUE(list->IsChecked(full[0]));
        list->SetChecked(full[0], false);
        EXPECT_FALSE(list->IsChecked(full[1]));
        QTest::mouseClick(Button(mask, u"saveButton"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(dialog_.get(), u"maskButton"), Qt::LeftButton);
    const generator::MaskTable &table = state_.mask;
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Entry(0).paramid, 2231);
    EXPECT_EQ(table.Entry(0).flag, 1);
    generator::MaskTable reread;
    ASSERT_EQ(reread.LoadMask(station_.File("config/CXmask.cfg")),
              generator::MaskLoadResult::kLoaded);
    EXPECT_EQ(reread.MaskedParams(), std::vector<int32_t>{2231});
    EXPECT_TRUE(RowsOf(2231).empty());

    // "反选" flips each parameter once: 2231 unmasked, every other one masked.
    dialogs::MaskDlg mask(*session_);
    mask.FillList();
    QTest::mouseClick(Button(&mask, u"invertButton"), Qt::LeftButton);
    std::set<int32_t> params;
    state_.catalogue.ForEachParam(
        [&](auto &, auto &, auto &p, const auto &) { params.insert(p.paramid); });
    const std::vector<int32_t> masked = table.MaskedParams();
    EXPECT_EQ(masked.size(), params.size() - 1);
    EXPECT_EQ(std::set<int32_t>(masked.begin(), masked.end()).size(), masked.size());
    EXPECT_FALSE(table.IsMasked(2231));
    EXPECT_TRUE(table.IsMasked(2232));
}

TEST_F(Editor, WithoutTheEnvironmentLibraryTheEditorStaysOpenAndEmpty) {
    TempDir empty;
    // The system directory is one without libplinth.so while the session
    // opens.
    struct SystemDirectory {
        explicit SystemDirectory(const std::string &dir) {
            if (const char *old = std::getenv("STATION_SYSDIR")) saved = old;
            ::setenv("STATION_SYSDIR", dir.c_str(), 1);
        }
        ~SystemDirectory() {
            if (saved)
                ::setenv("STATION_SYSDIR", saved->c_str(), 1);
            else
                ::unsetenv("STATION_SYSDIR");
        }
        std::optional<std::string> saved;
    } sysdir(empty.File("none"));
    session_->Close();
    const generator::OpenReport report = session_->Open(reinterpret_cast<const void *>(&Q));
    ASSERT_FALSE(report.plinthLoaded);
    Main();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"Plinth.dll 加载错误或者没有该文件！"));
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(List()->RowCount(), 0);
    for (const char16_t *name :
         {u"generateButton", u"defaultStandardButton", u"clearStandardsButton", u"maskButton"})
        EXPECT_FALSE(Button(dialog_.get(), name)->isEnabled())
            << QString::fromUtf16(name).toStdString();
    EXPECT_TRUE(Button(dialog_.get(), u"returnButton")->isEnabled());
}

TEST_F(Editor, OwnWindowIsFramedAndNeverCutsItsCaptions) {
    Main();
    EXPECT_TRUE(dialog_->windowFlags() & Qt::FramelessWindowHint);  // the host's rectangle
    for (QDialog *fixed :
         std::initializer_list<QDialog *>{dialog_->LimitDialog(), dialog_->ConditionsDialog()}) {
        const Qt::WindowFlags flags = fixed->windowFlags();
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << fixed->objectName().toStdString();
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(fixed->minimumSize(), fixed->maximumSize());
    }

    dialog_->UseOwnWindow(Q(u"标准编辑 - /stations/a"));
    dialog_->show();
    EXPECT_FALSE(dialog_->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dialog_->windowFlags() & Qt::WindowTitleHint);
    EXPECT_EQ(dialog_->windowTitle(), Q(u"标准编辑 - /stations/a"));
    dialog_->resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_GE(dialog_->width(), dialog_->minimumWidth());
    EXPECT_GT(dialog_->minimumWidth(), 400);
    for (const QLabel *label : dialog_->findChildren<QLabel *>()) {
        if (!label->isVisible()) continue;
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_GE(label->height(), label->fontMetrics().height()) << label->text().toStdString();
    }
}

// The templates' numbers still address the controls: each numbered control
// carries its number, and the number finds it (and no other) in its dialog.
TEST_F(Editor, NamedControlsKeepTheirResourceNumbers) {
    Main(false);
    dialogs::MaskDlg mask(*session_);
    const QWidget *main = dialog_.get();
    const QWidget *limits = dialog_->LimitDialog();
    const QWidget *conditions = dialog_->ConditionsDialog();
    struct Numbered {
        const QWidget *dialog;
        const char16_t *name;
        int id;
    };
    const Numbered controls[] = {
        {main, u"brandLabel", 8020},
        {main, u"brandBox", 8002},
        {main, u"seriesLabel", 8021},
        {main, u"seriesBox", 8003},
        {main, u"contentBox", 8004},
        {main, u"titleLabel", 8017},
        {main, u"maskButton", 8022},
        {main, u"limitList", 8001},
        {main, u"clearStandardsButton", 8018},
        {main, u"defaultStandardButton", 8007},
        {main, u"generateButton", 8005},
        {main, u"returnButton", 2},
        {limits, u"upperEdit", 8000},
        {limits, u"lowerEdit", 8001},
        {limits, u"okButton", 1},
        {limits, u"cancelButton", 2},
        {conditions, u"totalMassEdit", 8008},
        {conditions, u"seatsEdit", 8004},
        {conditions, u"curbMassEdit", 8005},
        {conditions, u"driveTypeBox", 8013},
        {conditions, u"vehicleKindBox", 8014},
        {conditions, u"lampSystemBox", 8010},
        {conditions, u"loadRatioEdit", 8015},
        {conditions, u"maxSpeedEdit", 8006},
        {conditions, u"fuelBox", 8011},
        {conditions, u"intakeBox", 8009},
        {conditions, u"catalystBox", 8012},
        {conditions, u"statusLabel", 8016},
        {conditions, u"okButton", 1},
        {conditions, u"cancelButton", 2},
        {&mask, u"paramList", 8023},
        {&mask, u"selectAllButton", 3},
        {&mask, u"invertButton", 4},
        {&mask, u"saveButton", 1},
        {&mask, u"cancelButton", 2},
    };
    for (const Numbered &c : controls) {
        QWidget *named = Child<QWidget>(c.dialog, c.name);
        EXPECT_EQ(dialogs::FindByResourceId<QWidget>(c.dialog, c.id), named)
            << QString::fromUtf16(c.name).toStdString();
    }
    const std::pair<const QWidget *, int> windows[] = {
        {main, 8002}, {limits, 8003}, {conditions, 8004}, {&mask, 8009}};
    for (const auto &[dialog, id] : windows)
        EXPECT_EQ(dialog->property(dialogs::kResourceIdProperty).toInt(), id)
            << dialog->objectName().toStdString();
}

TEST_F(Editor, ConditionsDialogListsTrimmedNamesAndFollowsTheFuel) {
    dialogs::StdInfoDlg conditions(*session_);
    auto *fuel = Child<QComboBox>(&conditions, u"fuelBox");
    auto *intake = Child<QComboBox>(&conditions, u"intakeBox");
    auto *catalyst = Child<QComboBox>(&conditions, u"catalystBox");
    EXPECT_TRUE(intake->isEnabled());
    EXPECT_TRUE(catalyst->isEnabled());
    for (const char16_t *name : {u"driveTypeBox", u"vehicleKindBox", u"fuelBox", u"lampSystemBox",
                                 u"catalystBox", u"intakeBox"}) {
        auto *box = Child<QComboBox>(&conditions, name);
        ASSERT_GT(box->count(), 1);
        EXPECT_EQ(box->currentText(), QString());
        std::vector<std::string> names;
        for (int i = 0; i < box->count(); ++i) {
            EXPECT_EQ(box->itemText(i), box->itemText(i).trimmed());
            EXPECT_FALSE(box->itemText(i).isEmpty());
            std::string gbk;
            ASSERT_TRUE(dialogs::QStringToGbk(box->itemText(i), gbk));
            names.push_back(gbk);
        }
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    }
    auto choose = [&](const char16_t *name) {
        const int at = fuel->findText(Q(name));
        ASSERT_GE(at, 0);
        fuel->setCurrentIndex(at == 0 ? 1 : at - 1);
        QTest::keyClick(fuel, at == 0 ? Qt::Key_Up : Qt::Key_Down);
        ASSERT_EQ(fuel->currentIndex(), at);
    };
    choose(u"柴油");
    EXPECT_TRUE(intake->isEnabled());
    EXPECT_FALSE(catalyst->isEnabled());
    choose(u"汽油");
    EXPECT_FALSE(intake->isEnabled());
    EXPECT_TRUE(catalyst->isEnabled());
}

TEST_F(Editor, MaskDialogSelectAllInvertAndSave) {
    session_->LoadCatalogue();
    const std::string maskFile = station_.File("config/CXmask.cfg");
    dialogs::MaskDlg mask(*session_);
    mask.FillList();
    auto *list = Child<widgets::ReportCtrl>(&mask, u"paramList");
    const int n = list->RowCount();
    ASSERT_EQ(n, static_cast<int>(state_.catalogue.ParamCount()));
    EXPECT_EQ(list->CellText(3, 0), Q(u"3"));
    const generator::MaskTable &table = state_.mask;
    // The parameters in the order of their first rows: a parameter listed
    // under two devices is masked once.
    std::vector<int32_t> params;
    for (int row = 0; row < n; ++row) {
        const int32_t id = list->CellText(row, 3).toInt();
        if (std::find(params.begin(), params.end(), id) == params.end()) params.push_back(id);
    }
    const int distinct = static_cast<int>(params.size());
    ASSERT_LT(distinct, n);

    QTest::mouseClick(Button(&mask, u"selectAllButton"), Qt::LeftButton);  // 全选
    ASSERT_EQ(table.Count(), distinct);
    for (int row = 0; row < n; ++row) EXPECT_TRUE(list->IsChecked(row));
    for (int k = 0; k < distinct; ++k) {
        EXPECT_EQ(table.Entry(k).paramid, params[k]);
        EXPECT_EQ(table.Entry(k).flag, 1);
    }
    QTest::mouseClick(Button(&mask, u"invertButton"),
                      Qt::LeftButton);  // 反选 right after: nothing masked
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(list->RowCount(), n);
    EXPECT_FALSE(list->IsChecked(0));

    // Rows with IDs found once in the catalogue, so counts are exact.
    std::vector<int> unique;
    for (int row = 0; row < n && unique.size() < 3; ++row) {
        const int32_t id = list->CellText(row, 3).toInt();
        int same = 0;
        for (int other = 0; other < n; ++other) same += list->CellText(other, 3).toInt() == id;
        if (same == 1) unique.push_back(row);
    }
    ASSERT_EQ(unique.size(), 3u);
    list->SetChecked(unique[0], true);
    list->SetChecked(unique[1], true);
    QTest::mouseClick(Button(&mask, u"invertButton"), Qt::LeftButton);  // k = 2 of n checked
    EXPECT_EQ(table.Count(), distinct - 2);
    EXPECT_FALSE(list->IsChecked(unique[0]));
    EXPECT_FALSE(list->IsChecked(unique[1]));
    EXPECT_TRUE(list->IsChecked(unique[2]));

    // Save: checking a masked row adds nothing; unchecking one leaves a hole;
    // checking an unmasked one appends it.
    const int32_t hole = list->CellText(unique[2], 3).toInt();
    list->SetChecked(unique[2], false);
    list->SetChecked(unique[0], true);
    QTest::mouseClick(Button(&mask, u"saveButton"), Qt::LeftButton);
    EXPECT_EQ(mask.result(), QDialog::Accepted);
    EXPECT_EQ(table.Count(), distinct - 1);
    EXPECT_EQ(table.FindMaskEntry(hole), -1);
    EXPECT_FALSE(table.IsMasked(hole));
    generator::MaskTable reread;
    reread.LoadMask(maskFile);
    EXPECT_EQ(reread.Count(), distinct - 1);
    EXPECT_TRUE(reread.IsMasked(list->CellText(unique[0], 3).toInt()));
}

TEST(MaskTable, ReplaceMaskNeverWritesPastTheSlots) {
    TempDir dir;
    generator::MaskTable table;
    std::vector<int32_t> ids(generator::kMaskSlots + 3);
    for (std::size_t n = 0; n < ids.size(); ++n) ids[n] = static_cast<int32_t>(n + 1);
    EXPECT_EQ(table.ReplaceMask(ids, dir.File("m.cfg")), generator::MaskChangeResult::kFull);
    EXPECT_EQ(table.Count(), static_cast<int32_t>(generator::kMaskSlots));
    EXPECT_EQ(table.Entry(generator::kMaskSlots - 1).paramid, 5000);
    EXPECT_FALSE(table.IsMasked(5001));
    EXPECT_EQ(table.ReplaceMask({7, 9}, dir.File("m.cfg")), generator::MaskChangeResult::kSaved);
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Entry(2).paramid, 0);  // the rest cleared
    generator::MaskTable reread;
    reread.LoadMask(dir.File("m.cfg"));
    EXPECT_TRUE(reread.IsMasked(9));
    EXPECT_EQ(reread.Count(), 2);
}

TEST(QtText, GbkConvertsBothWaysAndMarksBadBytes) {
    EXPECT_EQ(dialogs::GbkToQString(Gbk("车型a")), Q(u"车型a"));
    EXPECT_EQ(dialogs::GbkToQString("a\xFF"
                                    "b\x81"),
              Q(u"a\uFFFDb\uFFFD"));
    std::string gbk = "stale";
    EXPECT_TRUE(dialogs::QStringToGbk(Q(u"厂牌"), gbk));
    EXPECT_EQ(gbk, Gbk("厂牌"));
    EXPECT_FALSE(dialogs::QStringToGbk(Q(u"\U0001F600"), gbk));
    EXPECT_TRUE(gbk.empty());
}

}  // namespace
