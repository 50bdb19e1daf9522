#include "OffsetTable.h"

void OffsetTable::place(Slot slot)
{
    const size_t mask = m_slots.size() - 1;
    size_t i = slot.hash & mask;
    while (m_slots[i].offset >= 0)
        i = (i + 1) & mask;
    m_slots[i] = slot;
}

void OffsetTable::insert(quint32 hash, qint32 offset)
{
    // At most 70 % full: a miss still ends after a few slots, and the table
    // of a file of short keys stays well under the file's own size.
    if ((m_used + 1) * 10 > m_slots.size() * 7) {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        for (const Slot &s : old)
            if (s.offset >= 0)
                place(s);
    }
    place(Slot{offset, hash});
    ++m_used;
}
