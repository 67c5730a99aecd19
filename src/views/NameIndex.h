// The names of a list's items laid end to end, lowered, with their sizes, for the quick filter to scan.
#pragma once

#include "model/IKImageItem.h"

#include <QByteArrayView>

#include <atomic>
#include <vector>

namespace vellumry {

// Scanning a million names one item at a time visits a million items and their name buffers, two
// reads from far apart in memory for each; scanning them from one block is several times faster.
// Only plain-ASCII names are held (lowered, as the filter compares them); any other name is matched
// through its item. An index describes the list as it was when it was made: the items [0, size()).
//
// Thread-safety: made on any thread; const afterwards, so any thread may read it.
class NameIndex
{
public:
    // The index of `items`, or an empty one when `cancelled` was set meanwhile.
    static NameIndex of(const ItemList &items, const std::atomic_bool *cancelled = nullptr);

    qsizetype size() const { return qsizetype(m_ends.size()); }
    // The lowered name of item `i`; a null view when it is not held (not plain ASCII).
    QByteArrayView name(qsizetype i) const
    {
        const quint32 end = m_ends[size_t(i)];
        if (end & NotHeld)
            return {};
        const quint32 begin = i == 0 ? 0 : m_ends[size_t(i) - 1] & ~NotHeld;
        return QByteArrayView(m_bytes.data() + begin, qsizetype(end - begin));
    }
    // The size of item `i` when it is a file; 0 for a folder.
    quint64 fileBytes(qsizetype i) const { return m_sizes[size_t(i)]; }

private:
    static constexpr quint32 NotHeld = 0x80000000u;
    std::vector<char> m_bytes;
    std::vector<quint64> m_sizes;
    std::vector<quint32> m_ends; // where each item's name ends in m_bytes, with NotHeld when it has none
};

} // namespace vellumry
