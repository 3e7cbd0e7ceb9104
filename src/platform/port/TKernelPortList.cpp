#include "TKernelPortList.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The kernel's files are a few bytes; anything longer is not one of them.
constexpr qint64 MaxFileSize = 256;

bool ReadSmallFile(const QString& path, QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = file.read(MaxFileSize);
    return true;
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
    const QDir folder(procRoot + QStringLiteral("/sys/dev/parport"));
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
        if (!ReadSmallFile(folder.filePath(entry + QStringLiteral("/base-addr")), text)) {
            list.FProblems << QStringLiteral("%1: its base-addr cannot be read.").arg(entry);
            continue;
        }
        const QList<QByteArray> fields = text.simplified().split(' ');
        if (fields.isEmpty() || fields.size() > 2 || !ParseAddress(fields.at(0), port.Base)
            || port.Base == 0 || (fields.size() == 2 && !ParseAddress(fields.at(1), port.BaseHi))
            || port.Base > 0xFFFD) {
            list.FProblems << QStringLiteral("%1: its base-addr makes no sense (\"%2\").")
                                  .arg(entry, QString::fromLatin1(text.trimmed()));
            continue;
        }

        // "PCSPP,TRISTATE,...\n"; a port without the file is still a port.
        if (ReadSmallFile(folder.filePath(entry + QStringLiteral("/modes")), text)) {
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
            procRoot + QStringLiteral("/sys/dev/parport/%1/devices/active").arg(port.Name), text))
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
