#pragma once
// GBK <-> QString: the one way the dialogs turn the core's GBK texts into Qt
// text and back.
#include <QString>
#include <string>

namespace dialogs {

// Bytes that are not GBK show as U+FFFD; never fails.
QString GbkToQString(const std::string &gbk);
// False (and `gbk` empty) for a text with no GBK form.
bool QStringToGbk(const QString &text, std::string &gbk);

// A text the core compares with GBK names (a filter, a brand, a series):
// its GBK form, or, for a text with none, 0xFF and its UTF-8 bytes. No GBK
// text holds 0xFF, so such a text equals no name and stays apart from every
// other text.
std::string GbkKey(const QString &text);

// A typed text for the core's checks of numbers: its GBK form; for a text
// with none, that of the text without blanks at its ends (Qt's blanks
// include some GBK lacks), else a control byte no check takes for a number
// or a blank.
std::string TypedGbk(const QString &typed);
// The core's message about `typed` (given to it as TypedGbk) as Qt text:
// the typed text, blanks at its ends cut, stands where the core saw the mark.
QString TypedMessage(const std::string &gbkMessage, const QString &typed);

}  // namespace dialogs
