#include "TKernelPortList.h"

#include "platform/IoErrorText.h"
#include "platform/port/TPortAddress.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The kernel's files are a few bytes; anything longer is not one of them.
constexpr qsizetype MaxFileSize = 256;

// Reads one of the kernel's small files. The root may be a folder anyone laid out, so an
// entry may be a FIFO (opened without blocking, and refused), a link to a device such as
// /dev/zero (refused: only regular files are read) or a file of any length (at most
// MaxFileSize bytes are ever held). The files under /proc say size 0, so the size is
// what was read, never what fstat claims. Empty on success, else why it failed.
QString ReadSmallFile(const QString& path, QByteArray& text)
{
    text.clear();
    int handle;
    do
        handle = ::open(
            QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (handle < 0 && errno == EINTR);
    if (handle < 0)
        return SystemErrorMessage(errno);
    QString problem;
    struct stat status;
    if (::fstat(handle, &status) != 0) {
        problem = SystemErrorMessage(errno);
    } else if (!S_ISREG(status.st_mode)) {
        problem = QStringLiteral("not a regular file");
    } else {
        char buffer[MaxFileSize + 1];
        qsizetype done = 0;
        while (done < qsizetype(sizeof(buffer))) {
            const ssize_t count = ::read(handle, buffer + done, sizeof(buffer) - size_t(done));
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0) {
                problem = SystemErrorMessage(errno);
                break;
            }
            if (count == 0)
                break;
            done += count;
        }
        if (problem.isEmpty() && done > MaxFileSize)
            problem = QStringLiteral("longer than %1 bytes").arg(MaxFileSize);
        else if (problem.isEmpty())
            text = QByteArray(buffer, done);
    }
    ::close(handle);
    return problem;
}

// A decimal I/O address as the kernel prints it ("%lu"); 0 is allowed for base_hi.
bool ParseAddress(const QByteArray& text, std::uint16_t& address)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFF)
        return false;
    address = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

TKernelPortList TKernelPortList::Read(const QString& procRoot)
{
    TKernelPortList list;
    list.FFolder = procRoot + QStringLiteral("/sys/dev/parport");
    const QDir folder(list.FFolder);
    if (!folder.exists())
        return list;
    list.FDriverLoaded = true;

    // "default" sits beside the ports and holds the driver's defaults, not a port.
    static const QRegularExpression portName(QStringLiteral("^parport(\\d{1,3})$"));
    const QStringList entries = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QRegularExpressionMatch match = portName.match(entry);
        if (!match.hasMatch())
            continue;
        TKernelPort port;
        port.Name = entry;
        port.Number = match.captured(1).toInt();

        // "base\tbase_hi\n"
        QByteArray text;
        if (const QString problem
            = ReadSmallFile(folder.filePath(entry + QStringLiteral("/base-addr")), text);
            !problem.isEmpty()) {
            list.FProblems
                << QStringLiteral("%1: its base-addr cannot be read (%2).").arg(entry, problem);
            continue;
        }
        const QList<QByteArray> fields = text.simplified().split(' ');
        if (fields.isEmpty() || fields.size() > 2 || !ParseAddress(fields.at(0), port.Base)
            || port.Base == 0 || (fields.size() == 2 && !ParseAddress(fields.at(1), port.BaseHi))
            || port.Base > TPortAddress::LastBase || port.BaseHi > TPortAddress::LastBase) {
            list.FProblems << QStringLiteral("%1: its base-addr makes no sense (\"%2\").")
                                  .arg(entry, QString::fromLatin1(text.trimmed()));
            continue;
        }

        // "PCSPP,TRISTATE,...\n"; a port without the file is still a port.
        if (ReadSmallFile(folder.filePath(entry + QStringLiteral("/modes")), text).isEmpty()) {
            static const QRegularExpression modeName(QStringLiteral("^[A-Z0-9]+$"));
            for (const QByteArray& mode : text.trimmed().split(',')) {
                const QString name = QString::fromLatin1(mode.trimmed());
                if (modeName.match(name).hasMatch())
                    port.Modes << name;
            }
        }
        list.FPorts.push_back(port);
    }
    std::sort(list.FPorts.begin(), list.FPorts.end(),
        [](const TKernelPort& a, const TKernelPort& b) { return a.Number < b.Number; });
    return list;
}

const TKernelPort* TKernelPortList::FindBase(std::uint16_t base) const
{
    for (const TKernelPort& port : FPorts) {
        if (port.Base == base)
            return &port;
    }
    return nullptr;
}

const TKernelPort* TKernelPortList::FindName(const QString& name) const
{
    for (const TKernelPort& port : FPorts) {
        if (port.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &port;
    }
    return nullptr;
}

const TKernelPort* TKernelPortList::FindRegister(std::uint16_t address) const
{
    for (const TKernelPort& port : FPorts) {
        if (port.UsesRegister(address))
            return &port;
    }
    return nullptr;
}

std::optional<QString> TKernelPortList::Holder(const QString& procRoot, const TKernelPort& port)
{
    QByteArray text;
    if (!ReadSmallFile(
            procRoot + QStringLiteral("/sys/dev/parport/%1/devices/active").arg(port.Name), text)
             .isEmpty())
        return std::nullopt;
    const QString holder = QString::fromLatin1(text.trimmed());
    if (holder.isEmpty())
        return std::nullopt;
    return holder == QLatin1String("none") ? QString() : holder;
}

QString TKernelPortList::EmptyText() const
{
    if (!FDriverLoaded)
        return QStringLiteral("The kernel knows no parallel port: its parport_pc driver is not "
                              "loaded (\"sudo modprobe parport_pc\").");
    return QStringLiteral("The kernel knows no parallel port: this computer has none, or the "
                          "driver did not find it (\"sudo modprobe parport_pc\").");
}
