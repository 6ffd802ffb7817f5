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

}  // namespace dialogs
