#pragma once
// Message boxes of the editor: the core's messages (GBK) and the dialogs'
// own, shown as modal QMessageBox with the given caption, buttons and icon.
// Tests and headless runs install an answerer instead of showing anything.
#include <QString>
#include <functional>

#include "generator/messages.h"

class QWidget;

namespace dialogs {

struct BoxRequest {
    QString text;
    QString caption;  // empty: the application's name
    generator::MessageIcon icon = generator::MessageIcon::kNone;
    bool okCancel = false;  // OK and Cancel; else OK only
    bool yesNo = false;     // Yes and No instead (Yes answers true)
    // With two buttons: the negative one is the default, so that Enter
    // does not start what the box asks about.
    bool negativeDefault = false;
};

// Shows a box modally over `parent`, in the parent's font; true for OK (or
// Yes). With an answerer installed, calls it instead and returns its answer.
bool ShowBox(QWidget *parent, const BoxRequest &request);
// Installs (or with {} removes) the answerer: for tests.
void SetBoxAnswerer(std::function<bool(const BoxRequest &)> answerer);

// The core's message sink over ShowBox.
class QtMessageSink : public generator::MessageSink {
  public:
    explicit QtMessageSink(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }
    void Show(const generator::Message &message) override;
    bool Confirm(const generator::Message &message) override;

  private:
    QWidget *parent_;
};

}  // namespace dialogs
