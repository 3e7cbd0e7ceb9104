#pragma once

#include <QStringView>

// Orders two table texts: character by character over the shorter length, with only the
// ASCII letters a to z folded onto A to Z (no locale), the first difference deciding by the
// character's Windows-1252 byte (characters outside that code page after all of them, by
// code point), and a text that starts another coming first. Returns <0, 0 or >0.
int CompareSortText(QStringView a, QStringView b) noexcept;

// The place of one UTF-16 unit in that order, letter case folded as above: two texts compare
// as the sequences of their units' places do. ASCII and the upper half of Latin-1 are their
// own Windows-1252 bytes, and most table texts hold nothing else.
unsigned SortTextOrderBeyondLatin1(char16_t c) noexcept;
inline unsigned SortTextOrder(char16_t c) noexcept
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? unsigned(c - (u'a' - u'A')) : c;
    if (c >= 0xA0 && c <= 0xFF)
        return c;
    return SortTextOrderBeyondLatin1(c);
}
