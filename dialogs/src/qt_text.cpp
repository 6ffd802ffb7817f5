#include "dialogs/qt_text.h"

#include "platform/gbk.h"

namespace dialogs {
namespace {

constexpr char kNoGbkMark = '\x01';

}  // namespace

QString GbkToQString(const std::string &gbk) {
    std::string utf8;
    if (platform::GbkToUtf8(gbk, utf8)) return QString::fromStdString(utf8);
    // Character by character, so one bad byte costs one replacement character.
    QString text;
    std::size_t at = 0;
    while (at < gbk.size()) {
        const auto lead = static_cast<unsigned char>(gbk[at]);
        if (lead < 0x80) {
            text += QChar(static_cast<char16_t>(lead));
            ++at;
            continue;
        }
        if (platform::IsGbkLeadByte(lead) && at + 1 < gbk.size() &&
            platform::GbkToUtf8(std::string_view(gbk).substr(at, 2), utf8)) {
            text += QString::fromStdString(utf8);
            at += 2;
            continue;
        }
        text += QChar(QChar::ReplacementCharacter);
        ++at;
    }
    return text;
}

bool QStringToGbk(const QString &text, std::string &gbk) {
    if (platform::Utf8ToGbk(text.toStdString(), gbk)) return true;
    gbk.clear();
    return false;
}

std::string GbkKey(const QString &text) {
    std::string gbk;
    if (QStringToGbk(text, gbk)) return gbk;
    return '\xFF' + text.toStdString();
}

std::string TypedGbk(const QString &typed) {
    std::string gbk;
    if (QStringToGbk(typed, gbk) || QStringToGbk(typed.trimmed(), gbk)) return gbk;
    return std::string(1, kNoGbkMark);
}

QString TypedMessage(const std::string &gbkMessage, const QString &typed) {
    QString text = GbkToQString(gbkMessage);
    std::string gbk;
    if (!QStringToGbk(typed, gbk)) text.replace(QChar(char16_t(kNoGbkMark)), typed.trimmed());
    return text;
}

}  // namespace dialogs
