#pragma once
// What the editor's modal run and its offscreen rendering share: the
// process's QApplication, the editor's rectangle, its own window for a host
// without one, and the sweep of the widgets a run leaves behind.
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "ext_family.h"
#include "generator/editor_session.h"

namespace dialogs {

class StandarForCX;

// True when QT_QPA_PLATFORM (which may list fallbacks, "xcb;offscreen", with
// options, "offscreen:...") names the offscreen or minimal platform.
bool NamesHeadlessPlatform(const char *value);

// The process's QApplication: the host's when it has one, else one made here
// that is never deleted. Null (after the trace) without a display, or when
// the process has a Qt application object that cannot carry widgets.
QApplication *EnsureApplication();

generator::EditorRect ToEditorRect(ExtRect rect);

// A host that hands over no window of its own (stdhost) names the editor's
// window instead.
void UseOwnWindowIfAsked(StandarForCX &main);

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

}  // namespace dialogs
