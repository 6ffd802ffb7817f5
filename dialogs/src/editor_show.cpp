// The standards editor's entry: the display check, the process's
// QApplication, the modal main dialog over an editor session, and the
// offscreen rendering of one dialog for screenshots.
#include "dialogs/editor.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/mask_dlg.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "dialogs/standar_for_cx.h"
#include "dialogs/std_info_dlg.h"
#include "dialogs/val_set.h"
#include "gbk_texts.h"
#include "generator/sergen_module.h"
#include "platform/atomic_file.h"
#include "platform/number_text.h"
#include "platform/trace.h"
#include "widgets/report_ctrl.h"

namespace dialogs {
namespace {

constexpr int kNoDisplay = EXT_EXCEPTION;  // -1002: what ExtShow answers without a display

// True when `fd` connects to `address` within two seconds.
bool ConnectsWithin(int fd, const sockaddr *address, socklen_t length) {
    if (::connect(fd, address, length) == 0) return true;
    if (errno != EINPROGRESS) return false;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, 2000) != 1) return false;
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool LocalServerAccepts(const std::string &path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;  // abstract names start with a NUL
    if (path.size() + offset >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const socklen_t length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool ok = ConnectsWithin(fd, reinterpret_cast<const sockaddr *>(&address), length);
    ::close(fd);
    return ok;
}

bool TcpServerAccepts(const std::string &host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (addrinfo *a = found; a != nullptr && !ok; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        ok = ConnectsWithin(fd, a->ai_addr, a->ai_addrlen);
        ::close(fd);
    }
    ::freeaddrinfo(found);
    return ok;
}

// DISPLAY is "[host]:n[.screen]": an empty host or "unix" means the local
// socket of server n, any other host its TCP port 6000 + n.
bool XServerAccepts(const std::string &display) {
    const auto colon = display.rfind(':');
    if (colon == std::string::npos) return false;
    std::string host = display.substr(0, colon);
    if (const auto slash = host.find('/'); slash != std::string::npos)
        host = host.substr(slash + 1);  // "protocol/host"
    platform::NumberRules rules;        // the display number, before ".screen"
    rules.leadingBlanks = true;
    rules.plusSign = true;
    rules.trailingText = true;
    const std::optional<long long> number =
        platform::ParseInteger(std::string_view(display).substr(colon + 1), rules);
    if (!number || *number < 0 || *number > 59535) return false;
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(*number);
        return LocalServerAccepts(path, true) || LocalServerAccepts(path, false);
    }
    return TcpServerAccepts(host, 6000 + static_cast<int>(*number));
}

// QT_QPA_PLATFORM may list fallbacks ("xcb;offscreen") with options ("offscreen:...").
bool NamesHeadlessPlatform(const char *value) {
    if (value == nullptr) return false;
    const std::string list(value);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        const std::string entry = list.substr(start, end - start);
        const std::string name = entry.substr(0, entry.find(':'));
        if (name == "offscreen" || name == "minimal") return true;
        start = end + 1;
    }
    return false;
}

bool DisplayAvailable() {
    if (NamesHeadlessPlatform(std::getenv("QT_QPA_PLATFORM"))) return true;
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland != nullptr && wayland[0] != '\0') return true;
    const char *x = std::getenv("DISPLAY");
    return x != nullptr && x[0] != '\0' && XServerAccepts(x);
}

// The process's QApplication: the host's when it has one, else one made here
// that is never deleted. Null (after the trace) without a display, or when
// the process has a Qt application object that cannot carry widgets.
QApplication *EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) {
        auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
        if (app == nullptr) platform::Trace(texts::kSergenNoDisplay);
        return app;
    }
    if (!DisplayAvailable()) {
        platform::Trace(texts::kSergenNoDisplay);
        return nullptr;
    }
    // QApplication keeps references to argc and argv for its whole life.
    static int argc = 1;
    static char name[] = "sergen";
    static char *argv[] = {name, nullptr};
    return new QApplication(argc, argv);
}

generator::EditorRect ToEditorRect(ExtRect rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Deletes the top-level widgets that were not there before: whatever the
// editor left behind (a message box, a dialog without parent) goes with it.
class WidgetSweep {
  public:
    WidgetSweep() {
        for (QWidget *w : QApplication::topLevelWidgets()) before_.push_back(w);
    }
    ~WidgetSweep() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::vector<QPointer<QWidget>> left;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (std::find(before_.begin(), before_.end(), w) == before_.end()) left.emplace_back(w);
        for (const QPointer<QWidget> &w : left) delete w.data();  // a parent may have taken it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    WidgetSweep(const WidgetSweep &) = delete;
    WidgetSweep &operator=(const WidgetSweep &) = delete;

  private:
    std::vector<QWidget *> before_;
};

// While rendering, message boxes go to the trace and are answered Cancel:
// nobody sees an offscreen box.
class TracedBoxes {
  public:
    TracedBoxes() {
        SetBoxAnswerer([](const BoxRequest &request) {
            std::string gbk;
            if (QStringToGbk(request.text, gbk)) platform::Trace(gbk + "\n");
            return false;
        });
    }
    ~TracedBoxes() { SetBoxAnswerer({}); }
    TracedBoxes(const TracedBoxes &) = delete;
    TracedBoxes &operator=(const TracedBoxes &) = delete;
};

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Puts `text` into the control numbered `id` as a user would: an edit's text,
// or the combo box entry of that text, picked (or typed when it has none).
void SetField(QWidget *dialog, int id, const QString &text) {
    if (auto *edit = FindByResourceId<QLineEdit>(dialog, id)) {
        edit->setText(text);
    } else if (auto *combo = FindByResourceId<QComboBox>(dialog, id)) {
        const int index = combo->findText(text);
        if (index >= 0) {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        } else if (combo->isEditable()) {
            combo->setEditText(text);
        }
    }
}

// The conditions of the sample vehicle 1-sedan: a petrol sedan in use.
void FillSampleSedan(QWidget *conditions) {
    namespace ids = conditions_ids;
    struct Field {
        int id;
        const char16_t *text;
    };
    static constexpr Field kSedan[] = {
        {ids::kTotalMassEdit, u"1580"},       {ids::kSeatsEdit, u"5"},
        {ids::kCurbMassEdit, u"1230"},        {ids::kMaxSpeedEdit, u"185"},
        {ids::kDriveTypeBox, u"4x2前驱"},     {ids::kVehicleKindBox, u"轿车"},
        {ids::kLampSystemBox, u"两灯制"},     {ids::kFuelBox, u"汽油"},
        {ids::kCatalystBox, u"有催化转化器"},
    };
    for (const Field &f : kSedan) SetField(conditions, f.id, QString::fromUtf16(f.text));
}

// The upper and lower limit texts of the list's first row, by column heading.
void FirstRowLimits(QWidget *main, QString &upper, QString &lower) {
    auto *list = main->findChild<widgets::ReportCtrl *>(QStringLiteral(u"limitList"));
    if (list == nullptr || list->RowCount() == 0) return;
    for (int c = 0; c < list->columnCount(); ++c) {
        const QTableWidgetItem *heading = list->horizontalHeaderItem(c);
        if (heading == nullptr) continue;
        if (heading->text().contains(QStringLiteral(u"上限"))) upper = list->CellText(0, c);
        if (heading->text().contains(QStringLiteral(u"下限"))) lower = list->CellText(0, c);
    }
}

// A host that hands over no window of its own (stdhost) names the editor's
// window instead.
void UseOwnWindowIfAsked(StandarForCX &main) {
    const char *title = std::getenv(kOwnWindowTitleVariable);
    if (title != nullptr && title[0] != '\0') main.UseOwnWindow(QString::fromUtf8(title));
}

QPixmap Render(StandarForCX &main, generator::EditorSession &session, Screen screen) {
    switch (screen) {
        case Screen::kMain:
            return main.grab();
        case Screen::kConditions: {
            StdInfoDlg *conditions = main.ConditionsDialog();
            if (conditions == nullptr) return {};
            conditions->show();
            FillSampleSedan(conditions);
            Settle();
            QPixmap shot = conditions->grab();
            conditions->hide();
            return shot;
        }
        case Screen::kMask: {
            MaskDlg mask(session, &main);
            mask.show();
            mask.FillList();
            Settle();
            QPixmap shot = mask.grab();
            mask.hide();
            return shot;
        }
        case Screen::kLimit: {
            QString upper, lower;
            FirstRowLimits(&main, upper, lower);
            ValSet *limit = main.LimitDialog();
            std::unique_ptr<ValSet> own;
            if (limit == nullptr) {
                own = std::make_unique<ValSet>(&main);
                limit = own.get();
            }
            limit->SetTexts(upper, lower);
            limit->show();
            Settle();
            QPixmap shot = limit->grab();
            limit->hide();
            return shot;
        }
    }
    return {};
}

}  // namespace

int ShowEditor(generator::SergenModule &module, ExtRect rect, const void *moduleAddress) {
    try {
        module.editorRect = ToEditorRect(rect);
        if (EnsureApplication() == nullptr) return kNoDisplay;
        QtMessageSink sink;
        generator::EditorSession session(
            module.editor, [&module] { return module.Connection(); }, sink);
        session.Open(moduleAddress);
        {
            WidgetSweep sweep;
            auto dialog = std::make_unique<StandarForCX>(session, module.editorRect);
            UseOwnWindowIfAsked(*dialog);
            sink.SetParent(dialog.get());
            dialog->exec();
            sink.SetParent(nullptr);
        }
        session.Close();
        return EXT_DONE;
    } catch (...) {
        return EXT_EXCEPTION;
    }
}

bool RenderScreenshot(generator::SergenModule &module, ExtRect rect, const void *moduleAddress,
                      Screen screen, const std::string &brandUtf8, const std::string &seriesUtf8,
                      const std::string &path) {
    try {
        if (QCoreApplication::instance() == nullptr &&
            !NamesHeadlessPlatform(std::getenv("QT_QPA_PLATFORM")))
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        module.editorRect = ToEditorRect(rect);
        if (EnsureApplication() == nullptr) return false;
        TracedBoxes boxes;
        QtMessageSink sink;
        generator::EditorSession session(
            module.editor, [&module] { return module.Connection(); }, sink);
        session.Open(moduleAddress);
        bool saved = false;
        {
            WidgetSweep sweep;
            auto main = std::make_unique<StandarForCX>(session, module.editorRect);
            UseOwnWindowIfAsked(*main);
            sink.SetParent(main.get());
            main->show();
            main->FirstLoad();
            if (!brandUtf8.empty())
                main->ChooseSeries(QString::fromUtf8(brandUtf8), QString::fromUtf8(seriesUtf8));
            Settle();
            const QPixmap shot = Render(*main, session, screen);
            // Through the project's writer: a device or FIFO is written in
            // place, a directory is refused, a file replaced atomically.
            QByteArray png;
            QBuffer buffer(&png);
            saved = !shot.isNull() && buffer.open(QIODevice::WriteOnly) &&
                    shot.save(&buffer, "PNG") &&
                    platform::WriteFileAtomically(
                        path,
                        std::string_view(png.constData(), static_cast<std::size_t>(png.size()))) ==
                        platform::AtomicWriteResult::kOk;
            sink.SetParent(nullptr);
            main->hide();
        }
        session.Close();
        return saved;
    } catch (...) {
        return false;
    }
}

}  // namespace dialogs
