#pragma once
// Ordered list of attachments; it owns its items.
#include "TmsAttItem.h"

#include <memory>
#include <vector>

class QDataStream;

class TmsAttList {
public:
    TmsAttList() = default;
    TmsAttList(const TmsAttList &other);
    TmsAttList &operator=(const TmsAttList &other);

    int Count() const { return static_cast<int>(m_items.size()); }
    TmsAttItem *Items(int i) const;
    // A new empty item appended to the list.
    TmsAttItem *Add();
    // Takes ownership of the item.
    TmsAttItem *Add(TmsAttItem *item);
    void Clear();
    // Clears, then appends a full copy of every item of the other list.
    void Assign(const TmsAttList &other);

    // Stored "Items" property: written only when the list is not empty; per item
    // the file name, the content type and the encoding. Content is not stored.
    bool HasItems() const { return !m_items.empty(); }
    void WriteItems(QDataStream &out) const;
    void ReadItems(QDataStream &in);

private:
    std::vector<std::unique_ptr<TmsAttItem>> m_items;
};
