#include "ListCommand.h"

#include "CatalogueRow.h"
#include "ClassifyImageFile.h"
#include "CliOutput.h"
#include "EInOutError.h"
#include "FileListing.h"
#include "TextRows.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>

namespace {

const char* const ListUsage
    = "Usage: conveyor-cli list [--mask MASK] [--tsv] DIR\n"
      "Lists the images of DIR as the catalogue table shows them, sorted by\n"
      "file name. --mask takes \";\"-separated wildcard patterns (default\n"
      "\"*.v64;*.jap;*.pal;*.usa;*.us\"); --tsv prints one tab-separated line\n"
      "per row with the table's six columns and nothing else.\n";

const QString DefaultMask = QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us");

// The columns a person reads; the others are for the program.
constexpr std::array<int, 4> VisibleColumns = { ccBaseName, ccExtension, ccImageName, ccSize };
const std::array<QString, 4> VisibleCaptions = { QStringLiteral("Filename"), QStringLiteral("Ext"),
    QStringLiteral("Image Name"), QStringLiteral("Mbit") };

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

void PrintTable(const std::vector<TTextRow>& rows)
{
    std::array<qsizetype, 4> widths {};
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
    WriteText(stdout,
        QStringLiteral("%1 %2\n").arg(rows.size()).arg(rows.size() == 1 ? "file" : "files"));
}

} // namespace

int ListCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption maskOption(
        QStringLiteral("mask"), QString(), QStringLiteral("MASK"), DefaultMask);
    const QCommandLineOption tsvOption(QStringLiteral("tsv"));
    const QCommandLineOption helpOption(
        QStringList { QStringLiteral("help"), QStringLiteral("h") });
    parser.addOptions({ maskOption, tsvOption, helpOption });
    if (!parser.parse(QStringList { QStringLiteral("list") } + arguments)) {
        WriteText(stderr, QStringLiteral("conveyor-cli list: %1\n").arg(parser.errorText()));
        std::fputs(ListUsage, stderr);
        return ExitUsage;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(ListUsage, stdout);
        return ExitSuccess;
    }
    if (parser.positionalArguments().size() != 1) {
        std::fputs(ListUsage, stderr);
        return ExitUsage;
    }
    const QString directory = parser.positionalArguments().constFirst();

    QStringList names;
    try {
        names = ListFiles(directory, parser.value(maskOption));
    } catch (const EInOutError& error) {
        WriteText(stderr, QStringLiteral("conveyor-cli list: %1\n").arg(error.Message()));
        return ExitFailure;
    }
    const QString prefix = SelectedDirectory(directory);
    std::vector<TTextRow> rows;
    rows.reserve(std::size_t(names.size()));
    for (const QString& name : names) {
        TTextRow row(CatalogueColumnCount);
        ClassifyImageFile(prefix, name, row);
        rows.push_back(std::move(row));
    }
    SortTextRows(rows, 0, ccBaseName, sdAscending);

    if (parser.isSet(tsvOption))
        PrintTsv(rows);
    else
        PrintTable(rows);
    return ExitSuccess;
}
