#include "device/TGameDoctor.h"
#include "TCardRig.h"
#include "TProcFolder.h"
#include "TRecordingPort.h"
#include "TTestFolder.h"
#include "TTestListener.h"
#include "TestArchives.h"
#include "TestBytes.h"
#include "device/EPortTimeout.h"
#include "platform/EFOpenError.h"
#include "platform/EReadError.h"
#include "platform/RawText.h"
#include "platform/port/AcquirePortRights.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/THardwarePortIo.h"
#include "platform/port/TSocketPortIo.h"
#include "simulator/TDoctor64.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <exception>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::uint16_t Data1 = 0x378;
constexpr std::uint16_t Control1 = 0x37A;

struct TEvent
{
    TGameDoctorAction Action;
    QString FileName;
    std::uint8_t FileNumber;
    std::uint8_t Progress;

    bool operator==(const TEvent&) const = default;
};

void Record(TGameDoctor& doctor, std::vector<TEvent>& events)
{
    doctor.SetOnProgress([&events](TGameDoctorAction action, QString fileName,
                             std::uint8_t fileNumber, std::uint8_t progress) {
        events.push_back({ action, fileName, fileNumber, progress });
    });
}

// How many of this process's open files are the file at path.
int OpenHandles(const QString& path)
{
    const std::filesystem::path target = std::filesystem::canonical(path.toStdString());
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto link = std::filesystem::read_symlink(entry.path(), error);
        count += !error && link == target;
    }
    return count;
}

// The data bytes the port latched: each data write followed by a strobe change.
QByteArray StreamOf(const std::vector<TPortAccess>& trace, std::uint16_t base)
{
    QByteArray stream;
    std::uint8_t data = 0;
    int control = -1;
    bool streaming = false;
    for (const TPortAccess& access : trace) {
        if (access.Kind != TPortAccess::akWrite)
            continue;
        if (access.Address == base) {
            data = access.Value;
        } else if (access.Address == base + 2) {
            if (streaming && ((access.Value ^ control) & 1))
                stream.append(static_cast<char>(data));
            // The start handshake ends with control 4 after data 0x55.
            if (!streaming && access.Value == 4 && data == 0x55 && control == 0)
                streaming = true;
            control = access.Value;
        }
    }
    return stream;
}

// A device that acknowledges every strobe, but only after a number of control reads;
// at the start its acknowledge line still shows the opposite of the strobe bit.
class TLaggingDevice : public TPortIo
{
public:
    TLaggingDevice(std::uint8_t control, int latency)
        : FControl(control)
        , FAcknowledge(!(control & 1))
        , FLatency(latency)
        , FCountdown(latency)
    {
    }

    std::uint8_t Read(std::uint16_t address) override
    {
        if (address != Control1)
            return 0;
        if (FPending) {
            if (FCountdown == 0) {
                FAcknowledge = FControl & 1;
                FPending = false;
            } else {
                --FCountdown;
            }
        }
        return static_cast<std::uint8_t>((FControl & ~2) | (FAcknowledge ? 2 : 0));
    }

    void Write(std::uint16_t address, std::uint8_t value) override
    {
        if (address != Control1)
            return;
        if ((value ^ FControl) & 1) {
            FPending = true;
            FCountdown = FLatency;
        }
        FControl = value;
    }

private:
    std::uint8_t FControl;
    bool FAcknowledge;
    int FLatency;
    int FCountdown;
    bool FPending = true;
};

// The accesses of a successful start handshake against the simulator.
std::vector<TPortAccess> HandshakeTrace(std::uint16_t base)
{
    const std::uint16_t control = base + 2;
    return {
        WriteOf(base, 0),
        WriteOf(control, 4),
        ReadOf(control, 4),
        WriteOf(base, 0xAA),
        WriteOf(control, 0),
        ReadOf(control, 8),
        WriteOf(control, 4),
        ReadOf(control, 4),
        WriteOf(base, 0x55),
        WriteOf(control, 0),
        ReadOf(control, 8),
        WriteOf(control, 4),
        ReadOf(control, 4),
    };
}

// What an immediately answering device sees for these SendBytes calls after the
// handshake: one phase read per call, then read, data, strobe for every byte.
void AppendExchange(
    std::vector<TPortAccess>& trace, std::uint16_t base, const std::vector<QByteArray>& calls)
{
    const std::uint16_t control = base + 2;
    std::uint8_t strobe = 4;
    const auto controlRead = [&strobe] { return static_cast<std::uint8_t>(strobe == 4 ? 4 : 7); };
    for (const QByteArray& call : calls) {
        trace.push_back(ReadOf(control, controlRead()));
        for (const char byte : call) {
            trace.push_back(ReadOf(control, controlRead()));
            trace.push_back(WriteOf(base, static_cast<std::uint8_t>(byte)));
            strobe = strobe == 4 ? 5 : 4;
            trace.push_back(WriteOf(control, strobe));
        }
    }
}

} // namespace

// ---- Port choice -------------------------------------------------------------------

TEST(TGameDoctorPort, StartsOnLPT1AndFollowsThePortSetting)
{
    TGameDoctor doctor;
    EXPECT_EQ(doctor.Port(), ppLPT1);
    EXPECT_EQ(doctor.PortAddress(), 0x378);
    doctor.SetPort(ppLPT2);
    EXPECT_EQ(doctor.Port(), ppLPT2);
    EXPECT_EQ(doctor.PortAddress(), 0x278);
    doctor.SetPort(ppLPT1);
    EXPECT_EQ(doctor.PortAddress(), 0x378);
    // A value outside the enumeration is kept but moves nothing.
    doctor.SetPort(static_cast<TParallelPort>(7));
    EXPECT_EQ(doctor.Port(), static_cast<TParallelPort>(7));
    EXPECT_EQ(doctor.PortAddress(), 0x378);
}

TEST(TGameDoctorPort, ReadAndWriteGoThroughTheInstalledPort)
{
    TRecordingPort port;
    port.Answer = [](std::uint16_t address) { return static_cast<std::uint8_t>(address & 0xFF); };
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    EXPECT_EQ(doctor.ReadPort(0x279), 0x79);
    doctor.WritePort(0x27A, 0x5A);
    EXPECT_EQ(port.Trace, (std::vector { ReadOf(0x279, 0x79), WriteOf(0x27A, 0x5A) }));
}

// ---- Bounded waits -----------------------------------------------------------------

TEST(TGameDoctorWait, ReturnsAtTheFirstReadThatMeetsTheCondition)
{
    TRecordingPort port;
    std::vector<std::uint8_t> answers;
    port.Answer = [&](std::uint16_t) {
        const std::uint8_t value = answers.front();
        answers.erase(answers.begin());
        return value;
    };
    TGameDoctor doctor;
    doctor.SetPortIo(&port);

    answers = { 0xF7, 0xF7, 0x08, 0x00 };
    EXPECT_EQ(doctor.WaitBitSet(Control1, 8, 1000000), 0x08);
    EXPECT_EQ(port.ReadCount, 3u);

    port.ReadCount = 0;
    answers = { 0x02, 0x02, 0xFD, 0xFF };
    EXPECT_EQ(doctor.WaitBitClear(Control1, 2, 1000000), 0xFD);
    EXPECT_EQ(port.ReadCount, 3u);

    // Any bit of the mask will do for a set wait; every bit must be clear for a clear wait.
    port.ReadCount = 0;
    answers = { 0x00, 0x02 };
    EXPECT_EQ(doctor.WaitBitSet(Control1, 0x0A, 10), 0x02);
    answers = { 0x08, 0x02, 0xF5 };
    EXPECT_EQ(doctor.WaitBitClear(Control1, 0x0A, 10), 0xF5);
}

TEST(TGameDoctorWait, LimitCountsReadsAndTheHookRunsBeforeTheException)
{
    TRecordingPort port;
    port.Recording = false;
    port.Answer = [](std::uint16_t) { return 0xF7; };
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    std::size_t readsAtHook = 0;
    bool raisedBeforeHook = true;
    doctor.SetOnTimeout([&] {
        readsAtHook = port.ReadCount;
        raisedBeforeHook = std::uncaught_exceptions() > 0;
    });

    EXPECT_THROW(doctor.WaitBitSet(Control1, 8, 1000000), EPortTimeout);
    EXPECT_EQ(port.ReadCount, 1000000u);
    EXPECT_EQ(readsAtHook, 1000000u);
    EXPECT_FALSE(raisedBeforeHook);

    port.ReadCount = 0;
    EXPECT_THROW(doctor.WaitBitClear(Control1, 2, 1), EPortTimeout);
    EXPECT_EQ(port.ReadCount, 1u);
}

TEST(TGameDoctorWait, NegativeLimitTimesOutWithoutARead)
{
    TRecordingPort port;
    port.Answer = [](std::uint16_t) { return 0xFF; };
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    int hooks = 0;
    doctor.SetOnTimeout([&hooks] { ++hooks; });
    EXPECT_THROW(doctor.WaitBitSet(Control1, 8, -1), EPortTimeout);
    EXPECT_THROW(doctor.WaitBitClear(Control1, 8, -5), EPortTimeout);
    EXPECT_TRUE(port.Trace.empty());
    EXPECT_EQ(hooks, 2);
}

TEST(TGameDoctorWait, LimitZeroWaitsBeyondAnyBound)
{
    TRecordingPort port;
    port.Recording = false;
    port.Answer = [&port](std::uint16_t) { return port.ReadCount >= 3000000 ? 0x08 : 0x00; };
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    doctor.SetOnTimeout([] { ADD_FAILURE() << "a wait without limit timed out"; });
    EXPECT_EQ(doctor.WaitBitSet(Control1, 8, 0), 0x08);
    EXPECT_EQ(port.ReadCount, 3000001u);
}

TEST(TGameDoctorWait, MessageComesFromTheProviderAtTheMomentOfRaising)
{
    TRecordingPort port;
    TGameDoctor doctor;
    doctor.SetPortIo(&port);

    try {
        doctor.WaitBitSet(Control1, 8, -1);
        FAIL();
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Warning, could not locate any doctor on LPT1."));
    }
    doctor.SetPort(ppLPT2);
    try {
        doctor.WaitBitSet(Control1, 8, -1);
        FAIL();
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Warning, could not locate any doctor on LPT2."));
    }

    // A port chosen by address is named by its address; LPT1 chosen again by its name.
    doctor.SetPortChoice(TPortChoice::ForBase(0xD010));
    try {
        doctor.WaitBitSet(Control1, 8, -1);
        FAIL();
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Warning, could not locate any doctor at port 0xD010."));
    }
    doctor.SetPortChoice(TPortChoice {});
    EXPECT_EQ(doctor.Port(), ppLPT1);
    EXPECT_FALSE(doctor.PortByAddress());
    EXPECT_EQ(doctor.PortAddress(), TGameDoctor::LPT1Address);
}

// ---- Byte exchange -----------------------------------------------------------------

TEST(TGameDoctorExchange, StrobeLowFirstWritesFiveFourFiveAndWaitsBeforeEachByte)
{
    TLaggingDevice device(4, 2);
    TRecordingPort port(&device);
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    const std::uint8_t bytes[] = { 0x11, 0x22, 0x33 };
    doctor.SendBytes(bytes, 3);
    // Phase read, then for each byte: poll until bit 1 matches the strobe, data, strobe.
    EXPECT_EQ(port.Trace,
        (std::vector {
            ReadOf(Control1, 6),
            ReadOf(Control1, 6),
            ReadOf(Control1, 4),
            WriteOf(Data1, 0x11),
            WriteOf(Control1, 5),
            ReadOf(Control1, 5),
            ReadOf(Control1, 5),
            ReadOf(Control1, 7),
            WriteOf(Data1, 0x22),
            WriteOf(Control1, 4),
            ReadOf(Control1, 6),
            ReadOf(Control1, 6),
            ReadOf(Control1, 4),
            WriteOf(Data1, 0x33),
            WriteOf(Control1, 5),
        }));
}

TEST(TGameDoctorExchange, StrobeHighFirstWritesFourFiveFourAndWaitsForBitOneSet)
{
    TLaggingDevice device(5, 2);
    TRecordingPort port(&device);
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    const std::uint8_t bytes[] = { 0x11, 0x22, 0x33 };
    doctor.SendBytes(bytes, 3);
    EXPECT_EQ(port.Trace,
        (std::vector {
            ReadOf(Control1, 5),
            ReadOf(Control1, 5),
            ReadOf(Control1, 7),
            WriteOf(Data1, 0x11),
            WriteOf(Control1, 4),
            ReadOf(Control1, 6),
            ReadOf(Control1, 6),
            ReadOf(Control1, 4),
            WriteOf(Data1, 0x22),
            WriteOf(Control1, 5),
            ReadOf(Control1, 5),
            ReadOf(Control1, 5),
            ReadOf(Control1, 7),
            WriteOf(Data1, 0x33),
            WriteOf(Control1, 4),
        }));
}

TEST(TGameDoctorExchange, IntegersGoLeastSignificantByteFirstAndTextsWithoutTerminator)
{
    TLaggingDevice device(4, 0);
    TRecordingPort port(&device);
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    doctor.SendInteger(8388608);
    doctor.SendInteger(16777216);
    doctor.SendInteger(-1);
    doctor.SendText(QByteArray("GD6R"));
    doctor.SendFileHeader(0x01020304, QByteArray("AB"));
    const auto writes = [&port] {
        QByteArray data;
        for (const TPortAccess& access : port.Trace)
            if (access.Kind == TPortAccess::akWrite && access.Address == Data1)
                data.append(static_cast<char>(access.Value));
        return data;
    }();
    EXPECT_EQ(writes,
        Bytes({ 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF })
            + QByteArray("GD6R") + Bytes({ 0x04, 0x03, 0x02, 0x01 }) + QByteArray("AB         "));
}

// ---- Device names ------------------------------------------------------------------

TEST(TGameDoctorNames, FollowTheFieldRules)
{
    const std::pair<const char*, const char*> cases[] = {
        // Only '/' separates folders: ':' and '\\' belong to the name.
        { "C:\\IMAGES\\racer.v64", "C:\\IMAGEV64" },
        { "/images/zelda: oot.v64", "ZELDA: OV64" },
        { "/images/a:b\\c.v64", "A:B\\C   V64" },
        { "chess.usa", "CHESS   USA" },
        { "readme", "README     " },
        { "/home/user/images/Racer.V64", "RACER   V64" },
        { "C:", "C:         " },
        { "C:\\IMAGES\\", "C:\\IMAGES\\ " },
        { "/home/user/", "           " },
        { "name.", "NAME       " },
        { "a.b", "A       B  " },
        { "abcdefgh.ijk", "ABCDEFGHIJK" },
        // Names whose field would be longer than 11 bytes go out in the 8 + 3 form: the base
        // before the last dot and the extension after it, each cut and padded.
        { "speedracer64.v64", "SPEEDRACV64" },
        { "/home/user/Speed Racer Deluxe (USA).z64", "SPEED RAZ64" },
        { "a.b.v64", "A.B     V64" },
        { "x.abcdefghijklmnop", "X       ABC" },
        { "abcdefghijklmnopqrstuvwxyz0123456789.v64", "ABCDEFGHV64" },
        { "abcdefghijklmnopqrstuvwxyz.extension", "ABCDEFGHEXT" },
        { "abcdefghi", "ABCDEFGHI  " },
        { ".hidden", "        HID" },
        // In that form only '/' separates folders: ':' and '\\' belong to the name.
        { "/images/My:Game\\Collection.v64", "MY:GAME\\V64" },
    };
    for (const auto& [path, field] : cases)
        EXPECT_EQ(TGameDoctor::FormatDeviceName(QString::fromUtf8(path)), QByteArray(field))
            << path;
}

TEST(TGameDoctorNames, OnlyAsciiLettersAreUpperCasedAndEveryCharacterIsOneWindows1252Byte)
{
    // "ä" goes out as its one Windows-1252 byte, lower case as typed; digits and signs stay.
    EXPECT_EQ(
        TGameDoctor::FormatDeviceName(QStringLiteral("bär-1_x.v64")), QByteArray("B\xE4R-1_X V64"));
    // The euro sign is in the code page; a snowman, a character beyond the first plane and a
    // control character are not, and each goes out as one "_", never as UTF-8 bytes.
    EXPECT_EQ(TGameDoctor::FormatDeviceName(QString::fromUtf8("\u20AC\u2603\U0001F600\x01.v64")),
        QByteArray("\x80___    V64"));
    // A name that is not UTF-8 (an old Latin-1 collection) keeps its own bytes; a byte the
    // code page leaves undefined does not.
    EXPECT_EQ(TGameDoctor::FormatDeviceName(DecodeRawText("caf\xE9\x81.v64")),
        QByteArray("CAF\xE9_   V64"));
    // Too long for the classic field, the 8 + 3 form counts characters, not UTF-8 bytes.
    EXPECT_EQ(TGameDoctor::FormatDeviceName(QStringLiteral("Ärger im Zug (Europa).z64")),
        QByteArray("\xC4RGER IMZ64"));
}

// ---- Transfers ---------------------------------------------------------------------

class TTransfer : public ::testing::Test
{
protected:
    TTestFolder Folder;
    TDoctor64 Device { Folder.Path(QStringLiteral("received")) };
    TRecordingPort Port { &Device };
    TGameDoctor Doctor;
    std::vector<TEvent> Events;

    void SetUp() override { Doctor.SetPortIo(&Port); }
};

TEST_F(TTransfer, SmallFileGoesOutByteForByteAfterTheHandshake)
{
    const QString path = Folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    Record(Doctor, Events);
    Doctor.SendFile(path);

    std::vector<TPortAccess> expected = HandshakeTrace(Data1);
    AppendExchange(expected, Data1,
        { QByteArray("GD6R\x01"), Bytes({ 3, 0, 0, 0 }), QByteArray("RACER   V64"),
            QByteArray("N64") });
    EXPECT_EQ(Port.Trace, expected);
    EXPECT_EQ(Events,
        (std::vector<TEvent> { { gaConnecting, path, 1, 0 }, { gaConnected, path, 1, 0 },
            { gaSending, path, 1, 100 } }));
    EXPECT_EQ(Folder.Read(QStringLiteral("received/RACER.V64")), QByteArray("N64"));
}

TEST_F(TTransfer, WithoutAHandlerTheStreamIsTheSame)
{
    const QByteArray content = RandomBytes(70000, 7);
    const QString path = Folder.Write(QStringLiteral("chess.usa"), content);
    Record(Doctor, Events);
    Doctor.SendFile(path);
    const std::vector<TPortAccess> withHandler = Port.Trace;

    Port.Trace.clear();
    Doctor.SetOnProgress(nullptr);
    Doctor.SendFile(path);
    EXPECT_EQ(Port.Trace, withHandler);
    EXPECT_EQ(Events.size(), 5u);
}

TEST_F(TTransfer, WorksTheSameOnLPT2)
{
    TDoctor64 device(Folder.Path(QStringLiteral("lpt2")), TGameDoctor::LPT2Address);
    TRecordingPort port(&device);
    Doctor.SetPortIo(&port);
    Doctor.SetPort(ppLPT2);
    const QString path = Folder.Write(QStringLiteral("readme"), QByteArray("AB"));
    Doctor.SendFile(path);
    std::vector<TPortAccess> expected = HandshakeTrace(0x278);
    AppendExchange(expected, 0x278,
        { QByteArray("GD6R\x01"), Bytes({ 2, 0, 0, 0 }), QByteArray("README     "),
            QByteArray("AB") });
    EXPECT_EQ(port.Trace, expected);
    EXPECT_EQ(Folder.Read(QStringLiteral("lpt2/README")), QByteArray("AB"));
}

// The preferences stay usable during a delivery: a port chosen meanwhile serves the next
// transfer, and the running one stays on the port it began on, time-out text included.
TEST_F(TTransfer, APortChosenDuringATransferServesTheNextOne)
{
    const QString path = Folder.Write(QStringLiteral("racer.v64"), RandomBytes(40000, 3));
    Doctor.SetOnProgress(
        [this](TGameDoctorAction action, const QString&, std::uint8_t, std::uint8_t) {
            if (action == gaConnected)
                Doctor.SetPortAddress(0xD010);
        });
    Doctor.SendFile(path);
    EXPECT_EQ(Doctor.PortAddress(), 0xD010);
    for (const TPortAccess& access : Port.Trace)
        ASSERT_TRUE(access.Address == 0x378 || access.Address == 0x37A) << access.Address;
    EXPECT_EQ(Folder.Read(QStringLiteral("received/RACER.V64")), RandomBytes(40000, 3));

    Doctor.SetOnProgress(
        [this](TGameDoctorAction action, const QString&, std::uint8_t, std::uint8_t) {
            if (action == gaConnected) {
                Doctor.SetPort(ppLPT2);
                Device.SetAbsent(true);
            }
        });
    Doctor.SetPort(ppLPT1);
    try {
        Doctor.SendFile(path);
        FAIL() << "an absent device answered";
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), TGameDoctor::TimeoutText(ppLPT1));
    }
}

TEST_F(TTransfer, EmptyListDoesNothingAtAll)
{
    Record(Doctor, Events);
    Doctor.SendFiles({});
    EXPECT_TRUE(Port.Trace.empty());
    EXPECT_TRUE(Events.empty());
}

TEST_F(TTransfer, EmptyFileSendsSizeAndNameButNoDataAndNoSendingEvent)
{
    const QString path = Folder.Write(QStringLiteral("empty.pal"), QByteArray());
    Record(Doctor, Events);
    Doctor.SendFile(path);
    EXPECT_EQ(StreamOf(Port.Trace, Data1),
        QByteArray("GD6R\x01") + Bytes({ 0, 0, 0, 0 }) + QByteArray("EMPTY   PAL"));
    EXPECT_EQ(Events.size(), 2u);
    ASSERT_EQ(Device.Files().size(), 1u);
    EXPECT_TRUE(Device.Files().front().Complete);
    EXPECT_TRUE(QFile::exists(Folder.Path(QStringLiteral("received/EMPTY.PAL"))));
}

TEST_F(TTransfer, BlockBoundariesGiveOneEventPerBlock)
{
    const QString exact = Folder.Write(QStringLiteral("exact.v64"), RandomBytes(32768, 1));
    const QString over = Folder.Write(QStringLiteral("over.v64"), RandomBytes(32769, 2));
    Port.Recording = false;
    Record(Doctor, Events);
    Doctor.SendFiles({ exact, over });
    EXPECT_EQ(Events,
        (std::vector<TEvent> { { gaConnecting, exact, 1, 0 }, { gaConnected, exact, 1, 0 },
            { gaSending, exact, 1, 100 }, { gaSending, over, 2, 99 },
            { gaSending, over, 2, 100 } }));
    EXPECT_EQ(Folder.Read(QStringLiteral("received/EXACT.V64")), RandomBytes(32768, 1));
    EXPECT_EQ(Folder.Read(QStringLiteral("received/OVER.V64")), RandomBytes(32769, 2));
}

TEST_F(TTransfer, SixtyFourMegabitImageArrivesWholeWithItsProgressValues)
{
    const QByteArray content = RandomBytes(8388608, 64);
    const QString path = Folder.Write(QStringLiteral("RACER.V64"), content);
    Port.Recording = false;
    Record(Doctor, Events);
    Doctor.SendFile(path);

    ASSERT_EQ(Events.size(), 2u + 256u);
    std::vector<int> progress;
    for (std::size_t k = 2; k < Events.size(); ++k) {
        EXPECT_EQ(Events[k].Action, gaSending);
        progress.push_back(Events[k].Progress);
    }
    for (int k = 1; k <= 256; ++k)
        EXPECT_EQ(progress[static_cast<std::size_t>(k - 1)], k * 100 / 256) << "block " << k;
    EXPECT_EQ((std::vector<int>(progress.begin(), progress.begin() + 6)),
        (std::vector<int> { 0, 0, 1, 1, 1, 2 }));
    EXPECT_EQ(Device.TrailingBytes(), 0u);
    EXPECT_EQ(Folder.Read(QStringLiteral("received/RACER.V64")), content);
    // The header precedes the data: 5 + 4 + 11 bytes, with the size 00 00 80 00.
    EXPECT_EQ(Device.StreamBytes(), 8388608u + 20u);
}

TEST_F(TTransfer, TwoHundredFiftySixEntriesSendCountByteZero)
{
    QStringList paths;
    for (int i = 0; i < 256; ++i)
        paths << Folder.Write(
            QStringLiteral("f%1.bin").arg(i), QByteArray(1, static_cast<char>(i)));
    Record(Doctor, Events);
    Doctor.SendFiles(paths);
    const QByteArray stream = StreamOf(Port.Trace, Data1);
    EXPECT_EQ(stream.left(5), QByteArray("GD6R") + Bytes({ 0x00 }));
    // Each entry: size 1, its name, its byte.
    EXPECT_EQ(stream.size(), 5 + 256 * (4 + 11 + 1));
    EXPECT_EQ(stream.mid(5, 16), Bytes({ 1, 0, 0, 0 }) + QByteArray("F0      BIN") + Bytes({ 0 }));
    EXPECT_EQ(stream.right(16), Bytes({ 1, 0, 0, 0 }) + QByteArray("F255    BIN") + Bytes({ 255 }));
    ASSERT_EQ(Events.size(), 2u + 256u);
    EXPECT_EQ(Events[2].FileNumber, 1);
    EXPECT_EQ(Events[256].FileNumber, 255);
    EXPECT_EQ(Events[257].FileNumber, 0);
    EXPECT_EQ(Events[257].FileName, paths.last());
}

TEST_F(TTransfer, ANameThatIsNotUtf8IsDeliveredUnderItsOwnBytes)
{
    const QString path = DecodeRawText(Folder.WriteNative("\xe9t\xe9.v64", "N64"));
    Doctor.SendFile(path);
    EXPECT_EQ(StreamOf(Port.Trace, Data1),
        QByteArray("GD6R\x01") + Bytes({ 3, 0, 0, 0 }) + QByteArray("\xe9T\xe9     V64") + "N64");
    ASSERT_EQ(Device.Files().size(), 1u);
    EXPECT_TRUE(Device.Files()[0].Complete);
}

TEST_F(TTransfer, MissingFileStopsAfterTheEarlierEntriesWithoutTheTimeoutHook)
{
    const QString first = Folder.Write(QStringLiteral("first.v64"), QByteArray("1234"));
    const QString missing = Folder.Path(QStringLiteral("missing.v64"));
    bool hookRan = false;
    Doctor.SetOnTimeout([&hookRan] { hookRan = true; });
    try {
        Doctor.SendFiles({ first, missing });
        FAIL() << "no error for a missing file";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Cannot open file ") + missing
                + QStringLiteral(": No such file or directory"));
    }
    EXPECT_FALSE(hookRan);
    EXPECT_EQ(StreamOf(Port.Trace, Data1),
        QByteArray("GD6R\x02") + Bytes({ 4, 0, 0, 0 }) + QByteArray("FIRST   V64")
            + QByteArray("1234"));
    EXPECT_EQ(Folder.Read(QStringLiteral("received/FIRST.V64")), QByteArray("1234"));
}

// ---- Failing files -----------------------------------------------------------------

TEST_F(TTransfer, FileThatShrinksDuringTheTransferEndsWithAReadError)
{
    const QString path = Folder.Write(QStringLiteral("shrink.v64"), RandomBytes(3 * 32768, 3));
    Port.Recording = false;
    Doctor.SetOnProgress([&](TGameDoctorAction action, QString, std::uint8_t, std::uint8_t) {
        if (action == gaSending)
            QFile::resize(path, 32768);
    });
    try {
        Doctor.SendFile(path);
        FAIL() << "the transfer did not end";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Read error on ") + path
                + QStringLiteral(
                    ": the file ended after 32768 of the 98304 bytes announced to the device"));
    }
    EXPECT_EQ(OpenHandles(path), 0);
    EXPECT_EQ(Device.StreamBytes(), 20u + 32768u);
}

TEST_F(TTransfer, FileThatGrowsDuringTheTransferSendsOnlyItsAnnouncedSize)
{
    const QByteArray content = RandomBytes(2 * 32768 + 100, 4);
    const QString path = Folder.Write(QStringLiteral("grow.v64"), content);
    Port.Recording = false;
    Doctor.SetOnProgress([&](TGameDoctorAction action, QString, std::uint8_t, std::uint8_t) {
        if (action == gaSending) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::Append));
            file.write(QByteArray(5000, 'x'));
        }
    });
    // The device got the announced bytes and nothing after them, but what it holds is not
    // the file: no delivery is reported.
    try {
        Doctor.SendFile(path);
        FAIL() << "a file that grew was reported as delivered";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Read error on ") + path
                + QStringLiteral(
                    ": the file holds more than the 65636 bytes announced to the device"));
    }
    EXPECT_EQ(Device.TrailingBytes(), 0u);
    EXPECT_EQ(Folder.Read(QStringLiteral("received/GROW.V64")), content);
    EXPECT_EQ(OpenHandles(path), 0);
}

TEST_F(TTransfer, FilesSwappedAfterTheCheckAreSentAsTheyWereChecked)
{
    const QString first = Folder.Write(QStringLiteral("first.v64"), RandomBytes(2 * 32768, 7));
    const QByteArray second = RandomBytes(32768 + 8, 8);
    const QByteArray third = RandomBytes(4096, 9);
    const QString fifoPath = Folder.Write(QStringLiteral("second.v64"), second);
    const QString linkPath = Folder.Write(QStringLiteral("third.v64"), third);
    Port.Recording = false;
    bool swapped = false;
    // While the first file goes out, the second becomes a FIFO that no one writes and the
    // third a link to an endless device: opening either again would hang or never end.
    Doctor.SetOnProgress([&](TGameDoctorAction action, QString, std::uint8_t, std::uint8_t) {
        if (action != gaSending || swapped)
            return;
        swapped = true;
        ASSERT_TRUE(QFile::remove(fifoPath));
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
        ASSERT_TRUE(QFile::remove(linkPath));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), linkPath));
    });
    Doctor.SendFiles({ first, fifoPath, linkPath });
    EXPECT_TRUE(swapped);
    EXPECT_EQ(Folder.Read(QStringLiteral("received/SECOND.V64")), second);
    EXPECT_EQ(Folder.Read(QStringLiteral("received/THIRD.V64")), third);
    EXPECT_EQ(Device.TrailingBytes(), 0u);
}

TEST_F(TTransfer, KernelFilesWhoseSizeSaysNothingAreRefusedBeforeThePortIsTouched)
{
    const QString good = Folder.Write(QStringLiteral("good.v64"), QByteArray("N64"));
    // Size 0 on the file system, yet it holds bytes; through a link as well.
    const QString status = QStringLiteral("/proc/self/status");
    const QString link = Folder.Path(QStringLiteral("status.v64"));
    ASSERT_TRUE(QFile::link(status, link));
    Record(Doctor, Events);
    for (const QString& bad : { status, link }) {
        try {
            Doctor.SendFiles({ good, bad });
            FAIL() << "no refusal for " << bad.toStdString();
        } catch (const Exception& error) {
            EXPECT_TRUE(error.Message().contains(bad)) << error.Message().toStdString();
        }
    }
    EXPECT_TRUE(Port.Trace.empty());
    EXPECT_TRUE(Events.empty());
}

TEST_F(TTransfer, FileErrorsCarryTheSystemsReason)
{
    const QString file = Folder.Write(QStringLiteral("mini.v64"), QByteArray("N64"));
    try {
        Doctor.SendFile(file + QLatin1Char('/'));
        FAIL() << "a file was opened as a folder";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Cannot open file ") + file + QStringLiteral("/: Not a directory"));
    }
}

TEST_F(TTransfer, FileAboveTheSizeFieldIsRefusedBeforeThePortIsTouched)
{
    const QString first = Folder.Write(QStringLiteral("first.v64"), QByteArray("1234"));
    const QString path = Folder.Path(QStringLiteral("huge.v64"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(1) << 31));
    }
    Record(Doctor, Events);
    try {
        Doctor.SendFiles({ first, path });
        FAIL() << "a file of 2 GiB was sent";
    } catch (const Exception& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("File too large to send: ") + path));
    }
    // Not even the file before it: the device never holds half a list.
    EXPECT_TRUE(Port.Trace.empty());
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(OpenHandles(path), 0);
}

// ---- Names and byte orders on the way -------------------------------------------------

// The same cartridge in the three orders a file may hold it in, from its own (big-endian)
// order: the device's order swaps the bytes of every 16-bit word, little-endian reverses
// every 32-bit word.
namespace {

QByteArray InOrder(const QByteArray& cartridge, int flip)
{
    QByteArray file(cartridge.size(), '\0');
    for (qsizetype i = 0; i < cartridge.size(); ++i)
        file[i ^ flip] = cartridge[i];
    return file;
}

QByteArray Cartridge(qsizetype size)
{
    QByteArray cartridge = RandomBytes(size, 11);
    cartridge.replace(0, 4, QByteArray("\x80\x37\x12\x40", 4));
    return cartridge;
}

} // namespace

TEST_F(TTransfer, EveryByteOrderPutsTheSameBytesOnThePort)
{
    // Three blocks and a partial one.
    const QByteArray cartridge = Cartridge(3 * 32768 + 1000);
    const QByteArray device = InOrder(cartridge, 1);
    // Each under the same name, so the whole streams compare.
    const std::pair<const char*, QByteArray> files[]
        = { { "v64", device }, { "z64", cartridge }, { "n64", InOrder(cartridge, 3) } };
    std::vector<std::vector<TPortAccess>> traces;
    for (const auto& [folder, content] : files) {
        const QString path
            = Folder.Write(QString::fromLatin1(folder) + QStringLiteral("/racer.v64"), content);
        Port.Trace.clear();
        Doctor.SendFile(path);
        traces.push_back(Port.Trace);
        // The device stores what it receives: the image in its own order; the file on disk
        // is never written.
        EXPECT_EQ(Folder.Read(QStringLiteral("received/RACER.V64")), device) << folder;
        EXPECT_EQ(Folder.Read(QString::fromLatin1(folder) + QStringLiteral("/racer.v64")), content)
            << folder;
    }
    EXPECT_EQ(traces[1], traces[0]);
    EXPECT_EQ(traces[2], traces[0]);
    EXPECT_EQ(StreamOf(traces[0], Data1),
        QByteArray("GD6R\x01") + Bytes({ 0xE8, 0x83, 0x01, 0 }) + QByteArray("RACER   V64")
            + device);
}

TEST_F(TTransfer, LongNamesOfEveryOrderArriveAsElevenByteFieldsAndTheNextFileWhole)
{
    const QByteArray cartridge = Cartridge(40000);
    const QString big = Folder.Write(QStringLiteral("Speed Racer Deluxe (USA).z64"), cartridge);
    const QString little = Folder.Write(QStringLiteral("speedracer64.n64"), InOrder(cartridge, 3));
    const QString other
        = Folder.Write(QStringLiteral("notes.txt"), QByteArray("\x80\x37 as it is"));
    Port.Recording = false;
    Doctor.SendFiles({ big, little, other });
    EXPECT_EQ(Device.TrailingBytes(), 0u);
    EXPECT_EQ(Device.StreamError(), QString());
    EXPECT_EQ(Folder.Read(QStringLiteral("received/SPEED RA.Z64")), InOrder(cartridge, 1));
    EXPECT_EQ(Folder.Read(QStringLiteral("received/SPEEDRAC.N64")), InOrder(cartridge, 1));
    EXPECT_EQ(Folder.Read(QStringLiteral("received/NOTES.TXT")), QByteArray("\x80\x37 as it is"));
}

TEST_F(TTransfer, AnImageOfPartWordsIsRefusedBeforeThePortIsTouched)
{
    const QString good = Folder.Write(QStringLiteral("good.v64"), InOrder(Cartridge(1000), 1));
    // A device-order file of odd size goes out as it always did.
    const QString odd = Folder.Write(QStringLiteral("odd.v64"), InOrder(Cartridge(1000), 1) + "x");
    const QString big = Folder.Write(QStringLiteral("bad.z64"), Cartridge(1001));
    const QString little
        = Folder.Write(QStringLiteral("bad.n64"), InOrder(Cartridge(1000), 3) + "xy");
    Record(Doctor, Events);
    for (const QString& bad : { big, little }) {
        try {
            Doctor.SendFiles({ good, odd, bad });
            FAIL() << "an image that is no whole number of words was sent";
        } catch (const Exception& error) {
            EXPECT_TRUE(error.Message().startsWith(bad + " is a "))
                << error.Message().toStdString();
            EXPECT_TRUE(error.Message().contains(QStringLiteral("not a whole number of")));
        }
    }
    EXPECT_TRUE(Port.Trace.empty());
    EXPECT_TRUE(Events.empty());
    Doctor.SendFiles({ good, odd });
    EXPECT_EQ(Folder.Read(QStringLiteral("received/ODD.V64")), InOrder(Cartridge(1000), 1) + "x");
}

TEST_F(TTransfer, AFileThatIsNoRegularFileIsRefusedBeforeThePortIsTouched)
{
    const QString good = Folder.Write(QStringLiteral("good.v64"), QByteArray("N64"));
    // Opening a FIFO would wait for a writer for ever.
    const QString fifo = Folder.Path(QStringLiteral("pipe.v64"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(Folder.Path()).mkdir(QStringLiteral("folder.v64")));
    Record(Doctor, Events);
    for (const QString& bad : { fifo, Folder.Path(QStringLiteral("folder.v64")) }) {
        try {
            Doctor.SendFiles({ good, bad });
            FAIL() << "no refusal for " << bad.toStdString();
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Not a regular file: ") + bad);
        }
        EXPECT_THROW(TGameDoctor::CheckFile(bad), Exception);
    }
    EXPECT_TRUE(Port.Trace.empty());
    EXPECT_TRUE(Events.empty());
    EXPECT_THROW(TGameDoctor::CheckFile(Folder.Path(QStringLiteral("missing.v64"))), EFOpenError);
    EXPECT_EQ(TGameDoctor::CheckFile(good)->Size(), 3);
}

// ---- Devices that do not answer ----------------------------------------------------

class TTimeout : public ::testing::TestWithParam<TParallelPort>
{
protected:
    TTestFolder Folder;
    std::uint16_t Base() const { return GetParam() == ppLPT1 ? 0x378 : 0x278; }
    QString Warning() const
    {
        return GetParam() == ppLPT1
            ? QStringLiteral("Warning, could not locate any doctor on LPT1.")
            : QStringLiteral("Warning, could not locate any doctor on LPT2.");
    }
};

TEST_P(TTimeout, AbsentDeviceTimesOutInTheFirstHandshakeWaitThatCannotBeMet)
{
    TDoctor64 device(Folder.Path(QStringLiteral("out")), Base());
    device.SetAbsent(true);
    TRecordingPort port(&device);
    port.Recording = false;
    TGameDoctor doctor;
    doctor.SetPort(GetParam());
    doctor.SetPortIo(&port);
    std::vector<TEvent> events;
    Record(doctor, events);
    std::size_t readsAtHook = 0;
    doctor.SetOnTimeout([&] { readsAtHook = port.ReadCount; });
    const QString path = Folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    try {
        doctor.SendFile(path);
        FAIL() << "an absent device answered";
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), Warning());
    }
    // One read for the first wait (bit 3 reads clear), a million for the second.
    EXPECT_EQ(port.ReadCount, 1000001u);
    EXPECT_EQ(readsAtHook, 1000001u);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.front().Action, gaConnecting);
    // Data 0, control 4, data 0xAA, control 0; nothing after the failed wait.
    EXPECT_EQ(device.Writes(), 4u);
    EXPECT_EQ(OpenHandles(path), 0);
}

TEST_P(TTimeout, DeviceThatStopsAcknowledgingMidFileEndsTheTransferWithTheFileClosed)
{
    TDoctor64 device(Folder.Path(QStringLiteral("out")), Base());
    device.SetStallAfter(20 + 40000);
    TGameDoctor doctor;
    doctor.SetPort(GetParam());
    doctor.SetPortIo(&device);
    int hooks = 0;
    int handlesAtHook = -1;
    const QString path = Folder.Write(QStringLiteral("racer.v64"), RandomBytes(100000, 5));
    doctor.SetOnTimeout([&] {
        ++hooks;
        handlesAtHook = OpenHandles(path);
    });
    try {
        doctor.SendFile(path);
        FAIL() << "a stalled device answered";
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), Warning());
    }
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(handlesAtHook, 1);
    EXPECT_EQ(OpenHandles(path), 0);
    EXPECT_EQ(device.StreamBytes(), 40020u);
    EXPECT_FALSE(QFile::exists(Folder.Path(QStringLiteral("out/RACER.V64"))));
}

TEST_P(TTimeout, DeviceThatNeverAnswersTheHandshakeTimesOut)
{
    TDoctor64 device(Folder.Path(QStringLiteral("out")), Base());
    device.SetIgnoreHandshake(true);
    TGameDoctor doctor;
    doctor.SetPort(GetParam());
    doctor.SetPortIo(&device);
    const QString path = Folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    try {
        doctor.SendFile(path);
        FAIL();
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), Warning());
    }
    EXPECT_EQ(device.Reads(), 1000001u);
}

INSTANTIATE_TEST_SUITE_P(Ports, TTimeout, ::testing::Values(ppLPT1, ppLPT2),
    [](const auto& info) { return info.param == ppLPT1 ? "LPT1" : "LPT2"; });

TEST_F(TTransfer, SecondTransferAfterAnAbortedOneArrivesWhole)
{
    const QByteArray content = RandomBytes(3 * 1024 * 1024 + 17, 6);
    const QString path = Folder.Write(QStringLiteral("racer.v64"), content);
    Port.Recording = false;
    Device.SetStallAfter(1000000);
    EXPECT_THROW(Doctor.SendFile(path), EPortTimeout);
    Device.SetStallAfter(-1);
    Doctor.SendFile(path);
    EXPECT_EQ(Device.Handshakes(), 2);
    ASSERT_EQ(Device.Files().size(), 2u);
    EXPECT_FALSE(Device.Files()[0].Complete);
    EXPECT_TRUE(Device.Files()[1].Complete);
    EXPECT_EQ(Folder.Read(QStringLiteral("received/RACER.V64")), content);
}

// ---- The real port ------------------------------------------------------------------

// Run in a child process that gave up root rights first, so no real port is ever touched;
// there the real start-up step finds no capability and gives nothing.
TEST(TGameDoctorHardware, WithoutPortRightsTheFirstAccessNamesTheAddressNotATimeout)
{
    const TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    const auto attempt = [&path](TParallelPort port) {
        if (::geteuid() == 0 && ::setresuid(65534, 65534, 65534) != 0)
            std::_Exit(10);
        AcquirePortRights();
        TGameDoctor doctor;
        doctor.SetPort(port);
        try {
            doctor.SendFile(path);
        } catch (const EPortTimeout&) {
            std::_Exit(11);
        } catch (const EPortAccess& error) {
            std::fprintf(stderr, "%s\n", error.what());
            std::_Exit(0);
        }
        std::_Exit(12);
    };
    EXPECT_EXIT(attempt(ppLPT1), ::testing::ExitedWithCode(0),
        "Conveyor may not use LPT1 \\(0x378\\)\\. Direct port access needs the capability "
        "cap_sys_rawio: grant it once with \"sudo setcap cap_sys_rawio=p [^\"]*device_tests\"");
    EXPECT_EXIT(attempt(ppLPT2), ::testing::ExitedWithCode(0),
        "Conveyor may not use LPT2 \\(0x278\\)\\. Direct port access");
}

// ---- Any port by address; the claim around a transfer on the real port -------------------

TEST(TGameDoctorPort, TimeoutTextNamesAPortChosenByAddressAndKeepsTheLptTexts)
{
    EXPECT_EQ(TGameDoctor::TimeoutTextAt(0xD010),
        QStringLiteral("Warning, could not locate any doctor at port 0xD010."));
    EXPECT_EQ(TGameDoctor::TimeoutTextAt(0x3BC),
        QStringLiteral("Warning, could not locate any doctor at port 0x3BC."));
    EXPECT_EQ(TGameDoctor::TimeoutTextAt(0x378),
        QStringLiteral("Warning, could not locate any doctor on LPT1."));
    EXPECT_EQ(TGameDoctor::TimeoutTextAt(0x278),
        QStringLiteral("Warning, could not locate any doctor on LPT2."));

    TGameDoctor doctor;
    doctor.SetPortAddress(0xD010);
    EXPECT_TRUE(doctor.PortByAddress());
    EXPECT_EQ(doctor.PortAddress(), 0xD010);
    EXPECT_EQ(doctor.Port(), ppLPT1);
    doctor.SetPort(ppLPT2);
    EXPECT_FALSE(doctor.PortByAddress());
    EXPECT_EQ(doctor.PortAddress(), 0x278);
}

// The simulator, like the virtual port, sits at whatever address it is given.
TEST(TGameDoctorPort, TheSimulatorServesAnyAddressAndTheTimeoutNamesIt)
{
    const TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    for (const std::uint16_t base : { 0x20, 0xD010, 0x378 }) {
        TDoctor64 device(folder.Path(QStringLiteral("out")), base);
        TGameDoctor doctor;
        doctor.SetPortAddress(base);
        doctor.SetPortIo(&device);
        doctor.SendFile(path);
        ASSERT_EQ(device.Files().size(), 1u) << base;
        EXPECT_TRUE(device.Files().front().Complete);

        device.SetAbsent(true);
        try {
            doctor.SendFile(path);
            FAIL() << "an absent device answered";
        } catch (const EPortTimeout& error) {
            EXPECT_EQ(error.Message(), TGameDoctor::TimeoutTextAt(base));
        }
    }
}

class TClaimedTransfer : public ::testing::Test, protected TCardRig
{
protected:
    TClaimedTransfer()
        : TCardRig([](const TProcFolder& proc) {
            // The onboard port, and the card (without an ECR here, so the trace holds the
            // transfer alone).
            proc.AddPort(QStringLiteral("parport0"), "888\t1912\n", "PCSPP,TRISTATE\n");
            proc.AddPort(QStringLiteral("parport1"), "53264\t53248\n", "PCSPP,TRISTATE,COMPAT\n");
        })
    {
        Record(Doctor, Events);
    }

    QString Release() const { return QStringLiteral("release after %1").arg(Wires.Trace.size()); }

    std::vector<TEvent> Events;
};

TEST_F(TClaimedTransfer, ClaimsBeforeTheHandshakeAndReleasesAfterTheLastByteOnlyAtItsRegisters)
{
    const QString path = Folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    Doctor.SendFile(path);
    ASSERT_EQ(Device.Files().size(), 1u);
    EXPECT_TRUE(Device.Files().front().Complete);
    EXPECT_EQ(Claim.Events, QStringList({ "claim parport1 as parport1 after 0", Release() }));
    for (const TPortAccess& access : Wires.Trace)
        EXPECT_TRUE(access.Address == 0xD010 || access.Address == 0xD012) << access.Address;
    EXPECT_EQ(StreamOf(Wires.Trace, 0xD010).left(5), QByteArray("GD6R\x01"));
}

TEST_F(TClaimedTransfer, ATimeOutReleasesTheClaimAfterTheLastAccess)
{
    Device.SetAbsent(true);
    bool claimedAtHook = false;
    Doctor.SetOnTimeout([this, &claimedAtHook] { claimedAtHook = Claim.Held; });
    const QString path = Folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    try {
        Doctor.SendFile(path);
        FAIL() << "an absent device answered";
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Warning, could not locate any doctor at port 0xD010."));
    }
    EXPECT_TRUE(claimedAtHook);
    EXPECT_EQ(Claim.Events, QStringList({ "claim parport1 as parport1 after 0", Release() }));
    EXPECT_GT(Wires.Trace.size(), 1000000u);
}

TEST_F(TClaimedTransfer, AFileErrorReleasesTheClaimAfterTheCommandBlock)
{
    EXPECT_THROW(Doctor.SendFile(Folder.Path(QStringLiteral("missing.v64"))), EFOpenError);
    EXPECT_EQ(Claim.Events, QStringList({ "claim parport1 as parport1 after 0", Release() }));
    EXPECT_EQ(StreamOf(Wires.Trace, 0xD010), QByteArray("GD6R\x01"));
    EXPECT_FALSE(Claim.Held);
}

TEST_F(TClaimedTransfer, APortInUseIsNamedAndNeverTouched)
{
    Claim.Busy = true;
    const QString path = Folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    try {
        Doctor.SendFile(path);
        FAIL() << "a port in use was used";
    } catch (const EPortAccess& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("parport1 is in use by another program."));
    }
    Doctor.SetPort(ppLPT1);
    try {
        Doctor.SendFile(path);
        FAIL() << "a port in use was used";
    } catch (const EPortAccess& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("LPT1 is in use by another program."));
    }
    EXPECT_TRUE(Wires.Trace.empty());
    EXPECT_EQ(Claim.Events,
        QStringList({ "claim parport1 as parport1 after 0", "claim parport0 as LPT1 after 0" }));
    ASSERT_EQ(Events.size(), 2u);
    EXPECT_EQ(Events.back().Action, gaConnecting);
}

TEST_F(TClaimedTransfer, AnAddressThatIsNoParallelPortIsRefusedBeforeAnyAccess)
{
    Doctor.SetPortAddress(0x20);
    const QString path = Folder.Write(QStringLiteral("racer.v64"), QByteArray("N64"));
    try {
        Doctor.SendFile(path);
        FAIL() << "0x20 was used";
    } catch (const EPortAccess& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("0x20 is not a parallel port: Conveyor only uses LPT1 (0x378), LPT2 "
                           "(0x278), parport1 (0xD010)."));
    }
    EXPECT_TRUE(Wires.Trace.empty());
    EXPECT_TRUE(Claim.Events.isEmpty());
}

// ---- Virtual port ------------------------------------------------------------------

TEST(TGameDoctorVirtualPort, APeerThatStopsAnsweringEndsTheTransferAsATimeout)
{
    TTestFolder folder;
    const QString image = folder.Write(QStringLiteral("racer.v64"), QByteArray("1234"));
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    const TTestListener listener(path);
    std::thread peer([&listener] {
        // Takes every message and answers none, until the sender lets go.
        const int client = listener.Accept();
        char buffer[256];
        while (::recv(client, buffer, sizeof(buffer), 0) > 0) { }
        ::close(client);
    });

    TSocketPortIo port(path);
    port.SetAnswerLimit(std::chrono::milliseconds(50));
    TGameDoctor doctor;
    doctor.SetPortIo(&port);
    doctor.SetPort(ppLPT2);
    int hooks = 0;
    doctor.SetOnTimeout([&hooks] { ++hooks; });
    try {
        doctor.SendFile(image);
        ADD_FAILURE() << "the transfer went through a silent peer";
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), TGameDoctor::TimeoutText(ppLPT2));
    }
    EXPECT_EQ(hooks, 1);
    peer.join(); // the connection ended with the transfer, or this would never return
}

// ---- Images inside archives ----------------------------------------------------------

TEST_F(TTransfer, AnArchivedImageReachesThePortAsThePlainFileDoes)
{
    // A big-endian image, converted on the way like the plain file.
    QByteArray image = RandomBytes(3 * 32768 + 1000, 21);
    image.replace(0, 4, QByteArray("\x80\x37\x12\x40", 4));
    const QString plain = Folder.Write(QStringLiteral("racer.z64"), image);
    PackArchive(Folder, QStringLiteral("zip"), { "-9q", "racer.zip", "racer.z64" });
    PackArchive(Folder, QStringLiteral("7z"), { "a", "-bd", "racer.7z", "racer.z64" });
    PackArchive(Folder, QStringLiteral("gzip"), { "-k", "racer.z64" });
    Doctor.SendFile(plain);
    const QByteArray expected = StreamOf(Port.Trace, Data1);
    ASSERT_GT(expected.size(), image.size());
    for (const QString& name : { QStringLiteral("racer.zip"), QStringLiteral("racer.7z/racer.z64"),
             QStringLiteral("racer.z64.gz") }) {
        SCOPED_TRACE(name.toStdString());
        Port.Trace.clear();
        Doctor.SendFile(Folder.Path(name));
        EXPECT_EQ(StreamOf(Port.Trace, Data1), expected);
    }
}

TEST_F(TTransfer, ADamagedArchiveIsRefusedBeforeThePortIsTouched)
{
    const QString plain = Folder.Write(QStringLiteral("racer.z64"), RandomBytes(200000, 22));
    PackArchive(Folder, QStringLiteral("zip"), { "-0q", "racer.zip", "racer.z64" });
    QByteArray bytes = Folder.Read(QStringLiteral("racer.zip"));
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x55);
    const QString damaged = Folder.Write(QStringLiteral("racer.zip"), bytes);
    Record(Doctor, Events);
    try {
        Doctor.SendFiles({ plain, damaged });
        FAIL() << "a damaged archive was sent";
    } catch (const EReadError& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Read error on ") + damaged))
            << error.Message().toStdString();
    }
    EXPECT_TRUE(Port.Trace.empty());
    EXPECT_TRUE(Events.empty());
}

// The window's demonstration device answers on the port each transfer begins on; a device
// that stays on its port does not.
TEST(TFollowingDevice, AnswersOnWhicheverPortATransferBeginsOn)
{
    TTestFolder folder;
    const QString image = folder.Write(QStringLiteral("racer.v64"), RandomBytes(5000, 9));
    TDoctor64 device(folder.Path(QStringLiteral("received")), TGameDoctor::LPT1Address);
    device.SetFollowsTransfers(true);
    TGameDoctor doctor;
    doctor.SetPortIo(&device);
    doctor.SetPortChoice(TPortChoice::ForBase(TGameDoctor::LPT2Address));
    doctor.SendFile(image);
    doctor.SetPortChoice(TPortChoice::ForBase(0xD010));
    doctor.SendFile(image);
    ASSERT_EQ(device.Files().size(), 2u);
    EXPECT_TRUE(device.Files()[1].Complete);
    EXPECT_EQ(device.BaseAddress(), 0xD010);

    device.SetFollowsTransfers(false);
    doctor.SetPortChoice(TPortChoice::ForBase(TGameDoctor::LPT1Address));
    EXPECT_THROW(doctor.SendFile(image), EPortTimeout);
    doctor.SetPortIo(nullptr);
}
