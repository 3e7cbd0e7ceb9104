#include "platform/port/AcquirePortRights.h"
#include "TProcFolder.h"
#include "platform/port/TPrivilegeCalls.h"

#include "TFakeClaim.h"
#include "TGrantedRights.h"
#include "TRecordingPort.h"
#include "TTestFolder.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/StartChildProcess.h"
#include "platform/port/THardwarePortIo.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes down every call in order and answers as told.
class TFakeCalls : public TPrivilegeCalls
{
public:
    bool HoldsRawIo() override
    {
        Calls << QStringLiteral("holds");
        return Held;
    }
    int RaiseRawIo() override
    {
        Calls << QStringLiteral("raise");
        Raised = true;
        return RaiseError;
    }
    int Ioperm(std::uint16_t from, std::uint16_t count) override
    {
        Calls << QStringLiteral("ioperm 0x%1 %2").arg(from, 0, 16).arg(count);
        // ioperm only works with the capability effective.
        if (!Raised)
            return EPERM;
        return IopermErrors.value(from, 0);
    }
    int ReleaseIoperm(std::uint16_t from, std::uint16_t count) override
    {
        // Runs in the child before execve: only write(2), into a file the test reads.
        char line[32];
        const int length = std::snprintf(line, sizeof(line), "release 0x%x %u\n", from, count);
        if (::write(ReleaseLog, line, size_t(length)) != length)
            return EIO;
        return from == ReleaseRefusedFrom ? EPERM : 0;
    }
    bool RunsAsRoot() override
    {
        Calls << QStringLiteral("root?");
        return Root;
    }
    int OpenDevPort() override
    {
        Calls << QStringLiteral("open /dev/port");
        return Raised ? 7 : -EPERM;
    }
    int DropAllCapabilities() override
    {
        Calls << QStringLiteral("drop");
        Held = Raised = false;
        return DropError;
    }
    QString ProgramPath() override { return QStringLiteral("/opt/conveyor/bin/conveyor"); }

    bool Held = true;
    bool Raised = false;
    bool Root = false;
    int ReleaseLog = -1;
    int ReleaseRefusedFrom = -1;
    int RaiseError = 0;
    int DropError = 0;
    QMap<std::uint16_t, int> IopermErrors;
    QStringList Calls;
};

} // namespace

TEST(AcquirePortRights, AsksForTheListedPortsRegistersOnlyThenDropsEverything)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    // A port without an ECR: its base_hi is not asked for.
    proc.AddPort(QStringLiteral("parport2"), "632\t1656\n", "PCSPP,TRISTATE\n");
    TFakeCalls calls;
    int dropError = -1;
    const TPortRights rights
        = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()), &dropError);

    EXPECT_EQ(calls.Calls,
        QStringList({ "holds", "raise", "ioperm 0x378 3", "ioperm 0x77a 1", "ioperm 0xd010 3",
            "ioperm 0xd002 1", "ioperm 0x278 3", "drop" }));
    EXPECT_EQ(dropError, 0);
    EXPECT_FALSE(calls.Held);
    EXPECT_TRUE(rights.Acquired);
    EXPECT_TRUE(rights.CapabilityHeld);
    for (const std::uint16_t address :
        { 0x378, 0x379, 0x37A, 0x77A, 0xD010, 0xD012, 0xD002, 0x278, 0x27A })
        EXPECT_TRUE(rights.Granted(address)) << address;
    for (const std::uint16_t address : { 0x37B, 0x778, 0xD013, 0xD000, 0x67A, 0x20 })
        EXPECT_FALSE(rights.Granted(address)) << address;
    EXPECT_EQ(rights.PortsAtStart.Ports().size(), 3u);
}

TEST(AcquirePortRights, WithoutTheCapabilityNothingIsAskedAndTheProgramGoesOn)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    TFakeCalls calls;
    calls.Held = false;
    const TPortRights rights = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()));
    EXPECT_EQ(calls.Calls, QStringList({ "holds", "drop" }));
    EXPECT_FALSE(rights.CapabilityHeld);
    EXPECT_FALSE(rights.Granted(0x378));
    EXPECT_EQ(rights.Missing(0x378, 0x378, QStringLiteral("LPT1"), true),
        QStringLiteral("Conveyor may not use LPT1 (0x378). Direct port access needs the capability "
                       "cap_sys_rawio: grant it once with \"sudo setcap cap_sys_rawio=p "
                       "/opt/conveyor/bin/conveyor\" and start the program again."));
}

TEST(AcquirePortRights, AUserOutsideTheGroupIsToldHowToJoinIt)
{
    // The public program could not pass on to its privileged copy: the remedy is the
    // group, not a setcap of the public program.
    TProcFolder proc;
    proc.AddOnboardAndCard();
    TFakeCalls calls;
    calls.Held = false;
    TPortRights rights = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()));
    rights.PrivilegedCopyRefused = QStringLiteral("/usr/libexec/conveyor/conveyor");
    EXPECT_EQ(rights.Missing(0x378, 0x378, QStringLiteral("LPT1"), true),
        QStringLiteral("Conveyor may not use LPT1 (0x378): only root and the members of the group "
                       "lp may use the parallel port. Join the group with \"sudo adduser $USER "
                       "lp\", then log out and in again."));
}

TEST(AcquirePortRights, WithNoPortListedNothingIsAskedButEverythingIsDropped)
{
    TProcFolder proc;
    TFakeCalls calls;
    const TPortRights rights = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()));
    EXPECT_EQ(calls.Calls, QStringList({ "holds", "raise", "drop" }));
    EXPECT_FALSE(rights.Granted(0x378));
}

TEST(AcquirePortRights, WhereIoportDoesNotExistDevPortIsOpenedOnceBeforeTheDropByRootOnly)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    TFakeCalls calls;
    calls.Root = true;
    calls.IopermErrors[0x378] = ENOSYS;
    const TPortRights rights = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()));
    EXPECT_EQ(calls.Calls,
        QStringList({ "holds", "raise", "ioperm 0x378 3", "root?", "open /dev/port", "drop" }));
    EXPECT_TRUE(rights.ThroughDevPort);
    EXPECT_EQ(rights.DevPortHandle, 7);
    EXPECT_TRUE(rights.Granted(0xD012));
}

// /dev/port reaches every I/O port: a program that holds only the capability must not keep
// it open while it loads plugins its user's environment names.
TEST(AcquirePortRights, WithOnlyTheCapabilityAndNoIopermNothingIsOpenedAndThePortIsRefused)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    TFakeCalls calls;
    calls.IopermErrors[0x378] = ENOSYS;
    const TPortRights rights = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()));
    EXPECT_EQ(calls.Calls, QStringList({ "holds", "raise", "ioperm 0x378 3", "root?", "drop" }));
    EXPECT_FALSE(calls.Held);
    EXPECT_FALSE(rights.ThroughDevPort);
    EXPECT_EQ(rights.DevPortHandle, -1);
    for (const std::uint16_t address : { 0x378, 0x37A, 0xD010, 0xD002 })
        EXPECT_FALSE(rights.Granted(address)) << address;

    // Where the port is needed the user is told why, before any port access: no time-out.
    TRecordingPort wires;
    TFakeClaim claim { &wires };
    THardwarePortIo hardware(rights, &claim, proc.Path(), &wires);
    QString refusal;
    try {
        hardware.Begin(0x378);
    } catch (const EPortAccess& error) {
        refusal = error.Message();
    }
    EXPECT_EQ(refusal,
        QStringLiteral("Conveyor cannot use LPT1 (0x378): this system's kernel offers no ioperm, "
                       "and without it only a program running as root may reach the port "
                       "(through /dev/port). This system needs ioperm or root."));
    EXPECT_TRUE(wires.Trace.empty());
    EXPECT_TRUE(claim.Events.isEmpty());
}

TEST(AcquirePortRights, ARefusedPortIsRememberedAndTheOthersStillGranted)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    TFakeCalls calls;
    calls.IopermErrors[0x378] = EINVAL;
    const TPortRights rights = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()));
    EXPECT_EQ(calls.Calls.last(), QStringLiteral("drop"));
    EXPECT_FALSE(rights.Granted(0x378));
    EXPECT_TRUE(rights.Granted(0xD010));
    EXPECT_EQ(rights.Missing(0x378, 0x378, QStringLiteral("LPT1"), true),
        QStringLiteral(
            "Conveyor may not use LPT1 (0x378): the kernel refused access to it when the "
            "program started (Invalid argument)."));
}

TEST(AcquirePortRights, ACapabilityThatCannotBeRaisedIsReportedAndStillDropped)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    TFakeCalls calls;
    calls.RaiseError = EPERM;
    calls.DropError = EPERM;
    int dropError = 0;
    const TPortRights rights
        = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()), &dropError);
    EXPECT_EQ(calls.Calls, QStringList({ "holds", "raise", "drop" }));
    EXPECT_EQ(dropError, EPERM);
    EXPECT_EQ(rights.Missing(0xD010, 0xD010, QStringLiteral("parport1"), true),
        QStringLiteral("Conveyor may not use parport1 (0xD010): its capability cap_sys_rawio could "
                       "not be used (Operation not permitted)."));
}

// The real calls, in a child process so the test keeps its own rights: whatever the child
// held (everything, when the tests run as root), nothing is left in any set afterwards.
TEST(AcquirePortRights, TheRealCallsLeaveNoCapabilityInAnySet)
{
    const auto attempt = [] {
        AcquirePortRights();
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            std::_Exit(10);
        int cleared = 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            for (const char* set : { "CapInh:", "CapPrm:", "CapEff:", "CapAmb:" }) {
                if (line.startsWith(set)) {
                    if (line.mid(7).trimmed().toULongLong(nullptr, 16) != 0) {
                        std::fprintf(stderr, "%s\n", line.constData());
                        std::_Exit(11);
                    }
                    ++cleared;
                }
            }
        }
        std::_Exit(cleared == 4 ? 0 : 12);
    };
    EXPECT_EXIT(attempt(), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(TPortRights::Process().Acquired) << "the test process itself was changed";
}

// ---- Children --------------------------------------------------------------------------

namespace {

// The file the child's releases and then the started program write to, read until it holds
// the program's line or the child is long gone.
QByteArray WaitForLine(const TTestFolder& folder, const QString& name, const QByteArray& line)
{
    const QDeadlineTimer deadline(20000);
    QByteArray text;
    while (!deadline.hasExpired()) {
        text = folder.Read(name);
        if (text.contains(line))
            break;
        QThread::msleep(20);
    }
    return text;
}

} // namespace

// ioperm's permission survives fork and execve: every run of ports granted is given back in
// the child before the program runs, whatever that program is.
TEST(StartChildProcess, TheChildGivesEveryGrantedRunUpBeforeTheProgramRuns)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    const TPortRights rights = GrantedRights(TKernelPortList::Read(proc.Path()));
    TTestFolder folder;
    const QString log = folder.Write(QStringLiteral("log"), {});
    TFakeCalls calls;
    calls.ReleaseLog = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(calls.ReleaseLog, 0);

    ASSERT_TRUE(StartChildProcess(QStringLiteral("sh"),
        { QStringLiteral("-c"), QStringLiteral("echo started >> \"$0\""), log }, rights, calls));
    EXPECT_EQ(WaitForLine(folder, QStringLiteral("log"), "started\n"),
        QByteArray("release 0x378 3\nrelease 0x77a 1\nrelease 0xd002 1\nrelease 0xd010 3\n"
                   "started\n"));
    ::close(calls.ReleaseLog);
}

TEST(StartChildProcess, AChildThatCannotGiveThePermissionUpNeverRunsTheProgram)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    const TPortRights rights = GrantedRights(TKernelPortList::Read(proc.Path()));
    TTestFolder folder;
    const QString log = folder.Write(QStringLiteral("log"), {});
    TFakeCalls calls;
    calls.ReleaseRefusedFrom = 0x77A;
    calls.ReleaseLog = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(calls.ReleaseLog, 0);

    EXPECT_FALSE(StartChildProcess(QStringLiteral("sh"),
        { QStringLiteral("-c"), QStringLiteral("echo started >> \"$0\""), log }, rights, calls));
    // A second child that may run its program shows that the first had its turn.
    calls.ReleaseRefusedFrom = -1;
    ASSERT_TRUE(StartChildProcess(QStringLiteral("sh"),
        { QStringLiteral("-c"), QStringLiteral("echo second >> \"$0\""), log }, rights, calls));
    const QByteArray text = WaitForLine(folder, QStringLiteral("log"), "second\n");
    EXPECT_TRUE(text.endsWith("second\n")) << text.constData();
    EXPECT_FALSE(text.contains("started")) << text.constData();
    EXPECT_TRUE(text.startsWith("release 0x378 3\nrelease 0x77a 1\nrelease 0x378 3\n"))
        << text.constData();
    ::close(calls.ReleaseLog);
}
