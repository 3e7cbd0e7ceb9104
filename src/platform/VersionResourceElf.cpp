#include "platform/VersionResource.h"

#include "platform/ElfSection.h"

#include <QFile>

namespace {

// The section the build puts the version block in (see resources/version).
constexpr QByteArrayView VersionSection = ".conveyor_version";

// A block's own length field has 16 bits; the rest is room for alignment padding.
constexpr qint64 MaxSectionSize = 1 << 20;

bool ReadSection(const QString& fileName, QByteArray& contents)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return ReadElfSection(file, VersionSection, MaxSectionSize, contents);
}

} // namespace

quint32 VersionBlockSize(const QString& fileName)
{
    QByteArray contents;
    if (!ReadSection(fileName, contents))
        return 0;
    return quint32(contents.size());
}

bool ReadVersionBlock(const QString& fileName, QByteArray& buffer)
{
    QByteArray contents;
    if (!ReadSection(fileName, contents))
        return false;
    // The file may have changed since its size was asked; the buffer keeps its size.
    const qsizetype size = qMin(buffer.size(), contents.size());
    buffer.fill('\0');
    std::copy_n(contents.constData(), size, buffer.data());
    return true;
}
