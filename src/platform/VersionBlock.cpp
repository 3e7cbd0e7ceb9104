#include "platform/VersionResource.h"

#include <QStringList>

namespace {

// Every node of a version block: its total length in bytes, its value's length (in
// 16-bit units for text, in bytes for binary data), its type, a zero-terminated UTF-16
// key, then the value and the children, each starting on a 4-byte boundary.
struct TVersionNode
{
    qsizetype End = 0;
    QString Key;
    qsizetype ValueStart = 0;
    qsizetype ValueSize = 0;
    qsizetype ChildrenStart = 0;
};

constexpr quint16 BinaryValue = 0;
constexpr quint16 TextValue = 1;
constexpr qsizetype NodeHeaderSize = 6;

qsizetype AlignToFour(qsizetype offset)
{
    return (offset + 3) & ~qsizetype(3);
}

quint16 WordAt(QByteArrayView block, qsizetype offset)
{
    return quint16(quint8(block[offset]) | quint16(quint8(block[offset + 1])) << 8);
}

// Parses the node at start, which must lie wholly before limit.
bool ParseNode(QByteArrayView block, qsizetype start, qsizetype limit, TVersionNode& node)
{
    if (start > limit || limit - start < NodeHeaderSize)
        return false;
    const qsizetype length = WordAt(block, start);
    const quint16 valueLength = WordAt(block, start + 2);
    const quint16 type = WordAt(block, start + 4);
    if (length < NodeHeaderSize || length % 2 != 0 || length > limit - start)
        return false;
    if (type != BinaryValue && type != TextValue)
        return false;
    node.End = start + length;

    qsizetype offset = start + NodeHeaderSize;
    node.Key.clear();
    for (;; offset += 2) {
        if (offset + 2 > node.End)
            return false;
        const quint16 unit = WordAt(block, offset);
        if (unit == 0)
            break;
        node.Key.append(QChar(unit));
    }
    offset += 2;

    node.ValueStart = AlignToFour(offset);
    node.ValueSize = type == TextValue ? qsizetype(valueLength) * 2 : qsizetype(valueLength);
    if (node.ValueSize == 0) {
        node.ValueStart = qMin(node.ValueStart, node.End);
    } else {
        if (node.ValueStart > node.End || node.ValueSize > node.End - node.ValueStart)
            return false;
        if (type == TextValue) {
            bool terminated = false;
            for (qsizetype at = node.ValueStart; at < node.ValueStart + node.ValueSize; at += 2)
                terminated = terminated || WordAt(block, at) == 0;
            if (!terminated)
                return false;
        }
    }
    node.ChildrenStart = AlignToFour(node.ValueStart + node.ValueSize);
    return true;
}

} // namespace

bool QueryVersionValue(QByteArrayView block, const QString& path, QByteArrayView& value)
{
    TVersionNode node;
    if (!ParseNode(block, 0, block.size(), node))
        return false;
    const QStringList names = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        bool found = false;
        qsizetype at = node.ChildrenStart;
        while (!found && at < node.End) {
            TVersionNode child;
            if (!ParseNode(block, at, node.End, child))
                return false;
            at = AlignToFour(child.End);
            if (child.Key.compare(name, Qt::CaseInsensitive) == 0) {
                node = child;
                found = true;
            }
        }
        if (!found)
            return false;
    }
    value = block.sliced(node.ValueStart, node.ValueSize);
    return true;
}
