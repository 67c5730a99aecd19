// The lowered names of a list, end to end.
#include "views/NameIndex.h"

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
        // Offsets must stay below the flag bit; a list of more than 2 GB of names keeps the rest out.
        if (!ascii || index.m_bytes.size() >= NotHeld) {
            index.m_bytes.resize(begin);
            index.m_ends.push_back(quint32(begin) | NotHeld);
        } else {
            index.m_ends.push_back(quint32(index.m_bytes.size()));
        }
    }
    return index;
}

} // namespace vellumry
