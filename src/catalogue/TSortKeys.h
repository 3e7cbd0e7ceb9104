#pragma once

#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

// The sort keys of a range of rows, each made once per sort instead of at every comparison:
// for each character of the row's text its place in the order CompareSortText uses, all in
// one buffer. Keys compare exactly as their texts do under CompareSortText, and move with
// their rows.
class TSortKeys
{
public:
    // Where one row's key lies in the buffer.
    struct TKey
    {
        std::uint32_t Offset = 0;
        std::uint32_t Length = 0;
    };

    // Room for count rows.
    explicit TSortKeys(int count);

    // The key of the next row, from its text.
    void Append(QStringView text);
    // The key now held at position index (0 for the first row appended).
    const TKey& At(int index) const { return FKeys[std::size_t(index)]; }
    // <0, 0 or >0, as CompareSortText on the two texts. Inline: the sort's inner loop.
    int Compare(const TKey& a, const TKey& b) const noexcept
    {
        const std::uint32_t* left = FOrders.data() + a.Offset;
        const std::uint32_t* right = FOrders.data() + b.Offset;
        const std::uint32_t length = std::min(a.Length, b.Length);
        for (std::uint32_t i = 0; i < length; ++i) {
            if (left[i] != right[i])
                return left[i] < right[i] ? -1 : 1;
        }
        return a.Length < b.Length ? -1 : (a.Length > b.Length ? 1 : 0);
    }
    // Two rows were exchanged: so are their keys.
    void Exchange(int a, int b) noexcept
    {
        std::swap(FKeys[std::size_t(a)], FKeys[std::size_t(b)]);
    }

private:
    std::vector<std::uint32_t> FOrders;
    std::vector<TKey> FKeys;
};
