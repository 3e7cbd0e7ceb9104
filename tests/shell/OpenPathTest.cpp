#include "TMainWindowTest.h"
#include "TUnprivileged.h"
#include "catalogue/CatalogueRow.h"
#include "catalogue/FileFilters.h"
#include "framework/TDirectoryListBox.h"
#include "platform/FileListing.h"
#include "platform/RawText.h"
#include "shell/TOpenTarget.h"
#include "widgets/TSortedStringGrid.h"

#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

namespace {

class TOpenPath : public TMainWindowTest
{
protected:
    // Builds and shows the window and opens the path before the first scan, as the
    // program's entry does with the path on its command line.
    TFMain& StartWith(const QString& path)
    {
        Window = std::make_unique<TFMain>(Application, Program.Path(QStringLiteral("conveyor")));
        QObject::connect(Window.get(), &TFMain::CatalogueRead, [this] { ++Scans; });
        Window->show();
        Window->OpenPath(path);
        Settle();
        return *Window;
    }

    void Open(const QString& path)
    {
        Window->OpenPath(path);
        Settle();
    }

    QString CurrentFile() const { return Grid()->Cells(ccRealName, Grid()->Row()); }
    QString Status() const { return Find<QLabel>("Label6")->text(); }
    QString Listed() const { return Find<TDirectoryListBox>("DirectoryListBox1")->Directory(); }
    QComboBox* Filter() const { return Find<QComboBox>("ComboBox1"); }
    QString FilterMask() const
    {
        const int item = Filter()->currentIndex();
        return item < 0 ? QString() : FileFilters[std::size_t(item)].Mask;
    }

    // Three images, so that a row other than the first can be asked for.
    void WriteImages(const TTestFolder& folder) const
    {
        folder.Write(QStringLiteral("alpha.v64"), ImageBytes("ALPHA", 'E'));
        folder.Write(QStringLiteral("bravo.v64"), ImageBytes("BRAVO", 'E'));
        folder.Write(QStringLiteral("charlie.v64"), ImageBytes("CHARLIE", 'E'));
    }
};

} // namespace

TEST_F(TOpenPath, AFileOnTheCommandLineOpensItsFolderWithItsRowCurrent)
{
    WriteImages(Images);
    StartWith(Images.Path(QStringLiteral("charlie.v64")));

    EXPECT_EQ(Listed(), Images.Path());
    EXPECT_EQ(Grid()->RowCount(), 3);
    EXPECT_EQ(CurrentFile(), "charlie.v64");
    EXPECT_EQ(Grid()->Row(), 2);
    // The current-status group and the checksum verdict follow the row, as after a click.
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "CHARLIE.V64");
    EXPECT_EQ(Find<QLineEdit>("Edit5")->text().trimmed(), "CHARLIE");
    EXPECT_TRUE(Status().startsWith(" Checksums ")) << Status().toStdString();
    // The home folder the settings began with was never listed into the table.
    EXPECT_EQ(Scans, 1);
    EXPECT_EQ(IniValue("Directories", "Last"), Images.Path());
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TOpenPath, AFolderOpensWithItsFirstRowCurrent)
{
    WriteImages(Images);
    TTestFolder other;
    other.Write(QStringLiteral("zulu.v64"), ImageBytes("ZULU", 'E'));
    SettingsForImages();
    StartWith(other.Path());
    EXPECT_EQ(Listed(), other.Path());
    EXPECT_EQ(CurrentFile(), "zulu.v64");

    Open(Images.Path());
    EXPECT_EQ(Listed(), Images.Path());
    EXPECT_EQ(Grid()->Row(), 0);
    EXPECT_EQ(CurrentFile(), "alpha.v64");
}

TEST_F(TOpenPath, AFileTheFilterWouldNotListSwitchesToTheFirstItemThatLists)
{
    WriteImages(Images);
    Images.Write(QStringLiteral("racer.z64"), BigEndianHeaderBytes("RACER", 'E'));
    Images.Write(QStringLiteral("notes.txt"), "plain text");
    SettingsForImages();
    Start();
    ASSERT_EQ(FilterMask(), DefaultFileMask);

    Open(Images.Path(QStringLiteral("racer.z64")));
    EXPECT_EQ(Filter()->currentText(), "All Images (*.v64, *.z64, *.n64, ...)");
    EXPECT_EQ(CurrentFile(), "racer.z64");
    EXPECT_EQ(IniValue("Directories", "Wildcard"), FilterMask());

    Open(Images.Path(QStringLiteral("notes.txt")));
    EXPECT_EQ(Filter()->currentText(), "All Files (*.*)");
    EXPECT_EQ(CurrentFile(), "notes.txt");
    EXPECT_EQ(IniValue("Directories", "Wildcard"), "*.*");

    // A filter that lists the file stays, though an earlier item would list it too.
    Open(Images.Path(QStringLiteral("bravo.v64")));
    EXPECT_EQ(Filter()->currentText(), "All Files (*.*)");
    EXPECT_EQ(CurrentFile(), "bravo.v64");
}

TEST_F(TOpenPath, AFilterItemIsFoundByItsMaskWhateverItsPlace)
{
    // The item chosen lists the file, and no narrower item before it does; the item that
    // lists every name comes last.
    const auto everyName
        = [](int item) { return FileFilters[std::size_t(item)].Mask == QLatin1String("*.*"); };
    for (const QString name :
        { "racer.jap", "racer.usa", "racer.n64", "racer.Z64", "v64_ver2.bin", "a.txt" }) {
        const std::optional<int> item = TOpenTarget::FilterItemListing(name, "*.v64");
        ASSERT_TRUE(item) << name.toStdString();
        EXPECT_TRUE(MatchesFileMask(name, FileFilters[std::size_t(*item)].Mask));
        for (int other = 0; other < int(FileFilters.size()); ++other) {
            const bool narrowerBefore = !everyName(other) && (other < *item || everyName(*item));
            if (narrowerBefore) {
                EXPECT_FALSE(MatchesFileMask(name, FileFilters[std::size_t(other)].Mask))
                    << name.toStdString() << " " << other;
            }
        }
    }
    EXPECT_TRUE(everyName(*TOpenTarget::FilterItemListing("a.txt", "*.v64")));
    EXPECT_FALSE(everyName(*TOpenTarget::FilterItemListing("racer.n64", "*.v64")));
    EXPECT_FALSE(TOpenTarget::FilterItemListing("racer.v64", "*.v64;*.jap"));
    // A mask typed into the settings file by hand counts as the filter in force.
    EXPECT_FALSE(TOpenTarget::FilterItemListing("racer.rom", "*.ROM"));
}

TEST_F(TOpenPath, AMissingPathLeavesTheWindowAsUsualAndSaysWhy)
{
    WriteImages(Images);
    SettingsForImages();
    const QString missing = Images.Path(QStringLiteral("gone/missing.v64"));
    StartWith(missing);

    EXPECT_EQ(Listed(), Images.Path());
    EXPECT_EQ(CurrentFile(), "alpha.v64");
    EXPECT_EQ(Status(), " Cannot open " + missing + ": No such file or directory");
    EXPECT_TRUE(Errors.Boxes.empty());

    // With the window running: the table stays as it is.
    Grid()->SetRow(1);
    Open(Images.Path(QStringLiteral("missing.v64")));
    EXPECT_EQ(CurrentFile(), "bravo.v64");
    EXPECT_EQ(Status(),
        " Cannot open " + Images.Path(QStringLiteral("missing.v64"))
            + ": No such file or directory");
}

TEST_F(TOpenPath, AFileThatCannotBeReadOrIsNoFileIsToldAndNothingWaits)
{
    WriteImages(Images);
    SettingsForImages();
    Start();
    const QString fifo = Images.Path(QStringLiteral("pipe.v64"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Open(fifo);
    EXPECT_EQ(Status(), " Cannot open " + fifo + ": it is neither a file nor a folder");

    const QString locked = Images.Write(QStringLiteral("locked.v64"), ImageBytes("LOCKED", 'E'));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    {
        const TUnprivileged unprivileged;
        Open(locked);
    }
    EXPECT_EQ(Status(), " Cannot open " + locked + ": Permission denied");
    EXPECT_EQ(CurrentFile(), "alpha.v64");
}

TEST_F(TOpenPath, AHiddenFileOpensItsFolderAndSaysTheTableDoesNotListIt)
{
    WriteImages(Images);
    Images.Write(QStringLiteral(".secret.v64"), ImageBytes("SECRET", 'E'));
    StartWith(Images.Path(QStringLiteral(".secret.v64")));
    EXPECT_EQ(Listed(), Images.Path());
    EXPECT_EQ(CurrentFile(), "alpha.v64");
    EXPECT_EQ(Status(), " .secret.v64 is a hidden file, which the table does not list");
}

TEST_F(TOpenPath, AFileNewInTheFolderShownIsFoundAndALatin1NameByItsBytes)
{
    WriteImages(Images);
    SettingsForImages();
    Start();
    Images.Write(QStringLiteral("delta.v64"), ImageBytes("DELTA", 'E'));
    Open(Images.Path(QStringLiteral("delta.v64")));
    EXPECT_EQ(CurrentFile(), "delta.v64");

    const QByteArray latin1 = Images.WriteNative("caf\xe9.v64", ImageBytes("CAFE", 'E'));
    Open(DecodeRawText(latin1));
    EXPECT_EQ(EncodeRawText(CurrentFile()), "caf\xe9.v64");
}

// -- Dropped on the window --------------------------------------------------------------

namespace {

// Drags the URLs onto the window's middle and drops them there, as a file manager does:
// true when the window took the drag. The modifiers choose the action the source proposes
// (Shift: move).
bool DropOn(QWidget& window, const QList<QUrl>& urls,
    Qt::KeyboardModifiers modifiers = Qt::NoModifier, Qt::DropAction* done = nullptr)
{
    QMimeData data;
    data.setUrls(urls);
    const QPointF middle(window.width() / 2.0, window.height() / 2.0);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(middle.toPoint(), offered, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(middle, offered, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(&window, &drop);
    if (done)
        *done = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    return true;
}

} // namespace

TEST_F(TOpenPath, ADroppedFileOrFolderOpensAsOnTheCommandLineAndIsNeverMoved)
{
    WriteImages(Images);
    Images.Write(QStringLiteral("racer.z64"), BigEndianHeaderBytes("RACER", 'E'));
    Start();
    ASSERT_EQ(Listed(), Home.Path());

    Qt::DropAction action = Qt::IgnoreAction;
    ASSERT_TRUE(DropOn(*Window, { QUrl::fromLocalFile(Images.Path(QStringLiteral("racer.z64"))) },
        Qt::ShiftModifier, &action));
    Settle();
    EXPECT_EQ(Listed(), Images.Path());
    EXPECT_EQ(CurrentFile(), "racer.z64");
    EXPECT_EQ(Filter()->currentText(), "All Images (*.v64, *.z64, *.n64, ...)");
    // Asked to move, the window copies: a move would have the source delete the file.
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_TRUE(QFile::exists(Images.Path(QStringLiteral("racer.z64"))));

    ASSERT_TRUE(DropOn(*Window, { QUrl::fromLocalFile(Home.Path()) }));
    Settle();
    EXPECT_EQ(Listed(), Home.Path());
}

TEST_F(TOpenPath, OnlyLocalFilesAreTakenAndALatin1NameKeepsItsBytes)
{
    WriteImages(Images);
    const QByteArray latin1 = Images.WriteNative("caf\xe9.v64", ImageBytes("CAFE", 'E'));
    SettingsForImages();
    Start();
    Grid()->SetRow(1);

    EXPECT_FALSE(DropOn(*Window, { QUrl(QStringLiteral("https://example.org/racer.v64")) }));
    EXPECT_FALSE(DropOn(*Window, {}));
    EXPECT_EQ(CurrentFile(), "bravo.v64");

    // The first local one of several, the name percent-encoded byte by byte.
    const QUrl encoded = QUrl::fromEncoded(
        "file://" + QByteArray(latin1).replace("\xe9", "%E9"), QUrl::StrictMode);
    ASSERT_TRUE(encoded.isValid());
    ASSERT_TRUE(DropOn(*Window, { QUrl(QStringLiteral("https://example.org/a.v64")), encoded }));
    Settle();
    EXPECT_EQ(EncodeRawText(CurrentFile()), "caf\xe9.v64");
}
