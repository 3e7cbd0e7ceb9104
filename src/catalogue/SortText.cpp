#include "SortText.h"

#include <algorithm>

namespace {

char16_t FoldAscii(char16_t c) noexcept
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// UTF-16 units above the surrogates must still come after every surrogate pair, so that
// texts order by code point, as their UTF-8 bytes would.
unsigned CodePointOrder(char16_t c) noexcept
{
    if (c >= 0xE000)
        return c - 0x800u;
    if (c >= 0xD800)
        return c + 0x2000u;
    return c;
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
            return CodePointOrder(x) < CodePointOrder(y) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
