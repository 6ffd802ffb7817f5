// libsergen.so's editor on a real X server (run under xvfb-run): a host
// without Qt, for which the plug-in finds the display and makes the process's
// QApplication, and a host with its own QApplication. Either way ExtShow runs
// the main dialog modally until it is closed and leaves no widget behind.
// Then one whole task as an operator does it: brand, series, one limit,
// "生成", and the row and the stamp in the database.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ext_family.h"
#include "platform/dynamic_library.h"
#include "temp_dir.h"
#include "test_database.h"

namespace {

std::vector<unsigned char> Record(uint32_t handle) {
    std::vector<unsigned char> record(1224, 0);
    const int32_t rect[4] = {0, 0, 1024, 720};
    std::memcpy(record.data() + 1152, rect, sizeof rect);
    std::memcpy(record.data() + 1168, &handle, sizeof handle);
    return record;
}

std::string QueryText(testdb::TestDatabase &db, const std::string &sql,
                      const std::vector<std::string> &gbk = {}) {
    stationdb::Statement st(db.Admin(), sql);
    for (std::size_t n = 0; n < gbk.size(); ++n) st.BindText(static_cast<int>(n + 1), gbk[n]);
    st.Execute();
    return st.Fetch() ? st.Text(1) : std::string();
}

// Clicks the first button of every message box while it lasts, keeping
// their texts.
class BoxAnswerer {
  public:
    BoxAnswerer() {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr || box->buttons().isEmpty()) return;
            texts_ << box->text();
            box->buttons().front()->click();
        });
        timer_.start();
    }
    QStringList Texts() const { return texts_; }

  private:
    QTimer timer_;
    QStringList texts_;
};

// The operator's task inside the running editor: the brand typed by its
// letter code and picked, the series picked, the upper limit of a parameter
// listed once edited, "生成", then "返回". Returns what went wrong, or "".
std::string DriveOneTask(int32_t &paramid) {
    auto *main = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (main == nullptr || main->objectName() != QStringLiteral(u"standardsDialog"))
        return "the main dialog is not the modal window";
    auto *brand = main->findChild<QComboBox *>(QStringLiteral(u"brandBox"));
    auto *series = main->findChild<QComboBox *>(QStringLiteral(u"seriesBox"));
    auto *list = main->findChild<QTableWidget *>(QStringLiteral(u"limitList"));
    auto *generate = main->findChild<QPushButton *>(QStringLiteral(u"generateButton"));
    if (brand == nullptr || series == nullptr || list == nullptr || generate == nullptr)
        return "a control is missing";
    QTest::keyClicks(brand->lineEdit(), QStringLiteral(u"dz"));
    brand->hidePopup();
    QTest::keyClick(brand, Qt::Key_Down);  // 大众, and its series
    if (brand->currentText() != QStringLiteral(u"大众")) return "the brand was not picked";
    const int at = series->findText(QStringLiteral(u"捷达"));
    if (at < 0) return "no series 捷达";
    series->setCurrentIndex(at);
    emit series->activated(at);

    std::map<int32_t, int> seen;
    for (int row = 0; row < list->rowCount(); ++row) ++seen[list->item(row, 8)->text().toInt()];
    int row = -1;
    for (int r = 0; r < list->rowCount() && row < 0; ++r)
        if (seen[list->item(r, 8)->text().toInt()] == 1) row = r;
    if (row < 0) return "no parameter listed once";
    paramid = list->item(row, 8)->text().toInt();
    list->scrollToItem(list->item(row, 4));
    const QPoint cell = list->visualItemRect(list->item(row, 4)).center();
    bool edited = false;
    QTimer::singleShot(0, [&edited] {
        auto *limits = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (limits == nullptr || limits->objectName() != QStringLiteral(u"limitDialog")) return;
        limits->findChild<QLineEdit *>(QStringLiteral(u"upperEdit"))
            ->setText(QStringLiteral(u"12.5"));
        limits->findChild<QLineEdit *>(QStringLiteral(u"lowerEdit"))
            ->setText(QStringLiteral(u"1.25"));
        QTest::mouseClick(limits->findChild<QPushButton *>(QStringLiteral(u"okButton")),
                          Qt::LeftButton);
        edited = true;
    });
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    if (!edited) return "the limit dialog did not run";
    if (list->item(row, 6)->text() != QStringLiteral(u"12.50"))
        return "the list shows another limit";
    QTest::mouseClick(generate, Qt::LeftButton);
    main->reject();
    return {};
}

bool HaveDisplay() {
    const char *display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

// Rejects the modal dialog, if any: a message box first, then the main dialog.
void RejectModal(bool *mainShown) {
    auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (modal == nullptr) return;
    if (mainShown != nullptr && modal->objectName() == QStringLiteral(u"standardsDialog") &&
        modal->isVisible())
        *mainShown = true;
    modal->reject();
}

// Runs first, before this process has touched Qt: the child process has no
// QApplication until the plug-in makes one, and exits with it alive.
TEST(EditorOnX, MakesTheApplicationForAHostWithoutQt) {
    if (!HaveDisplay()) GTEST_SKIP() << "no X server (run under xvfb-run)";
    ::unsetenv("QT_QPA_PLATFORM");
    testdb::TestDatabase db("sqlite");
    db.ImportSeed(std::string(STATION_TEST_SOURCE_DIR) + "/db/seed");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Exit codes: 0 shown and closed, 2 set-up failed, 3 ExtShow's answer,
        // 4 no xcb application, 5 widgets left.
        stationdb::Connection connection;
        connection.Open(db.ConnectString());
        platform::DynamicLibrary sergen;
        if (!sergen.Open(std::string(STATION_TEST_LIB_DIR) + "/libsergen.so")) std::exit(2);
        auto init = reinterpret_cast<int (*)(void *)>(sergen.Symbol("ExtInit"));
        auto show = reinterpret_cast<int (*)(int, ExtRect)>(sergen.Symbol("ExtShow"));
        std::vector<unsigned char> record = Record(stationdb_register(&connection));
        if (init(record.data()) != EXT_DONE) std::exit(2);
        std::atomic<bool> returned{false};
        std::thread closer([&returned] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            while (!returned) {
                if (QCoreApplication *app = QCoreApplication::instance())
                    QMetaObject::invokeMethod(
                        app, [] { RejectModal(nullptr); }, Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        });
        const int shown = show(1, ExtRect{0, 0, 1024, 720});
        returned = true;
        closer.join();
        auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
        if (shown != EXT_DONE) std::exit(3);
        if (app == nullptr || QApplication::platformName() != QStringLiteral(u"xcb")) std::exit(4);
        std::exit(QApplication::topLevelWidgets().isEmpty() ? 0 : 5);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the host died: status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(EditorOnX, RunsModallyInTheHostsApplicationUntilClosed) {
    if (!HaveDisplay()) GTEST_SKIP() << "no X server (run under xvfb-run)";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    static int argc = 1;
    static char name[] = "editor_smoke_test";
    static char *argv[] = {name, nullptr};
    QApplication app(argc, argv);

    testdb::TestDatabase db("sqlite");
    db.ImportSeed(std::string(STATION_TEST_SOURCE_DIR) + "/db/seed");
    auto connection = std::make_unique<stationdb::Connection>();
    connection->Open(db.ConnectString());
    const unsigned handle = stationdb_register(connection.get());

    platform::DynamicLibrary sergen;
    ASSERT_TRUE(sergen.Open(std::string(STATION_TEST_LIB_DIR) + "/libsergen.so"))
        << sergen.LastError();
    auto init = reinterpret_cast<int (*)(void *)>(sergen.Symbol("ExtInit"));
    auto show = reinterpret_cast<int (*)(int, ExtRect)>(sergen.Symbol("ExtShow"));
    ASSERT_NE(init, nullptr);
    ASSERT_NE(show, nullptr);
    std::vector<unsigned char> record = Record(handle);
    ASSERT_EQ(init(record.data()), EXT_DONE);

    // After 1.5 s, and then until ExtShow returns, reject whatever is modal
    // (a message box first, then the main dialog).
    bool mainShown = false;
    QTimer closer;
    closer.setInterval(300);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (modal == nullptr) return;
        if (modal->objectName() == QStringLiteral(u"standardsDialog") && modal->isVisible())
            mainShown = true;
        modal->reject();
    });
    QTimer::singleShot(1500, &closer, qOverload<>(&QTimer::start));
    EXPECT_EQ(show(1, ExtRect{0, 0, 1024, 720}), EXT_DONE);
    closer.stop();
    EXPECT_TRUE(mainShown) << "the main dialog (standardsDialog) was never the modal window";
    // Every widget the editor made is gone again.
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());

    // One task, in a window of its own as stdhost asks for it.
    ::setenv("STATION_EDITOR_TITLE", "标准编辑 - smoke", 1);
    const std::string stampBefore = QueryText(db, "select DBModifyTime from tb_status_memstd");
    std::string failure = "the task never ran";
    QString title;
    Qt::WindowFlags flags;
    int32_t paramid = 0;
    QStringList told;
    {
        BoxAnswerer boxes;
        QTimer::singleShot(1500, [&] {
            if (auto *main = QApplication::activeModalWidget()) {
                title = main->windowTitle();
                flags = main->windowFlags();
            }
            failure = DriveOneTask(paramid);
            if (!failure.empty()) closer.start();
        });
        EXPECT_EQ(show(1, ExtRect{0, 0, 1024, 720}), EXT_DONE);
        closer.stop();
        told = boxes.Texts();
    }
    ::unsetenv("STATION_EDITOR_TITLE");
    ASSERT_EQ(failure, "");
    EXPECT_EQ(title, QStringLiteral(u"标准编辑 - smoke"));
    EXPECT_FALSE(flags & Qt::FramelessWindowHint) << flags.toInt();
    EXPECT_TRUE(flags & Qt::WindowTitleHint) << flags.toInt();
    // Besides what the station lacks (its plinth.ini names no directories),
    // the one box is what "生成" wrote.
    const QStringList written = told.filter(QStringLiteral(u"DBModifyTime"));
    ASSERT_EQ(written.size(), 1) << told.join(QStringLiteral(u" | ")).toStdString();
    EXPECT_TRUE(written[0].startsWith(QStringLiteral(u"大众_捷达: "))) << written[0].toStdString();
    const std::string condition = testing_support::Gbk("大众_捷达");
    EXPECT_EQ(QueryText(db,
                        "select hvalue from tb_id_standard where condition = ? and paramid = " +
                            std::to_string(paramid),
                        {condition}),
              "12.50");
    EXPECT_EQ(QueryText(db,
                        "select lvalue from tb_id_standard where condition = ? and paramid = " +
                            std::to_string(paramid),
                        {condition}),
              "1.25");
    const std::string stampAfter = QueryText(db, "select DBModifyTime from tb_status_memstd");
    EXPECT_NE(stampAfter, stampBefore);
    EXPECT_FALSE(stampAfter.empty());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());

    stationdb_unregister(handle);
}

}  // namespace
