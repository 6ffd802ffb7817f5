#pragma once
// The limit-edit dialog (resource 8003, "限值修改"): the upper and lower
// limit of one list row, as texts of at most 31 characters.
#include <QDialog>
#include <QString>

class QLineEdit;

namespace dialogs {

class ValSet : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxChars = 31;

    explicit ValSet(QWidget *parent = nullptr);
    // The texts shown when the dialog runs; cut to 31 characters.
    void SetTexts(const QString &upper, const QString &lower);
    // After OK: the texts as typed, cut to 31 characters; unchanged after Cancel.
    QString Upper() const { return upper_; }
    QString Lower() const { return lower_; }

    void accept() override;

  private:
    QString upper_;
    QString lower_;
    QLineEdit *upperEdit_ = nullptr;  // 8000
    QLineEdit *lowerEdit_ = nullptr;  // 8001
};

}  // namespace dialogs
