#pragma once
// A hash set of file offsets, open addressing, eight bytes a slot: the index
// of a large file stays a small multiple of its entry count. Callers bring the
// hash and the comparison, since only they know what an offset stands for.
#include <QtGlobal>
#include <vector>

class OffsetTable {
public:
    // The stored offset whose entry `same` accepts, or -1.
    template <class Same> qint32 find(quint32 hash, Same &&same) const
    {
        if (m_slots.empty())
            return -1;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot &s = m_slots[i];
            if (s.offset < 0)
                return -1;
            if (s.hash == hash && same(s.offset))
                return s.offset;
        }
    }

    // Adds `offset` (the caller has checked it is not there yet).
    void insert(quint32 hash, qint32 offset);

private:
    struct Slot {
        qint32 offset = -1;
        quint32 hash = 0;
    };
    void place(Slot slot);

    std::vector<Slot> m_slots;
    size_t m_used = 0;
};
