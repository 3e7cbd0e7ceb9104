#include "ElfSection.h"

#include <elf.h>

#include <cstring>

namespace {

#if __SIZEOF_POINTER__ == 8
using TElfHeader = Elf64_Ehdr;
using TSectionHeader = Elf64_Shdr;
constexpr unsigned char NativeClass = ELFCLASS64;
#else
using TElfHeader = Elf32_Ehdr;
using TSectionHeader = Elf32_Shdr;
constexpr unsigned char NativeClass = ELFCLASS32;
#endif

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char NativeByteOrder = ELFDATA2LSB;
#else
constexpr unsigned char NativeByteOrder = ELFDATA2MSB;
#endif

// Reads exactly size bytes at offset, which must lie inside the device.
bool ReadAt(QIODevice& device, quint64 offset, quint64 size, QByteArray& bytes)
{
    const quint64 deviceSize = quint64(device.size());
    if (offset > deviceSize || size > deviceSize - offset)
        return false;
    if (!device.seek(qint64(offset)))
        return false;
    bytes = device.read(qint64(size));
    return quint64(bytes.size()) == size;
}

} // namespace

bool ReadElfSection(QIODevice& device, QByteArrayView name, qint64 maxSize, QByteArray& contents)
{
    QByteArray bytes;
    if (!ReadAt(device, 0, sizeof(TElfHeader), bytes))
        return false;
    TElfHeader header;
    std::memcpy(&header, bytes.constData(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != NativeClass
        || header.e_ident[EI_DATA] != NativeByteOrder)
        return false;
    const quint64 deviceSize = quint64(device.size());
    if (header.e_shoff == 0 || header.e_shoff > deviceSize
        || header.e_shentsize < sizeof(TSectionHeader))
        return false;

    auto sectionHeader = [&](quint64 index, TSectionHeader& section) {
        QByteArray entry;
        if (!ReadAt(device, header.e_shoff + index * header.e_shentsize, sizeof section, entry))
            return false;
        std::memcpy(&section, entry.constData(), sizeof section);
        return true;
    };

    // Files with very many sections keep the true count and string-table index in
    // section 0.
    TSectionHeader first;
    if (!sectionHeader(0, first))
        return false;
    const quint64 count = header.e_shnum != 0 ? header.e_shnum : quint64(first.sh_size);
    const quint64 namesIndex = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.sh_link;
    if (count == 0 || count > deviceSize / header.e_shentsize || namesIndex >= count)
        return false;

    TSectionHeader namesSection;
    QByteArray names;
    if (!sectionHeader(namesIndex, namesSection) || namesSection.sh_type == SHT_NOBITS
        || !ReadAt(device, namesSection.sh_offset, namesSection.sh_size, names))
        return false;

    for (quint64 index = 1; index < count; ++index) {
        TSectionHeader section;
        if (!sectionHeader(index, section))
            return false;
        const quint64 nameOffset = section.sh_name;
        if (nameOffset >= quint64(names.size()))
            continue;
        const char* sectionName = names.constData() + nameOffset;
        const quint64 room = quint64(names.size()) - nameOffset;
        const void* terminator = std::memchr(sectionName, 0, room);
        if (terminator == nullptr
            || QByteArrayView(sectionName, static_cast<const char*>(terminator)) != name)
            continue;
        if (section.sh_type == SHT_NOBITS || section.sh_size > quint64(maxSize))
            return false;
        return ReadAt(device, section.sh_offset, section.sh_size, contents);
    }
    return false;
}
