#include "CheckedImages.h"
#include "TMainWindowTest.h"
#include "TestArchives.h"
#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/FileFilters.h"
#include "catalogue/SortText.h"
#include "delivery/TFprog.h"
#include "delivery/TMongo.h"
#include "framework/TSpeedButton.h"
#include "platform/TClock.h"
#include "shell/TMainDeliveryHost.h"
#include "simulator/TDoctor64.h"
#include "widgets/TSortedStringGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include <map>

namespace {

// A 2 MiB image (016 MBit) in the cartridge's order with checksums the program can check,
// named and with a country code as a cartridge header holds them.
QByteArray ArchivedImage(
    const QByteArray& name, char country, TBootCode bootCode, quint32 seed, bool matching = true)
{
    QByteArray image = CheckedCartridgeImage(bootCode, 2097152, seed, matching);
    // The name and the country lie outside the checked bytes.
    image.replace(0x20, 0x20, BigEndianHeaderBytes(name, country).mid(0x20));
    return image;
}

// A folder's files by name, each with its size and a digest of its bytes, which a failed
// comparison can print.
std::map<QString, QString> ReceivedFiles(const TTestFolder& folder)
{
    std::map<QString, QString> files;
    for (const QString& name : QDir(folder.Path()).entryList(QDir::Files)) {
        const QByteArray bytes = folder.Read(name);
        files[name] = QString::number(bytes.size()) + QLatin1Char(' ')
            + QString::fromLatin1(
                QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }
    return files;
}

} // namespace

// Archives as collections keep them, beside plain images, through the real main window:
// the rows, the current-status group, the delivery and the rename.
class TArchiveWindow : public TMainWindowTest
{
protected:
    static constexpr int AllImagesItem = 7;
    static constexpr int ArchivesItem = 8;

    void SetUp() override
    {
        TMainWindowTest::SetUp();
        Images.Write(QStringLiteral("Speed Racer (U) [!].z64"), RacerUsa);
        Images.Write(QStringLiteral("Speed Racer (J).z64"), RacerJapan);
        Images.Write(QStringLiteral("Racer (E).z64"), RacerEurope);
        Images.Write(QStringLiteral("readme.txt"), "not an image");
        Pack("zip",
            { "-9q", "Speed Racer Deluxe (USA).zip", "Speed Racer (U) [!].z64", "readme.txt" });
        Pack("zip", { "-0q", "stored.zip", "Speed Racer (J).z64" });
        Pack("7z",
            { "a", "-bd", "-ms=on", "Speed Racer.7z", "Speed Racer (U) [!].z64",
                "Speed Racer (J).z64", "readme.txt" });
        Pack("7z", { "a", "-bd", "-ms=off", "nonsolid.7z", "Racer (E).z64" });
        Pack("gzip", { "-k", "Racer (E).z64" });
        Pack("zip", { "-q", "notes.zip", "readme.txt" });
        Pack("zip", { "-q", "-P", "secret", "locked.zip", "Speed Racer (J).z64" });
        // Damaged in its data past what the listing and the checksums read: only the CRC
        // at the member's end can tell.
        Pack("zip", { "-0q", "crc.zip", "Speed Racer (U) [!].z64" });
        QByteArray crc = Images.Read(QStringLiteral("crc.zip"));
        crc[0x180000] = char(crc[0x180000] ^ 0x55);
        Images.Write(QStringLiteral("crc.zip"), crc);
        // Damaged in its signature header, and cut short inside its data.
        Pack("7z", { "a", "-bd", "whole.7z", "Racer (E).z64" });
        QByteArray whole = Images.Read(QStringLiteral("whole.7z"));
        Images.Write(QStringLiteral("cut.7z"), whole.left(whole.size() / 2));
        whole[12] = char(whole[12] ^ 0x55);
        Images.Write(QStringLiteral("wrecked.7z"), whole);
        QFile::remove(Images.Path(QStringLiteral("whole.7z")));
    }

    void Pack(const char* program, const QStringList& arguments)
    {
        PackArchive(Images, QString::fromLatin1(program), arguments);
    }

    TFMain& StartListing(int item)
    {
        SettingsForImages(QStringLiteral("Wildcard=%1\n").arg(FileFilters[item].Mask));
        return Start();
    }

    QString Status() const { return Find<QLabel>("Label6")->text(); }
    QString Preview() const { return Find<QLabel>("Label13")->text(); }
    QString Shown(const char* edit) const { return Find<QLineEdit>(edit)->text(); }

    // The row whose hidden full name is this, or -1.
    int RowOf(const QString& fileName) const
    {
        for (int row = 0; row < Grid()->RowCount(); ++row)
            if (Grid()->Cells(ccFileName, row) == fileName)
                return row;
        return -1;
    }

    // The four visible texts of each row, by the row's full name.
    std::map<QString, QStringList> VisibleRows() const
    {
        std::map<QString, QStringList> rows;
        for (int row = 0; row < Grid()->RowCount(); ++row) {
            QStringList texts;
            for (int column = ccBaseName; column < ccBlank; ++column)
                texts << Grid()->Cells(column, row);
            rows[Grid()->Cells(ccFileName, row)] = texts;
        }
        return rows;
    }

    // 1 when the rows run up the column, -1 when down, 0 when neither; both for equal texts.
    int SortedDirection(int column) const
    {
        bool up = true;
        bool down = true;
        for (int row = 1; row < Grid()->RowCount(); ++row) {
            const int order
                = CompareSortText(Grid()->Cells(column, row - 1), Grid()->Cells(column, row));
            up = up && order <= 0;
            down = down && order >= 0;
        }
        return up ? 1 : down ? -1 : 0;
    }

    using TMainWindowTest::ClickRow;
    void ClickRow(const QString& fileName)
    {
        const int row = RowOf(fileName);
        ASSERT_GE(row, 0) << fileName.toStdString();
        TMainWindowTest::ClickRow(row);
    }

    void Rename(const QString& text)
    {
        TypeNewName(text);
        Find<TSpeedButton>("SpeedButton6")->click();
        Settle();
    }

    // The folder's files with their bytes.
    std::map<QString, QString> Folder() const { return ReceivedFiles(Images); }

    const QByteArray RacerUsa = ArchivedImage("SPEED RACER", 'E', bc6102, 1);
    const QByteArray RacerJapan = ArchivedImage("MACH GO GO GO", 'J', bc6105, 2, false);
    const QByteArray RacerEurope = ArchivedImage("RACER", 'P', bc6102, 3);
};

TEST_F(TArchiveWindow, TheArchivesItemListsTheArchivesAsRowsAndSortingKeepsEachRowWhole)
{
    StartListing(ArchivesItem);
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), ArchivesItem);
    const std::map<QString, QStringList> expected = {
        { "SPEED RACER DELUXE (USA).ZIP",
            { "SPEED RACER DELUXE (USA)", "ZIP", "SPEED RACER         ", "016 MBit" } },
        { "STORED.ZIP", { "STORED", "ZIP", "MACH GO GO GO       ", "016 MBit" } },
        { "SPEED RACER (U) [!].Z64 in SPEED RACER.7Z",
            { "SPEED RACER (U) [!]", "Z64", "SPEED RACER         ", "016 MBit" } },
        { "SPEED RACER (J).Z64 in SPEED RACER.7Z",
            { "SPEED RACER (J)", "Z64", "MACH GO GO GO       ", "016 MBit" } },
        { "NONSOLID.7Z", { "NONSOLID", "7Z", "RACER               ", "016 MBit" } },
        { "RACER (E).Z64.GZ", { "RACER (E).Z64", "GZ", "RACER               ", "016 MBit" } },
        { "NOTES.ZIP",
            { "NOTES", "ZIP", "--> WARNING: NOT AN IMAGE",
                SizeText(QFile(Images.Path(QStringLiteral("notes.zip"))).size()) } },
        { "LOCKED.ZIP", { "LOCKED", "ZIP", "encrypted archive", "-- MBIT" } },
        { "CRC.ZIP", { "CRC", "ZIP", "SPEED RACER         ", "016 MBit" } },
        { "WRECKED.7Z", { "WRECKED", "7Z", "damaged archive", "-- MBIT" } },
        { "CUT.7Z", { "CUT", "7Z", "damaged archive", "-- MBIT" } },
    };
    EXPECT_EQ(VisibleRows(), expected);

    // Each header button sorts whole rows: what a row stands for (its file, its image inside)
    // goes where its texts go, so choosing the row afterwards shows that row's image.
    const char* buttons[] = { "SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5" };
    for (int column = 0; column < 4; ++column) {
        SCOPED_TRACE(column);
        for (int click = 0; click < 2; ++click) {
            Find<TSpeedButton>(buttons[column])->click();
            EXPECT_EQ(VisibleRows(), expected);
            EXPECT_NE(SortedDirection(column), 0) << "click " << click;
            for (const char* name : { "SPEED RACER (J).Z64 in SPEED RACER.7Z", "NONSOLID.7Z" }) {
                ClickRow(QString::fromLatin1(name));
                EXPECT_EQ(Shown("Edit3"), name);
                EXPECT_EQ(Shown("Edit5"), expected.at(QString::fromLatin1(name))[2]);
            }
            EXPECT_EQ(Shown("Edit4"), "PAL");
        }
    }

    // "All Images" lists the plain images beside the archives, each told apart.
    Find<QComboBox>("ComboBox1")->setCurrentIndex(AllImagesItem);
    Settle();
    std::map<QString, QStringList> all = expected;
    all["SPEED RACER (U) [!].Z64"]
        = QStringList { "SPEED RACER (U) [!]", "Z64", "SPEED RACER         ", "016 MBit" };
    all["SPEED RACER (J).Z64"]
        = QStringList { "SPEED RACER (J)", "Z64", "MACH GO GO GO       ", "016 MBit" };
    all["RACER (E).Z64"] = QStringList { "RACER (E)", "Z64", "RACER               ", "016 MBit" };
    EXPECT_EQ(VisibleRows(), all);
    EXPECT_TRUE(Errors.Boxes.empty()) << Errors.LastText().toStdString();
}

TEST_F(TArchiveWindow, ChoosingAnArchiveRowShowsItsImageAsAPlainFilesRowDoes)
{
    StartListing(ArchivesItem);
    // The scan makes the first row current (CRC.ZIP, by file name) and checks it: its damage
    // lies past the bytes the checksums cover.
    ASSERT_EQ(Grid()->Cells(ccFileName, 0), "CRC.ZIP");
    EXPECT_EQ(Shown("Edit3"), "CRC.ZIP");
    EXPECT_EQ(Shown("Edit4"), "USA");
    EXPECT_EQ(Status(), " Checksums match (boot code 6102)");

    struct TShown
    {
        const char* FileName;
        const char* ImageName;
        const char* System;
        const char* Verdict;
    };
    const TShown rows[] = {
        { "SPEED RACER DELUXE (USA).ZIP", "SPEED RACER         ", "USA",
            " Checksums match (boot code 6102)" },
        { "STORED.ZIP", "MACH GO GO GO       ", "JAP", " Warning: checksums do not match" },
        { "SPEED RACER (U) [!].Z64 in SPEED RACER.7Z", "SPEED RACER         ", "USA",
            " Checksums match (boot code 6102)" },
        { "SPEED RACER (J).Z64 in SPEED RACER.7Z", "MACH GO GO GO       ", "JAP",
            " Warning: checksums do not match" },
        { "NONSOLID.7Z", "RACER               ", "PAL", " Checksums match (boot code 6102)" },
        { "RACER (E).Z64.GZ", "RACER               ", "PAL", " Checksums match (boot code 6102)" },
        // Rows without an image show their words and no verdict, nor another row's.
        { "NOTES.ZIP", "--> WARNING: NOT AN IMAGE", "", "" },
        { "LOCKED.ZIP", "encrypted archive", "", "" },
        { "WRECKED.7Z", "damaged archive", "", "" },
        { "CUT.7Z", "damaged archive", "", "" },
    };
    for (const TShown& shown : rows) {
        SCOPED_TRACE(shown.FileName);
        ClickRow(QStringLiteral("SPEED RACER DELUXE (USA).ZIP"));
        ClickRow(QString::fromLatin1(shown.FileName));
        EXPECT_EQ(Shown("Edit3"), shown.FileName);
        // The field is narrower than most names of an image of several.
        EXPECT_EQ(Find<QLineEdit>("Edit3")->toolTip(), shown.FileName);
        EXPECT_EQ(Shown("Edit5"), shown.ImageName);
        EXPECT_EQ(Shown("Edit4"), shown.System);
        EXPECT_EQ(Status(), shown.Verdict);
    }

    // The keys choose rows as the mouse does.
    Grid()->setFocus();
    ClickRow(QStringLiteral("NONSOLID.7Z"));
    const int nonsolid = RowOf(QStringLiteral("NONSOLID.7Z"));
    QTest::keyClick(Grid(), Qt::Key_Down);
    ASSERT_EQ(Grid()->Row(), nonsolid + 1);
    EXPECT_EQ(Shown("Edit3"), Grid()->Cells(ccFileName, nonsolid + 1));
    QTest::keyClick(Grid(), Qt::Key_Up);
    EXPECT_EQ(Shown("Edit3"), "NONSOLID.7Z");
    EXPECT_EQ(Shown("Edit4"), "PAL");
    EXPECT_EQ(Status(), " Checksums match (boot code 6102)");
    EXPECT_TRUE(Errors.Boxes.empty()) << Errors.LastText().toStdString();
}

namespace {

// The delivery job on the window with the device model in process, as the entry wires it.
struct TArchiveDelivery
{
    explicit TArchiveDelivery(TFMain& window)
        : Host(window)
        , Mongo(Host, window.GameDoctor1(), Clock)
    {
        window.SetDeliveryJob(Mongo);
    }

    TMainDeliveryHost Host;
    const TClock Clock;
    TMongo Mongo;
};

} // namespace

TEST_F(TArchiveWindow, AnArchiveRowDeliversTheSameBytesAndNameAsThePlainFile)
{
    TFMain& window = StartListing(AllImagesItem);
    TArchiveDelivery delivery(window);
    auto* deliver = Find<TSpeedButton>("SpeedButton8");

    const auto deliverRow = [&](const QString& fileName) {
        TTestFolder received;
        TDoctor64 device(received.Path());
        window.GameDoctor1().SetPortIo(&device);
        ClickRow(fileName);
        deliver->click();
        window.GameDoctor1().SetPortIo(nullptr);
        EXPECT_EQ(window.StatusText(), " Done...") << fileName.toStdString();
        return ReceivedFiles(received);
    };
    const std::pair<const char*, const char*> copies[] = {
        { "SPEED RACER DELUXE (USA).ZIP", "SPEED RACER (U) [!].Z64" },
        { "SPEED RACER (J).Z64 in SPEED RACER.7Z", "SPEED RACER (J).Z64" },
        { "NONSOLID.7Z", "RACER (E).Z64" },
        { "RACER (E).Z64.GZ", "RACER (E).Z64" },
    };
    for (const auto& [archived, plain] : copies) {
        SCOPED_TRACE(archived);
        const std::map<QString, QString> fromPlain = deliverRow(QString::fromLatin1(plain));
        ASSERT_EQ(fromPlain.size(), 1u);
        EXPECT_TRUE(fromPlain.begin()->second.startsWith(QStringLiteral("2097152 ")));
        EXPECT_EQ(deliverRow(QString::fromLatin1(archived)), fromPlain);
    }
    EXPECT_TRUE(Errors.Boxes.empty()) << Errors.LastText().toStdString();
}

TEST_F(TArchiveWindow, ADamagedArchiveRowIsRefusedBeforeThePortIsTouched)
{
    TFMain& window = StartListing(ArchivesItem);
    TArchiveDelivery delivery(window);
    TTestFolder received;
    TDoctor64 device(received.Path());
    window.GameDoctor1().SetPortIo(&device);

    ClickRow(QStringLiteral("CRC.ZIP"));
    Find<TSpeedButton>("SpeedButton8")->click();
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    // The box names the archive and the image inside it that cannot be read.
    EXPECT_TRUE(Errors.Boxes[0].Text.contains(Images.Path(QStringLiteral("crc.zip"))))
        << Errors.Boxes[0].Text.toStdString();
    EXPECT_TRUE(Errors.Boxes[0].Text.contains(QStringLiteral("Speed Racer (U) [!].z64")))
        << Errors.Boxes[0].Text.toStdString();
    EXPECT_EQ(window.StatusText(), " Delivery failed");
    EXPECT_EQ(device.Reads() + device.Writes(), 0u);

    // An archive damaged in its header or locked cannot be opened at all.
    for (const char* name : { "WRECKED.7Z", "LOCKED.ZIP", "CUT.7Z" }) {
        SCOPED_TRACE(name);
        ClickRow(QString::fromLatin1(name));
        const std::size_t boxes = Errors.Boxes.size();
        Find<TSpeedButton>("SpeedButton8")->click();
        ASSERT_EQ(Errors.Boxes.size(), boxes + 1);
        EXPECT_TRUE(Errors.LastText().contains(Images.Path(QString::fromLatin1(name).toLower())))
            << Errors.LastText().toStdString();
        EXPECT_EQ(window.StatusText(), " Delivery failed");
    }
    EXPECT_EQ(device.Reads() + device.Writes(), 0u);
    EXPECT_TRUE(ReceivedFiles(received).empty());
    window.GameDoctor1().SetPortIo(nullptr);
}

TEST_F(TArchiveWindow, ASingleImageArchiveIsRenamedWithItsOwnExtension)
{
    StartListing(ArchivesItem);
    auto* system = Find<QCheckBox>("CheckBox1");
    const std::map<QString, QString> before = Folder();

    // The preview promises what "Rename" does, whatever "Add system to extension" says.
    ClickRow(QStringLiteral("SPEED RACER DELUXE (USA).ZIP"));
    EXPECT_EQ(Shown("Edit1"), "SPEED RACER DELUXE (USA)");
    EXPECT_EQ(Preview(), "SPEED RACER DELUXE (USA).zip");
    TypeNewName(QStringLiteral("Deluxe"));
    EXPECT_EQ(Preview(), "Deluxe.zip");
    system->setChecked(true);
    EXPECT_EQ(Preview(), "Deluxe.zip");
    Find<TSpeedButton>("SpeedButton6")->click();
    Settle();
    // A gzip file keeps its ".gz"; the image's name before it is the row's base name.
    ClickRow(QStringLiteral("RACER (E).Z64.GZ"));
    EXPECT_EQ(Shown("Edit1"), "RACER (E).Z64");
    EXPECT_EQ(Preview(), "RACER (E).Z64.gz");
    Rename(QStringLiteral("Eu.z64"));
    // An archive without an image, and a damaged one, are still files.
    ClickRow(QStringLiteral("NOTES.ZIP"));
    Rename(QStringLiteral("Words"));
    ClickRow(QStringLiteral("WRECKED.7Z"));
    EXPECT_EQ(Preview(), "WRECKED.7z");
    Rename(QStringLiteral("Broken"));
    system->setChecked(false);

    // Only names changed; the archives' bytes, and so everything inside them, are as they were.
    std::map<QString, QString> expected = before;
    const std::pair<const char*, const char*> renames[] = {
        { "Speed Racer Deluxe (USA).zip", "Deluxe.zip" },
        { "Racer (E).z64.gz", "Eu.z64.gz" },
        { "notes.zip", "Words.zip" },
        { "wrecked.7z", "Broken.7z" },
    };
    for (const auto& [from, to] : renames) {
        expected[QString::fromLatin1(to)] = expected.at(QString::fromLatin1(from));
        expected.erase(QString::fromLatin1(from));
    }
    EXPECT_EQ(Folder(), expected);
    const std::map<QString, QStringList> rows = VisibleRows();
    EXPECT_EQ(rows.at("DELUXE.ZIP"),
        (QStringList { "DELUXE", "ZIP", "SPEED RACER         ", "016 MBit" }));
    EXPECT_EQ(
        rows.at("EU.Z64.GZ"), (QStringList { "EU.Z64", "GZ", "RACER               ", "016 MBit" }));
    EXPECT_EQ(rows.at("BROKEN.7Z")[2], "damaged archive");
    EXPECT_TRUE(Errors.Boxes.empty()) << Errors.LastText().toStdString();
}

TEST_F(TArchiveWindow, AnImageOfSeveralIsNeverRenamedAndArchivesMeetTheNameChecks)
{
    StartListing(ArchivesItem);
    const std::map<QString, QString> before = Folder();

    ClickRow(QStringLiteral("SPEED RACER (U) [!].Z64 in SPEED RACER.7Z"));
    // Nothing is promised, whatever is typed or checked.
    EXPECT_EQ(Preview(), "");
    TypeNewName(QStringLiteral("Single"));
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    EXPECT_EQ(Preview(), "");
    Find<TSpeedButton>("SpeedButton6")->click();
    Settle();
    EXPECT_EQ(
        Status(), " Rename refused: SPEED RACER.7Z holds several images; none can be renamed");
    Find<QCheckBox>("CheckBox1")->setChecked(false);
    // The next row that is a file of its own promises its name again.
    ClickRow(QStringLiteral("STORED.ZIP"));
    EXPECT_EQ(Preview(), "STORED.zip");

    // A name that differs from another file's only in letter case, and one that is taken.
    Rename(QStringLiteral("NOTES"));
    EXPECT_EQ(
        Status(), " Rename refused: NOTES.zip differs from the file notes.zip only in letter case");
    Rename(QStringLiteral("notes"));
    EXPECT_EQ(Status(), " Rename failed: a file named notes.zip already exists");
    EXPECT_EQ(Folder(), before);
    EXPECT_TRUE(Errors.Boxes.empty()) << Errors.LastText().toStdString();
}
