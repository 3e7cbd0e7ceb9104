#include "device/TPortProbe.h"

#include "QtPrinters.h"
#include "TCardRig.h"
#include "TProcFolder.h"
#include "TRecordingPort.h"
#include "TTestFolder.h"
#include "device/TGameDoctor.h"
#include "platform/port/THardwarePortIo.h"
#include "platform/port/TSocketPortIo.h"
#include "simulator/TDoctor64.h"
#include "simulator/TDoctor64Peer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

QStringList Names(const TProbeResult& result)
{
    QStringList names;
    for (const TProbeStep& step : result.Steps)
        names << step.Name + (step.Passed ? QStringLiteral(": ok") : QStringLiteral(": failed"));
    return names;
}

const QStringList AllPassed = { "Port known to the kernel: ok", "Rights: ok", "Claim: ok",
    "Data register: ok", "Start handshake: ok" };

// The last write of a start handshake: control 4 after the final wait.
TPortAccess LastWrite(const std::vector<TPortAccess>& trace)
{
    for (auto access = trace.rbegin(); access != trace.rend(); ++access) {
        if (access->Kind == TPortAccess::akWrite)
            return *access;
    }
    return {};
}

} // namespace

// ---- Against the simulator ----------------------------------------------------------

class TProbeSimulator : public ::testing::Test
{
protected:
    TProbeSimulator() { Doctor.SetPortIo(&Wires); }

    TTestFolder Folder;
    TDoctor64 Device { Folder.Path(QStringLiteral("received")) };
    TRecordingPort Wires { &Device };
    TGameDoctor Doctor;
};

TEST_F(TProbeSimulator, PresentDeviceAnswersAndIsLeftBeforeTheCommandBlock)
{
    const TProbeResult result = TPortProbe::Run(Doctor);
    EXPECT_EQ(result.Verdict, pvDeviceAnswered);
    EXPECT_EQ(Names(result), AllPassed);
    EXPECT_EQ(
        result.Steps[0].Detail, QStringLiteral("Not needed: the port is not the real hardware."));
    EXPECT_EQ(result.Steps[3].Detail, QStringLiteral("Wrote 00 FF 55 AA, read back 00 FF 55 AA."));
    EXPECT_EQ(result.Steps[4].Detail, QStringLiteral("The device answered all 13 steps."));
    // Nothing after the handshake: its last write is the last write, and no stream byte.
    EXPECT_EQ(LastWrite(Wires.Trace), WriteOf(0x37A, 4));
    EXPECT_EQ(Device.Handshakes(), 1);
    EXPECT_EQ(Device.StreamBytes(), 0u);
}

TEST_F(TProbeSimulator, AbsentDeviceLeavesAWorkingPortWithoutADevice)
{
    Device.SetAbsent(true);
    Wires.Recording = false;
    const TProbeResult result = TPortProbe::Run(Doctor);
    EXPECT_EQ(result.Verdict, pvNoDevice);
    ASSERT_EQ(result.Steps.size(), 5u);
    EXPECT_TRUE(result.Steps[3].Passed);
    EXPECT_FALSE(result.Steps[4].Passed);
    EXPECT_EQ(result.Steps[4].Detail,
        QStringLiteral("No device answered step 6 of 13: bit 3 of the control register never "
                       "went up."));
}

TEST_F(TProbeSimulator, NamesTheHandshakeStepThatSawNoAnswer)
{
    Wires.Recording = false;
    // Step 3 last: the select line it holds up would stop the next probe there as well.
    for (const int stall : { 6, 8, 11, 13, 3 }) {
        Device.SetHandshakeStall(stall);
        const TProbeResult result = TPortProbe::Run(Doctor);
        EXPECT_EQ(result.Verdict, pvNoDevice) << stall;
        ASSERT_EQ(result.Steps.size(), 5u);
        EXPECT_TRUE(result.Steps[4].Detail.startsWith(
            QStringLiteral("No device answered step %1 of 13: ").arg(stall)))
            << qPrintable(result.Steps[4].Detail);
        EXPECT_TRUE(result.Steps[4].Detail.endsWith(
            stall == 6 || stall == 11 ? QStringLiteral("went up.") : QStringLiteral("went down.")));
    }
    EXPECT_EQ(Device.Handshakes(), 0);
}

TEST_F(TProbeSimulator, APortThatReadsFfIsNoPortAndNoHandshakeIsTried)
{
    TRecordingPort nothing;
    nothing.Answer = [](std::uint16_t) { return 0xFF; };
    Doctor.SetPortIo(&nothing);
    Doctor.SetPortAddress(0xD010);
    const TProbeResult result = TPortProbe::Run(Doctor);
    EXPECT_EQ(result.Verdict, pvMissing);
    ASSERT_EQ(result.Steps.size(), 4u);
    EXPECT_FALSE(result.Steps[3].Passed);
    EXPECT_EQ(result.Steps[3].Detail,
        QStringLiteral("Wrote 00 FF 55 AA, read back FF FF FF FF: there is no port at 0xD010."));
    EXPECT_EQ(nothing.Trace.size(), 8u);

    TRecordingPort stuck;
    stuck.Answer = [](std::uint16_t) { return 0x55; };
    Doctor.SetPortIo(&stuck);
    EXPECT_TRUE(TPortProbe::Run(Doctor).Steps[3].Detail.endsWith(
        QStringLiteral("read back 55 55 55 55: the data lines do not hold what is written.")));
}

TEST(TProbeVirtualPort, PresentDeviceAnswersThroughThePeer)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path(QStringLiteral("received")));
    const QString socket = folder.Path(QStringLiteral("peer.sock"));
    TDoctor64Peer peer(device, socket);
    std::thread serving([&peer] { peer.ServeOne(); });
    {
        TSocketPortIo port(socket);
        TGameDoctor doctor;
        doctor.SetPortIo(&port);
        const TProbeResult result = TPortProbe::Run(doctor);
        EXPECT_EQ(result.Verdict, pvDeviceAnswered);
        EXPECT_EQ(Names(result), AllPassed);
    }
    serving.join();
    EXPECT_EQ(device.Handshakes(), 1);
    EXPECT_EQ(device.StreamBytes(), 0u);
}

// ---- Against the real port's backend, the simulator behind its instructions ------------

class TProbeHardware : public ::testing::Test, protected TCardRig
{
protected:
    TProbeHardware()
        : TCardRig([](const TProcFolder& proc) {
            proc.AddPort(
                QStringLiteral("parport1"), "53264\t53248\n", "PCSPP,TRISTATE,COMPAT,ECP\n");
        })
    {
    }
};

TEST_F(TProbeHardware, EveryStepPassesAndTheClaimIsGivenBack)
{
    const TProbeResult result = TPortProbe::Run(Doctor);
    EXPECT_EQ(result.Verdict, pvDeviceAnswered);
    EXPECT_EQ(Names(result), AllPassed);
    EXPECT_EQ(result.Steps[0].Detail,
        QStringLiteral("parport1 at 0xD010, modes PCSPP,TRISTATE,COMPAT,ECP, extended control "
                       "register at 0xD002."));
    ASSERT_EQ(Claim.Events.size(), 2);
    EXPECT_EQ(Claim.Events[0], QStringLiteral("claim parport1 as parport1 after 0"));
    EXPECT_EQ(Claim.Events[1], QStringLiteral("release after %1").arg(Wires.Trace.size()));
}

TEST_F(TProbeHardware, APortTheKernelDoesNotListStopsAtTheFirstStep)
{
    Doctor.SetPort(ppLPT2);
    const TProbeResult result = TPortProbe::Run(Doctor);
    EXPECT_EQ(result.Verdict, pvMissing);
    EXPECT_EQ(Names(result), QStringList { "Port known to the kernel: failed" });
    EXPECT_EQ(result.Steps[0].Detail,
        QStringLiteral("The kernel knows no parallel port at 0x278; %1/sys/dev/parport lists "
                       "parport1 (0xD010).")
            .arg(Proc.Path()));

    TProcFolder empty;
    THardwarePortIo bare(Rights, &Claim, empty.Path(), &Wires);
    Doctor.SetPortIo(&bare);
    EXPECT_TRUE(TPortProbe::Run(Doctor).Steps[0].Detail.startsWith(
        QStringLiteral("No parallel port at 0x278 in %1/sys/dev/parport. The kernel knows no "
                       "parallel port")
            .arg(empty.Path())));
    EXPECT_TRUE(Wires.Trace.empty());
    EXPECT_TRUE(Claim.Events.isEmpty());
}

TEST_F(TProbeHardware, AMissingRightStopsAtTheRightsWithItsRemedy)
{
    TPortRights user;
    user.Acquired = true;
    user.PortsAtStart = Rights.PortsAtStart;
    user.ProgramPath = QStringLiteral("/usr/bin/conveyor");
    THardwarePortIo withoutCapability(user, &Claim, Proc.Path(), &Wires);
    Doctor.SetPortIo(&withoutCapability);
    TProbeResult result = TPortProbe::Run(Doctor);
    EXPECT_EQ(result.Verdict, pvMissing);
    EXPECT_EQ(Names(result), QStringList({ "Port known to the kernel: ok", "Rights: failed" }));
    EXPECT_TRUE(result.Steps[1].Detail.contains(
        QStringLiteral("sudo setcap cap_sys_rawio=p /usr/bin/conveyor")));

    Doctor.SetPortIo(&Hardware);
    Claim.NodeProblem = QStringLiteral("Conveyor may not open /dev/parport1: only members of the "
                                       "group lp may.");
    result = TPortProbe::Run(Doctor);
    EXPECT_EQ(Names(result), QStringList({ "Port known to the kernel: ok", "Rights: failed" }));
    EXPECT_EQ(result.Steps[1].Detail, Claim.NodeProblem);
    EXPECT_TRUE(Wires.Trace.empty());
}

TEST_F(TProbeHardware, APortHeldByAnotherProgramStopsAtTheClaimUntouched)
{
    Claim.Busy = true;
    const TProbeResult result = TPortProbe::Run(Doctor);
    EXPECT_EQ(result.Verdict, pvMissing);
    ASSERT_EQ(result.Steps.size(), 3u);
    EXPECT_EQ(result.Steps[2].Detail, QStringLiteral("parport1 is in use by another program."));
    EXPECT_TRUE(Wires.Trace.empty());
}
