#include "TSingleInstance.h"

#include "platform/Exception.h"
#include "platform/RawText.h"
#include "platform/RuntimeFolder.h"
#include "platform/TInstanceLock.h"
#include "shell/TInstanceClient.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace {

// Enough of the hash to tell settings files apart; short enough for a socket's name, whose
// whole path must fit in about a hundred bytes.
constexpr int KeyLength = 16;

} // namespace

TSingleInstance::TSingleInstance(const QString& settingsFile)
    : FSettingsFile(settingsFile)
{
    QString folder;
    try {
        folder = UserRuntimeFolder();
    } catch (const Exception& error) {
        FWarning = error.Message();
        return;
    }
    Decide(folder);
}

TSingleInstance::TSingleInstance(const QString& settingsFile, const QString& folder)
    : FSettingsFile(settingsFile)
{
    Decide(folder);
}

TSingleInstance::~TSingleInstance()
{
    // The socket goes before the lock, so that whoever takes the lock next finds none.
    FServer.reset();
}

QString TSingleInstance::InstanceName(const QString& settingsFile)
{
    // The same file reached through a linked folder is the same instance.
    const QFileInfo file(settingsFile);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QString key
        = (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
    const QByteArray hash
        = QCryptographicHash::hash(EncodeRawText(key), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("conveyor-") + UserName() + QLatin1Char('-')
        + QString::fromLatin1(hash.left(KeyLength));
}

void TSingleInstance::Decide(const QString& folder)
{
    const QString base = folder + QLatin1Char('/') + InstanceName(FSettingsFile);
    FLockPath = base + QStringLiteral(".lock");
    FSocketPath = base + QStringLiteral(".socket");
    FLock = std::make_unique<TInstanceLock>(FLockPath);
    try {
        FFirst = FLock->TryLock();
    } catch (const Exception& error) {
        FWarning = error.Message();
        FLock.reset();
        return;
    }
    if (!FFirst)
        return;
    FServer = std::make_unique<TInstanceServer>();
    if (!FServer->Listen(FSocketPath)) {
        FWarning = FServer->ErrorText();
        FServer.reset();
    }
}

void TSingleInstance::Serve(TInstanceServer::THandler handler)
{
    if (FServer)
        FServer->SetHandler(std::move(handler));
}

QString TSingleInstance::HandOver(const QString& path, int timeoutMs) const
{
    const QString failure = TInstanceClient::HandOver(FSocketPath, path, timeoutMs);
    if (failure.isEmpty())
        return failure;
    return QStringLiteral("Conveyor already runs with the settings %1, but %2 within %3 "
                          "seconds; it may be hung. Close it, or end it, and start again.")
        .arg(ReadableRawText(FSettingsFile), failure)
        .arg(timeoutMs / 1000.0);
}
