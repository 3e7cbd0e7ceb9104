#include "TSortKeys.h"

#include "catalogue/SortText.h"

#include <algorithm>
#include <utility>

TSortKeys::TSortKeys(int count)
{
    FKeys.reserve(std::size_t(std::max(count, 0)));
}

void TSortKeys::Append(QStringView text)
{
    const TKey key { std::uint32_t(FOrders.size()), std::uint32_t(text.size()) };
    FOrders.resize(FOrders.size() + std::size_t(text.size()));
    std::uint32_t* order = FOrders.data() + key.Offset;
    for (const QChar c : text)
        *order++ = SortTextOrder(c.unicode());
    FKeys.push_back(key);
}
