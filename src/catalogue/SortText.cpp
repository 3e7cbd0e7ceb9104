#include "SortText.h"

#include "platform/UpperCase.h"

#include <algorithm>

namespace {

char16_t FoldAscii(char16_t c) noexcept
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// Image names are Windows-1252 text, so a character orders by its byte in that code page
// (Š, 0x8A, before À, 0xC0). Characters the code page lacks come after all of its bytes,
// by code point: UTF-16 units above the surrogates still come after every surrogate pair.
unsigned SortOrder(char16_t c) noexcept
{
    const int byte = Windows1252Byte(c);
    if (byte >= 0)
        return static_cast<unsigned>(byte);
    if (c >= 0xE000)
        return 0x100u + c - 0x800u;
    if (c >= 0xD800)
        return 0x100u + c + 0x2000u;
    return 0x100u + c;
}

} // namespace

int CompareSortText(QStringView a, QStringView b) noexcept
{
    const qsizetype length = std::min(a.size(), b.size());
    const char16_t* left = a.utf16();
    const char16_t* right = b.utf16();
    for (qsizetype i = 0; i < length; ++i) {
        if (left[i] == right[i])
            continue;
        const char16_t x = FoldAscii(left[i]);
        const char16_t y = FoldAscii(right[i]);
        if (x != y)
            return SortOrder(x) < SortOrder(y) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

unsigned SortTextOrderBeyondLatin1(char16_t c) noexcept
{
    return SortOrder(c);
}
