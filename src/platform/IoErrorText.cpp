#include "IoErrorText.h"

#include <cstring>

namespace {

// The system message tables of other platforms hold at most this many characters.
constexpr qsizetype MaximumMessageLength = 256;

bool IsTrailingNoise(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('.') || c.category() == QChar::Other_Control
        || c.isSpace();
}

} // namespace

QString SystemErrorMessage(int errorCode)
{
    // strerror follows LC_MESSAGES, whose texts are in the locale's own encoding.
    QString message = QString::fromLocal8Bit(std::strerror(errorCode)).left(MaximumMessageLength);
    qsizetype end = message.size();
    while (end > 0 && IsTrailingNoise(message.at(end - 1)))
        --end;
    message.truncate(end);
    return message;
}

QString IoErrorText(int errorCode)
{
    return QString::number(errorCode) + QStringLiteral(": ") + SystemErrorMessage(errorCode);
}
