// Feeds arbitrary bytes to the INI reader as a settings file and checks what must hold for
// any file: untouched text comes back byte for byte, every listed key is found, a value
// written is read back, also after the text is read again; a byte-order mark in front
// changes nothing that is read and stays in front.

#include "platform/TIniFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

const QString Missing = QStringLiteral("\x01missing");
const QByteArray ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    TIniFile ini(QString {});
    ini.SetText(text);
    Check(ini.Text() == text);

    TIniFile marked(QString {});
    // A second mark would be text of the first line.
    const bool markable = !text.startsWith(ByteOrderMark);
    if (markable) {
        marked.SetText(ByteOrderMark + text);
        Check(marked.Text() == ByteOrderMark + text);
        Check(marked.ReadSections() == ini.ReadSections());
    }

    for (const QString& section : ini.ReadSections()) {
        if (markable)
            Check(marked.ReadSection(section) == ini.ReadSection(section));
        for (const QString& key : ini.ReadSection(section)) {
            const QString value = ini.ReadString(section, key, Missing);
            Check(value != Missing);
            Check(!markable || marked.ReadString(section, key, Missing) == value);
            Check(value.size() <= 2 * 1023);
            ini.ReadInteger(section, key, 7);
            ini.ReadBool(section, key, true);
        }
    }
    ini.ReadInteger(QStringLiteral("Columns"), QStringLiteral("Column1Width"), 130);
    ini.ReadBool(QStringLiteral("Common"), QStringLiteral("Last"), true);

    ini.WriteString(QStringLiteral("Common"), QStringLiteral("Last"), QStringLiteral("fuzz"));
    ini.WriteInteger(QStringLiteral("Window"), QStringLiteral("Top"), -123);
    ini.WriteString(QStringLiteral("Sound"), QStringLiteral("Wave"), QStringLiteral("a\nb"));
    Check(ini.ReadString(QStringLiteral("common"), QStringLiteral("LAST"), Missing)
        == QStringLiteral("fuzz"));
    Check(ini.ReadInteger(QStringLiteral("Window"), QStringLiteral("Top"), 0) == -123);

    TIniFile again(QString {});
    again.SetText(ini.Text());
    Check(again.ReadString(QStringLiteral("Common"), QStringLiteral("Last"), Missing)
        == QStringLiteral("fuzz"));
    Check(again.ReadInteger(QStringLiteral("Window"), QStringLiteral("Top"), 0) == -123);
    Check(again.ReadString(QStringLiteral("Sound"), QStringLiteral("Wave"), Missing)
        == QStringLiteral("a b"));
    return 0;
}
