#include "ElfImage.h"

#include <elf.h>

#include <cstring>

namespace {

template <typename T> void Append(QByteArray& bytes, const T& value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

QByteArray ElfImage(const QList<std::pair<QByteArray, QByteArray>>& sections)
{
    // Layout: header, each section's contents, the name table, the section headers.
    QByteArray names(1, '\0');
    QList<Elf64_Shdr> headers(1); // the null section
    QByteArray body;
    const qsizetype bodyStart = sizeof(Elf64_Ehdr);
    for (const auto& [name, contents] : sections) {
        Elf64_Shdr header {};
        header.sh_name = Elf64_Word(names.size());
        header.sh_type = SHT_PROGBITS;
        header.sh_flags = SHF_ALLOC;
        header.sh_offset = Elf64_Off(bodyStart + body.size());
        header.sh_size = Elf64_Xword(contents.size());
        header.sh_addralign = 4;
        headers.append(header);
        names += name + '\0';
        body += contents;
        while (body.size() % 8 != 0)
            body.append('\0');
    }
    Elf64_Shdr namesHeader {};
    namesHeader.sh_name = Elf64_Word(names.size());
    names += QByteArray(".shstrtab") + '\0';
    namesHeader.sh_type = SHT_STRTAB;
    namesHeader.sh_offset = Elf64_Off(bodyStart + body.size());
    namesHeader.sh_size = Elf64_Xword(names.size());
    namesHeader.sh_addralign = 1;
    headers.append(namesHeader);
    body += names;
    while (body.size() % 8 != 0)
        body.append('\0');

    Elf64_Ehdr header {};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS64;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_EXEC;
    header.e_machine = EM_X86_64;
    header.e_version = EV_CURRENT;
    header.e_shoff = Elf64_Off(bodyStart + body.size());
    header.e_ehsize = sizeof(Elf64_Ehdr);
    header.e_shentsize = sizeof(Elf64_Shdr);
    header.e_shnum = Elf64_Half(headers.size());
    header.e_shstrndx = Elf64_Half(headers.size() - 1);

    QByteArray image;
    Append(image, header);
    image += body;
    for (const Elf64_Shdr& section : headers)
        Append(image, section);
    return image;
}
