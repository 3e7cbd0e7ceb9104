#include "TSettingsKey.h"

#include "platform/FileListing.h"

#include <QDir>

namespace {

template <auto Member> auto& Field(TSettings& settings)
{
    return settings.*Member;
}

template <auto Member, int Index> auto& Element(TSettings& settings)
{
    return (settings.*Member)[Index];
}

} // namespace

std::array<TSettingsKey, 23> SettingsKeys()
{
    const QString common = QStringLiteral("Common");
    const QString sound = QStringLiteral("Sound");
    const QString directories = QStringLiteral("Directories");
    const QString columns = QStringLiteral("Columns");
    const QString window = QStringLiteral("Window");
    const QString home = QDir::homePath();
    const QString wildcard = DefaultFileMask;
    constexpr std::nullopt_t FromRecord = std::nullopt;

    // Section, key, field, value of a new file, value read when the key is missing.
    // A new file does not reopen the last directory, but a file that merely lacks the key
    // does.
    return { {
        { common, QStringLiteral("Last"), &Field<&TSettings::RememberLastDir>, false, true },
        { common, QStringLiteral("TransferPort1"), &Field<&TSettings::PortIsLPT1>, true, true },
        { common, QStringLiteral("Address"), &Field<&TSettings::PortAddress>, QString(),
            QString() },
        { sound, QStringLiteral("Beep"), &Field<&TSettings::BeepWhenFinished>, false, false },
        { sound, QStringLiteral("Play"), &Field<&TSettings::PlayWhenFinished>, false, false },
        { sound, QStringLiteral("Wave"), &Field<&TSettings::WaveFile>, QString(), QString() },
        { directories, QStringLiteral("Default"), &Field<&TSettings::DefaultDir>, home, home },
        { directories, QStringLiteral("Last"), &Field<&TSettings::LastDir>, home, home },
        { directories, QStringLiteral("Wildcard"), &Field<&TSettings::Wildcard>, wildcard,
            wildcard },
        { columns, QStringLiteral("Column1"), &Element<&TSettings::ColumnVisible, 0>, true, true },
        { columns, QStringLiteral("Column2"), &Element<&TSettings::ColumnVisible, 1>, true, true },
        { columns, QStringLiteral("Column3"), &Element<&TSettings::ColumnVisible, 2>, true, true },
        { columns, QStringLiteral("Column4"), &Element<&TSettings::ColumnVisible, 3>, true, true },
        { columns, QStringLiteral("Column1Width"), &Element<&TSettings::ColumnWidth, 0>, 130,
            FromRecord },
        { columns, QStringLiteral("Column2Width"), &Element<&TSettings::ColumnWidth, 1>, 50,
            FromRecord },
        { columns, QStringLiteral("Column3Width"), &Element<&TSettings::ColumnWidth, 2>, 100,
            FromRecord },
        { columns, QStringLiteral("Column4Width"), &Element<&TSettings::ColumnWidth, 3>, 65,
            FromRecord },
        // The main window's designed bounds and left pane.
        { window, QStringLiteral("Top"), &Field<&TSettings::WindowTop>, 123, FromRecord },
        { window, QStringLiteral("Left"), &Field<&TSettings::WindowLeft>, 329, FromRecord },
        { window, QStringLiteral("Width"), &Field<&TSettings::WindowWidth>, 644, FromRecord },
        { window, QStringLiteral("Height"), &Field<&TSettings::WindowHeight>, 477, FromRecord },
        { window, QStringLiteral("Splitter"), &Field<&TSettings::LeftPaneWidth>, 180, FromRecord },
        // Whether the window was maximised; the four bounds above stay its normal ones, so
        // that restoring it gives back the user's size. A file of older versions has no key.
        { window, QStringLiteral("Maximized"), &Field<&TSettings::WindowMaximized>, false, false },
    } };
}
