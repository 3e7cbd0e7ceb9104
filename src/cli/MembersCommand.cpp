#include "MembersCommand.h"

#include "catalogue/TImageHeader.h"
#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "image/TImageSource.h"
#include "platform/Exception.h"

namespace {

int RunMembers(const QCommandLineParser& parser)
{
    const QString path = parser.positionalArguments().constFirst();
    TArchiveContents contents;
    try {
        // A plain image is no archive; only a file that may be one is handed to the reader.
        const TImageHeader header = ReadImageHeader(path);
        if (header.IsImage() || !MayBeArchive(header.Bytes.data(), header.Present, path))
            return ExitSuccess;
        contents = TImageSource::Contents(path);
    } catch (const Exception& error) {
        ReportError(error.Message());
        return ExitFailure;
    }
    if (contents.State == asDamaged || contents.State == asEncrypted) {
        ReportError(QStringLiteral("%1: %2").arg(path,
            contents.State == asDamaged ? QStringLiteral("damaged archive")
                                        : QStringLiteral("encrypted archive")));
        return ExitFailure;
    }
    QString text;
    for (const TArchiveMember& member : contents.Members) {
        // A name with a line break in it would be two names to the shell.
        if (member.Header.IsImage() && !member.Path.isEmpty()
            && !member.Path.contains(QLatin1Char('\n')))
            text += member.Path + QLatin1Char('\n');
    }
    WriteText(stdout, text);
    return ExitSuccess;
}

} // namespace

const TCommand MembersCommand = {
    QStringLiteral("members"),
    QStringLiteral("Lists the images inside an archive, for the shell's completion."),
    QStringLiteral("Prints the path inside ARCHIVE of each image it holds, one per line, as\n"
                   "ARCHIVE/MEMBER names them; nothing for a file that is no archive."),
    {},
    {},
    { { QStringLiteral("ARCHIVE"), QStringLiteral("The archive to look into."), false } },
    RunMembers,
};
