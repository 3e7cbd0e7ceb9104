#include "platform/TIniFile.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "platform/EIniFileException.h"
#include "platform/RawText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Section = QStringLiteral("Test");
const QString Key = QStringLiteral("Value");

TIniFile FileHolding(const QByteArray& text)
{
    TIniFile ini(QString {});
    ini.SetText(text);
    return ini;
}

qint32 IntegerOf(const QByteArray& stored, qint32 defaultValue = -77)
{
    return FileHolding("[Test]\nValue=" + stored + "\n").ReadInteger(Section, Key, defaultValue);
}

// Lets anyone create files in the test folder, as it must for tests run without privileges.
void OpenToEveryone(const TTestFolder& folder)
{
    QFile::setPermissions(folder.Path(), QFileDevice::Permissions(0x7777));
}

QStringList EntriesOf(const TTestFolder& folder)
{
    return QDir(folder.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(TIniFile, IntegersAreDecimalOrHexadecimalAndAnythingElseGivesTheDefault)
{
    EXPECT_EQ(IntegerOf("32"), 32);
    EXPECT_EQ(IntegerOf("+7"), 7);
    EXPECT_EQ(IntegerOf("-15"), -15);
    EXPECT_EQ(IntegerOf("000042"), 42);
    EXPECT_EQ(IntegerOf("0x20"), 32);
    EXPECT_EQ(IntegerOf("0X1f"), 31);
    EXPECT_EQ(IntegerOf("$1F"), 31);
    EXPECT_EQ(IntegerOf("0x00000000FF"), 255);
    EXPECT_EQ(IntegerOf("2147483647"), 2147483647);
    EXPECT_EQ(IntegerOf("-2147483648"), std::numeric_limits<qint32>::min());

    // Hexadecimal fills all 32 bits.
    EXPECT_EQ(IntegerOf("0xFFFFFFFF"), -1);
    EXPECT_EQ(IntegerOf("$80000000"), std::numeric_limits<qint32>::min());

    for (const char* nonsense :
        { "32px", "", "0x", "$", "0x100000000", "$1FFFFFFFF", "2147483648", "-2147483649",
            "99999999999999999999999", "12 34", "-0x5", "$-5", "0xG", "1.5", "true", "+", "- 3" })
        EXPECT_EQ(IntegerOf(nonsense), -77) << nonsense;
}

TEST(TIniFile, BooleansAreIntegersThatAreTrueWhenNotZero)
{
    auto boolOf = [](const QByteArray& stored, bool defaultValue) {
        return FileHolding("[Test]\nValue=" + stored + "\n").ReadBool(Section, Key, defaultValue);
    };
    EXPECT_TRUE(boolOf("1", false));
    EXPECT_TRUE(boolOf("2", false));
    EXPECT_TRUE(boolOf("0x1", false));
    EXPECT_TRUE(boolOf("-1", false));
    EXPECT_FALSE(boolOf("0", true));
    EXPECT_FALSE(boolOf("0x0", true));
    EXPECT_TRUE(boolOf("yes", true));
    EXPECT_FALSE(boolOf("true", false));
    EXPECT_TRUE(boolOf("", true));
}

TEST(TIniFile, StringsAreCutTo1023CharactersAndEmptyIsAValue)
{
    const QByteArray long1500(1500, 'w');
    const TIniFile ini = FileHolding("[Test]\nValue=" + long1500 + "\nEmpty=\n");
    EXPECT_EQ(ini.ReadString(Section, Key, {}), QString(1023, QLatin1Char('w')));
    EXPECT_EQ(
        ini.ReadString(Section, QStringLiteral("Empty"), QStringLiteral("default")), QString());
    EXPECT_EQ(ini.ReadString(Section, QStringLiteral("Missing"), QStringLiteral("default")),
        QStringLiteral("default"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Nowhere"), Key, QStringLiteral("default")),
        QStringLiteral("default"));

    // Characters, not bytes: a cut never splits one.
    const QString accents(1100, QChar(0x00E9));
    EXPECT_EQ(FileHolding("[Test]\nValue=" + accents.toUtf8() + "\n").ReadString(Section, Key, {}),
        QString(1023, QChar(0x00E9)));
}

TEST(TIniFile, ValuesThatAreNotUtf8SurviveAReadAndAWriteByteForByte)
{
    // Latin-1 "/Musik/Fanfare \xe0 la carte.wav" and a lone continuation byte.
    const QByteArray latin1 = "/Musik/Fanfare \xe0 la carte.wav";
    const QByteArray stray = "x\x80y\xc3";
    TIniFile ini = FileHolding("[Test]\nValue=" + latin1 + "\nOther=" + stray + "\n");
    const QString value = ini.ReadString(Section, Key, {});
    EXPECT_TRUE(value.startsWith(QStringLiteral("/Musik/Fanfare "))) << qPrintable(value);
    ini.WriteString(Section, Key, value);
    ini.WriteString(
        Section, QStringLiteral("Other"), ini.ReadString(Section, QStringLiteral("Other"), {}));
    ini.WriteString(Section, QStringLiteral("Copy"), value);
    EXPECT_EQ(
        ini.Text(), "[Test]\nValue=" + latin1 + "\nOther=" + stray + "\nCopy=" + latin1 + "\n");
}

TEST(RawText, AnyBytesRoundTripAndValidUtf8ReadsAsText)
{
    EXPECT_EQ(DecodeRawText("Zelda \xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80"),
        QString::fromUtf8("Zelda \xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80"));
    const QString latin1 = DecodeRawText("\xe9t\xe9");
    EXPECT_EQ(latin1.size(), 3);
    EXPECT_EQ(latin1[1], QLatin1Char('t'));
    QByteArray every;
    for (int byte = 0; byte < 256; ++byte)
        every += static_cast<char>(byte);
    // Overlong, surrogate, cut-short and beyond-Unicode sequences are bytes, not text.
    for (const QByteArray& bytes : { every, QByteArray("\xc0\xaf\xed\xa0\x80\xe2\x82"),
             QByteArray("\xf4\x90\x80\x80"), QByteArray("a\xed\xb2\x80\xf0\x9f\x98\x80\x80") })
        EXPECT_EQ(EncodeRawText(DecodeRawText(bytes)), bytes) << bytes.toHex().constData();
}

TEST(TIniFile, SectionsAndKeysMatchWithoutRegardToCase)
{
    TIniFile ini = FileHolding("[COMMON]\nlast=1\n[Sound]\nBEEP = 1\n");
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Common"), QStringLiteral("Last"), 0), 1);
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("sound"), QStringLiteral("Beep"), false));

    ini.WriteBool(QStringLiteral("common"), QStringLiteral("LAST"), false);
    ini.WriteBool(QStringLiteral("Sound"), QStringLiteral("beep"), false);
    // Replaced where they stand, keeping the file's spelling; no second entry.
    EXPECT_EQ(ini.Text(), QByteArray("[COMMON]\nlast=0\n[Sound]\nBEEP=0\n"));
}

TEST(TIniFile, WritesReplaceInPlaceAppendToTheirSectionAndAddSectionsAtTheEnd)
{
    TIniFile ini = FileHolding("; made by hand\n"
                               "stray=before any section\n"
                               "[Common]\n"
                               "Last=1\n"
                               "  ; about the port\n"
                               "TransferPort1=1\n"
                               "not an entry\n"
                               "\n"
                               "[Other]\n"
                               "Last=untouched\n");
    ini.WriteString(QStringLiteral("Common"), QStringLiteral("Last"), QStringLiteral("0"));
    ini.WriteString(QStringLiteral("Common"), QStringLiteral("Extra"), QStringLiteral("x"));
    ini.WriteString(QStringLiteral("Sound"), QStringLiteral("Beep"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("Sound"), QStringLiteral("Wave"), QString());
    EXPECT_EQ(ini.Text(),
        QByteArray("; made by hand\n"
                   "stray=before any section\n"
                   "[Common]\n"
                   "Last=0\n"
                   "  ; about the port\n"
                   "TransferPort1=1\n"
                   "Extra=x\n"
                   "not an entry\n"
                   "\n"
                   "[Other]\n"
                   "Last=untouched\n"
                   "\n"
                   "[Sound]\n"
                   "Beep=1\n"
                   "Wave=\n"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Sound"), QStringLiteral("Wave"), QStringLiteral("-")),
        QString());
    // An entry before the first section belongs to none.
    EXPECT_EQ(ini.ReadSections(),
        QStringList(
            { QStringLiteral("Common"), QStringLiteral("Other"), QStringLiteral("Sound") }));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("common")),
        QStringList(
            { QStringLiteral("Last"), QStringLiteral("TransferPort1"), QStringLiteral("Extra") }));
}

TEST(TIniFile, AddedLinesFollowTheFilesLineEndsAndAnUnterminatedLastLine)
{
    TIniFile crlf = FileHolding("[Common]\r\nLast=1\r\n");
    crlf.WriteString(QStringLiteral("Common"), QStringLiteral("Last"), QStringLiteral("0"));
    crlf.WriteString(QStringLiteral("Common"), QStringLiteral("New"), QStringLiteral("1"));
    crlf.WriteString(QStringLiteral("Window"), QStringLiteral("Top"), QStringLiteral("5"));
    EXPECT_EQ(crlf.Text(), QByteArray("[Common]\r\nLast=0\r\nNew=1\r\n\r\n[Window]\r\nTop=5\r\n"));

    // A rewritten line keeps its own line end, even in a file of mixed ones.
    TIniFile mixed = FileHolding("[Common]\r\nLast=1\nBeep=1\r\n");
    mixed.WriteString(QStringLiteral("Common"), QStringLiteral("Last"), QStringLiteral("0"));
    EXPECT_EQ(mixed.Text(), QByteArray("[Common]\r\nLast=0\nBeep=1\r\n"));

    TIniFile open = FileHolding("[Common]\nLast=1");
    open.WriteString(QStringLiteral("Common"), QStringLiteral("Last"), QStringLiteral("0"));
    EXPECT_EQ(open.Text(), QByteArray("[Common]\nLast=0"));
    open.WriteString(QStringLiteral("Common"), QStringLiteral("New"), QStringLiteral("1"));
    EXPECT_EQ(open.Text(), QByteArray("[Common]\nLast=0\nNew=1\n"));
}

TEST(TIniFile, AValueCannotStartALineOfItsOwn)
{
    TIniFile ini = FileHolding({});
    ini.WriteString(QStringLiteral("Sound"), QStringLiteral("Wave"),
        QStringLiteral("/music/a\n[Common]\nLast=1"));
    EXPECT_EQ(ini.ReadSections(), QStringList({ QStringLiteral("Sound") }));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Sound"), QStringLiteral("Wave"), {}),
        QStringLiteral("/music/a [Common] Last=1"));
}

TEST(TIniFile, ASaveKeepsUnknownBytesAndThePermissionsOfTheFile)
{
    TTestFolder folder;
    // Comments, odd spacing, a byte that is not UTF-8, a NUL and no final line end.
    const QByteArray unknown = QByteArray("; comment \xff\n"
                                          "[Common]\n"
                                          "  Weird  =  spaced  \t\n"
                                          "Last=1\n"
                                          "[Mine]\nkey=\x01")
        + '\0' + "zz";
    const QString path = folder.Write(QStringLiteral("Conveyor.ini"), unknown);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    TIniFile ini(path);
    ini.WriteString(QStringLiteral("Common"), QStringLiteral("Last"), QStringLiteral("0"));
    ini.UpdateFile();

    QByteArray expected = unknown;
    expected.replace("Last=1", "Last=0");
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), expected);
    EXPECT_EQ(QFile::permissions(path),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
            | QFileDevice::WriteUser);
    EXPECT_EQ(EntriesOf(folder), QStringList({ QStringLiteral("Conveyor.ini") }));
}

TEST(TIniFile, ASaveThroughASymbolicLinkKeepsTheLink)
{
    TTestFolder folder;
    const QString real = folder.Write(QStringLiteral("real.ini"), "[Common]\nLast=1\n");
    const QString link = folder.Path(QStringLiteral("Conveyor.ini"));
    ASSERT_TRUE(QFile::link(real, link));
    TIniFile ini(link);
    ini.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), false);
    ini.UpdateFile();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(folder.Read(QStringLiteral("real.ini")), QByteArray("[Common]\nLast=0\n"));
}

TEST(TIniFile, ASaveCreatesAMissingFile)
{
    TTestFolder folder;
    TIniFile ini(folder.Path(QStringLiteral("Conveyor.ini")));
    ini.WriteInteger(QStringLiteral("Columns"), QStringLiteral("Column1Width"), -130);
    ini.UpdateFile();
    EXPECT_EQ(
        folder.Read(QStringLiteral("Conveyor.ini")), QByteArray("[Columns]\nColumn1Width=-130\n"));
}

TEST(TIniFile, ARefusedSaveRaisesWithTheFullPathAndChangesNothing)
{
    TTestFolder folder;
    OpenToEveryone(folder);
    const QByteArray old = "[Common]\nLast=1\n";
    const QString path = folder.Write(QStringLiteral("Conveyor.ini"), old);
    QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    {
        TUnprivileged unprivileged;
        // Relative, to see that the message names the full path.
        const QString relative = QDir::current().relativeFilePath(path);
        TIniFile ini(relative);
        ini.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), false);
        try {
            ini.UpdateFile();
            ADD_FAILURE() << "a read-only file was written";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Unable to write to ") + path);
        }
    }
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), old);
}

TEST(TIniFile, AFolderThatAllowsNoNewFileIsWrittenInPlace)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("Conveyor.ini"), "[Common]\nLast=1\n");
    QFile::setPermissions(path, QFileDevice::Permissions(0x6666));
    QFile::setPermissions(folder.Path(), QFileDevice::Permissions(0x5555));
    {
        TUnprivileged unprivileged;
        TIniFile ini(path);
        ini.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), false);
        ini.UpdateFile();

        // Without the file there is nothing to write in place.
        TIniFile missing(folder.Path(QStringLiteral("Other.ini")));
        missing.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), false);
        EXPECT_THROW(missing.UpdateFile(), EIniFileException);
    }
    QFile::setPermissions(folder.Path(), QFileDevice::Permissions(0x7777));
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), QByteArray("[Common]\nLast=0\n"));
    EXPECT_EQ(EntriesOf(folder), QStringList({ QStringLiteral("Conveyor.ini") }));
}

TEST(TIniFile, AFileThatCannotBeReadIsNotOverwritten)
{
    TTestFolder folder;
    OpenToEveryone(folder);
    const QByteArray old = "[Mine]\nprecious=1\n";
    const QString path = folder.Write(QStringLiteral("Conveyor.ini"), old);
    QFile::setPermissions(path, QFileDevice::Permissions(0x2222));
    {
        TUnprivileged unprivileged;
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("Mine"), QStringLiteral("precious"), 7), 7);
        ini.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), false);
        EXPECT_THROW(ini.UpdateFile(), EIniFileException);
    }
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), old);
}

TEST(TIniFile, AnInterruptedSaveLeavesTheOldFileWhole)
{
    TTestFolder folder;
    const QByteArray old = "[Common]\nLast=1\n; hand-made comment\n";
    const QString path = folder.Write(QStringLiteral("Conveyor.ini"), old);
    TIniFile ini(path);
    for (int i = 0; i < 40; ++i)
        ini.WriteInteger(QStringLiteral("Columns"), QStringLiteral("Column%1Width").arg(i), i);

    // A disk that fills up after 64 bytes: every write past that fails.
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        ini.UpdateFile();
    } catch (const EIniFileException&) {
        raised = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_TRUE(raised);
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), old);
    EXPECT_EQ(EntriesOf(folder), QStringList({ QStringLiteral("Conveyor.ini") }));
}

TEST(TIniFile, OnlyARegularFileIsReadAndNothingElseIsEverWritten)
{
    TTestFolder folder;
    const QString fifo = folder.Path(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = folder.Path(QStringLiteral("zero.ini"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));

    // A reader on the FIFO, so that an open for writing would succeed and a write arrive.
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const QString& path : { fifo, zero, folder.Path() }) {
        SCOPED_TRACE(path.toStdString());
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadError(), QStringLiteral("not a regular file"));
        EXPECT_TRUE(ini.ReadSections().isEmpty());
        ini.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), false);
        EXPECT_THROW(ini.UpdateFile(), EIniFileException);
    }
    char byte = 0;
    EXPECT_EQ(::read(reader, &byte, 1), 0);
    ::close(reader);
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(zero).isSymLink());
    EXPECT_EQ(QFileInfo(zero).symLinkTarget(), QStringLiteral("/dev/zero"));
    // No new file was left beside them either.
    EXPECT_EQ(QDir(folder.Path())
                  .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ QStringLiteral("fifo.ini"), QStringLiteral("zero.ini") }));
}

TEST(TIniFile, AFileLargerThanAnySettingsFileIsRefusedAndOneWhoseSizeSaysNothingIsRead)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("huge.ini"), "[Common]\nLast=0\n");
    ASSERT_TRUE(QFile::resize(path, TIniFile::MaxFileSize + 1));
    TIniFile huge(path);
    EXPECT_EQ(huge.ReadError(), QStringLiteral("File too large"));
    EXPECT_TRUE(huge.ReadSections().isEmpty());
    EXPECT_THROW(huge.UpdateFile(), EIniFileException);
    EXPECT_EQ(QFileInfo(path).size(), TIniFile::MaxFileSize + 1);

    ASSERT_TRUE(QFile::resize(path, TIniFile::MaxFileSize));
    EXPECT_EQ(TIniFile(path).ReadError(), QString());
    EXPECT_EQ(
        TIniFile(path).ReadBool(QStringLiteral("Common"), QStringLiteral("Last"), true), false);

    // The kernel's files say they are empty and are not.
    const TIniFile status(QStringLiteral("/proc/self/status"));
    EXPECT_EQ(status.ReadError(), QString());
    EXPECT_TRUE(status.Text().startsWith("Name:"));
}

TEST(TIniFile, AByteOrderMarkIsPassedOverOnReadingAndKeptOnWriting)
{
    const QByteArray mark = "\xEF\xBB\xBF";
    TIniFile ini = FileHolding(mark + "[Common]\r\nTransferPort1=0\r\n");
    EXPECT_EQ(ini.ReadSections(), QStringList({ QStringLiteral("Common") }));
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("Common"), QStringLiteral("TransferPort1"), true));

    ini.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), true);
    ini.WriteInteger(QStringLiteral("Window"), QStringLiteral("Top"), 5);
    EXPECT_EQ(
        ini.Text(), mark + "[Common]\r\nTransferPort1=0\r\nLast=1\r\n\r\n[Window]\r\nTop=5\r\n");

    // Through the file and back: one mark, in front.
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("Conveyor.ini"), mark + "[Sound]\nBeep=1\n");
    TIniFile file(path);
    file.WriteBool(QStringLiteral("sound"), QStringLiteral("Beep"), false);
    file.UpdateFile();
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), mark + "[Sound]\nBeep=0\n");

    // A mark alone is an empty file.
    TIniFile empty = FileHolding(mark);
    empty.WriteBool(QStringLiteral("Common"), QStringLiteral("Last"), false);
    EXPECT_EQ(empty.Text(), mark + "[Common]\nLast=0\n");
}
