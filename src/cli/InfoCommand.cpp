#include "InfoCommand.h"

#include "ClassifyImageFile.h"
#include "CliOutput.h"
#include "EInOutError.h"
#include "TImageHeader.h"
#include "UpperCase.h"

#include <QFileInfo>

namespace {

const char* const InfoUsage
    = "Usage: conveyor-cli info FILE\n"
      "Shows what the catalogue reads from FILE: its name, size, whether it\n"
      "is an image, the image name and the television system.\n";

} // namespace

int InfoCommand(const QStringList& arguments)
{
    if (arguments.size() == 1
        && (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h"))) {
        std::fputs(InfoUsage, stdout);
        return ExitSuccess;
    }
    if (arguments.size() != 1 || arguments[0].startsWith(QLatin1Char('-'))) {
        std::fputs(InfoUsage, stderr);
        return ExitUsage;
    }
    const QString path = arguments[0];
    TImageHeader header;
    try {
        header = ReadImageHeader(path);
    } catch (const EInOutError& error) {
        WriteText(stderr, QStringLiteral("conveyor-cli info: %1\n").arg(error.Message()));
        return ExitFailure;
    }

    const std::optional<quint8> country = header.Country();
    const std::optional<QString> system
        = header.IsImage() && country ? CountrySystemText(*country) : std::nullopt;
    QString text;
    text += QStringLiteral("File:       %1\n").arg(QFileInfo(path).fileName());
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
