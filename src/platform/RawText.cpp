#include "RawText.h"

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at bytes[at] and its code point, or 0.
int ValidSequence(QByteArrayView bytes, qsizetype at, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    int length;
    char32_t minimum;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, encoded surrogates and values beyond Unicode are not valid text.
    if (codePoint < minimum || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

QString DecodeRawText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const int length = ValidSequence(bytes, at, codePoint);
        if (length == 0) {
            text
                += QChar(static_cast<char16_t>(EscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            text += QChar(QChar::highSurrogate(codePoint));
            text += QChar(QChar::lowSurrogate(codePoint));
        } else {
            text += QChar(static_cast<char16_t>(codePoint));
        }
        at += length;
    }
    return text;
}

QByteArray EncodeRawText(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0; // the run of ordinary text not yet encoded
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !text[i - 1].isHighSurrogate())) {
            bytes += text.mid(start, i - start).toUtf8();
            bytes += static_cast<char>(c - EscapeBase);
            start = i + 1;
        }
    }
    bytes += text.mid(start).toUtf8();
    return bytes;
}

QString ReadableRawText(QStringView text)
{
    QString readable = text.toString();
    for (qsizetype i = 0; i < readable.size(); ++i) {
        const char16_t c = readable[i].unicode();
        if (c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !readable[i - 1].isHighSurrogate()))
            readable[i] = QChar(static_cast<char16_t>(c - EscapeBase));
    }
    return readable;
}
