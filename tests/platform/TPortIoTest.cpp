#include "TTestFolder.h"
#include "TTestListener.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/EPortSilent.h"
#include "platform/port/TDevPortIo.h"
#include "platform/port/TSocketPortIo.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// Reads count bytes, or all until the other side closes when count is negative.
QByteArray Receive(int handle, qsizetype count)
{
    QByteArray bytes;
    while (count < 0 || bytes.size() < count) {
        char buffer[64];
        const std::size_t want = count < 0
            ? sizeof(buffer)
            : std::min<std::size_t>(sizeof(buffer), static_cast<std::size_t>(count - bytes.size()));
        const ssize_t done = ::recv(handle, buffer, want, 0);
        if (done <= 0)
            break;
        bytes.append(buffer, done);
    }
    return bytes;
}

void Answer(int handle, std::uint8_t value)
{
    ::send(handle, &value, 1, MSG_NOSIGNAL);
}

} // namespace

// ---- Virtual port ------------------------------------------------------------------

TEST(TSocketPortIo, SpeaksTheVirtualPortMessagesAndHoldsWritesUntilTheNextRead)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    const TTestListener listener(path);

    std::promise<void> written;
    std::promise<bool> heldBack;
    QByteArray first, second, rest;
    std::thread peer([&] {
        const int client = listener.Accept();
        first = Receive(client, 3);
        Answer(client, 0x04);
        written.get_future().wait();
        char byte;
        heldBack.set_value(::recv(client, &byte, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN);
        second = Receive(client, 4 + 4 + 3);
        Answer(client, 0x8F);
        rest = Receive(client, -1);
        ::close(client);
    });

    {
        TSocketPortIo port(path);
        EXPECT_EQ(port.Read(0x37A), 0x04);
        port.Write(0x378, 0xAA);
        port.Write(0x27A, 0x05);
        written.set_value();
        EXPECT_TRUE(heldBack.get_future().get()) << "a write went out before the next read";
        EXPECT_EQ(port.Read(0x37A), 0x8F);
        port.Write(0x378, 0x11);
        port.Flush();
        port.Write(0x378, 0x22); // left for the end of the connection
    }
    peer.join();
    EXPECT_EQ(first, QByteArray("R\x7A\x03", 3));
    EXPECT_EQ(second,
        QByteArray("W\x78\x03\xAA"
                   "W\x7A\x02\x05"
                   "R\x7A\x03",
            11));
    EXPECT_EQ(rest,
        QByteArray("W\x78\x03\x11"
                   "W\x78\x03\x22",
            8));
}

TEST(TSocketPortIo, PeerThatClosesEndsTheReadWithAClearError)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    const TTestListener listener(path);
    std::thread peer([&] {
        const int client = listener.Accept();
        Receive(client, 3);
        ::close(client);
    });
    TSocketPortIo port(path);
    try {
        port.Read(0x37A);
        FAIL() << "a read from a closed peer returned";
    } catch (const EPortAccess& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("The device peer closed the connection"));
    }
    peer.join();
    // Later writes meet the same closed connection and say so rather than raise a signal.
    port.Write(0x378, 1);
    EXPECT_THROW(
        {
            for (int i = 0; i < 100; ++i) {
                port.Write(0x378, 1);
                port.Flush();
                usleep(1000);
            }
        },
        EPortAccess);
}

TEST(TSocketPortIo, ConnectsOnlyAtTheFirstAccessAndNamesAMissingPeer)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("nobody-listens.sock"));
    TSocketPortIo port(path);
    try {
        port.Read(0x37A);
        FAIL();
    } catch (const EPortAccess& error) {
        EXPECT_TRUE(error.Message().startsWith(
            QStringLiteral("Cannot connect to the device peer at %1: ").arg(path)))
            << qPrintable(error.Message());
    }
}

TEST(TSocketPortIo, APeerThatStopsAnsweringEndsTheReadAfterTheLimit)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    const TTestListener listener(path);
    QByteArray heard;
    std::thread peer([&] {
        const int client = listener.Accept();
        heard = Receive(client, -1); // takes every message, answers none
        ::close(client);
    });
    TSocketPortIo port(path);
    port.SetAnswerLimit(std::chrono::milliseconds(50));
    port.Begin(0x378);
    try {
        port.Read(0x37A);
        ADD_FAILURE() << "a read without an answer returned";
    } catch (const EPortSilent& error) {
        EXPECT_EQ(
            error.Message(), QStringLiteral("The device peer did not answer within 0.05 seconds"));
    }
    port.End();
    peer.join(); // the silent peer was let go, or this would never return
    EXPECT_EQ(heard, QByteArray("R\x7A\x03", 3));
    EXPECT_EQ(TSocketPortIo::AnswerLimit, std::chrono::seconds(5));
}

TEST(TSocketPortIo, EachTransferHasItsOwnConnectionSoARestartedPeerIsFound)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("peer.sock"));
    TSocketPortIo port(path);
    for (int run = 0; run < 2; ++run) {
        // A new peer each time, as after a restart; the old socket file goes first.
        ::unlink(QFile::encodeName(path).constData());
        const TTestListener listener(path);
        QByteArray heard;
        std::thread peer([&] {
            const int client = listener.Accept();
            heard = Receive(client, 3);
            Answer(client, 0x42);
            heard += Receive(client, -1); // until the sender lets go
            ::close(client);
        });
        port.Begin(0x378);
        EXPECT_EQ(port.Read(0x37A), 0x42);
        port.Write(0x378, 0x07);
        port.End();
        peer.join(); // the connection ended with the transfer, or this would never return
        EXPECT_EQ(heard, QByteArray("R\x7A\x03W\x78\x03\x07", 7)) << "run " << run;
    }
}

// ---- /dev/port ---------------------------------------------------------------------

TEST(TDevPortIo, EachAddressIsAnOffsetOfTheDevice)
{
    TTestFolder folder;
    QByteArray image(0x400, '\0');
    image[0x379] = '\x7F';
    const QString path = folder.Write(QStringLiteral("port"), image);
    {
        TDevPortIo port(path);
        EXPECT_EQ(port.Read(0x379), 0x7F);
        port.Write(0x37A, 0x05);
        port.Write(0x278, 0xAA);
        EXPECT_EQ(port.Read(0x37A), 0x05);
    }
    const QByteArray after = folder.Read(QStringLiteral("port"));
    EXPECT_EQ(after.at(0x37A), '\x05');
    EXPECT_EQ(after.at(0x278), '\xAA');
    EXPECT_EQ(after.size(), 0x400);
}

TEST(TDevPortIo, OpensNothingBeforeTheFirstAccess)
{
    TTestFolder folder;
    TDevPortIo port(folder.Path(QStringLiteral("missing")));
    try {
        port.Write(0x278, 0);
        FAIL();
    } catch (const EPortAccess& error) {
        EXPECT_TRUE(
            error.Message().startsWith(QStringLiteral("Cannot access the parallel port at 0x278")))
            << qPrintable(error.Message());
    }
}

// The child gives up root rights first, so that the refusal is real.
TEST(TDevPortIo, RefusalNamesTheAddressAndTheRemedy)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("port"), QByteArray(0x400, '\0'));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    const auto attempt = [&path] {
        if (::geteuid() == 0 && ::setresuid(65534, 65534, 65534) != 0)
            std::_Exit(10);
        TDevPortIo port(path);
        try {
            port.Read(0x378);
        } catch (const EPortAccess& error) {
            std::fprintf(stderr, "%s\n", error.what());
            std::_Exit(0);
        }
        std::_Exit(11);
    };
    EXPECT_EXIT(attempt(), ::testing::ExitedWithCode(0),
        "Cannot access the parallel port at 0x378: Permission denied\\. "
        "Direct port access needs the capability cap_sys_rawio.*setcap cap_sys_rawio=p");
}
