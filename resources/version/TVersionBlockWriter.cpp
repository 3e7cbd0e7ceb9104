#include "TVersionBlockWriter.h"

#include <QStringList>

#include <stdexcept>

namespace {

constexpr quint16 BinaryValue = 0;
constexpr quint16 TextValue = 1;

void AppendWord(QByteArray& bytes, quint16 word)
{
    bytes.append(char(word & 0xFF));
    bytes.append(char(word >> 8));
}

void AppendDword(QByteArray& bytes, quint32 dword)
{
    AppendWord(bytes, quint16(dword & 0xFFFF));
    AppendWord(bytes, quint16(dword >> 16));
}

void SetWord(QByteArray& bytes, qsizetype offset, quint16 word)
{
    bytes[offset] = char(word & 0xFF);
    bytes[offset + 1] = char(word >> 8);
}

QByteArray Utf16Z(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text)
        AppendWord(bytes, c.unicode());
    AppendWord(bytes, 0);
    return bytes;
}

void PadToFour(QByteArray& bytes)
{
    while (bytes.size() % 4 != 0)
        bytes.append('\0');
}

// One node: length, value length, type, key, value, children. A node's length does not
// count the padding after its last byte; the padding before each child belongs to the
// parent.
QByteArray Node(const QString& key, quint16 type, quint16 valueLength, const QByteArray& value,
    const QList<QByteArray>& children = {})
{
    QByteArray node;
    AppendWord(node, 0);
    AppendWord(node, valueLength);
    AppendWord(node, type);
    node += Utf16Z(key);
    PadToFour(node);
    node += value;
    for (const QByteArray& child : children) {
        PadToFour(node);
        node += child;
    }
    if (node.size() > 0xFFFF)
        throw std::length_error("version block node longer than 65535 bytes");
    SetWord(node, 0, quint16(node.size()));
    return node;
}

QByteArray FixedPart(
    const TVersionBlockWriter::TVersion& file, const TVersionBlockWriter::TVersion& product)
{
    QByteArray fixed;
    AppendDword(fixed, 0xFEEF04BD); // signature
    AppendDword(fixed, 0x00010000); // structure version 1.0
    AppendDword(fixed, quint32(file[0]) << 16 | file[1]);
    AppendDword(fixed, quint32(file[2]) << 16 | file[3]);
    AppendDword(fixed, quint32(product[0]) << 16 | product[1]);
    AppendDword(fixed, quint32(product[2]) << 16 | product[3]);
    AppendDword(fixed, 0x0000003F); // file flags mask
    AppendDword(fixed, 0); // file flags
    AppendDword(fixed, 0x00000004); // operating system: 32-bit Windows
    AppendDword(fixed, 0x00000001); // file type: application
    AppendDword(fixed, 0); // file subtype
    AppendDword(fixed, 0); // file date, high
    AppendDword(fixed, 0); // file date, low
    return fixed;
}

} // namespace

void TVersionBlockWriter::AddStringTable(const QString& name, const TStrings& strings)
{
    FStringTables.append({ name, strings });
}

void TVersionBlockWriter::SetTranslations(const QList<std::pair<quint16, quint16>>& translations)
{
    FHasTranslations = true;
    FTranslations = translations;
}

QByteArray TVersionBlockWriter::Block() const
{
    QList<QByteArray> parts;
    if (!FStringTables.isEmpty()) {
        QList<QByteArray> tables;
        for (const auto& [name, strings] : FStringTables) {
            QList<QByteArray> entries;
            for (const auto& [key, value] : strings)
                entries.append(Node(key, TextValue, quint16(value.size() + 1), Utf16Z(value)));
            tables.append(Node(name, TextValue, 0, {}, entries));
        }
        parts.append(Node(QStringLiteral("StringFileInfo"), TextValue, 0, {}, tables));
    }
    if (FHasTranslations) {
        QByteArray table;
        for (const auto& [language, codePage] : FTranslations) {
            AppendWord(table, language);
            AppendWord(table, codePage);
        }
        const QByteArray var
            = Node(QStringLiteral("Translation"), BinaryValue, quint16(table.size()), table);
        parts.append(Node(QStringLiteral("VarFileInfo"), TextValue, 0, {}, { var }));
    }
    const QByteArray fixed = FixedPart(FFileVersion, FProductVersion);
    return Node(
        QStringLiteral("VS_VERSION_INFO"), BinaryValue, quint16(fixed.size()), fixed, parts);
}

bool TVersionBlockWriter::ParseVersion(const QString& text, TVersion& version)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.isEmpty() || parts.size() > 4)
        return false;
    version = {};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const uint number = parts[i].toUInt(&ok);
        if (!ok || number > 0xFFFF)
            return false;
        version[std::size_t(i)] = quint16(number);
    }
    return true;
}
