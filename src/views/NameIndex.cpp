// The folded names of a list, end to end.
#include "views/NameIndex.h"

#include "platform/NativePath.h"
#include "views/Comparators.h"

namespace vellumry {

NameIndex NameIndex::of(const ItemList &items, const std::atomic_bool *cancelled)
{
    NameIndex index;
    index.m_ends.reserve(size_t(items.size()));
    index.m_sizes.reserve(size_t(items.size()));
    index.m_bytes.reserve(size_t(items.size()) * 16);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if ((i & 4095) == 0 && cancelled && cancelled->load(std::memory_order_relaxed))
            return {};
        const IKImageItem &item = *items.at(i);
        index.m_sizes.push_back(item.bDir() ? 0 : item.filesizenum());
        const QByteArray &name = item.nativeFileName();
        const size_t begin = index.m_bytes.size();
        bool ascii = true;
        for (const char c : name) {
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
            index.m_bytes.push_back(c >= 'A' && c <= 'Z' ? char(c + 32) : c);
        }
        quint32 flags = 0;
        if (!ascii) { // as the filter reads it: bad bytes as U+FFFD, then folded
            index.m_bytes.resize(begin);
            const QByteArray folded = foldedText(displayPath(fromNativePath(name))).toUtf8();
            index.m_bytes.insert(index.m_bytes.end(), folded.begin(), folded.end());
            flags = FoldedText;
        }
        // Offsets must stay below the flags; a list of more than 1 GB of names keeps the rest out.
        if (index.m_bytes.size() > Offset) {
            index.m_bytes.resize(begin);
            index.m_ends.push_back(quint32(begin) | NotHeld);
        } else {
            index.m_ends.push_back(quint32(index.m_bytes.size()) | flags);
        }
    }
    return index;
}

} // namespace vellumry
