#include "CliOutput.h"

void WriteText(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

QString PrintableText(const QString& text)
{
    QString printable = text;
    for (QChar& c : printable) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return printable;
}
