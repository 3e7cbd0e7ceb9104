#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QLocalServer;
class QLocalSocket;

// The running Conveyor's end of the local socket through which a second start hands over
// its file. A message is the path's bytes (empty: only come to the front) and a NUL; the
// answer, sent once the path has been opened, is Answer.
class TInstanceServer : public QObject
{
    Q_OBJECT

public:
    // What a message asks for: the absolute path as raw text, or empty.
    using THandler = std::function<void(const QString& path)>;

    static constexpr char MessageEnd = '\0';
    static constexpr const char* Answer = "opened\n";
    // A path is never this long; a client that sends more is dropped.
    static constexpr qsizetype MessageLimit = 65536;

    explicit TInstanceServer(QObject* parent = nullptr);
    ~TInstanceServer() override;

    // Listens on the socket, first removing one left by a program that ended without
    // cleaning up. Only the holder of the instance lock may call it, since it takes the
    // socket from whoever listens there. False, with ErrorText, when listening fails.
    bool Listen(const QString& socketPath);
    QString ErrorText() const;
    const QString& SocketPath() const { return FSocketPath; }

    // Messages that came before the handler was set are handed to it now, in their order;
    // those whose sender has given up meanwhile are dropped, since it has said they failed.
    void SetHandler(THandler handler);

private:
    struct TWaiting
    {
        QPointer<QLocalSocket> Socket;
        QString Path;
    };

    void Accept();
    void Read(QLocalSocket* socket);
    void Handle(QLocalSocket* socket, const QString& path);

    QLocalServer* FServer;
    QString FSocketPath;
    THandler FHandler;
    std::vector<TWaiting> FWaiting;
};
