#include "CliOutput.h"

#include "platform/FileAccess.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QDir>

void WriteText(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

void ReportError(const QString& message)
{
    WriteText(stderr, QStringLiteral("conveyor-cli: %1\n").arg(PrintableText(message)));
}

bool MakeOutputFolder(const QString& folder)
{
    if (MakeFolders(folder))
        return true;
    ReportError(QStringLiteral("Cannot create the folder %1: %2")
                    .arg(PrintableText(folder), SystemErrorMessage(errno)));
    return false;
}

QString PrintableText(const QString& text)
{
    // A name's bytes that are not UTF-8 read as Latin-1 rather than as replacement marks.
    QString printable = ReadableRawText(text);
    for (QChar& c : printable) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return printable;
}
