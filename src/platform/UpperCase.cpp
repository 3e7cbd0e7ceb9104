#include "UpperCase.h"

#include <array>

namespace {

using TCodePage = std::array<char16_t, 256>;

// 0x80 to 0x9F; the five bytes the code page leaves undefined map to the C1 controls, as the
// system's own conversion does.
constexpr char16_t HighControls[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

constexpr TCodePage MakeDecodeTable()
{
    TCodePage table {};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = (byte >= 0x80 && byte < 0xA0) ? HighControls[byte - 0x80] : char16_t(byte);
    return table;
}

constexpr TCodePage DecodeTable = MakeDecodeTable();

bool InCodePage(char16_t c)
{
    for (char16_t member : DecodeTable) {
        if (member == c)
            return true;
    }
    return false;
}

const TCodePage& UpperTable()
{
    static const TCodePage table = [] {
        TCodePage upper {};
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t c = DecodeTable[byte];
            const char16_t raised = QChar(c).toUpper().unicode();
            upper[byte] = InCodePage(raised) ? raised : c;
        }
        return upper;
    }();
    return table;
}

QString Translate(QByteArrayView bytes, const TCodePage& table)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(table[static_cast<unsigned char>(bytes[i])]);
    return text;
}

} // namespace

QString DecodeWindows1252(QByteArrayView bytes)
{
    return Translate(bytes, DecodeTable);
}

int Windows1252Byte(char16_t c) noexcept
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int byte = 0x80; byte < 0xA0; ++byte) {
        if (DecodeTable[byte] == c)
            return byte;
    }
    return -1;
}

QString UpperCaseWindows1252(QByteArrayView bytes)
{
    return Translate(bytes, UpperTable());
}

QString UpperCaseFileName(const QString& name)
{
    return name.toUpper();
}
