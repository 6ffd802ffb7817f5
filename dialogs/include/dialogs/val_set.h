#pragma once
// The limit-edit dialog (resource 8003, "限值修改"): the upper and lower
// limit of one list row, as texts of at most 31 characters. OK takes only
// texts that are limits the database can hold (generator::ParseLimitInput);
// anything else is refused with a message naming the field, and the dialog
// stays open.
#include <QDialog>
#include <QString>

#include "generator/editor_flow.h"
#include "generator/limit_input.h"

class QLineEdit;

namespace dialogs {

class ValSet : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxChars = 31;

    explicit ValSet(QWidget *parent = nullptr);
    // The texts shown when the dialog runs; cut to 31 characters.
    void SetTexts(const QString &upper, const QString &lower);
    // The parameter being edited, named in the caption ("" for none).
    void SetParameter(const QString &name);
    // After OK: the texts as typed, cut to 31 characters; unchanged after Cancel.
    QString Upper() const { return upper_; }
    QString Lower() const { return lower_; }
    // After OK: the two limits as they will be stored.
    const generator::LimitInput &UpperLimit() const { return upperLimit_; }
    const generator::LimitInput &LowerLimit() const { return lowerLimit_; }

    void accept() override;

  private:
    // The limit of one field, or a message naming it (focus to it) and false.
    bool ReadField(QLineEdit *edit, generator::LimitField field, generator::LimitInput &limit);

    QString upper_;
    QString lower_;
    generator::LimitInput upperLimit_;
    generator::LimitInput lowerLimit_;
    QLineEdit *upperEdit_ = nullptr;  // 8000
    QLineEdit *lowerEdit_ = nullptr;  // 8001
};

// The flags of the editor's fixed-size dialogs: a title and a close button
// in the frame, nothing to maximise.
Qt::WindowFlags FixedDialogFlags();

}  // namespace dialogs
