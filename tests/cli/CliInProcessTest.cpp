// The commands run in this process through RunConveyorCli, the way the program's main() runs
// them, with the standard streams caught in files.

#include "TTestFolder.h"
#include "TestBytes.h"
#include "TestImages.h"
#include "cli/CliMain.h"
#include "platform/RawText.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct TCapturedRun
{
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

// Points one standard stream at a file for as long as it lives.
class TCaughtStream
{
public:
    TCaughtStream(std::FILE* stream, const QString& path)
        : FStream(stream)
        , FHandle(::fileno(stream))
        , FSaved(::dup(FHandle))
    {
        std::fflush(FStream);
        const int file
            = ::open(EncodeRawText(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, FHandle);
        ::close(file);
    }
    ~TCaughtStream()
    {
        std::fflush(FStream);
        ::dup2(FSaved, FHandle);
        ::close(FSaved);
    }
    TCaughtStream(const TCaughtStream&) = delete;
    TCaughtStream& operator=(const TCaughtStream&) = delete;

private:
    std::FILE* FStream;
    int FHandle;
    int FSaved;
};

TCapturedRun InProcess(const QStringList& arguments)
{
    const TTestFolder streams;
    TCapturedRun run;
    {
        const TCaughtStream out(stdout, streams.Path(QStringLiteral("out")));
        const TCaughtStream err(stderr, streams.Path(QStringLiteral("err")));
        run.Status = RunConveyorCli(QStringList { QStringLiteral("conveyor-cli") } + arguments);
    }
    run.Out = streams.Read(QStringLiteral("out"));
    run.Err = streams.Read(QStringLiteral("err"));
    return run;
}

TCapturedRun Built(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(CONVEYOR_CLI), arguments);
    process.waitForFinished(120000);
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

} // namespace

TEST(CliInProcess, EachCommandAnswersAsTheBuiltProgramDoes)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E') + QByteArray(4000, 'x'));
    folder.Write(QStringLiteral("chess.usa"), ImageBytes("CHESS", 'J'));
    folder.Write(QStringLiteral("notes.v64"), QByteArray("plain text"));
    const QList<QStringList> lines = {
        { QStringLiteral("list"), QStringLiteral("--tsv"), folder.Path() },
        { QStringLiteral("list"), folder.Path() },
        { QStringLiteral("info"), folder.Path(QStringLiteral("racer.v64")) },
        { QStringLiteral("info"), folder.Path(QStringLiteral("missing.v64")) },
        { QStringLiteral("--version") },
        { QStringLiteral("send"), QStringLiteral("--port"), QStringLiteral("lpt3"),
            QStringLiteral("a.v64") },
        { QStringLiteral("nothing") },
    };
    for (const QStringList& line : lines) {
        const TCapturedRun inside = InProcess(line);
        const TCapturedRun outside = Built(line);
        const std::string shown = line.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(inside.Status, outside.Status) << shown;
        EXPECT_EQ(inside.Out, outside.Out) << shown;
        EXPECT_EQ(inside.Err, outside.Err) << shown;
        EXPECT_FALSE(inside.Out.isEmpty() && inside.Err.isEmpty()) << shown;
    }
}

// The total is what the transfer put on the port, however the files are named.
TEST(CliInProcess, SendCountsTheBytesTheTransferSent)
{
    TTestFolder folder;
    const QString latin1 = folder.Path() + QLatin1Char('/') + DecodeRawText("\xe9t\xe9.v64");
    {
        // Made by its own bytes: a name Qt would write as UTF-8.
        const int file = ::open(EncodeRawText(latin1).constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(file, 0);
        const QByteArray bytes = RandomBytes(65536, 4);
        ASSERT_EQ(::write(file, bytes.constData(), std::size_t(bytes.size())), 65536);
        ::close(file);
    }
    const QString plain = folder.Write(QStringLiteral("mini.v64"), RandomBytes(70000, 5));
    const TCapturedRun run = InProcess({ QStringLiteral("send"), QStringLiteral("--simulate"),
        folder.Path(QStringLiteral("out")), latin1, plain });
    EXPECT_EQ(run.Status, 0) << run.Err.constData();
    EXPECT_TRUE(run.Out.contains("\nDelivered 2 files (135536 bytes) on LPT1 in "))
        << run.Out.constData();
    EXPECT_EQ(QDir(folder.Path(QStringLiteral("out"))).entryList(QDir::Files).size(), 2);
}
