#include "CheckedImages.h"
#include "TProcFolder.h"
#include "TTestFolder.h"
#include "TestBytes.h"
#include "TestImages.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QTime>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct TRun
{
    int Status = -1;
    QString Out;
    QString Err;
};

// procRoot: a folder laid out like /proc that the command reads the kernel's ports from.
TRun Cli(const QStringList& arguments, int timeoutMs = 120000, const QString& procRoot = {})
{
    QProcess process;
    if (!procRoot.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CONVEYOR_PROC_ROOT"), procRoot);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(CONVEYOR_CLI), arguments);
    TRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.Err = QStringLiteral("(did not finish)");
        return run;
    }
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList Lines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// conveyor-cli simulate in the background, ready once it said it listens.
class TSimulatorProcess
{
public:
    explicit TSimulatorProcess(const QStringList& arguments)
    {
        FProcess.start(
            QStringLiteral(CONVEYOR_CLI), QStringList { QStringLiteral("simulate") } + arguments);
        while (!FOut.contains("listening on") && FProcess.waitForReadyRead(10000))
            FOut += FProcess.readAllStandardOutput();
    }
    ~TSimulatorProcess()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }

    bool Listening() const { return FOut.contains("listening on"); }
    void Terminate() { ::kill(static_cast<pid_t>(FProcess.processId()), SIGTERM); }
    TRun Finish(int timeoutMs = 30000)
    {
        TRun run;
        if (FProcess.waitForFinished(timeoutMs))
            run.Status = FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -2;
        run.Out = QString::fromUtf8(FOut + FProcess.readAllStandardOutput());
        run.Err = QString::fromUtf8(FProcess.readAllStandardError());
        return run;
    }

private:
    QProcess FProcess;
    QByteArray FOut;
};

} // namespace

// ---- Usage -------------------------------------------------------------------------

TEST(CliUsage, WrongUsageExitsWithTwo)
{
    const QStringList cases[] = {
        {},
        { QStringLiteral("deliver") },
        { QStringLiteral("send") },
        { QStringLiteral("send"), QStringLiteral("--port"), QStringLiteral("lpt3"),
            QStringLiteral("a.v64") },
        { QStringLiteral("send"), QStringLiteral("--port"), QStringLiteral("0x0"),
            QStringLiteral("a.v64") },
        { QStringLiteral("send"), QStringLiteral("--port"), QStringLiteral("0x12345"),
            QStringLiteral("a.v64") },
        { QStringLiteral("probe"), QStringLiteral("--port"), QStringLiteral("d010") },
        { QStringLiteral("probe"), QStringLiteral("--stall-handshake"), QStringLiteral("6") },
        { QStringLiteral("probe"), QStringLiteral("--simulate"), QStringLiteral("d"),
            QStringLiteral("--stall-handshake"), QStringLiteral("14") },
        { QStringLiteral("ports"), QStringLiteral("extra") },
        { QStringLiteral("send"), QStringLiteral("--simulate"), QStringLiteral("d"),
            QStringLiteral("--peer"), QStringLiteral("s"), QStringLiteral("a.v64") },
        { QStringLiteral("send"), QStringLiteral("--absent"), QStringLiteral("a.v64") },
        { QStringLiteral("send"), QStringLiteral("--bogus"), QStringLiteral("a.v64") },
        { QStringLiteral("simulate"), QStringLiteral("--out"), QStringLiteral("d") },
        { QStringLiteral("simulate"), QStringLiteral("--listen"), QStringLiteral("s"),
            QStringLiteral("--out"), QStringLiteral("d"), QStringLiteral("--stall-after"),
            QStringLiteral("many") },
    };
    for (const QStringList& arguments : cases) {
        const TRun run = Cli(arguments);
        EXPECT_EQ(run.Status, 2) << qPrintable(arguments.join(QLatin1Char(' ')));
        EXPECT_FALSE(run.Err.isEmpty());
    }
}

TEST(CliUsage, HelpAndVersion)
{
    const TRun help = Cli({ QStringLiteral("--help") });
    EXPECT_EQ(help.Status, 0);
    EXPECT_TRUE(help.Out.contains(QStringLiteral("conveyor-cli send")));
    EXPECT_TRUE(help.Out.contains(QStringLiteral("conveyor-cli simulate")));
    const TRun version = Cli({ QStringLiteral("--version") });
    EXPECT_EQ(version.Status, 0);
    EXPECT_TRUE(version.Out.startsWith(QStringLiteral("Conveyor v")));
    const TRun sendHelp = Cli({ QStringLiteral("send"), QStringLiteral("--help") });
    EXPECT_EQ(sendHelp.Status, 0);
    EXPECT_TRUE(sendHelp.Out.contains(QStringLiteral("--peer SOCKET")));
}

// The top level lists every command; each one answers --help with its own usage and tells
// wrong usage with its name.
TEST(CliUsage, EveryListedCommandHasItsHelpAndNamesItselfInErrors)
{
    const TRun help = Cli({ QStringLiteral("--help") });
    const QString commands = help.Out.section(QStringLiteral("Commands:\n"), 1);
    QStringList names;
    for (const QString& line : commands.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("  conveyor-cli ")))
            names << line.section(QLatin1Char(' '), 3, 3);
    }
    EXPECT_EQ(names,
        (QStringList { QStringLiteral("send"), QStringLiteral("probe"), QStringLiteral("ports"),
            QStringLiteral("simulate"), QStringLiteral("list"), QStringLiteral("info") }));
    for (const QString& name : names) {
        const TRun own = Cli({ name, QStringLiteral("--help") });
        EXPECT_EQ(own.Status, 0) << qPrintable(name);
        // The name, then its options and arguments, or the end of the line for a command
        // that has none.
        const QString usage = QStringLiteral("Usage: conveyor-cli ") + name;
        EXPECT_TRUE(own.Out.startsWith(usage + QLatin1Char(' '))
            || own.Out.startsWith(usage + QLatin1Char('\n')))
            << qPrintable(own.Out);
        EXPECT_TRUE(own.Out.contains(QStringLiteral("-h, --help"))) << qPrintable(own.Out);
        const TRun wrong = Cli({ name, QStringLiteral("--bogus") });
        EXPECT_EQ(wrong.Status, 2) << qPrintable(name);
        EXPECT_TRUE(wrong.Err.startsWith(
            QStringLiteral("conveyor-cli %1: Unknown option 'bogus'.\n").arg(name)))
            << qPrintable(wrong.Err);
        EXPECT_TRUE(wrong.Err.contains(QStringLiteral("Usage: conveyor-cli ") + name));
    }
    const TRun missing
        = Cli({ QStringLiteral("simulate"), QStringLiteral("--listen"), QStringLiteral("s") });
    EXPECT_EQ(missing.Status, 2);
    EXPECT_TRUE(
        missing.Err.startsWith(QStringLiteral("conveyor-cli simulate: --out is required\n")))
        << qPrintable(missing.Err);
}

// ---- Sending to the built-in simulator ---------------------------------------------

TEST(CliSend, DeliversAListToTheSimulatorWithALinePerTenthOnAPipe)
{
    TTestFolder folder;
    const QByteArray racer = RandomBytes(1024 * 1024 + 5, 1);
    const QByteArray chess = RandomBytes(1000, 2);
    const QString racerPath = folder.Write(QStringLiteral("racer.v64"), racer);
    const QString chessPath = folder.Write(QStringLiteral("chess.usa"), chess);
    const QString out = folder.Path(QStringLiteral("received"));

    const TRun run
        = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"), out, racerPath, chessPath });
    ASSERT_EQ(run.Status, 0) << qPrintable(run.Err);
    EXPECT_EQ(folder.Read(QStringLiteral("received/RACER.V64")), racer);
    EXPECT_EQ(folder.Read(QStringLiteral("received/CHESS.USA")), chess);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Delivered 2 files (1049581 bytes) on LPT1")))
        << qPrintable(run.Out);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Simulator stored RACER.V64 (1048581 bytes)")));

    const QStringList lines = Lines(run.Err);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Looking for the Doctor64 on LPT1..."));
    EXPECT_EQ(lines[1], QStringLiteral("Connected to the Doctor64 on LPT1."));
    EXPECT_FALSE(run.Err.contains(QLatin1Char('\r'))) << "a bar was drawn into a pipe";
    // One line per tenth reached: of the 33 blocks' 3, 6, 9, 12, 15, ... 100 only 3, 12,
    // 21, ... 93 and 100 start a new tenth.
    const QStringList racerLines = lines.filter(QStringLiteral("racer.v64: "));
    EXPECT_EQ(racerLines.size(), 11);
    EXPECT_EQ(racerLines.first(), QStringLiteral("racer.v64: 3 %"));
    EXPECT_EQ(racerLines[1], QStringLiteral("racer.v64: 12 %"));
    EXPECT_EQ(racerLines.last(), QStringLiteral("racer.v64: 100 %"));
    EXPECT_EQ(lines.last(), QStringLiteral("chess.usa: 100 %"));
}

TEST(CliSend, ControlCharactersOfANameNeverReachTheTerminal)
{
    TTestFolder folder;
    const QString path
        = folder.Write(QStringLiteral("evil\x1b]0;owned\x07.v64"), RandomBytes(1000, 7));
    const TRun send = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"),
        folder.Path(QStringLiteral("received")), path });
    ASSERT_EQ(send.Status, 0) << qPrintable(send.Err);
    EXPECT_TRUE(send.Err.contains(QStringLiteral("evil ]0;owned .v64: 100 %")))
        << qPrintable(send.Err);
    const TRun info = Cli({ QStringLiteral("info"), path });
    EXPECT_TRUE(info.Out.startsWith(QStringLiteral("File:       evil ]0;owned .v64\n")))
        << qPrintable(info.Out);
    for (const QString& text : { send.Out, send.Err, info.Out, info.Err }) {
        EXPECT_FALSE(text.contains(QLatin1Char('\x1b'))) << qPrintable(text);
        EXPECT_FALSE(text.contains(QLatin1Char('\x07'))) << qPrintable(text);
    }
}

TEST(CliSend, ANameThatIsNotUtf8IsReadSentAndShownAsLatin1)
{
    TTestFolder folder;
    folder.WriteNative("\xc9t\xe9.v64", RandomBytes(100, 8));
    // A shell hands the name's own bytes to the program.
    const auto run = [&folder](const QString& command) {
        QProcess process;
        process.start(QStringLiteral("/bin/sh"),
            { QStringLiteral("-c"), command, QStringLiteral(CONVEYOR_CLI), folder.Path() });
        process.waitForFinished(60000);
        return TRun { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    };
    const QString shown = QString::fromUtf8("\xc3\x89t\xc3\xa9.v64");
    const TRun info = run(QStringLiteral("\"$0\" info \"$1\"/*.v64"));
    EXPECT_EQ(info.Status, 0) << qPrintable(info.Err);
    EXPECT_TRUE(info.Out.startsWith(QStringLiteral("File:       ") + shown + "\n"))
        << qPrintable(info.Out);
    const TRun send = run(QStringLiteral("\"$0\" send --simulate \"$1/out\" \"$1\"/*.v64"));
    EXPECT_EQ(send.Status, 0) << qPrintable(send.Err);
    EXPECT_TRUE(send.Err.contains(shown + QStringLiteral(": 100 %"))) << qPrintable(send.Err);
}

TEST(CliSend, DrawsOneUpdatingBarOnATerminal)
{
    // script(1) runs the command on a pseudo-terminal and copies what it printed.
    const QString script = QStringLiteral("/usr/bin/script");
    if (!QFile::exists(script))
        GTEST_SKIP() << "no script(1) to provide a terminal";
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), RandomBytes(512 * 1024, 7));
    const QString out = folder.Path(QStringLiteral("received"));
    const QString command = QStringLiteral("'%1' send --simulate '%2' '%3'")
                                .arg(QStringLiteral(CONVEYOR_CLI), out, path);
    QProcess process;
    process.start(script, { QStringLiteral("-qec"), command, QStringLiteral("/dev/null") });
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString screen = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(screen.contains(
        QStringLiteral("\rracer.v64 100 % [########################] 4.0 of 4.0 MBit")))
        << qPrintable(screen);
    EXPECT_TRUE(screen.contains(QStringLiteral("MBit/s")));
    EXPECT_FALSE(screen.contains(QStringLiteral("racer.v64: "))) << "lines instead of a bar";
    EXPECT_EQ(folder.Read(QStringLiteral("received/RACER.V64")), RandomBytes(512 * 1024, 7));
}

TEST(CliSend, NoDeviceExitsWithThreeAfterThePortsWarning)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    const QString out = folder.Path(QStringLiteral("received"));
    const std::pair<QString, QString> ports[] = {
        { QStringLiteral("lpt1"), QStringLiteral("Warning, could not locate any doctor on LPT1.") },
        { QStringLiteral("lpt2"), QStringLiteral("Warning, could not locate any doctor on LPT2.") },
        // A port chosen by address is named by it, but LPT1 and LPT2 keep their texts.
        { QStringLiteral("0xd010"),
            QStringLiteral("Warning, could not locate any doctor at port 0xD010.") },
        { QStringLiteral("0x3bc"),
            QStringLiteral("Warning, could not locate any doctor at port 0x3BC.") },
        { QStringLiteral("0x278"),
            QStringLiteral("Warning, could not locate any doctor on LPT2.") },
    };
    for (const auto& [port, warning] : ports) {
        const TRun run = Cli({ QStringLiteral("send"), QStringLiteral("--port"), port,
            QStringLiteral("--simulate"), out, QStringLiteral("--absent"), path });
        EXPECT_EQ(run.Status, 3) << qPrintable(run.Err);
        EXPECT_EQ(Lines(run.Err).last(), QStringLiteral("conveyor-cli: ") + warning);
    }
}

TEST(CliSend, DeviceThatStallsMidFileExitsWithThreeAndStoresNothing)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), RandomBytes(200000, 3));
    const QString out = folder.Path(QStringLiteral("received"));
    const TRun run = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"), out,
        QStringLiteral("--stall-after"), QStringLiteral("100000"), path });
    EXPECT_EQ(run.Status, 3);
    EXPECT_EQ(Lines(run.Err).last(),
        QStringLiteral("conveyor-cli: Warning, could not locate any doctor on LPT1."));
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

TEST(CliSend, AMemberIsNamedAfterItsArchiveAndSeveralMembersAreListedToChooseFrom)
{
    TTestFolder folder;
    const QByteArray racer = RandomBytes(70000, 31);
    const QByteArray other = RandomBytes(9000, 32);
    folder.Write(QStringLiteral("racer.z64"), racer);
    folder.Write(QStringLiteral("other.z64"), other);
    QProcess pack;
    pack.setWorkingDirectory(folder.Path());
    pack.start(QStringLiteral("7z"), { "a", "-bd", "merged.7z", "racer.z64", "other.z64" });
    ASSERT_TRUE(pack.waitForFinished(60000));
    ASSERT_EQ(pack.exitCode(), 0);
    const QString archive = folder.Path(QStringLiteral("merged.7z"));
    const QString out = folder.Path(QStringLiteral("received"));

    const TRun several
        = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"), out, archive });
    EXPECT_EQ(several.Status, 1);
    EXPECT_TRUE(several.Err.contains(QStringLiteral("racer.z64"))) << qPrintable(several.Err);
    EXPECT_TRUE(several.Err.contains(QStringLiteral("other.z64"))) << qPrintable(several.Err);
    EXPECT_FALSE(QFile::exists(folder.Path(QStringLiteral("received/RACER.Z64"))));

    const TRun one = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"), out,
        archive + QStringLiteral("/other.z64") });
    EXPECT_EQ(one.Status, 0) << qPrintable(one.Err);
    EXPECT_EQ(folder.Read(QStringLiteral("received/OTHER.Z64")), other);
}

TEST(CliSend, UnreadableFileFailsBeforeThePortIsTouched)
{
    TTestFolder folder;
    const QString good = folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    const QString missing = folder.Path(QStringLiteral("missing.v64"));
    const QString out = folder.Path(QStringLiteral("received"));
    const TRun run
        = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"), out, good, missing });
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err.trimmed(),
        QStringLiteral("conveyor-cli: Cannot open file ") + missing
            + QStringLiteral(": No such file or directory"));
    EXPECT_FALSE(QFile::exists(folder.Path(QStringLiteral("received/RACER.V64"))));
}

TEST(CliSend, EveryOrderGoesOutInTheDevicesOrderAndALongNameIsTold)
{
    TTestFolder folder;
    QByteArray cartridge = RandomBytes(100000, 8);
    cartridge.replace(0, 4, QByteArray("\x80\x37\x12\x40", 4));
    const QString big = folder.Write(
        QStringLiteral("Speed Racer Deluxe (USA).z64"), InByteOrder(cartridge, boBigEndian));
    const QString little
        = folder.Write(QStringLiteral("chess.n64"), InByteOrder(cartridge, boLittleEndian));
    const QString device
        = folder.Write(QStringLiteral("racer.v64"), InByteOrder(cartridge, boDevice));
    const QString out = folder.Path(QStringLiteral("received"));

    const TRun run
        = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"), out, big, little, device });
    ASSERT_EQ(run.Status, 0) << qPrintable(run.Err);
    const QByteArray expected = InByteOrder(cartridge, boDevice);
    EXPECT_EQ(folder.Read(QStringLiteral("received/SPEED RA.Z64")), expected);
    EXPECT_EQ(folder.Read(QStringLiteral("received/CHESS.N64")), expected);
    EXPECT_EQ(folder.Read(QStringLiteral("received/RACER.V64")), expected);
    // Only the name the device cannot take as it is gets a line.
    EXPECT_TRUE(run.Out.startsWith(QStringLiteral(
        "Speed Racer Deluxe (USA).z64 reaches the device as SPEED RA.Z64\nDelivered 3 files")))
        << qPrintable(run.Out);
    EXPECT_FALSE(run.Out.contains(QStringLiteral("chess.n64 reaches")));
    EXPECT_FALSE(run.Out.contains(QStringLiteral("racer.v64 reaches")));
}

TEST(CliSend, ACharacterTheDeviceCannotShowReachesItAsAnUnderscoreAndIsTold)
{
    TTestFolder folder;
    const QString snow = folder.Write(QString::fromUtf8("snow\u2603.v64"), QByteArray("N64"));
    const QString out = folder.Path(QStringLiteral("received"));
    const TRun run = Cli({ QStringLiteral("send"), QStringLiteral("--simulate"), out, snow });
    ASSERT_EQ(run.Status, 0) << qPrintable(run.Err);
    EXPECT_TRUE(
        run.Out.startsWith(QString::fromUtf8("snow\u2603.v64 reaches the device as SNOW_.V64\n")))
        << qPrintable(run.Out);
    // The simulator stored what the device got: one "_", not the three bytes of UTF-8.
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList { "SNOW_.V64" });
}

TEST(CliSend, RefusesAListThatCouldNotGoOutWholeBeforeThePortIsTouched)
{
    TTestFolder folder;
    const QString good = folder.Write(QStringLiteral("good.v64"), QByteArray("N64"));
    const QString fifo = folder.Path(QStringLiteral("pipe.v64"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("folder.v64")));
    const QString huge = WriteSized(folder, QStringLiteral("huge.v64"), "x", 2147483648LL);
    const QString largest = WriteSized(folder, QStringLiteral("largest.v64"), "x", 2147483647LL);
    const QString speed = folder.Write(QStringLiteral("Speed Racer Deluxe (USA).z64"), "x");
    const QString speed2 = folder.Write(QStringLiteral("speed racer 2.z64"), "x");
    const QString odd = folder.Write(
        QStringLiteral("odd.n64"), QByteArray("\x40\x12\x37\x80", 4) + QByteArray(6, 'a'));
    const QString out = folder.Path(QStringLiteral("received"));
    QStringList many;
    for (int i = 0; i < 256; ++i)
        many << folder.Write(QStringLiteral("f%1.v64").arg(i, 3, 10, QLatin1Char('0')), "N64");

    const struct
    {
        QStringList Files;
        QString Message;
    } cases[] = {
        { many,
            QStringLiteral("At most 255 files go in one transfer (the count is one byte); 256 "
                           "were given") },
        { { good, fifo }, QStringLiteral("Not a regular file: ") + fifo },
        { { good, QStringLiteral("/proc/self/status") },
            QStringLiteral("Not a file that can be sent: /proc/self/status is on /proc or /sys, "
                           "where a file's size says nothing of what it holds") },
        { { good, folder.Path(QStringLiteral("folder.v64")) },
            QStringLiteral("Not a regular file: ") + folder.Path(QStringLiteral("folder.v64")) },
        { { good, largest, huge },
            QStringLiteral("File too large to send: %1 (2147483648 bytes; at most 2147483647)")
                .arg(huge) },
        { { speed, good, speed2 },
            QStringLiteral("%1 and %2 would both reach the device as SPEED RA.Z64")
                .arg(speed, speed2) },
        { { good, odd },
            odd
                + QStringLiteral(
                    " is a little-endian (n64) image, but its 10 bytes are not a whole "
                    "number of 4-byte words, so it cannot be converted") },
    };
    for (const auto& item : cases) {
        const TRun run = Cli(
            QStringList { QStringLiteral("send"), QStringLiteral("--simulate"), out } + item.Files,
            20000);
        EXPECT_EQ(run.Status, 1) << qPrintable(item.Message) << qPrintable(run.Err);
        EXPECT_EQ(run.Err, QStringLiteral("conveyor-cli: ") + item.Message + QLatin1Char('\n'));
        EXPECT_TRUE(run.Out.isEmpty()) << qPrintable(run.Out);
        EXPECT_FALSE(QFileInfo::exists(out)) << "the simulated device was reached";
    }
    // 255 files are one transfer.
    const TRun most = Cli(QStringList { QStringLiteral("send"), QStringLiteral("--simulate"), out }
        + many.mid(0, 255));
    EXPECT_EQ(most.Status, 0) << qPrintable(most.Err);
    EXPECT_TRUE(most.Out.startsWith(QStringLiteral("Delivered 255 files"))) << qPrintable(most.Out);
}

// ---- Virtual port between two processes --------------------------------------------

TEST(CliVirtualPort, SimulatorPeerReceivesWhatSendDelivers)
{
    TTestFolder folder;
    const QByteArray first = RandomBytes(60000, 4);
    const QByteArray second = RandomBytes(20000, 5);
    const QString firstPath = folder.Write(QStringLiteral("first.v64"), first);
    const QString secondPath = folder.Write(QStringLiteral("second.usa"), second);
    const QString socket = folder.Path(QStringLiteral("doctor.sock"));
    const QString out = folder.Path(QStringLiteral("received"));

    TSimulatorProcess simulator({ QStringLiteral("--listen"), socket, QStringLiteral("--out"), out,
        QStringLiteral("--once") });
    ASSERT_TRUE(simulator.Listening());
    const TRun send
        = Cli({ QStringLiteral("send"), QStringLiteral("--peer"), socket, firstPath, secondPath });
    EXPECT_EQ(send.Status, 0) << qPrintable(send.Err);
    const TRun served = simulator.Finish();
    EXPECT_EQ(served.Status, 0) << qPrintable(served.Err);
    EXPECT_TRUE(served.Out.contains(QStringLiteral("Received FIRST.V64 (60000 bytes)\n")))
        << qPrintable(served.Out);
    EXPECT_TRUE(served.Out.contains(QStringLiteral("Received SECOND.USA (20000 bytes)\n")));
    EXPECT_FALSE(served.Out.contains(QStringLiteral("Faulty stream"))) << qPrintable(served.Out);
    EXPECT_EQ(folder.Read(QStringLiteral("received/FIRST.V64")), first);
    EXPECT_EQ(folder.Read(QStringLiteral("received/SECOND.USA")), second);
    EXPECT_FALSE(QFile::exists(socket));
}

TEST(CliVirtualPort, PeerThatGoesAwayEndsTheTransferWithAClearError)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), RandomBytes(4 * 1024 * 1024, 6));
    const QString socket = folder.Path(QStringLiteral("doctor.sock"));
    const QString out = folder.Path(QStringLiteral("received"));

    TSimulatorProcess simulator(
        { QStringLiteral("--listen"), socket, QStringLiteral("--out"), out });
    ASSERT_TRUE(simulator.Listening());
    QProcess send;
    send.setReadChannel(QProcess::StandardError);
    send.start(QStringLiteral(CONVEYOR_CLI),
        { QStringLiteral("send"), QStringLiteral("--peer"), socket, path });
    QByteArray progress;
    // Once the first block is through, the device is in the middle of the file.
    while (!progress.contains("racer.v64: ") && send.waitForReadyRead(60000))
        progress += send.readAllStandardError();
    ASSERT_TRUE(progress.contains("racer.v64: "));
    simulator.Terminate();
    const TRun served = simulator.Finish();
    EXPECT_EQ(served.Status, 0) << qPrintable(served.Err);
    EXPECT_TRUE(served.Out.contains(QStringLiteral("Dropped RACER.V64"))) << qPrintable(served.Out);
    EXPECT_TRUE(
        served.Out.contains(QStringLiteral("Faulty stream: RACER.V64 did not arrive whole: ")))
        << qPrintable(served.Out);
    EXPECT_TRUE(served.Out.contains(
        QStringLiteral("Faulty stream: The stream announced 1 file but 0 arrived whole\n")));

    ASSERT_TRUE(send.waitForFinished(20000));
    EXPECT_EQ(send.exitCode(), 1);
    EXPECT_EQ(Lines(QString::fromUtf8(progress + send.readAllStandardError())).last(),
        QStringLiteral("conveyor-cli: The device peer closed the connection"));
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(QFile::exists(socket));
}

TEST(CliVirtualPort, SimulatorEndsOnTerminateWhileAClientNeitherSendsNorReads)
{
    TTestFolder folder;
    const QString socket = folder.Path(QStringLiteral("doctor.sock"));
    TSimulatorProcess simulator({ QStringLiteral("--listen"), socket, QStringLiteral("--out"),
        folder.Path(QStringLiteral("received")) });
    ASSERT_TRUE(simulator.Listening());
    const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, QFile::encodeName(socket).constData());
    ASSERT_EQ(::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    // Reads whose answers are never taken, until the simulator can send no more of them.
    const QByteArray reads = QByteArray("R\x7A\x03").repeated(4096);
    for (int stuck = 0; stuck < 10;) {
        if (::send(client, reads.constData(), static_cast<std::size_t>(reads.size()), 0) > 0)
            stuck = 0;
        else
            ::usleep(20000), ++stuck;
    }
    simulator.Terminate();
    const TRun served = simulator.Finish(10000);
    ::close(client);
    EXPECT_EQ(served.Status, 0) << qPrintable(served.Err);
    EXPECT_FALSE(QFile::exists(socket));
}

TEST(CliVirtualPort, MissingPeerIsNamed)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    const QString socket = folder.Path(QStringLiteral("nobody.sock"));
    const TRun run = Cli({ QStringLiteral("send"), QStringLiteral("--peer"), socket, path });
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Cannot connect to the device peer at ") + socket))
        << qPrintable(run.Err);
}

TEST(CliVirtualPort, APeerPathThatIsAFileOrAFolderIsSaidToBeNoSocket)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    const QString plain = folder.Write(QStringLiteral("plain"), QByteArray("data"));
    for (const QString& notSocket : { plain, folder.Path() }) {
        const TRun run = Cli({ QStringLiteral("send"), QStringLiteral("--peer"), notSocket, path });
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Err.contains(QStringLiteral("Cannot connect to the device peer at ")
            + notSocket + QStringLiteral(": it is not a socket")))
            << qPrintable(run.Err);
        EXPECT_FALSE(run.Err.contains(QStringLiteral("Connection refused"))) << qPrintable(run.Err);
    }
}

TEST(CliVirtualPort, SendAtAnAddressRunsTheWholeProtocolOnThatPortsRegistersOnly)
{
    TTestFolder folder;
    const QByteArray image = RandomBytes(30000, 8);
    const QString path = folder.Write(QStringLiteral("card.v64"), image);
    const QString socket = folder.Path(QStringLiteral("doctor.sock"));
    const QString out = folder.Path(QStringLiteral("received"));

    TSimulatorProcess simulator(
        { QStringLiteral("--port"), QStringLiteral("0xd010"), QStringLiteral("--listen"), socket,
            QStringLiteral("--out"), out, QStringLiteral("--once") });
    ASSERT_TRUE(simulator.Listening());
    const TRun send = Cli({ QStringLiteral("send"), QStringLiteral("--port"),
        QStringLiteral("0xD010"), QStringLiteral("--peer"), socket, path });
    EXPECT_EQ(send.Status, 0) << qPrintable(send.Err);
    EXPECT_TRUE(send.Out.contains(QStringLiteral(" on 0xD010 in "))) << qPrintable(send.Out);
    const TRun served = simulator.Finish();
    EXPECT_TRUE(served.Out.contains(QStringLiteral("on 0xD010; listening on")))
        << qPrintable(served.Out);
    EXPECT_TRUE(served.Out.contains(QStringLiteral("Received CARD.V64 (30000 bytes)\n")));
    EXPECT_TRUE(served.Out.contains(QStringLiteral("Registers accessed: 0xD010 0xD012\n")))
        << qPrintable(served.Out);
    EXPECT_EQ(folder.Read(QStringLiteral("received/CARD.V64")), image);
}

TEST(CliVirtualPort, SimulateOnceFailsWhenItCouldNotStoreAFile)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("tiny.v64"), RandomBytes(3000, 9));
    const QString socket = folder.Path(QStringLiteral("doctor.sock"));
    const QString out = folder.Path(QStringLiteral("received"));

    TSimulatorProcess simulator({ QStringLiteral("--listen"), socket, QStringLiteral("--out"), out,
        QStringLiteral("--once") });
    ASSERT_TRUE(simulator.Listening());
    // The output folder is gone by the time the file comes, which no permission can stop
    // when the tests run as root.
    ASSERT_TRUE(QDir(out).removeRecursively());
    folder.Write(QStringLiteral("received"), QByteArray("not a folder"));
    const TRun send = Cli({ QStringLiteral("send"), QStringLiteral("--peer"), socket, path });
    EXPECT_EQ(send.Status, 1) << qPrintable(send.Out);
    const TRun served = simulator.Finish();
    EXPECT_TRUE(served.Err.contains(QStringLiteral("The simulator cannot store TINY.V64")))
        << qPrintable(served.Err);
    EXPECT_EQ(served.Status, 1) << qPrintable(served.Out);
}

TEST(CliSend, TheBuiltInSimulatorRemovesItsHalfFileOnInterruptAndTermination)
{
    for (const int signal : { SIGINT, SIGTERM }) {
        SCOPED_TRACE(signal);
        TTestFolder folder;
        const QString path = folder.Write(QStringLiteral("big.v64"), RandomBytes(32 << 20, 11));
        const QString out = folder.Path(QStringLiteral("out"));
        QProcess process;
        process.start(QStringLiteral(CONVEYOR_CLI),
            { QStringLiteral("send"), QStringLiteral("--simulate"), out, path });
        ASSERT_TRUE(process.waitForStarted());
        // Interrupted while the file is being received, as a user with Ctrl+C would.
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()
            && QDir(out)
                   .entryList({ QStringLiteral(".receiving-*") }, QDir::Files | QDir::Hidden)
                   .isEmpty())
            QThread::msleep(10);
        ASSERT_FALSE(deadline.hasExpired()) << "the transfer never began";
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << "ended by the signal";
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList())
            << "the half-received file was left behind";
    }
}

TEST(CliVirtualPort, AnOutputFolderNamedInLatin1IsCreatedByItsOwnBytes)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("mini.v64"), RandomBytes(2000, 10));
    // QProcess cannot pass a byte that is not UTF-8, the shell can.
    QProcess process;
    process.setWorkingDirectory(folder.Path());
    process.start(QStringLiteral("sh"),
        { QStringLiteral("-c"),
            QStringLiteral("exec \"$0\" send --simulate \"$(printf 'out\\351')\" mini.v64"),
            QStringLiteral(CONVEYOR_CLI) });
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    const QByteArray latin1 = QFile::encodeName(folder.Path()) + "/out\xE9";
    struct stat status;
    ASSERT_EQ(::stat((latin1 + "/MINI.V64").constData(), &status), 0)
        << "the folder was not made by its own bytes";
    EXPECT_EQ(status.st_size, 2000);
    EXPECT_FALSE(QFileInfo::exists(folder.Path(QStringLiteral("out\uFFFD"))));
}

// ---- Ports the kernel knows --------------------------------------------------------

TEST(CliPorts, ListsTheKernelsPortsOneALineAndSaysWhyThereIsNone)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    const TRun two = Cli({ QStringLiteral("ports") }, 30000, proc.Path());
    EXPECT_EQ(two.Status, 0) << qPrintable(two.Err);
    EXPECT_EQ(Lines(two.Out),
        (QStringList {
            QStringLiteral("parport0 at 0x378, modes PCSPP,TRISTATE,COMPAT,EPP,ECP, extended "
                           "control register at 0x77A."),
            QStringLiteral("parport1 at 0xD010, modes PCSPP,TRISTATE,COMPAT,ECP, extended control "
                           "register at 0xD002."),
        }));

    const TProcFolder noPort;
    const TRun none = Cli({ QStringLiteral("ports") }, 30000, noPort.Path());
    EXPECT_EQ(none.Status, 1);
    EXPECT_TRUE(none.Out.contains(QStringLiteral("this computer has none")))
        << qPrintable(none.Out);
    EXPECT_TRUE(none.Out.contains(QStringLiteral("modprobe parport_pc")));

    const TTestFolder noDriver;
    const TRun unloaded = Cli({ QStringLiteral("ports") }, 30000, noDriver.Path());
    EXPECT_EQ(unloaded.Status, 1);
    EXPECT_TRUE(unloaded.Out.contains(QStringLiteral("parport_pc driver is not loaded")))
        << qPrintable(unloaded.Out);
}

// What probe prints of the port and what its checks find come from the same list.
TEST(CliProbe, ThePortsNameAndItsChecksComeFromTheSameList)
{
    TProcFolder proc;
    proc.AddPort(QStringLiteral("parport5"), "276\t0\n", "PCSPP\n");
    const TRun run
        = Cli({ QStringLiteral("probe"), QStringLiteral("--port"), QStringLiteral("parport5") },
            30000, proc.Path());
    EXPECT_EQ(run.Status, 1);
    const QStringList lines = Lines(run.Out);
    ASSERT_GE(lines.size(), 2) << qPrintable(run.Out + run.Err);
    EXPECT_EQ(lines[0], QStringLiteral("Probing parport5 at 0x114"));
    EXPECT_EQ(lines[1],
        QStringLiteral("[ok]   Port known to the kernel: parport5 at 0x114, modes PCSPP."));
    EXPECT_FALSE(run.Out.contains(QStringLiteral("not loaded"))) << qPrintable(run.Out);
    EXPECT_FALSE(run.Out.contains(QStringLiteral("No parallel port"))) << qPrintable(run.Out);
}

TEST(CliPorts, SendTakesAPortTheKernelListsByItsName)
{
    TTestFolder folder;
    TProcFolder proc;
    proc.AddOnboardAndCard();
    const QString path = folder.Write(QStringLiteral("racer.v64"), RandomBytes(4000, 9));
    const QString out = folder.Path(QStringLiteral("received"));
    const TRun named
        = Cli({ QStringLiteral("send"), QStringLiteral("--port"), QStringLiteral("parport1"),
                  QStringLiteral("--simulate"), out, path },
            30000, proc.Path());
    EXPECT_EQ(named.Status, 0) << qPrintable(named.Err);
    EXPECT_TRUE(named.Out.contains(QStringLiteral(" on parport1 in "))) << qPrintable(named.Out);
    EXPECT_EQ(folder.Read(QStringLiteral("received/RACER.V64")), RandomBytes(4000, 9));

    const TRun unknown
        = Cli({ QStringLiteral("send"), QStringLiteral("--port"), QStringLiteral("parport4"),
                  QStringLiteral("--simulate"), out, path },
            30000, proc.Path());
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_TRUE(unknown.Err.contains(QStringLiteral("it lists parport0, parport1")))
        << qPrintable(unknown.Err);
}

// ---- Probe -------------------------------------------------------------------------

TEST(CliProbe, SimulatorPresentAbsentAndStallingInTheHandshake)
{
    TTestFolder folder;
    const QString out = folder.Path(QStringLiteral("sim"));
    const TRun present = Cli({ QStringLiteral("probe"), QStringLiteral("--port"),
        QStringLiteral("0xD010"), QStringLiteral("--simulate"), out });
    EXPECT_EQ(present.Status, 0) << qPrintable(present.Out + present.Err);
    const QStringList lines = Lines(present.Out);
    ASSERT_EQ(lines.size(), 7) << qPrintable(present.Out);
    EXPECT_EQ(lines.at(0), QStringLiteral("Probing the port at 0xD010"));
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("[ok]   Port known to the kernel: ")));
    EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("[ok]   Rights: ")));
    EXPECT_TRUE(lines.at(3).startsWith(QStringLiteral("[ok]   Claim: ")));
    EXPECT_EQ(lines.at(4),
        QStringLiteral("[ok]   Data register: Wrote 00 FF 55 AA, read back 00 FF 55 AA."));
    EXPECT_EQ(
        lines.at(5), QStringLiteral("[ok]   Start handshake: The device answered all 13 steps."));
    EXPECT_EQ(lines.at(6), QStringLiteral("A Doctor64 answered on 0xD010."));

    const QStringList silent[] = {
        { QStringLiteral("--absent") },
        { QStringLiteral("--stall-handshake"), QStringLiteral("6") },
    };
    for (const QStringList& fault : silent) {
        const TRun run = Cli(
            QStringList { QStringLiteral("probe"), QStringLiteral("--simulate"), out } + fault);
        EXPECT_EQ(run.Status, 3) << qPrintable(fault.join(QLatin1Char(' ')));
        const QStringList said = Lines(run.Out);
        ASSERT_EQ(said.size(), 7) << qPrintable(run.Out);
        EXPECT_EQ(said.at(5),
            QStringLiteral("[fail] Start handshake: No device answered step 6 of 13: bit 3 of the "
                           "control register never went up."));
        EXPECT_TRUE(said.at(6).startsWith(
            QStringLiteral("The port works, but no Doctor64 answered on LPT1")));
    }
    const TRun late = Cli({ QStringLiteral("probe"), QStringLiteral("--simulate"), out,
        QStringLiteral("--stall-handshake"), QStringLiteral("13") });
    EXPECT_EQ(late.Status, 3);
    EXPECT_TRUE(late.Out.contains(
        QStringLiteral("step 13 of 13: bit 3 of the control register never went down")))
        << qPrintable(late.Out);
    // The probe stores nothing: it never sends a command.
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

TEST(CliProbe, VirtualPortPeerAnswersAndHearsNoCommand)
{
    TTestFolder folder;
    const QString socket = folder.Path(QStringLiteral("doctor.sock"));
    const QString out = folder.Path(QStringLiteral("received"));
    TSimulatorProcess simulator(
        { QStringLiteral("--port"), QStringLiteral("lpt2"), QStringLiteral("--listen"), socket,
            QStringLiteral("--out"), out, QStringLiteral("--once") });
    ASSERT_TRUE(simulator.Listening());
    const TRun probe = Cli({ QStringLiteral("probe"), QStringLiteral("--port"),
        QStringLiteral("lpt2"), QStringLiteral("--peer"), socket });
    EXPECT_EQ(probe.Status, 0) << qPrintable(probe.Out + probe.Err);
    EXPECT_TRUE(probe.Out.contains(QStringLiteral("[ok]   Start handshake: ")));
    const TRun served = simulator.Finish();
    EXPECT_EQ(served.Status, 0);
    EXPECT_TRUE(served.Out.contains(QStringLiteral("Registers accessed: 0x278 0x27A\n")))
        << qPrintable(served.Out);
    EXPECT_FALSE(served.Out.contains(QStringLiteral("Received")));
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());

    // Nobody listening: the peer is named and the status is a failure, not "no device".
    const TRun gone = Cli({ QStringLiteral("probe"), QStringLiteral("--peer"), socket });
    EXPECT_EQ(gone.Status, 1);
    EXPECT_TRUE(gone.Out.contains(
        QStringLiteral("[fail] Claim: Cannot connect to the device peer at ") + socket))
        << qPrintable(gone.Out);
}

TEST(CliProbe, PortTheKernelDoesNotListIsMissing)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    const TRun run
        = Cli({ QStringLiteral("probe"), QStringLiteral("--port"), QStringLiteral("parport3") },
            30000, proc.Path());
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(Lines(run.Out),
        QStringList { QStringLiteral("[fail] Port known to the kernel: The kernel knows no port "
                                     "parport3; it lists parport0, parport1.") });
}

// QProcess wants an application object.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

namespace {

// conveyor-cli send --watch in the background; each step waits for the line its change
// should bring.
class TWatchProcess
{
public:
    explicit TWatchProcess(const QStringList& arguments)
    {
        FProcess.start(QStringLiteral(CONVEYOR_CLI),
            QStringList { QStringLiteral("send"), QStringLiteral("--watch") } + arguments);
    }
    ~TWatchProcess()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }
    // Waits until the output holds count lines containing text.
    bool WaitFor(const QString& text, int count = 1)
    {
        for (int waited = 0; FOut.count(text) < count && waited < 100; ++waited) {
            FProcess.waitForReadyRead(200);
            FOut += QString::fromUtf8(FProcess.readAllStandardOutput());
        }
        return FOut.count(text) >= count;
    }
    int Interrupt()
    {
        ::kill(static_cast<pid_t>(FProcess.processId()), SIGINT);
        if (!FProcess.waitForFinished(20000))
            return -1;
        FOut += QString::fromUtf8(FProcess.readAllStandardOutput());
        return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -2;
    }
    const QString& Out() const { return FOut; }

private:
    QProcess FProcess;
    QString FOut;
};

} // namespace

TEST(CliSendWatch, DeliversAgainAfterEachWriteRenameAndRecreationUntilCtrlC)
{
    TTestFolder folder;
    const QString image = folder.Write(QStringLiteral("racer.z64"),
        Swizzled(ImageBytes("RACER", 'E'), 1) + QByteArray(100000, '\x11'));
    TWatchProcess watch(
        { QStringLiteral("--simulate"), folder.Path(QStringLiteral("out")), image });
    ASSERT_TRUE(watch.WaitFor(QStringLiteral("Watching racer.z64 for changes")))
        << qPrintable(watch.Out());
    EXPECT_EQ(watch.Out().count(QStringLiteral(" Delivered 1 file")), 1);

    // Written again in place, in two steps closer together than half a second: one round.
    {
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray(1000, '\x22'));
        file.flush();
        ::usleep(100000);
        file.write(QByteArray(1000, '\x33'));
    }
    ASSERT_TRUE(watch.WaitFor(QStringLiteral(" Delivered 1 file"), 2)) << qPrintable(watch.Out());
    // Replaced by a rename, as a linker does.
    const QString fresh = folder.Write(QStringLiteral("racer.tmp"),
        Swizzled(ImageBytes("RACER", 'E'), 1) + QByteArray(50000, '\x44'));
    ASSERT_EQ(::rename(qPrintable(fresh), qPrintable(image)), 0);
    ASSERT_TRUE(watch.WaitFor(QStringLiteral(" Delivered 1 file"), 3)) << qPrintable(watch.Out());
    // Half written: an odd number of bytes cannot be a big-endian image. The round says why.
    {
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("x", 1);
    }
    ASSERT_TRUE(watch.WaitFor(QStringLiteral("Not delivered: "))) << qPrintable(watch.Out());
    // Removed, then written anew.
    ASSERT_TRUE(QFile::remove(image));
    ASSERT_TRUE(watch.WaitFor(QStringLiteral("Not delivered: "), 2)) << qPrintable(watch.Out());
    folder.Write(QStringLiteral("racer.z64"),
        Swizzled(ImageBytes("RACER", 'E'), 1) + QByteArray(20000, '\x55'));
    ASSERT_TRUE(watch.WaitFor(QStringLiteral(" Delivered 1 file"), 4)) << qPrintable(watch.Out());

    EXPECT_EQ(watch.Interrupt(), 0) << qPrintable(watch.Out());
    EXPECT_TRUE(watch.Out().contains(QStringLiteral("Stopped watching")));
    // Every round that went out arrived whole, the last one as the file is now.
    const QStringList stored = QDir(folder.Path(QStringLiteral("out"))).entryList(QDir::Files);
    EXPECT_EQ(stored,
        (QStringList { QStringLiteral("RACER.Z64"), QStringLiteral("RACER.Z64.2"),
            QStringLiteral("RACER.Z64.3"), QStringLiteral("RACER.Z64.4") }));
    EXPECT_EQ(folder.Read(QStringLiteral("out/RACER.Z64.4")).size(), QFileInfo(image).size());
    for (const QString& line : Lines(watch.Out())) {
        if (line.contains(QStringLiteral("Delivered")) || line.contains(QStringLiteral("Not "))) {
            EXPECT_TRUE(QTime::fromString(line.left(8), QStringLiteral("HH:mm:ss")).isValid())
                << qPrintable(line);
        }
    }
}

TEST(CliSendWatch, TakesExactlyOneFile)
{
    TTestFolder folder;
    const QString a = folder.Write(QStringLiteral("a.v64"), ImageBytes("A", 'E'));
    const QString b = folder.Write(QStringLiteral("b.v64"), ImageBytes("B", 'E'));
    const TRun run = Cli({ QStringLiteral("send"), QStringLiteral("--watch"),
        QStringLiteral("--simulate"), folder.Path(QStringLiteral("out")), a, b });
    EXPECT_EQ(run.Status, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("--watch takes exactly one file")))
        << qPrintable(run.Err);
}
