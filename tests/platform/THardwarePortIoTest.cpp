#include "platform/port/THardwarePortIo.h"
#include "TFakeClaim.h"
#include "TGrantedRights.h"
#include "TProcFolder.h"
#include "TRecordingPort.h"
#include "TUnprivileged.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/TPortRights.h"
#include "platform/port/TPpdevClaim.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

// The message of the EPortAccess that action raises; empty when it raises none.
template <typename TAction> QString Refusal(TAction action)
{
    try {
        action();
    } catch (const EPortAccess& error) {
        return error.Message();
    }
    return {};
}

struct THardware : ::testing::Test
{
    THardware() { Proc.AddOnboardAndCard(); }

    TProcFolder Proc;
    TRecordingPort Wires;
    TFakeClaim Claim { &Wires };
};

} // namespace

// ---- Only parallel-port registers ---------------------------------------------------

TEST_F(THardware, AddressThatIsNoParallelPortIsRefusedBeforeAnyAccessWhateverTheRights)
{
    TPortRights rights = GrantedRights(TKernelPortList::Read(Proc.Path()));
    // Even a right to the interrupt controller would not let a typo reach it.
    rights.Grant(0x20, 2);
    THardwarePortIo port(rights, &Claim, Proc.Path(), &Wires);

    const QString expected = QStringLiteral("0x20 is not a parallel port: Conveyor only uses LPT1 "
                                            "(0x378), LPT2 (0x278), parport1 (0xD010).");
    EXPECT_EQ(Refusal([&] { port.Begin(0x20); }), expected);
    EXPECT_EQ(Refusal([&] { port.Write(0x20, 0x11); }), expected);
    EXPECT_EQ(Refusal([&] { port.Read(0x21); }).left(32),
        QStringLiteral("0x21 is not a parallel port: Con"));
    // Just past a port, and a second block's registers other than its ECR.
    EXPECT_FALSE(Refusal([&] { port.Begin(0x379); }).isEmpty());
    EXPECT_FALSE(Refusal([&] { port.Read(0x37B); }).isEmpty());
    EXPECT_FALSE(Refusal([&] { port.Write(0xD000, 0); }).isEmpty());
    EXPECT_TRUE(Wires.Trace.empty());
    EXPECT_TRUE(Claim.Events.isEmpty());
}

TEST_F(THardware, RegistersOfListedPortsReachTheWires)
{
    const TPortRights rights = GrantedRights(TKernelPortList::Read(Proc.Path()));
    THardwarePortIo port(rights, &Claim, Proc.Path(), &Wires);
    port.Write(0xD010, 0xAA);
    port.Write(0xD012, 0x04);
    port.Read(0xD011);
    port.Read(0xD002);
    port.Write(0x37A, 0x05);
    port.Read(0x77A);
    EXPECT_EQ(Wires.Trace,
        (std::vector<TPortAccess> { WriteOf(0xD010, 0xAA), WriteOf(0xD012, 0x04), ReadOf(0xD011, 0),
            ReadOf(0xD002, 0), WriteOf(0x37A, 0x05), ReadOf(0x77A, 0) }));
}

// ---- What is missing, and the remedy -------------------------------------------------

TEST_F(THardware, MissingRightsAreNamedWithTheirRemedyNeverTried)
{
    const TKernelPortList ports = TKernelPortList::Read(Proc.Path());

    TPortRights none;
    THardwarePortIo notAsked(none, &Claim, Proc.Path(), &Wires);
    EXPECT_EQ(Refusal([&] { notAsked.Begin(0x378); }),
        QStringLiteral("Conveyor may not use LPT1 (0x378): the program did not ask for port "
                       "access when it started."));

    TPortRights user;
    user.Acquired = true;
    user.PortsAtStart = ports;
    user.ProgramPath = QStringLiteral("/usr/bin/conveyor");
    THardwarePortIo withoutCapability(user, &Claim, Proc.Path(), &Wires);
    EXPECT_EQ(Refusal([&] { withoutCapability.Begin(0xD010); }),
        QStringLiteral("Conveyor may not use parport1 (0xD010). Direct port access needs the "
                       "capability cap_sys_rawio: grant it once with \"sudo setcap "
                       "cap_sys_rawio=p /usr/bin/conveyor\" and start the program again."));

    // LPT2 is a parallel port's address, but the kernel lists none there.
    const TPortRights granted = GrantedRights(ports);
    THardwarePortIo hardware(granted, &Claim, Proc.Path(), &Wires);
    EXPECT_EQ(Refusal([&] { hardware.Write(0x278, 0); }),
        QStringLiteral("The kernel knows no parallel port at 0x278, so Conveyor has no access to "
                       "it (\"sudo modprobe parport_pc\" loads the driver; then start Conveyor "
                       "again)."));

    // A card that appeared after start-up.
    Proc.AddPort(QStringLiteral("parport2"), "57344\t0\n", "PCSPP\n");
    EXPECT_EQ(Refusal([&] { hardware.Begin(0xE000); }),
        QStringLiteral("parport2 (0xE000) appeared after Conveyor started (%1/sys/dev/parport did "
                       "not list it then), so the program has no access to it: start Conveyor "
                       "again.")
            .arg(Proc.Path()));

    TPortRights refused = granted;
    refused.RefusedPorts[0x278] = EPERM;
    Proc.AddPort(QStringLiteral("parport3"), "632\t0\n", "PCSPP\n");
    refused.PortsAtStart = TKernelPortList::Read(Proc.Path());
    THardwarePortIo refusing(refused, &Claim, Proc.Path(), &Wires);
    EXPECT_EQ(Refusal([&] { refusing.Begin(0x278); }),
        QStringLiteral("Conveyor may not use LPT2 (0x278): the kernel refused access to it when "
                       "the program started (Operation not permitted)."));

    TPortRights noDevPort = user;
    noDevPort.CapabilityHeld = true;
    noDevPort.ThroughDevPort = true;
    noDevPort.DevPortError = QStringLiteral("Permission denied");
    THardwarePortIo withoutDevPort(noDevPort, &Claim, Proc.Path(), &Wires);
    EXPECT_EQ(Refusal([&] { withoutDevPort.Read(0x37A); }),
        QStringLiteral("Conveyor may not use LPT1 (0x378): /dev/port could not be opened when "
                       "the program started (Permission denied)."));

    EXPECT_TRUE(Wires.Trace.empty());
    EXPECT_TRUE(Claim.Events.isEmpty());
}

// ---- Claim around a transfer ----------------------------------------------------------

TEST_F(THardware, BeginClaimsAListedPortByItsUsersNameAndEndReleasesIt)
{
    const TPortRights rights = GrantedRights(TKernelPortList::Read(Proc.Path()));
    THardwarePortIo port(rights, &Claim, Proc.Path(), &Wires);
    // The ECRs read PS/2 mode, as a fresh claim leaves them: read, not written.
    Wires.Answer = [](std::uint16_t) { return 0x34; };
    port.Begin(0x378);
    port.Write(0x378, 1);
    port.End();
    port.End();
    port.Begin(0xD010);
    port.End();
    EXPECT_EQ(Claim.Events,
        QStringList({ "claim parport0 as LPT1 after 0", "release after 2",
            "claim parport1 as parport1 after 2", "release after 3" }));
    EXPECT_EQ(Wires.Trace,
        (std::vector<TPortAccess> {
            ReadOf(0x77A, 0x34), WriteOf(0x378, 1), ReadOf(0xD002, 0x34) }));
}

TEST_F(THardware, APortInUseIsNamedAndNotTouched)
{
    const TPortRights rights = GrantedRights(TKernelPortList::Read(Proc.Path()));
    THardwarePortIo port(rights, &Claim, Proc.Path(), &Wires);
    Claim.Busy = true;
    EXPECT_EQ(
        Refusal([&] { port.Begin(0x378); }), QStringLiteral("LPT1 is in use by another program."));
    EXPECT_EQ(Refusal([&] { port.Begin(0xD010); }),
        QStringLiteral("parport1 is in use by another program."));
    EXPECT_TRUE(Wires.Trace.empty());
}

TEST_F(THardware, AnEcrInAnotherModeIsSetToPs2ForTheTransferAndPutBack)
{
    const TPortRights rights = GrantedRights(TKernelPortList::Read(Proc.Path()));
    THardwarePortIo port(rights, &Claim, Proc.Path(), &Wires);
    // ECP mode (011) with its interrupt bits.
    Wires.Answer = [](std::uint16_t address) { return address == 0xD002 ? 0x75 : 0; };
    port.Begin(0xD010);
    port.End();
    EXPECT_EQ(Wires.Trace,
        (std::vector<TPortAccess> {
            ReadOf(0xD002, 0x75), WriteOf(0xD002, 0x35), WriteOf(0xD002, 0x75) }));
    EXPECT_EQ(
        Claim.Events, QStringList({ "claim parport1 as parport1 after 0", "release after 3" }));
}

TEST_F(THardware, APortNoDriverListsIsUsedThroughDevPortWithoutAClaim)
{
    TPortRights rights = GrantedRights(TKernelPortList::Read(Proc.Path()));
    rights.ThroughDevPort = true;
    rights.DevPortHandle = 99; // never used: the wires stand in for it
    THardwarePortIo port(rights, &Claim, Proc.Path(), &Wires);
    port.Begin(0x278);
    port.Write(0x27A, 4);
    port.End();
    EXPECT_TRUE(Claim.Events.isEmpty());
    EXPECT_EQ(Wires.Trace, (std::vector<TPortAccess> { WriteOf(0x27A, 4) }));
}

// ---- The ppdev claim's own failures ----------------------------------------------------

TEST(TPpdevClaim, NamesAMissingNodeAForbiddenOneAndANodeThatIsNoPort)
{
    TTestFolder dev;
    TKernelPort port;
    port.Name = QStringLiteral("parport1");
    port.Number = 1;
    TPpdevClaim claim(dev.Path());
    const QString node = dev.Path(QStringLiteral("parport1"));

    const QString missing = QStringLiteral("%1 does not exist: the kernel's ppdev driver is not "
                                           "loaded (\"sudo modprobe ppdev\").")
                                .arg(node);
    EXPECT_EQ(claim.Problem(port), missing);
    EXPECT_EQ(Refusal([&] { claim.Claim(port, QStringLiteral("parport1")); }), missing);

    // A plain file is no ppdev node: the claim fails with the system's words.
    dev.Write(QStringLiteral("parport1"), QByteArray());
    EXPECT_EQ(claim.Problem(port), QString());
    EXPECT_EQ(Refusal([&] { claim.Claim(port, QStringLiteral("parport1")); }),
        QStringLiteral("Cannot claim parport1 through %1: Inappropriate ioctl for device.")
            .arg(node));

    ASSERT_EQ(::chmod(QFile::encodeName(node).constData(), 0), 0);
    {
        const TUnprivileged user;
        const QString forbidden = claim.Problem(port);
        EXPECT_TRUE(forbidden.startsWith(
            QStringLiteral("Conveyor may not open %1: only members of the group ").arg(node)))
            << qPrintable(forbidden);
        EXPECT_TRUE(forbidden.endsWith(QStringLiteral("\") and log in again.")))
            << qPrintable(forbidden);
        EXPECT_EQ(Refusal([&] { claim.Claim(port, QStringLiteral("parport1")); }), forbidden);
    }
    claim.Release(); // holds nothing: does nothing
}
