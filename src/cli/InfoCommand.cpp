#include "InfoCommand.h"

#include "catalogue/ClassifyImageFile.h"
#include "catalogue/TImageHeader.h"
#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "image/TImageChecksum.h"
#include "image/TImageSource.h"
#include "platform/Exception.h"
#include "platform/UpperCase.h"

#include <QFileInfo>

namespace {

const QString None = QStringLiteral("(none)");

QString ChecksumPairText(const std::optional<TChecksumPair>& pair)
{
    if (!pair)
        return None;
    const auto hex = [](std::uint32_t value) {
        return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(8, u'0');
    };
    return hex(pair->First) + QLatin1Char(' ') + hex(pair->Second);
}

// The image sources a named file stands for: the file itself, or the images an archive
// holds ("ARCHIVE/MEMBER", or a compressed file's own name). Nothing for a file that is
// neither image nor archive, which info describes as it is. Raises Exception, also for
// an archive that cannot be listed, naming it.
QStringList SourcesOf(const QString& path, const TImageHeader& header)
{
    if (header.IsImage() || !MayBeArchive(header.Bytes.data(), header.Present, path))
        return {};
    const TArchiveContents contents = TImageSource::Contents(path);
    // The reason names the archive and says why, in the reader's words.
    if (contents.State == asDamaged || contents.State == asEncrypted)
        throw Exception(contents.Reason.isEmpty() ? QStringLiteral("%1: %2").arg(path,
                            contents.State == asDamaged ? QStringLiteral("damaged archive")
                                                        : QStringLiteral("encrypted archive"))
                                                  : contents.Reason);
    QStringList sources;
    for (const TArchiveMember& member : contents.Members) {
        if (member.Header.IsImage())
            sources << (member.Path.isEmpty() ? path : path + QLatin1Char('/') + member.Path);
    }
    return sources;
}

// One block of info: what the catalogue reads from a source, headed by the name it is shown
// by.
QString Description(
    const QString& shownName, const TImageHeader& header, const std::optional<TImageCheck>& check)
{
    const std::optional<quint8> country = header.Country();
    const std::optional<QString> system
        = header.IsImage() && country ? CountrySystemText(*country) : std::nullopt;
    QString text;
    text += QStringLiteral("File:       %1\n").arg(PrintableText(shownName));
    text
        += QStringLiteral("Size:       %1 bytes, %2\n").arg(header.Size).arg(SizeText(header.Size));
    text += QStringLiteral("Image:      %1\n").arg(header.IsImage() ? "yes" : "no");
    text += QStringLiteral("Image Name: %1\n")
                .arg(header.IsImage() ? PrintableText(UpperCaseWindows1252(header.Name()))
                                      : QStringLiteral("(none)"));
    text += QStringLiteral("System:     %1\n").arg(system && !system->isEmpty() ? *system : None);
    const std::optional<TByteOrder> order = header.Order();
    text += QStringLiteral("Byte Order: %1\n").arg(order ? ByteOrderText(*order) : None);
    text += QStringLiteral("Stored:     %1\n")
                .arg(ChecksumPairText(check ? check->Stored : std::nullopt));
    text += QStringLiteral("Computed:   %1\n")
                .arg(ChecksumPairText(check ? check->Computed : std::nullopt));
    const QString bootCode = check ? BootCodeText(check->BootCode) : QString();
    text += QStringLiteral("Boot Code:  %1\n").arg(bootCode.isEmpty() ? None : bootCode);
    text += QStringLiteral("Verdict:    %1\n")
                .arg(check ? ChecksumVerdictText(check->Verdict) : None);
    return text;
}

// The name a source is shown by: a plain file's own name, an archive's image as the
// archive's name, "/" and the member's path, as send takes it.
QString ShownName(const QString& source)
{
    QString file;
    QString member;
    TImageSource::SplitName(source, &file, &member);
    const QString name = QFileInfo(file).fileName();
    return member.isEmpty() ? name : name + QLatin1Char('/') + member;
}

int RunInfo(const QCommandLineParser& parser)
{
    const QString path = parser.positionalArguments().constFirst();
    QStringList sources;
    TImageHeader header;
    try {
        QString file;
        QString member;
        TImageSource::SplitName(path, &file, &member);
        if (member.isEmpty()) {
            header = ReadImageHeader(path);
            sources = SourcesOf(path, header);
        } else {
            sources << path;
        }
    } catch (const Exception& error) {
        ReportError(error.Message());
        return ExitFailure;
    }
    if (sources.isEmpty()) {
        // A plain file, image or not; an archive without images is described as the file
        // it is.
        std::optional<TImageCheck> check;
        try {
            // The check reads the first megabyte and more: only for an image.
            if (header.IsImage())
                check = CheckImageFile(path);
        } catch (const Exception& error) {
            ReportError(error.Message());
            return ExitFailure;
        }
        WriteText(stdout, Description(QFileInfo(path).fileName(), header, check));
        return ExitSuccess;
    }
    // One block for each image of a several-image archive; one that cannot be read is told
    // and the others still shown.
    int status = ExitSuccess;
    bool first = true;
    for (const QString& source : sources) {
        try {
            const TImageHeader sourceHeader = ReadSourceHeader(source);
            std::optional<TImageCheck> check;
            if (sourceHeader.IsImage())
                check = CheckImageSource(source);
            WriteText(stdout,
                (first ? QString() : QStringLiteral("\n"))
                    + Description(ShownName(source), sourceHeader, check));
            first = false;
        } catch (const Exception& error) {
            ReportError(error.Message());
            status = ExitFailure;
        }
    }
    return status;
}

} // namespace

const TCommand InfoCommand = {
    QStringLiteral("info"),
    QStringLiteral("Shows what the catalogue reads from one file."),
    QStringLiteral("Shows what the catalogue reads from FILE: its name, size, whether it is an\n"
                   "image, the image name, the television system and the byte order; for an\n"
                   "image also the two header checksums as stored and as computed from the\n"
                   "file, the boot code family and whether the checksums match. For an archive\n"
                   "(.zip, .7z, .gz) the same of the image it holds, or one block for each of\n"
                   "its images headed by its ARCHIVE/MEMBER name; FILE may name one image\n"
                   "inside an archive as ARCHIVE/MEMBER."),
    {},
    {},
    { { QStringLiteral("FILE"),
        QStringLiteral("The file to examine, an archive, or ARCHIVE/MEMBER."), false } },
    RunInfo,
};
