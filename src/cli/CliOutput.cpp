#include "CliOutput.h"

#include "platform/FileAccess.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QDir>

#include <cerrno>

#include <fcntl.h>
#include <stdio_ext.h>
#include <unistd.h>

namespace {

// Why standard output first lost text, when a write said so; 0 before.
int StandardOutputError = 0;
// The line WriteOutcome wrote last.
QString Outcome;

// Characters that end a line for readers that follow Unicode, and those that change the
// direction in which a terminal lays out what follows (Unicode's Bidi_Control).
bool MovesLineOrDirection(char16_t c)
{
    return c == u'\u2028' || c == u'\u2029' || c == u'\u061C' || c == u'\u200E' || c == u'\u200F'
        || (c >= u'\u202A' && c <= u'\u202E') || (c >= u'\u2066' && c <= u'\u2069');
}

} // namespace

void WriteText(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const std::size_t written
        = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    if (written != std::size_t(bytes.size()) && stream == stdout && StandardOutputError == 0)
        StandardOutputError = errno;
}

void WriteOutcome(const QString& line)
{
    Outcome = line;
    WriteText(stdout, line + QLatin1Char('\n'));
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
        if (c.category() == QChar::Other_Control || MovesLineOrDirection(c.unicode()))
            c = QLatin1Char(' ');
    }
    return printable;
}

void ReserveStandardDescriptors()
{
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // open() takes the lowest free number, which is this one.
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != descriptor)
            ::close(opened);
    }
}

bool CloseStandardOutput()
{
    // As coreutils' close_stdout: a closed standard output that was never written to is no
    // failure, anything else lost is.
    const bool pending = __fpending(stdout) != 0;
    const bool failedBefore = std::ferror(stdout) != 0;
    errno = 0;
    const bool closeFailed = std::fclose(stdout) != 0;
    const int closeError = errno;
    if (!failedBefore && !(closeFailed && (pending || closeError != EBADF)))
        return true;

    const int error = StandardOutputError != 0 ? StandardOutputError : closeError;
    const QString reason
        = error != 0 ? QStringLiteral(": ") + SystemErrorMessage(error) : QString();
    if (Outcome.isEmpty())
        ReportError(QStringLiteral("Cannot write to standard output") + reason);
    else
        ReportError(
            QStringLiteral("%1, but cannot write to standard output%2").arg(Outcome, reason));
    return false;
}
