#include "TArchiveContents.h"

#include <QByteArrayView>
#include <QStringList>

#include <algorithm>
#include <array>

bool HasArchiveExtension(const QString& name)
{
    static const QStringList Extensions
        = { QStringLiteral(".zip"), QStringLiteral(".7z"), QStringLiteral(".gz"),
              QStringLiteral(".xz"), QStringLiteral(".bz2"), QStringLiteral(".zst") };
    return std::any_of(Extensions.begin(), Extensions.end(), [&name](const QString& extension) {
        return name.endsWith(extension, Qt::CaseInsensitive);
    });
}

bool MayBeArchive(const char* bytes, qsizetype present, const QString& name)
{
    static const std::array<QByteArrayView, 7> Magics = {
        QByteArrayView("PK\x03\x04", 4), // zip
        QByteArrayView("PK\x05\x06", 4), // an empty zip
        QByteArrayView("7z\xBC\xAF\x27\x1C", 6), QByteArrayView("\x1F\x8B", 2), // gzip
        QByteArrayView("\xFD"
                       "7zXZ\x00",
            6),
        QByteArrayView("BZh", 3), QByteArrayView("\x28\xB5\x2F\xFD", 4), // zstd
    };
    const QByteArrayView start(bytes, present);
    if (std::any_of(Magics.begin(), Magics.end(),
            [&start](QByteArrayView magic) { return start.startsWith(magic); }))
        return true;
    // A file named as an archive that holds none of these is a damaged one, and says so.
    return HasArchiveExtension(name);
}
