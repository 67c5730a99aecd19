// The names of a list's items laid end to end, folded, with their sizes, for the quick filter to scan.
#pragma once

#include "model/IKImageItem.h"

#include <QByteArrayView>

#include <atomic>
#include <cstring>
#include <vector>

namespace vellumry {

// Scanning a million names one item at a time visits a million items and their name buffers, two
// reads from far apart in memory for each, and folds every name that is not plain ASCII again; the
// index does that once and keeps the folded names in one block. A plain-ASCII name is held lowered; any
// other is held as the UTF-8 of its folded display text (the form the filter compares), marked so that
// patterns, which count characters, still go through the item. An index describes the list as it was
// when it was made: the items [0, size()).
//
// Thread-safety: made on any thread; const afterwards, so any thread may read it.
class NameIndex
{
public:
    // The index of `items`, or an empty one when `cancelled` was set meanwhile.
    static NameIndex of(const ItemList &items, const std::atomic_bool *cancelled = nullptr);

    qsizetype size() const { return qsizetype(m_ends.size()); }
    // The folded name of item `i`; a null view when it is not held (past the block's limit).
    QByteArrayView name(qsizetype i) const
    {
        const quint32 end = m_ends[size_t(i)];
        if (end & NotHeld)
            return {};
        const quint32 begin = i == 0 ? 0 : m_ends[size_t(i) - 1] & Offset;
        return QByteArrayView(m_bytes.data() + begin, qsizetype((end & Offset) - begin));
    }
    // The name held for item `i` is folded text, not plain ASCII.
    bool isFoldedText(qsizetype i) const { return m_ends[size_t(i)] & FoldedText; }

    // In order over the items [from, to): `found(i)` for each whose held name contains `text` (folded
    // UTF-8, not empty; UTF-8 finds whole characters only), `notHeld(i)` for each the index does not
    // hold. The names are searched as one block, so a million of them take a few milliseconds.
    template <typename Found, typename NotHeldName>
    void search(QByteArrayView text, qsizetype from, qsizetype to, Found found, NotHeldName notHeld) const
    {
        const char *const bytes = m_bytes.data();
        const auto length = size_t(text.size());
        const size_t last = to > from ? m_ends[size_t(to) - 1] & Offset : 0;
        // The next place at or after `start` where the text stands, or `last` when it stands no more.
        const auto next = [&](size_t start) {
            if (start >= last)
                return last;
            const void *at = ::memmem(bytes + start, last - start, text.data(), length);
            return at ? size_t(static_cast<const char *>(at) - bytes) : last;
        };
        size_t begin = from == 0 ? 0 : m_ends[size_t(from) - 1] & Offset;
        size_t hit = next(begin);
        for (qsizetype i = from; i < to; ++i) {
            const quint32 end = m_ends[size_t(i)];
            if (end & NotHeld) {
                notHeld(i);
                continue;
            }
            if (hit < begin) // it ran across the end of an earlier name
                hit = next(begin);
            if (hit + length <= (end & Offset)) {
                found(i);
                hit = next(end & Offset);
            }
            begin = end & Offset;
        }
    }

    // The size of item `i` when it is a file; 0 for a folder.
    quint64 fileBytes(qsizetype i) const { return m_sizes[size_t(i)]; }

private:
    static constexpr quint32 NotHeld = 0x80000000u;
    static constexpr quint32 FoldedText = 0x40000000u;
    static constexpr quint32 Offset = 0x3fffffffu;
    std::vector<char> m_bytes;
    std::vector<quint64> m_sizes;
    // Where each item's name ends in m_bytes, with the flags above.
    std::vector<quint32> m_ends;
};

} // namespace vellumry
