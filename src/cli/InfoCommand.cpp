#include "InfoCommand.h"

#include "ClassifyImageFile.h"
#include "CliOutput.h"
#include "EInOutError.h"
#include "ExitStatus.h"
#include "TImageHeader.h"
#include "UpperCase.h"

#include <QFileInfo>

namespace {

int RunInfo(const QCommandLineParser& parser)
{
    const QString path = parser.positionalArguments().constFirst();
    TImageHeader header;
    try {
        header = ReadImageHeader(path);
    } catch (const EInOutError& error) {
        WriteText(
            stderr, QStringLiteral("conveyor-cli info: %1\n").arg(PrintableText(error.Message())));
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
    text += QStringLiteral("System:     %1\n")
                .arg(system && !system->isEmpty() ? *system : QStringLiteral("(none)"));
    WriteText(stdout, text);
    return ExitSuccess;
}

} // namespace

const TCommand InfoCommand = {
    QStringLiteral("info"),
    QStringLiteral("Shows what the catalogue reads from one file."),
    QStringLiteral("Shows what the catalogue reads from FILE: its name, size, whether it is an\n"
                   "image, the image name and the television system."),
    {},
    {},
    { { QStringLiteral("FILE"), QStringLiteral("The file to examine."), false } },
    RunInfo,
};
