#include "TInstanceClient.h"

#include "platform/RawText.h"
#include "shell/TInstanceServer.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include <algorithm>

namespace {

// How long to wait between two tries to connect: the running program takes its lock a
// moment before it listens.
constexpr qint64 ConnectRetryMs = 50;

int Remaining(const QDeadlineTimer& deadline)
{
    return int(std::max<qint64>(deadline.remainingTime(), 0));
}

} // namespace

QString TInstanceClient::HandOver(const QString& socketPath, const QString& path, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(Remaining(deadline)))
            break;
        if (deadline.hasExpired())
            return QStringLiteral("nobody listens on %1").arg(ReadableRawText(socketPath));
        QThread::msleep(std::min<qint64>(ConnectRetryMs, Remaining(deadline)));
    }

    QByteArray message = EncodeRawText(path);
    message.append(TInstanceServer::MessageEnd);
    socket.write(message);
    QByteArray answer;
    while (!answer.contains('\n') && !deadline.hasExpired()) {
        if (socket.bytesToWrite() > 0)
            socket.waitForBytesWritten(Remaining(deadline));
        if (!socket.waitForReadyRead(Remaining(deadline))
            && socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            break;
        answer += socket.readAll();
    }
    if (answer == TInstanceServer::Answer)
        return QString();
    if (answer.isEmpty() && socket.state() != QLocalSocket::ConnectedState)
        return QStringLiteral("it closed the connection without an answer");
    if (answer.isEmpty())
        return QStringLiteral("it did not answer");
    return QStringLiteral("it gave an answer this program does not know");
}
