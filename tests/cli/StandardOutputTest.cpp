// What conveyor-cli prints must reach its reader as written, or the command fails: output
// lost to a full disk, /dev/full or a closed standard output is a failure, and no text can
// start a line of its own or turn a line round.

#include "TTestFolder.h"
#include "TestImages.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct TOutputRun
{
    int Status = -1;
    QByteArray Out;
    QString Err;
};

// The built program with its standard output wherever prepare puts it, in the child just
// before the program starts. prepare may be empty: a pipe the test reads.
TOutputRun CliWithOutput(const QStringList& arguments, const std::function<void()>& prepare = {},
    const QString& outputFile = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The system's error texts are the C locale's.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (prepare)
        process.setChildProcessModifier(prepare);
    process.start(QStringLiteral(CONVEYOR_CLI), arguments);
    TOutputRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.Err = QStringLiteral("(did not finish)");
        return run;
    }
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.Out = process.readAllStandardOutput();
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void CloseStandardOutput()
{
    ::close(STDOUT_FILENO);
}

// A disk that is full after 4096 bytes of the file: further writes fail with EFBIG rather
// than ending the program with SIGXFSZ.
void FillDiskAfter4096Bytes()
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
}

class CliOutputLost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Image = Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
        Commands = {
            { QStringLiteral("--help") },
            { QStringLiteral("--version") },
            { QStringLiteral("list"), Images.Path() },
            { QStringLiteral("list"), QStringLiteral("--tsv"), Images.Path() },
            { QStringLiteral("info"), Image },
        };
    }

    QStringList Send() const
    {
        return { QStringLiteral("send"), QStringLiteral("--simulate"), Received.Path(), Image };
    }

    TTestFolder Images;
    TTestFolder Received;
    QString Image;
    QList<QStringList> Commands;
};

} // namespace

TEST_F(CliOutputLost, EveryCommandFailsWhenItsOutputCannotBeWritten)
{
    for (const QStringList& command : Commands) {
        SCOPED_TRACE(command.join(QLatin1Char(' ')).toStdString());
        const TOutputRun written = CliWithOutput(command);
        EXPECT_EQ(written.Status, 0) << qPrintable(written.Err);
        EXPECT_FALSE(written.Out.isEmpty());
        EXPECT_TRUE(written.Err.isEmpty());

        const TOutputRun full = CliWithOutput(command, {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(full.Status, 1);
        EXPECT_EQ(
            full.Err, "conveyor-cli: Cannot write to standard output: No space left on device\n");

        const TOutputRun closed = CliWithOutput(command, CloseStandardOutput);
        EXPECT_EQ(closed.Status, 1);
        EXPECT_EQ(
            closed.Err, "conveyor-cli: Cannot write to standard output: Bad file descriptor\n");
    }
}

TEST_F(CliOutputLost, SendStillSaysWhatWasDelivered)
{
    const QByteArray image = Images.Read(QStringLiteral("racer.v64"));
    const QString delivered
        = QStringLiteral("Delivered 1 file (%1 bytes) on LPT1 in ").arg(image.size());
    for (const bool closed : { false, true }) {
        SCOPED_TRACE(closed ? "closed" : "/dev/full");
        QFile::remove(Received.Path(QStringLiteral("RACER.V64")));
        const TOutputRun run = closed ? CliWithOutput(Send(), CloseStandardOutput)
                                      : CliWithOutput(Send(), {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(run.Status, 1);
        const QString lost = closed
            ? QStringLiteral(", but cannot write to standard output: Bad file "
                             "descriptor\n")
            : QStringLiteral(", but cannot write to standard output: No space "
                             "left on device\n");
        EXPECT_TRUE(run.Err.contains(QStringLiteral("conveyor-cli: ") + delivered))
            << qPrintable(run.Err);
        EXPECT_TRUE(run.Err.endsWith(lost)) << qPrintable(run.Err);
        // The device got the image whole, and nothing meant for the terminal went into it.
        EXPECT_EQ(Received.Read(QStringLiteral("RACER.V64")), image);
    }
}

TEST_F(CliOutputLost, AListCutShortByAFullDiskFails)
{
    for (int i = 0; i < 100; ++i)
        Images.Write(
            QStringLiteral("game%1.v64").arg(i, 3, 10, QLatin1Char('0')), ImageBytes("GAME", 'E'));
    const QString table = Images.Path(QStringLiteral("table.tsv"));
    const TOutputRun cut
        = CliWithOutput({ QStringLiteral("list"), QStringLiteral("--tsv"), Images.Path() },
            FillDiskAfter4096Bytes, table);
    EXPECT_EQ(cut.Status, 1);
    EXPECT_EQ(cut.Err, "conveyor-cli: Cannot write to standard output: File too large\n");
    EXPECT_EQ(QFileInfo(table).size(), 4096);

    // The same table where it fits is whole and no failure.
    const TOutputRun whole
        = CliWithOutput({ QStringLiteral("list"), QStringLiteral("--tsv"), Images.Path() });
    EXPECT_EQ(whole.Status, 0);
    EXPECT_GT(whole.Out.size(), 4096);
}

TEST_F(CliOutputLost, AClosedOutputThatNothingIsWrittenToIsNoFailure)
{
    const TTestFolder empty;
    const TOutputRun run = CliWithOutput(
        { QStringLiteral("list"), QStringLiteral("--tsv"), empty.Path() }, CloseStandardOutput);
    EXPECT_EQ(run.Status, 0) << qPrintable(run.Err);
    EXPECT_TRUE(run.Err.isEmpty());
}

TEST(CliPrintableText, NoNameStartsALineOfItsOwnOrTurnsALineRound)
{
    const TTestFolder folder;
    // U+2028 LINE SEPARATOR and U+2029 PARAGRAPH SEPARATOR end lines for readers that follow
    // Unicode; U+202E RIGHT-TO-LEFT OVERRIDE and U+2067 RIGHT-TO-LEFT ISOLATE turn round
    // what a terminal shows after them.
    folder.Write(QString::fromUtf8("a\u2028b\u2029c.v64"), ImageBytes("FIRST", 'E'));
    folder.Write(
        QString::fromUtf8("d\u202Eevil\u202Cx\u2067y\u2069.v64"), ImageBytes("SECOND", 'E'));
    const TOutputRun tsv
        = CliWithOutput({ QStringLiteral("list"), QStringLiteral("--tsv"), folder.Path() });
    ASSERT_EQ(tsv.Status, 0) << qPrintable(tsv.Err);
    const QString text = QString::fromUtf8(tsv.Out);
    EXPECT_EQ(text.split(QLatin1Char('\n')),
        QStringList({ QString::fromUtf8("A B C\tV64\tFIRST               \t000 MBit\t\tA B C.V64"),
            QString::fromUtf8(
                "D EVIL X Y \tV64\tSECOND              \t000 MBit\t\tD EVIL X Y .V64"),
            QString() }));

    const TOutputRun info = CliWithOutput({ QStringLiteral("info"),
        folder.Path(QString::fromUtf8("d\u202Eevil\u202Cx\u2067y\u2069.v64")) });
    EXPECT_EQ(info.Status, 0) << qPrintable(info.Err);
    EXPECT_TRUE(QString::fromUtf8(info.Out).contains(QStringLiteral("d evil x y .v64")));
}
