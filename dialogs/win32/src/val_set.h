#pragma once
// The limit-edit dialog (resource 8003, "限值修改"): the upper and lower
// limit of one list row. OK only with two limits the table can hold; a text
// that is not one is named to the user and its field keeps the focus.
#include <string>

#include "dialog_base.h"
#include "generator/editor_flow.h"
#include "generator/limit_input.h"

namespace dialogs::win32 {

class ValSet : public DialogBase {
  public:
    static constexpr std::size_t kMaxChars = 31;  // 32-byte texts

    // The texts the fields start with (cut to 31 characters).
    void SetTexts(const std::wstring &upper, const std::wstring &lower);
    // "限值修改 - NAME" as caption; "" keeps "限值修改".
    void SetParameter(const std::wstring &name) { parameter_ = name; }
    // The screen rectangle of the row being edited: the dialog opens below
    // it (above when the screen has no room below).
    void SetAnchor(const RECT &row) {
        anchor_ = row;
        anchored_ = true;
    }
    // True after OK; then the limits below hold the values read.
    bool Run(HINSTANCE instance, HWND owner);

    const std::wstring &Upper() const { return upper_; }
    const std::wstring &Lower() const { return lower_; }
    const generator::LimitInput &UpperLimit() const { return upperLimit_; }
    const generator::LimitInput &LowerLimit() const { return lowerLimit_; }

  protected:
    INT_PTR Handle(UINT message, WPARAM w, LPARAM l) override;

  private:
    void Initialise();
    void PlaceBesideRow();
    bool ReadField(int id, generator::LimitField field, generator::LimitInput &limit);
    std::wstring upper_;
    std::wstring lower_;
    std::wstring parameter_;
    RECT anchor_{};
    bool anchored_ = false;
    generator::LimitInput upperLimit_;
    generator::LimitInput lowerLimit_;
};

}  // namespace dialogs::win32
