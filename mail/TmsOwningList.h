#pragma once
// Ordered list that owns its items; copying copies every item through the
// item's Assign, as the message's lists are copied field by field.
#include <QtGlobal>

#include <memory>
#include <vector>

template <typename Item>
class TmsOwningList {
public:
    TmsOwningList() = default;
    TmsOwningList(const TmsOwningList &other) { Assign(other); }
    TmsOwningList &operator=(const TmsOwningList &other)
    {
        Assign(other);
        return *this;
    }

    int Count() const { return static_cast<int>(m_items.size()); }
    Item *Items(int i) const
    {
        Q_ASSERT(i >= 0 && i < Count());
        return m_items.at(static_cast<size_t>(i)).get();
    }
    // A new empty item appended to the list.
    Item *Add() { return Add(new Item); }
    // Takes ownership of the item.
    Item *Add(Item *item)
    {
        m_items.emplace_back(item);
        return item;
    }
    void Clear() { m_items.clear(); }
    // Clears, then appends a copy of every item of the other list.
    void Assign(const TmsOwningList &other)
    {
        if (&other == this)
            return;
        Clear();
        for (const auto &item : other.m_items)
            Add()->Assign(*item);
    }
    bool HasItems() const { return !m_items.empty(); }

private:
    std::vector<std::unique_ptr<Item>> m_items;
};
