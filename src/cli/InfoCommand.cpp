#include "InfoCommand.h"

#include "catalogue/ClassifyImageFile.h"
#include "catalogue/TImageHeader.h"
#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "image/TImageChecksum.h"
#include "platform/EInOutError.h"
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

int RunInfo(const QCommandLineParser& parser)
{
    const QString path = parser.positionalArguments().constFirst();
    TImageHeader header;
    std::optional<TImageCheck> check;
    try {
        header = ReadImageHeader(path);
        // The check reads the first megabyte and more: only for an image.
        if (header.IsImage())
            check = CheckImageFile(path);
    } catch (const EInOutError& error) {
        ReportError(error.Message());
        return ExitFailure;
    }

    const std::optional<quint8> country = header.Country();
    const std::optional<QString> system
        = header.IsImage() && country ? CountrySystemText(*country) : std::nullopt;
    QString text;
    text += QStringLiteral("File:       %1\n").arg(PrintableText(QFileInfo(path).fileName()));
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
    WriteText(stdout, text);
    return ExitSuccess;
}

} // namespace

const TCommand InfoCommand = {
    QStringLiteral("info"),
    QStringLiteral("Shows what the catalogue reads from one file."),
    QStringLiteral("Shows what the catalogue reads from FILE: its name, size, whether it is an\n"
                   "image, the image name, the television system and the byte order; for an\n"
                   "image also the two header checksums as stored and as computed from the\n"
                   "file, the boot code family and whether the checksums match."),
    {},
    {},
    { { QStringLiteral("FILE"), QStringLiteral("The file to examine."), false } },
    RunInfo,
};
