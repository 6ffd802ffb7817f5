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
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "dialogs/mask_dlg.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
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
T *Child(const QWidget *parent, const char16_t *id) {
    T *child = parent->findChild<T *>(Q(id));
    EXPECT_NE(child, nullptr) << QString::fromUtf16(id).toStdString();
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
        dialogs::SetBoxAnswerer([this](const BoxRequest &box) {
            boxes_.push_back(box);
            return answer_;
        });
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

    // The main dialog at its template size, shown and loaded.
    dialogs::StandarForCX &Main(bool load = true) {
        dialog_ = std::make_unique<dialogs::StandarForCX>(*session_, generator::EditorRect{});
        dialog_->show();
        QApplication::setActiveWindow(dialog_.get());
        if (load) dialog_->FirstLoad();
        return *dialog_;
    }
    widgets::ReportCtrl *List() { return Child<widgets::ReportCtrl>(dialog_.get(), u"8001"); }
    QPushButton *Button(const QWidget *parent, const char16_t *id) {
        return Child<QPushButton>(parent, id);
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
        for (int row = 0; row < List()->RowCount(); ++row)
            if (List()->CellText(row, 8).toInt() == paramid) return row;
        return -1;
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
    auto *brand = Child<QComboBox>(dialog_.get(), u"8002");
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
    auto *brand = Child<QComboBox>(dialog_.get(), u"8002");
    auto *model = Child<QComboBox>(dialog_.get(), u"8003");
    Type(brand->lineEdit(), Q(u"dz"));
    brand->hidePopup();
    QTest::keyClick(brand, Qt::Key_Down);  // picks 大众: the cascade
    EXPECT_EQ(brand->currentText(), Q(u"大众"));
    EXPECT_EQ(model->count(), static_cast<int>(series.size()));
    EXPECT_EQ(model->currentText(), dialogs::GbkToQString(series.front()));
    EXPECT_EQ(List()->CellText(row, 6), Q(u"12.50"));
    EXPECT_EQ(List()->CellText(row, 7), Q(u"3.25"));

    // Leaving the model box reloads the stored limits over edited ones;
    // opening its own list does not.
    first->hvalue = 99;
    QFocusEvent toPopup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(model, &toPopup);
    EXPECT_EQ(first->hvalue, 99.0f);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(model, &leave);
    EXPECT_EQ(first->hvalue, 12.5f);
    EXPECT_EQ(List()->CellText(row, 6), Q(u"12.50"));
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

    auto *content = Child<QComboBox>(dialog_.get(), u"8004");
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
    const int row = 5;
    const generator::ParamPosition at{list->CellText(row, 1).toInt(),
                                      list->CellText(row, 3).toInt(),
                                      list->CellText(row, 5).toInt()};
    generator::CatalogueParam *param = state_.catalogue.Find(at);
    ASSERT_NE(param, nullptr);
    ASSERT_EQ(list->CellText(row, 8).toInt(), param->paramid);
    const QPoint cell = list->visualItemRect(list->item(row, 4)).center();
    const long long storedBefore = StoredRows();

    auto edit = [&](const QString &upper, const QString &lower, const char16_t *button) {
        WhenModal([&, upper, lower, button] {
            dialogs::ValSet *limits = dialog_->LimitDialog();
            ASSERT_TRUE(limits->isVisible());
            Child<QLineEdit>(limits, u"8000")->setText(upper);
            Child<QLineEdit>(limits, u"8001")->setText(lower);
            QTest::mouseClick(Button(limits, button), Qt::LeftButton);
        });
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    };
    edit(Q(u" 12.345abc"), Q(u"x1"), u"1");
    EXPECT_EQ(list->CellText(row, 6), Q(u" 12.345abc"));  // shown as typed
    EXPECT_EQ(list->CellText(row, 7), Q(u"x1"));
    EXPECT_EQ(param->hvalue, 12.345f);  // stored as atof reads it
    EXPECT_EQ(param->lvalue, 0.0f);

    edit(Q(u"7"), Q(u"8"), u"2");  // Cancel changes nothing
    EXPECT_EQ(list->CellText(row, 6), Q(u" 12.345abc"));
    EXPECT_EQ(param->hvalue, 12.345f);
    EXPECT_EQ(StoredRows(), storedBefore);  // nothing reached the database
}

TEST_F(Editor, LimitTextsAreCutTo31Characters) {
    dialogs::ValSet limits;
    limits.SetTexts(QString(40, QChar(u'9')), QString(31, QChar(u'1')));
    EXPECT_EQ(Child<QLineEdit>(&limits, u"8000")->text().size(), 31);
    Child<QLineEdit>(&limits, u"8001")->setText(QString(33, QChar(u'2')));
    WhenModal([&] { QTest::mouseClick(Button(&limits, u"1"), Qt::LeftButton); });
    ASSERT_EQ(limits.exec(), QDialog::Accepted);
    EXPECT_EQ(limits.Upper(), QString(31, QChar(u'9')));
    EXPECT_EQ(limits.Lower(), QString(31, QChar(u'2')));
}

TEST_F(Editor, GenerateNeedsBrandAndSeriesThenWritesEveryParameter) {
    Main();
    auto *brand = Child<QComboBox>(dialog_.get(), u"8002");
    auto *model = Child<QComboBox>(dialog_.get(), u"8003");
    QPushButton *generate = Button(dialog_.get(), u"8005");
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
    EXPECT_EQ(boxes_.size(), 2u);
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
    db_->Exec("drop table tb_id_standard");
    QTest::mouseClick(generate, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_TRUE(boxes_[2].text.startsWith(Q(u"生成标准失败,数据库未改变!\n")))
        << boxes_[2].text.toStdString();
    EXPECT_GT(boxes_[2].text.size(), Q(u"生成标准失败,数据库未改变!\n").size());
    EXPECT_EQ(boxes_[2].caption, Q(u"提示"));
    EXPECT_EQ(generate->text(), Q(u"生成"));
    EXPECT_TRUE(generate->isEnabled());
}

// The sedan of the full standard module's own test, typed into the dialog.
struct Field {
    const char16_t *id;
    const char16_t *text;
};
constexpr Field kSedan[] = {{u"8008", u"1580"}, {u"8015", u""},        {u"8004", u"5"},
                            {u"8006", u"185"},  {u"8005", u"1230"},    {u"8013", u"4x2前驱"},
                            {u"8014", u"轿车"}, {u"8011", u"汽油"},    {u"8010", u"两灯制"},
                            {u"8012", u""},     {u"8009", u"自然进气"}};

TEST_F(Editor, DefaultStandardFillsTheListFromTheFullStandardModule) {
    ASSERT_EQ(session_->ChangeMask({{2232, true}}), generator::MaskChangeResult::kSaved);
    Main();
    dialogs::StdInfoDlg *conditions = dialog_->ConditionsDialog();
    EXPECT_FALSE(conditions->isVisible());
    ASSERT_TRUE(Button(dialog_.get(), u"8007")->isEnabled());
    WhenModal([&] {
        ASSERT_TRUE(conditions->IsShown());
        for (const Field &field : kSedan) {
            QWidget *widget = Child<QWidget>(conditions, field.id);
            if (auto *box = qobject_cast<QComboBox *>(widget)) widget = box->lineEdit();
            Type(widget, Q(field.text));
        }
        QTest::mouseClick(Button(conditions, u"1"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(dialog_.get(), u"8007"), Qt::LeftButton);

    EXPECT_FALSE(conditions->IsShown());
    EXPECT_EQ(Child<QLabel>(conditions, u"8016")->text(), Q(u"生成成功!"));
    generator::VehicleConditions typed = conditions->Conditions();
    for (std::size_t n = 0; n < typed.size(); ++n)
        EXPECT_EQ(dialogs::GbkToQString(typed[n]), Q(kSedan[n].text)) << n;
    EXPECT_TRUE(boxes_.empty());
    // A hydraulic-brake passenger car: at least 60 % braking ratio.
    const int row = RowOf(2231);
    ASSERT_GE(row, 0);
    EXPECT_EQ(List()->CellText(row, 7), Q(u"60.00"));
    EXPECT_EQ(RowOf(2232), -1);
}

TEST_F(Editor, CancellingTheConditionsFirstAppliesNothingAndReturnWaitsForTheWait) {
    Main();
    dialogs::StdInfoDlg *conditions = dialog_->ConditionsDialog();
    WhenModal([&] { QTest::mouseClick(Button(conditions, u"2"), Qt::LeftButton); });
    QTest::mouseClick(Button(dialog_.get(), u"8007"), Qt::LeftButton);
    EXPECT_FALSE(conditions->IsShown());
    const int row = RowOf(2231);
    ASSERT_GE(row, 0);
    EXPECT_EQ(List()->CellText(row, 7), Q(u"0.00"));
    EXPECT_EQ(state_.catalogue.FindParam(2231)->lvalue, 0.0f);

    // "返回" during the wait hides the conditions dialog and closes the main
    // dialog only after the wait has ended.
    bool closedInside = true;
    WhenModal([&] {
        QTest::mouseClick(Button(dialog_.get(), u"2"), Qt::LeftButton);
        closedInside = !dialog_->isVisible();
    });
    QTest::mouseClick(Button(dialog_.get(), u"8007"), Qt::LeftButton);
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

TEST_F(Editor, WithoutTheFullStandardModuleDefaultStandardIsDisabled) {
    session_->Close();
    std::filesystem::remove(station_.File("modules/Zk2GBStdALL.std"));
    session_->Open(reinterpret_cast<const void *>(&Q));
    Main(false);
    EXPECT_FALSE(Button(dialog_.get(), u"8007")->isEnabled());
    // The captions name the information IDs 1104 and 1069.
    EXPECT_EQ(Child<QLabel>(dialog_.get(), u"8020")->text(), Q(u"厂牌"));
    EXPECT_EQ(Child<QLabel>(dialog_.get(), u"8021")->text(), Q(u"车型"));
}

TEST_F(Editor, ClearStandardsAsksFirst) {
    Main();
    QPushButton *clear = Button(dialog_.get(), u"8018");
    answer_ = false;
    QTest::mouseClick(clear, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, Q(u"标准将全部清除!清除后将无法恢复!"));
    EXPECT_EQ(boxes_[0].caption, Q(u"确认"));
    EXPECT_TRUE(boxes_[0].okCancel);
    EXPECT_GT(StoredRows(), 0);

    answer_ = true;
    QTest::mouseClick(clear, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[2].text, Q(u"标准已经全部清除!"));
    EXPECT_EQ(StoredRows(), 0);
    EXPECT_EQ(clear->text(), Q(u"清除标准"));
    EXPECT_TRUE(clear->isEnabled());
}

TEST_F(Editor, ConditionsDialogListsTrimmedNamesAndFollowsTheFuel) {
    dialogs::StdInfoDlg conditions(*session_);
    auto *fuel = Child<QComboBox>(&conditions, u"8011");
    auto *intake = Child<QComboBox>(&conditions, u"8009");
    auto *catalyst = Child<QComboBox>(&conditions, u"8012");
    EXPECT_TRUE(intake->isEnabled());
    EXPECT_TRUE(catalyst->isEnabled());
    for (const char16_t *id : {u"8013", u"8014", u"8011", u"8010", u"8012", u"8009"}) {
        auto *box = Child<QComboBox>(&conditions, id);
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
    auto *list = Child<widgets::ReportCtrl>(&mask, u"8023");
    const int n = list->RowCount();
    ASSERT_EQ(n, static_cast<int>(state_.catalogue.ParamCount()));
    EXPECT_EQ(list->CellText(3, 0), Q(u"3"));
    const generator::MaskTable &table = state_.mask;

    QTest::mouseClick(Button(&mask, u"3"), Qt::LeftButton);  // 全选
    ASSERT_EQ(table.Count(), n);
    for (int row = 0; row < n; ++row) {
        EXPECT_TRUE(list->IsChecked(row));
        EXPECT_EQ(table.Entry(row).paramid, list->CellText(row, 3).toInt());
        EXPECT_EQ(table.Entry(row).flag, 1);
    }
    QTest::mouseClick(Button(&mask, u"4"), Qt::LeftButton);  // 反选 right after: nothing masked
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
    QTest::mouseClick(Button(&mask, u"4"), Qt::LeftButton);  // k = 2 of n checked
    EXPECT_EQ(table.Count(), n - 2);
    EXPECT_FALSE(list->IsChecked(unique[0]));
    EXPECT_FALSE(list->IsChecked(unique[1]));
    EXPECT_TRUE(list->IsChecked(unique[2]));

    // Save: checking a masked row adds nothing; unchecking one leaves a hole;
    // checking an unmasked one appends it.
    const int32_t hole = list->CellText(unique[2], 3).toInt();
    list->SetChecked(unique[2], false);
    list->SetChecked(unique[0], true);
    QTest::mouseClick(Button(&mask, u"1"), Qt::LeftButton);
    EXPECT_EQ(mask.result(), QDialog::Accepted);
    EXPECT_EQ(table.Count(), n - 1);
    EXPECT_EQ(table.FindMaskEntry(hole), -1);
    EXPECT_FALSE(table.IsMasked(hole));
    generator::MaskTable reread;
    reread.LoadMask(maskFile);
    EXPECT_EQ(reread.Count(), n - 1);
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
