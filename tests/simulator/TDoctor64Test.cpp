#include "simulator/TDoctor64.h"
#include "TTestFolder.h"
#include "platform/port/EPortAccess.h"
#include "simulator/TDoctor64Peer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::uint16_t Data = 0x378;
constexpr std::uint16_t Control = 0x37A;

std::uint8_t Select(TDoctor64& device)
{
    return device.Read(Control) & 8;
}

std::uint8_t Acknowledge(TDoctor64& device)
{
    return device.Read(Control) & 2;
}

void Handshake(TDoctor64& device)
{
    device.Write(Data, 0);
    device.Write(Control, 4);
    device.Write(Data, 0xAA);
    device.Write(Control, 0);
    device.Write(Control, 4);
    device.Write(Data, 0x55);
    device.Write(Control, 0);
    device.Write(Control, 4);
}

// Strobes bytes in the way the sender does, without waiting for the device.
class TStrober
{
public:
    explicit TStrober(TDoctor64& device)
        : FDevice(device)
    {
    }
    void Send(const QByteArray& bytes)
    {
        for (const char byte : bytes) {
            FDevice.Write(Data, static_cast<std::uint8_t>(byte));
            FHigh = !FHigh;
            FDevice.Write(Control, FHigh ? 5 : 4);
        }
    }

private:
    TDoctor64& FDevice;
    bool FHigh = false;
};

QByteArray Size(std::uint32_t size)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(static_cast<char>(size >> (8 * i)));
    return bytes;
}

} // namespace

// ---- Registers and handshake -------------------------------------------------------

TEST(TDoctor64Registers, ControlReadsBackWithTheDevicesOwnLines)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    device.Write(Control, 0xFF);
    EXPECT_EQ(device.Read(Control), 0xF5);
    device.Write(Data, 0x5A);
    EXPECT_EQ(device.Read(Data), 0x5A);
    // Nothing answers outside the device's own port.
    EXPECT_EQ(device.Read(0x27A), 0xFF);

    TDoctor64 absent(folder.Path());
    absent.SetAbsent(true);
    for (const std::uint8_t value : { 0x00, 0x04, 0x0A, 0xFF }) {
        absent.Write(Control, value);
        EXPECT_EQ(absent.Read(Control), value);
    }
    absent.Write(Data, 0xAA);
    absent.Write(Control, 0);
    EXPECT_EQ(absent.Read(Control), 0);
}

TEST(TDoctor64Registers, AMovedDeviceAnswersOnItsNewPortOnly)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    device.SetBaseAddress(0x278);
    EXPECT_EQ(device.BaseAddress(), 0x278);
    device.Write(0x27A, 0xFF);
    EXPECT_EQ(device.Read(0x27A), 0xF5) << "the device's own lines on LPT2";
    device.Write(Control, 0xFF);
    EXPECT_EQ(device.Read(Control), 0xFF) << "LPT1 is left without a device";
}

TEST(TDoctor64Registers, HandshakeRaisesAndLowersSelectInStep)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path(), 0x278);
    const std::uint16_t data = 0x278;
    const std::uint16_t control = 0x27A;
    EXPECT_EQ(device.Read(control) & 8, 0);
    device.Write(data, 0x55);
    device.Write(control, 0);
    EXPECT_EQ(device.Read(control) & 8, 0) << "0x55 before 0xAA must not count";
    device.Write(data, 0xAA);
    device.Write(control, 0);
    EXPECT_EQ(device.Read(control) & 8, 8);
    device.Write(control, 4);
    EXPECT_EQ(device.Read(control) & 8, 0);
    device.Write(data, 0x55);
    device.Write(control, 0);
    EXPECT_EQ(device.Read(control) & 8, 8);
    EXPECT_FALSE(device.Streaming());
    device.Write(control, 4);
    EXPECT_EQ(device.Read(control), 4);
    EXPECT_TRUE(device.Streaming());
    EXPECT_EQ(device.Handshakes(), 1);
}

TEST(TDoctor64Registers, NewHandshakeStartsWhateverTheDeviceWasDoing)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    Handshake(device);
    TStrober(device).Send(QByteArray("GD6R\x01") + Size(100) + QByteArray("RACER   V64") + "abc");
    ASSERT_EQ(device.StreamBytes(), 23u);
    device.Write(Data, 0xAA);
    device.Write(Control, 0);
    EXPECT_EQ(Select(device), 8);
    EXPECT_FALSE(device.Streaming());
    // The half-received file was dropped, not stored.
    ASSERT_EQ(device.Files().size(), 1u);
    EXPECT_FALSE(device.Files()[0].Complete);
    EXPECT_EQ(device.Files()[0].ReceivedBytes, 3u);
    EXPECT_FALSE(QFile::exists(folder.Path(QStringLiteral("RACER.V64"))));
}

TEST(TDoctor64Registers, EachStrobeChangeLatchesTheDataAndAnswersOnBitOne)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    // Before the handshake a strobe is no byte.
    device.Write(Data, 'X');
    device.Write(Control, 5);
    device.Write(Control, 4);
    Handshake(device);
    EXPECT_EQ(Acknowledge(device), 0);
    EXPECT_EQ(device.StreamBytes(), 0u);

    device.Write(Data, 'G');
    device.Write(Control, 5);
    EXPECT_EQ(Acknowledge(device), 2);
    EXPECT_EQ(device.Read(Control), 7);
    device.Write(Control, 5); // no change, no byte
    EXPECT_EQ(device.StreamBytes(), 1u);
    device.Write(Data, 'D');
    device.Write(Control, 4);
    EXPECT_EQ(Acknowledge(device), 0);
    EXPECT_EQ(device.StreamBytes(), 2u);
}

TEST(TDoctor64Registers, AcknowledgeLatencyHoldsTheOldLevelForThatManyReads)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    device.SetAcknowledgeLatency(3);
    Handshake(device);
    device.Write(Data, 'G');
    device.Write(Control, 5);
    EXPECT_EQ(Acknowledge(device), 0);
    EXPECT_EQ(Acknowledge(device), 0);
    EXPECT_EQ(Acknowledge(device), 0);
    EXPECT_EQ(Acknowledge(device), 2);
    EXPECT_EQ(Acknowledge(device), 2);
}

TEST(TDoctor64Faults, NeverAnsweringTheHandshakeKeepsSelectLow)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    device.SetIgnoreHandshake(true);
    device.Write(Data, 0xAA);
    device.Write(Control, 0);
    EXPECT_EQ(Select(device), 0);
    Handshake(device);
    EXPECT_FALSE(device.Streaming());
}

TEST(TDoctor64Faults, StallingStopsBothLatchingAndAcknowledging)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    device.SetStallAfter(2);
    Handshake(device);
    TStrober strober(device);
    strober.Send("G");
    EXPECT_EQ(Acknowledge(device), 2);
    strober.Send("D");
    EXPECT_EQ(Acknowledge(device), 0);
    strober.Send("6");
    EXPECT_EQ(Acknowledge(device), 0) << "a stalled device still answered";
    EXPECT_EQ(device.StreamBytes(), 2u);
}

// ---- Stream decoding ---------------------------------------------------------------

TEST(TDoctor64Stream, StoresEachFileUnderItsNameAndCountsTrailingBytes)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path(QStringLiteral("out")));
    std::vector<TReceivedFile> ended;
    device.SetOnFileEnded([&ended](const TReceivedFile& file) { ended.push_back(file); });
    Handshake(device);
    const QByteArray big(200000, 'z');
    TStrober(device).Send(QByteArray("GD6R\x03") + Size(5) + QByteArray("RACER   V64") + "hello"
        + Size(0) + QByteArray("README     ") + Size(200000) + QByteArray(" CHESS  US ") + big
        + "tail");
    EXPECT_EQ(folder.Read(QStringLiteral("out/RACER.V64")), QByteArray("hello"));
    EXPECT_EQ(folder.Read(QStringLiteral("out/README")), QByteArray());
    EXPECT_EQ(folder.Read(QStringLiteral("out/CHESS.US")), big);
    EXPECT_EQ(device.TrailingBytes(), 4u);
    EXPECT_TRUE(device.StreamError().isEmpty());
    ASSERT_EQ(ended.size(), 3u);
    EXPECT_EQ(ended[0].Name, QStringLiteral("RACER.V64"));
    EXPECT_EQ(ended[1].Name, QStringLiteral("README"));
    EXPECT_EQ(ended[2].Name, QStringLiteral("CHESS.US"));
    EXPECT_EQ(ended[2].ReceivedBytes, 200000u);
    EXPECT_EQ(ended[2].DeclaredSize, 200000u);
    EXPECT_TRUE(ended[2].Complete);
}

TEST(TDoctor64Stream, LongDeviceNameShiftsTheDataAndLeavesTrailingBytes)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    Handshake(device);
    TStrober(device).Send(
        QByteArray("GD6R\x01") + Size(6) + QByteArray("SPEEDRACER64V64") + "abcdef");
    EXPECT_EQ(folder.Read(QStringLiteral("SPEEDRAC.ER6")), QByteArray("4V64ab"));
    EXPECT_EQ(device.TrailingBytes(), 4u);
}

TEST(TDoctor64Stream, StreamWithoutTheMagicIsCountedNotStored)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    Handshake(device);
    TStrober(device).Send(QByteArray("XD6R\x01") + Size(1) + QByteArray("RACER   V64") + "a");
    EXPECT_EQ(device.TrailingBytes(), 21u);
    EXPECT_EQ(device.StreamError(), QStringLiteral("The stream does not start with GD6R"));
    EXPECT_TRUE(QDir(folder.Path()).isEmpty());
}

TEST(TDoctor64Stream, TellsEveryWayAStreamMissesItsAnnouncedEnd)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    const QByteArray racer = Size(5) + QByteArray("RACER   V64") + "hello";
    const struct
    {
        QByteArray Stream;
        QStringList Faults;
    } cases[] = {
        { QByteArray("GD6R\x01") + racer, {} },
        { QByteArray("GD6R\x02") + Size(0) + QByteArray("README     ") + racer, {} },
        { QByteArray("GD6R\x02") + racer,
            { QStringLiteral("The stream announced 2 files but 1 arrived whole") } },
        { QByteArray("GD6R\x01") + racer + "tail",
            { QStringLiteral("4 bytes came after the announced files") } },
        // 256 files announce none: everything after the count is beyond them.
        { QByteArray("GD6R\x00", 5) + racer,
            { QStringLiteral("20 bytes came after the announced files") } },
        { QByteArray("GD6R\x01") + racer.left(17),
            { QStringLiteral("RACER.V64 did not arrive whole: 2 of 5 bytes"),
                QStringLiteral("The stream announced 1 file but 0 arrived whole") } },
        { QByteArray("GD6R\x01") + racer.left(9),
            { QStringLiteral("The stream announced 1 file but 0 arrived whole") } },
        { QByteArray("GD6"),
            { QStringLiteral("The stream ended inside its command block (3 bytes)") } },
        { QByteArray("XD6R\x01") + racer,
            { QStringLiteral("The stream does not start with GD6R") } },
    };
    for (const auto& item : cases) {
        Handshake(device);
        TStrober(device).Send(item.Stream);
        EXPECT_EQ(device.StreamFaults(), item.Faults) << item.Stream.toHex().toStdString();
        // A peer that went away changes nothing in the verdict.
        device.EndStream();
        EXPECT_EQ(device.StreamFaults(), item.Faults) << item.Stream.toHex().toStdString();
    }
}

TEST(TDoctor64Stream, ControlCharactersOfANameAreStoredAsUnderscores)
{
    // 0x9B is the C1 control that terminals read as the start of an escape sequence.
    const QByteArray field = QByteArray("A\x9B") + "B\x01\x7F\x80\x9F" + " V64";
    ASSERT_EQ(field.size(), 11);
    EXPECT_EQ(TDoctor64::FileNameFor(field), QStringLiteral("A_B____.V64"));
    // Latin-1 letters above the C1 block stay.
    EXPECT_EQ(TDoctor64::FileNameFor(QByteArray("\xC9T\xC9     V64", 11)),
        QString::fromUtf8("\u00C9T\u00C9.V64"));
}

TEST(TDoctor64Stream, NamesCannotLeaveTheOutputFolder)
{
    EXPECT_EQ(TDoctor64::FileNameFor("RACER   V64"), QStringLiteral("RACER.V64"));
    EXPECT_EQ(TDoctor64::FileNameFor("README     "), QStringLiteral("README"));
    EXPECT_EQ(TDoctor64::FileNameFor("           "), QStringLiteral("NONAME"));
    EXPECT_EQ(TDoctor64::FileNameFor("..         "), QStringLiteral("__"));
    EXPECT_EQ(TDoctor64::FileNameFor(".         ."), QStringLiteral("..."));
    EXPECT_EQ(TDoctor64::FileNameFor("../etc/pV64"), QStringLiteral(".._etc_p.V64"));
    EXPECT_EQ(
        TDoctor64::FileNameFor(QByteArray("A\0B\nC   \\X/", 11)), QStringLiteral("A_B_C._X_"));
}

TEST(TDoctor64Stream, ATakenNameGetsANumberAndNothingIsReplaced)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("out/RACER.V64"), QByteArray("old contents"));
    TDoctor64 device(folder.Path(QStringLiteral("out")));
    std::vector<TReceivedFile> ended;
    device.SetOnFileEnded([&ended](const TReceivedFile& file) { ended.push_back(file); });
    Handshake(device);
    TStrober(device).Send(QByteArray("GD6R\x02") + Size(3) + QByteArray("RACER   V64") + "new"
        + Size(4) + QByteArray("RACER   V64") + "next");
    EXPECT_EQ(folder.Read(QStringLiteral("out/RACER.V64")), QByteArray("old contents"));
    EXPECT_EQ(folder.Read(QStringLiteral("out/RACER.V64.2")), QByteArray("new"));
    EXPECT_EQ(folder.Read(QStringLiteral("out/RACER.V64.3")), QByteArray("next"));
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[0].Name, QStringLiteral("RACER.V64.2"));
    EXPECT_EQ(ended[1].Name, QStringLiteral("RACER.V64.3"));
    EXPECT_TRUE(ended[0].Complete && ended[1].Complete);
    EXPECT_EQ(
        QDir(folder.Path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(), 3)
        << "a partial file was left behind";
}

TEST(TDoctor64Stream, APlantedLinkIsNeverFollowed)
{
    TTestFolder folder;
    const QString elsewhere = folder.Write(QStringLiteral("elsewhere"), QByteArray("precious"));
    ASSERT_TRUE(QDir().mkdir(folder.Path(QStringLiteral("out"))));
    ASSERT_TRUE(QFile::link(elsewhere, folder.Path(QStringLiteral("out/RACER.V64"))));
    TDoctor64 device(folder.Path(QStringLiteral("out")));
    Handshake(device);
    TStrober(device).Send(QByteArray("GD6R\x01") + Size(3) + QByteArray("RACER   V64") + "new");
    EXPECT_EQ(folder.Read(QStringLiteral("elsewhere")), QByteArray("precious"));
    EXPECT_EQ(QFileInfo(folder.Path(QStringLiteral("out/RACER.V64"))).symLinkTarget(), elsewhere)
        << "the link was replaced";
    EXPECT_EQ(folder.Read(QStringLiteral("out/RACER.V64.2")), QByteArray("new"));
    ASSERT_EQ(device.Files().size(), 1u);
    EXPECT_EQ(device.Files()[0].Name, QStringLiteral("RACER.V64.2"));
}

TEST(TDoctor64Stream, EndOfStreamDropsTheUnfinishedFile)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("RACER.V64"), QByteArray("keep me"));
    TDoctor64 device(folder.Path());
    Handshake(device);
    TStrober(device).Send(QByteArray("GD6R\x01") + Size(300000) + QByteArray("RACER   V64")
        + QByteArray(100000, 'x'));
    device.EndStream();
    ASSERT_EQ(device.Files().size(), 1u);
    EXPECT_FALSE(device.Files()[0].Complete);
    EXPECT_EQ(device.Files()[0].ReceivedBytes, 100000u);
    EXPECT_EQ(folder.Read(QStringLiteral("RACER.V64")), QByteArray("keep me"));
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files).size(), 1);
}

TEST(TDoctor64Stream, UnwritableOutputFolderIsAnErrorNamingIt)
{
    TTestFolder folder;
    const QString blocked = folder.Write(QStringLiteral("not-a-folder"), QByteArray("x"));
    TDoctor64 device(blocked);
    Handshake(device);
    TStrober strober(device);
    try {
        strober.Send(QByteArray("GD6R\x01") + Size(1) + QByteArray("RACER   V64"));
        FAIL() << "the file went nowhere without a word";
    } catch (const Exception& error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("RACER.V64")))
            << qPrintable(error.Message());
        EXPECT_TRUE(error.Message().contains(blocked)) << qPrintable(error.Message());
    }
}

// ---- Peer server -------------------------------------------------------------------

namespace {

int ConnectTo(const QString& path)
{
    const int handle = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(handle);
        return -1;
    }
    return handle;
}

void SendBytes(int handle, const QByteArray& bytes)
{
    ASSERT_EQ(
        ::send(handle, bytes.constData(), static_cast<std::size_t>(bytes.size()), 0), bytes.size());
}

int ReceiveByte(int handle)
{
    unsigned char value = 0;
    return ::recv(handle, &value, 1, 0) == 1 ? value : -1;
}

} // namespace

TEST(TDoctor64Peer, AppliesMessagesInOrderEvenWhenTheyArriveInPieces)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    TDoctor64Peer peer(device, path);
    bool served = false;
    std::thread server([&] { served = peer.ServeOne(); });

    const int client = ConnectTo(path);
    ASSERT_GE(client, 0);
    // A write split over three sends, then a read of what it did.
    SendBytes(client, QByteArray("W"));
    SendBytes(client, QByteArray("\x78\x03", 2));
    SendBytes(client, QByteArray("\x5A", 1));
    SendBytes(client, QByteArray("R\x78\x03", 3));
    EXPECT_EQ(ReceiveByte(client), 0x5A);
    // Several messages in one piece: the handshake's first half, then a control read.
    SendBytes(client,
        QByteArray("W\x78\x03\xAA"
                   "W\x7A\x03\x00"
                   "R\x7A\x03",
            11));
    EXPECT_EQ(ReceiveByte(client), 0x08);
    // Two reads at once get two answers, in order.
    SendBytes(client, QByteArray("R\x79\x03R\x7A\x02", 6));
    EXPECT_EQ(ReceiveByte(client), 0x00);
    EXPECT_EQ(ReceiveByte(client), 0xFF);
    ::close(client);
    server.join();
    EXPECT_TRUE(served);
    EXPECT_EQ(device.Writes(), 3u);
}

TEST(TDoctor64Peer, UnknownMessageEndsTheConnectionWithAnError)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    TDoctor64Peer peer(device, path);
    QString message;
    std::thread server([&] {
        try {
            peer.ServeOne();
        } catch (const EPortAccess& error) {
            message = error.Message();
        }
    });
    const int client = ConnectTo(path);
    ASSERT_GE(client, 0);
    SendBytes(client, QByteArray("Q\x78\x03", 3));
    EXPECT_EQ(ReceiveByte(client), -1) << "the connection stayed open";
    ::close(client);
    server.join();
    EXPECT_TRUE(message.contains(QStringLiteral("0x51"))) << qPrintable(message);
}

TEST(TDoctor64Peer, ReplacesAStaleSocketButNoOtherFile)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    {
        // A socket file left behind by a server that is gone.
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, QFile::encodeName(path).constData());
        ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ::close(stale);
    }
    {
        TDoctor64Peer peer(device, path);
        const int client = ConnectTo(path);
        EXPECT_GE(client, 0);
        ::close(client);
        // A peer that is alive keeps its socket.
        EXPECT_THROW(TDoctor64Peer(device, path), EPortAccess);
        const int again = ConnectTo(path);
        EXPECT_GE(again, 0);
        ::close(again);
    }
    EXPECT_FALSE(QFile::exists(path)) << "the socket outlived its server";

    const QString plain = folder.Write(QStringLiteral("plain"), QByteArray("data"));
    EXPECT_THROW(TDoctor64Peer(device, plain), EPortAccess);
    EXPECT_EQ(folder.Read(QStringLiteral("plain")), QByteArray("data"));
}

// Finding out that a peer serves the path must not be that peer's client: a peer serving
// one client only would end on it, and one whose queue is full would keep the asker waiting.
TEST(TDoctor64Peer, ASecondPeerOnALivePathIsRefusedAndTheFirstServesItsRealClient)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    TDoctor64Peer first(device, path);
    bool served = false;
    std::thread server([&] { served = first.ServeOne(); });

    TDoctor64 other(folder.Path());
    try {
        TDoctor64Peer second(other, path);
        ADD_FAILURE() << "a second peer took a live path";
    } catch (const EPortAccess& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Cannot listen at %1: another device peer is listening there")
                .arg(path));
    }

    const int client = ConnectTo(path);
    ASSERT_GE(client, 0);
    SendBytes(client, QByteArray("W\x78\x03\x5A", 4));
    ::close(client);
    server.join();
    EXPECT_TRUE(served);
    EXPECT_EQ(device.Writes(), 1u) << "the first peer served the asker instead of its client";
}

TEST(TDoctor64Peer, APeerRemovesOnlyTheSocketItCreated)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    const QByteArray bytes = QFile::encodeName(path);
    int newer = -1;
    {
        TDoctor64Peer peer(device, path);
        // Someone put another socket at the path while the peer served.
        ASSERT_EQ(::unlink(bytes.constData()), 0);
        newer = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, bytes.constData());
        ASSERT_EQ(::bind(newer, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ASSERT_EQ(::listen(newer, 1), 0);
    }
    EXPECT_TRUE(QFileInfo::exists(path)) << "the peer removed a socket it did not create";
    const int client = ConnectTo(path);
    EXPECT_GE(client, 0);
    if (client >= 0)
        ::close(client);
    ::close(newer);
    // Its lock went with it, so the next peer may take the path.
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".lock")));
    ::unlink(bytes.constData());
    EXPECT_NO_THROW(TDoctor64Peer(device, path));
}

TEST(TDoctor64Peer, AStopIsSeenWhileAClientNeitherSendsNorReads)
{
    TTestFolder folder;
    TDoctor64 device(folder.Path());
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    TDoctor64Peer peer(device, path);
    std::atomic<bool> stop = false;
    peer.SetStopRequested([&stop] { return stop.load(); });
    std::promise<bool> served;
    std::future<bool> result = served.get_future();
    std::thread server([&] { served.set_value(peer.ServeOne()); });

    const int client = ConnectTo(path);
    ASSERT_GE(client, 0);
    // Reads whose answers are never taken, until the peer can send no more of them.
    const QByteArray reads = QByteArray("R\x7A\x03").repeated(4096);
    while (::send(client, reads.constData(), static_cast<std::size_t>(reads.size()), MSG_DONTWAIT)
        > 0) { }
    stop = true;
    const bool ended = result.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    EXPECT_TRUE(ended) << "the peer did not notice the stop";
    ::shutdown(client, SHUT_RDWR); // frees a peer stuck in a send, so the test can end
    server.join();
    ::close(client);
    EXPECT_FALSE(result.get()) << "serving ended as if the client had left";
}
