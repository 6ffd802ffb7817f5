// libsergen.so's editor on a real X server (run under xvfb-run): a host
// without Qt, for which the plug-in finds the display and makes the process's
// QApplication, and a host with its own QApplication. Either way ExtShow runs
// the main dialog modally until it is closed and leaves no widget behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "ext_family.h"
#include "platform/dynamic_library.h"
#include "test_database.h"

namespace {

std::vector<unsigned char> Record(uint32_t handle) {
    std::vector<unsigned char> record(1224, 0);
    const int32_t rect[4] = {0, 0, 1024, 720};
    std::memcpy(record.data() + 1152, rect, sizeof rect);
    std::memcpy(record.data() + 1168, &handle, sizeof handle);
    return record;
}

bool HaveDisplay() {
    const char *display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

// Rejects the modal dialog, if any: a message box first, then the main dialog.
void RejectModal(bool *mainShown) {
    auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (modal == nullptr) return;
    if (mainShown != nullptr && modal->objectName() == QStringLiteral(u"8002") &&
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
        if (modal->objectName() == QStringLiteral(u"8002") && modal->isVisible()) mainShown = true;
        modal->reject();
    });
    QTimer::singleShot(1500, &closer, qOverload<>(&QTimer::start));
    EXPECT_EQ(show(1, ExtRect{0, 0, 1024, 720}), EXT_DONE);
    closer.stop();
    EXPECT_TRUE(mainShown) << "the main dialog 8002 was never the modal window";
    // Every widget the editor made is gone again.
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());

    stationdb_unregister(handle);
}

}  // namespace
