#include "TInstanceServer.h"

#include "platform/RawText.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// A client that neither finishes its message nor goes away is dropped after this long, so
// nothing piles up.
constexpr int IdleClientMs = 10000;

} // namespace

TInstanceServer::TInstanceServer(QObject* parent)
    : QObject(parent)
    , FServer(new QLocalServer(this))
{
    // Only the user's own programs may hand over files; the folder is private as well.
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, &TInstanceServer::Accept);
}

TInstanceServer::~TInstanceServer()
{
    FServer->close();
}

bool TInstanceServer::Listen(const QString& socketPath)
{
    FSocketPath = socketPath;
    // The lock says nobody else serves here: a socket file still there is a crashed
    // program's.
    QLocalServer::removeServer(socketPath);
    return FServer->listen(socketPath);
}

QString TInstanceServer::ErrorText() const
{
    return QStringLiteral("Cannot listen on %1: %2")
        .arg(ReadableRawText(FSocketPath), FServer->errorString());
}

void TInstanceServer::SetHandler(THandler handler)
{
    FHandler = std::move(handler);
    const std::vector<TWaiting> waiting = std::exchange(FWaiting, {});
    for (const TWaiting& message : waiting)
        if (message.Socket && message.Socket->state() == QLocalSocket::ConnectedState)
            Handle(message.Socket, message.Path);
}

void TInstanceServer::Accept()
{
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        QTimer::singleShot(IdleClientMs, socket, [socket] { socket->abort(); });
        // Data may have come with the connection.
        Read(socket);
    }
}

void TInstanceServer::Read(QLocalSocket* socket)
{
    // One message a connection; the socket keeps what has come until it is whole.
    if (socket->property("answered").toBool())
        return;
    const QByteArray pending = socket->peek(std::min(socket->bytesAvailable(), MessageLimit + 1));
    const qsizetype end = pending.indexOf(MessageEnd);
    if (end < 0) {
        if (pending.size() > MessageLimit)
            socket->abort();
        return;
    }
    const QString path = DecodeRawText(socket->read(end + 1).left(end));
    socket->setProperty("answered", true);
    if (FHandler)
        Handle(socket, path);
    else
        FWaiting.push_back({ socket, path });
}

void TInstanceServer::Handle(QLocalSocket* socket, const QString& path)
{
    if (FHandler)
        FHandler(path);
    socket->write(Answer);
    socket->disconnectFromServer();
}
