// Feeds arbitrary bytes to the version-block parser, and to the ELF section reader, and
// checks that every value found lies inside the input.

#include "platform/ElfSection.h"
#include "platform/VersionResource.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

const char* const Paths[] = {
    "\\",
    "\\VarFileInfo\\Translation",
    "\\StringFileInfo",
    "\\StringFileInfo\\040904E4",
    "\\StringFileInfo\\040904E4\\CompanyName",
    "\\StringFileInfo\\040904E4\\FileDescription",
    "\\StringFileInfo\\040904E4\\FileVersion",
    "\\StringFileInfo\\040904E4\\InternalName",
    "\\StringFileInfo\\040904E4\\LegalCopyRight",
    "\\StringFileInfo\\040904E4\\OriginalFileName",
    "\\StringFileInfo\\040904E4\\ProductName",
    "\\StringFileInfo\\040904E4\\ProductVersion",
    "\\StringFileInfo\\04090000\\FileVersion",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView block(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* path : Paths) {
        QByteArrayView value;
        if (!QueryVersionValue(block, QString::fromLatin1(path), value))
            continue;
        if (value.data() < block.data() || value.data() + value.size() > block.data() + size)
            std::abort();
    }

    QByteArray bytes = block.toByteArray();
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    QByteArray section;
    if (ReadElfSection(device, ".conveyor_version", 1 << 16, section) && section.size() > 1 << 16)
        std::abort();
    return 0;
}
