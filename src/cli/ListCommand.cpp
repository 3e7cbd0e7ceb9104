#include "ListCommand.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/FileFilters.h"
#include "catalogue/HeaderButtons.h"
#include "catalogue/ListCatalogue.h"
#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "platform/EInOutError.h"

#include <algorithm>
#include <array>

namespace {

const QCommandLineOption MaskOption(QStringLiteral("mask"),
    QStringLiteral("The files to list: \";\"-separated wildcard patterns, letter case not "
                   "counting (default \"%1\").")
        .arg(DefaultFileMask),
    QStringLiteral("MASK"), DefaultFileMask);
const QCommandLineOption TsvOption(QStringLiteral("tsv"),
    QStringLiteral("Prints one tab-separated line per row with the table's six columns and "
                   "nothing else."));

// The columns a person reads; the others are for the program.
constexpr std::array<int, HeaderButtonCount> VisibleColumns
    = { ccBaseName, ccExtension, ccImageName, ccSize };
const std::array<QString, HeaderButtonCount> VisibleCaptions = { QStringLiteral("Filename"),
    QStringLiteral("Ext"), QStringLiteral("Image Name"), QStringLiteral("Mbit") };

void PrintTsv(const std::vector<TTextRow>& rows)
{
    for (const TTextRow& row : rows) {
        QString line;
        for (int column = 0; column <= ccFileName; ++column) {
            if (column > 0)
                line += QLatin1Char('\t');
            line += PrintableText(row[std::size_t(column)]);
        }
        WriteText(stdout, line + QLatin1Char('\n'));
    }
}

QString CountText(std::size_t count, const char* one, const char* several)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : several);
}

// files: how many files the rows come from; an archive of several images gives a row each.
void PrintTable(const std::vector<TTextRow>& rows, int files)
{
    std::array<qsizetype, HeaderButtonCount> widths {};
    for (std::size_t i = 0; i < VisibleColumns.size(); ++i) {
        widths[i] = VisibleCaptions[i].size();
        for (const TTextRow& row : rows)
            widths[i] = std::max(widths[i], row[std::size_t(VisibleColumns[i])].size());
    }
    auto printLine = [&](auto textOf) {
        QString line;
        for (std::size_t i = 0; i < VisibleColumns.size(); ++i) {
            const QString text = PrintableText(textOf(i));
            line += i + 1 < VisibleColumns.size() ? text.leftJustified(widths[i] + 2) : text;
        }
        WriteText(stdout, line + QLatin1Char('\n'));
    };
    printLine([&](std::size_t i) { return VisibleCaptions[i]; });
    for (const TTextRow& row : rows)
        printLine([&](std::size_t i) { return row[std::size_t(VisibleColumns[i])]; });
    const QString count = rows.size() == std::size_t(files)
        ? CountText(rows.size(), "file", "files")
        : CountText(rows.size(), "row", "rows") + QStringLiteral(" from ")
            + CountText(std::size_t(files), "file", "files");
    WriteText(stdout, count + QLatin1Char('\n'));
}

int RunList(const QCommandLineParser& parser)
{
    std::vector<TTextRow> rows;
    int files = 0;
    try {
        rows = ListCatalogue(parser.positionalArguments().constFirst(), parser.value(MaskOption),
            [&files](int number) { files = number; });
    } catch (const EInOutError& error) {
        ReportError(error.Message());
        return ExitFailure;
    }

    if (parser.isSet(TsvOption))
        PrintTsv(rows);
    else
        PrintTable(rows, files);
    return ExitSuccess;
}

} // namespace

const TCommand ListCommand = {
    QStringLiteral("list"),
    QStringLiteral("Lists the images of a folder as the catalogue table shows them."),
    QStringLiteral("Lists the images of DIR as the catalogue table shows them after a scan, in\n"
                   "the same order: an archive that holds one image is one row, one that holds\n"
                   "several is a row for each (\"IMAGE in ARCHIVE\"). What each archive holds\n"
                   "is remembered in the user's cache folder between listings."),
    {},
    { MaskOption, TsvOption },
    { { QStringLiteral("DIR"), QStringLiteral("The folder to list."), false } },
    RunList,
};
