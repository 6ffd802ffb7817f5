// The standards editor's entry: the display check, the process's
// QApplication and the modal main dialog over an editor session.
#include <xcb/xcb.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "dialogs/editor.h"
#include "dialogs/qt_messages.h"
#include "dialogs/standar_for_cx.h"
#include "editor_app.h"
#include "gbk_texts.h"
#include "generator/sergen_module.h"
#include "platform/trace.h"

namespace dialogs {
namespace {

constexpr int kNoDisplay = EXT_EXCEPTION;  // -1002: what ExtShow answers without a display

// True when the X server that DISPLAY names accepts a connection (xcb reads
// DISPLAY itself; an unset or malformed one is an error connection).
bool XServerAccepts() {
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screen);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

bool DisplayAvailable() {
    if (NamesHeadlessPlatform(std::getenv("QT_QPA_PLATFORM"))) return true;
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland != nullptr && wayland[0] != '\0') return true;
    return XServerAccepts();
}

}  // namespace

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

void UseOwnWindowIfAsked(StandarForCX &main) {
    const char *title = std::getenv(kOwnWindowTitleVariable);
    if (title != nullptr && title[0] != '\0') main.UseOwnWindow(QString::fromUtf8(title));
}

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

}  // namespace dialogs
