#include "platform/port/AcquirePortRights.h"
#include "TProcFolder.h"
#include "platform/port/TPrivilegeCalls.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

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

TEST(AcquirePortRights, WhereIoportDoesNotExistDevPortIsOpenedOnceBeforeTheDrop)
{
    TProcFolder proc;
    proc.AddOnboardAndCard();
    TFakeCalls calls;
    calls.IopermErrors[0x378] = ENOSYS;
    const TPortRights rights = AcquirePortRights(calls, TKernelPortList::Read(proc.Path()));
    EXPECT_EQ(
        calls.Calls, QStringList({ "holds", "raise", "ioperm 0x378 3", "open /dev/port", "drop" }));
    EXPECT_TRUE(rights.ThroughDevPort);
    EXPECT_EQ(rights.DevPortHandle, 7);
    EXPECT_TRUE(rights.Granted(0xD012));
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
