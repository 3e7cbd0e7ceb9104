#include "shell/TSingleInstance.h"
#include "TMainWindowTest.h"
#include "catalogue/CatalogueRow.h"
#include "framework/TDirectoryListBox.h"
#include "platform/TInstanceLock.h"
#include "shell/BringToFront.h"
#include "widgets/TSortedStringGrid.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>

#include <chrono>
#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Hands the path over from another thread, as a second program would, while this one's
// event loop serves the socket; the answer once it has come.
QString HandOverServed(const TSingleInstance& later, const QString& path, int timeoutMs = 5000)
{
    std::future<QString> answer = std::async(
        std::launch::async, [&later, path, timeoutMs] { return later.HandOver(path, timeoutMs); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    return answer.get();
}

// A socket file that nobody listens on any more, as a program that was killed leaves it.
void LeaveDeadSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(std::size_t(encoded.size()), sizeof address.sun_path);
    std::copy(encoded.begin(), encoded.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo(path).exists());
}

class TOneProgram : public TMainWindowTest
{
protected:
    QString SettingsFile() const { return Program.Path(QStringLiteral("Conveyor.ini")); }
    QString Base() const { return Runtime.Path(TSingleInstance::InstanceName(SettingsFile())); }
    TSortedStringGrid* Grid() const { return Find<TSortedStringGrid>("StringGrid1"); }
    QString CurrentFile() const { return Grid()->Cells(ccRealName, Grid()->Row()); }

    TTestFolder Runtime;
};

} // namespace

TEST_F(TOneProgram, TheLockMakesOneTheFirstAndEachSettingsFileIsAnInstanceOfItsOwn)
{
    TSingleInstance first(SettingsFile(), Runtime.Path());
    EXPECT_TRUE(first.First());
    EXPECT_TRUE(first.Warning().isEmpty()) << first.Warning().toStdString();
    EXPECT_EQ(first.LockPath(), Base() + ".lock");
    EXPECT_EQ(first.SocketPath(), Base() + ".socket");
    EXPECT_TRUE(QFileInfo(first.SocketPath()).exists());

    // The same file, named through a linked folder, is the same instance.
    const QString linked = Home.Path(QStringLiteral("linked"));
    ASSERT_TRUE(QFile::link(Program.Path(), linked));
    TSingleInstance second(linked + QStringLiteral("/Conveyor.ini"), Runtime.Path());
    EXPECT_FALSE(second.First());
    EXPECT_EQ(second.SocketPath(), first.SocketPath());

    TSingleInstance other(Images.Path(QStringLiteral("Conveyor.ini")), Runtime.Path());
    EXPECT_TRUE(other.First());
    EXPECT_NE(other.SocketPath(), first.SocketPath());
    EXPECT_TRUE(TSingleInstance::InstanceName(SettingsFile()).startsWith("conveyor-"));
}

TEST_F(TOneProgram, ALaterStartHandsItsFileToTheRunningWindowWhichOpensIt)
{
    Images.Write(QStringLiteral("alpha.v64"), ImageBytes("ALPHA", 'E'));
    Images.Write(QStringLiteral("bravo.v64"), ImageBytes("BRAVO", 'E'));
    Start();
    TSingleInstance first(SettingsFile(), Runtime.Path());
    ASSERT_TRUE(first.First());
    QStringList asked;
    first.Serve([this, &asked](const QString& path) {
        asked << path;
        BringToFront(*Window);
        if (!path.isEmpty())
            Window->OpenPath(path);
    });
    Window->showMinimized();

    TSingleInstance later(SettingsFile(), Runtime.Path());
    ASSERT_FALSE(later.First());
    EXPECT_EQ(HandOverServed(later, Images.Path(QStringLiteral("bravo.v64"))), QString());
    Settle();
    EXPECT_EQ(asked, QStringList { Images.Path(QStringLiteral("bravo.v64")) });
    EXPECT_EQ(Find<TDirectoryListBox>("DirectoryListBox1")->Directory(), Images.Path());
    EXPECT_EQ(CurrentFile(), "bravo.v64");
    EXPECT_FALSE(Window->isMinimized());

    // Without a file the window only comes to the front.
    EXPECT_EQ(HandOverServed(later, QString()), QString());
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(asked.last(), QString());
    EXPECT_EQ(CurrentFile(), "bravo.v64");
}

TEST_F(TOneProgram, AFileHandedOverBeforeTheWindowsExistIsOpenedOnceTheyDo)
{
    TSingleInstance first(SettingsFile(), Runtime.Path());
    ASSERT_TRUE(first.First());
    TSingleInstance later(SettingsFile(), Runtime.Path());
    std::future<QString> answer = std::async(std::launch::async,
        [&later, this] { return later.HandOver(Images.Path(QStringLiteral("x.v64"))); });
    // The message arrives while the program is still starting.
    QTest::qWait(300);
    EXPECT_NE(answer.wait_for(std::chrono::milliseconds(0)), std::future_status::ready);

    QStringList asked;
    first.Serve([&asked](const QString& path) { asked << path; });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    EXPECT_EQ(answer.get(), QString());
    EXPECT_EQ(asked, QStringList { Images.Path(QStringLiteral("x.v64")) });
}

TEST_F(TOneProgram, TheHolderOfTheLockReplacesAStaleSocket)
{
    LeaveDeadSocket(Base() + ".socket");
    TSingleInstance first(SettingsFile(), Runtime.Path());
    ASSERT_TRUE(first.First());
    EXPECT_TRUE(first.Warning().isEmpty()) << first.Warning().toStdString();
    QStringList asked;
    first.Serve([&asked](const QString& path) { asked << path; });

    TSingleInstance later(SettingsFile(), Runtime.Path());
    EXPECT_EQ(HandOverServed(later, QStringLiteral("/tmp/racer.v64")), QString());
    EXPECT_EQ(asked, QStringList { "/tmp/racer.v64" });
}

TEST_F(TOneProgram, ALaterStartNeverTakesTheSocketOfARunningOne)
{
    // Running, but not answering: its socket must stay its own.
    TInstanceLock running(Base() + ".lock");
    ASSERT_TRUE(running.TryLock());
    QLocalServer hung;
    ASSERT_TRUE(hung.listen(Base() + ".socket"));

    TSingleInstance later(SettingsFile(), Runtime.Path());
    EXPECT_FALSE(later.First());
    // No event loop runs here: the running program is hung.
    const QString failure = later.HandOver(QStringLiteral("/tmp/racer.v64"), 300);
    EXPECT_EQ(failure,
        "Conveyor already runs with the settings " + SettingsFile()
            + ", but it did not answer within 0.3 seconds; it may be hung. Close it, or end it, "
              "and start again.");
    EXPECT_TRUE(hung.isListening());
    QLocalSocket probe;
    probe.connectToServer(Base() + ".socket");
    EXPECT_TRUE(probe.waitForConnected(1000));
}

TEST_F(TOneProgram, ALockHeldWithNobodyListeningIsGivenUpOnInTime)
{
    TInstanceLock running(Base() + ".lock");
    ASSERT_TRUE(running.TryLock());
    TSingleInstance later(SettingsFile(), Runtime.Path());
    ASSERT_FALSE(later.First());
    const QString failure = later.HandOver(QString(), 300);
    EXPECT_TRUE(failure.contains("but nobody listens on " + Base() + ".socket within 0.3 seconds"))
        << failure.toStdString();
}

TEST_F(TOneProgram, AProgramThatCannotLockRunsOnItsOwnAndSaysWhy)
{
    // A folder that is in the way of the lock file.
    ASSERT_TRUE(QDir().mkpath(Base() + ".lock"));
    TSingleInstance alone(SettingsFile(), Runtime.Path());
    EXPECT_TRUE(alone.First());
    EXPECT_TRUE(alone.Warning().startsWith("Cannot lock " + Base() + ".lock: "))
        << alone.Warning().toStdString();
}

// -- The program itself ----------------------------------------------------------------

namespace {

// Starts the built program in the test's program folder, with its runtime folder and home.
std::unique_ptr<QProcess> StartProgram(const QString& program, const QString& runtime,
    const QString& home, const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    return process;
}

} // namespace

TEST_F(TOneProgram, OfTwoProgramsStartedAtOnceOneRunsAndTheOtherHandsOverAndEnds)
{
    Images.Write(QStringLiteral("alpha.v64"), ImageBytes("ALPHA", 'E'));
    TTestFolder other;
    other.Write(QStringLiteral("zulu.v64"), ImageBytes("ZULU", 'E'));
    SettingsForImages();
    const QString program = Program.Path(QStringLiteral("conveyor"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CONVEYOR_PROGRAM), program));

    // Both ask for the other folder: whichever runs lists it, by its own line or handed over.
    std::unique_ptr<QProcess> one
        = StartProgram(program, Runtime.Path(), Home.Path(), { other.Path() });
    std::unique_ptr<QProcess> two
        = StartProgram(program, Runtime.Path(), Home.Path(), { other.Path("zulu.v64") });
    ASSERT_TRUE(one->waitForStarted() && two->waitForStarted());
    QProcess* ended = nullptr;
    for (int wait = 0; wait < 300 && !ended; ++wait) {
        QTest::qWait(50);
        if (one->state() == QProcess::NotRunning)
            ended = one.get();
        else if (two->state() == QProcess::NotRunning)
            ended = two.get();
    }
    ASSERT_TRUE(ended) << "neither program handed over";
    QProcess* running = ended == one.get() ? two.get() : one.get();
    EXPECT_EQ(ended->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ended->exitCode(), 0) << ended->readAllStandardError().constData();
    QTest::qWait(300);
    EXPECT_EQ(running->state(), QProcess::Running) << running->readAllStandardError().constData();
    (void)QTest::qWaitFor([&] { return IniValue("Directories", "Last") == other.Path(); }, 10000);
    EXPECT_EQ(IniValue("Directories", "Last"), other.Path());

    // Killed, it leaves its socket behind: the next start takes its place all the same, and
    // the one after that hands over to it.
    running->kill();
    running->waitForFinished();
    ASSERT_TRUE(QFileInfo(Base() + ".socket").exists());
    // A connection taken says that a program holds the lock and listens in the stale
    // socket's place: only then is the start after it surely the later one.
    const auto listening = [this] {
        QLocalSocket probe;
        probe.connectToServer(Base() + ".socket");
        return probe.waitForConnected(100);
    };
    ASSERT_FALSE(listening()) << "the stale socket took a connection";
    std::unique_ptr<QProcess> next = StartProgram(program, Runtime.Path(), Home.Path(), {});
    ASSERT_TRUE(next->waitForStarted());
    (void)QTest::qWaitFor(listening, 10000);
    ASSERT_TRUE(listening()) << "the start after a crash did not listen: "
                             << next->readAllStandardError().constData();
    std::unique_ptr<QProcess> after
        = StartProgram(program, Runtime.Path(), Home.Path(), { Images.Path("alpha.v64") });
    EXPECT_TRUE(after->waitForFinished(15000)) << "the start after a crash did not hand over";
    EXPECT_EQ(after->exitCode(), 0) << after->readAllStandardError().constData();
    EXPECT_EQ(next->state(), QProcess::Running);
    (void)QTest::qWaitFor([&] { return IniValue("Directories", "Last") == Images.Path(); }, 10000);
    EXPECT_EQ(IniValue("Directories", "Last"), Images.Path());
    next->kill();
    next->waitForFinished();
}
