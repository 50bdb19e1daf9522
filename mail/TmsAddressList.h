#pragma once
// Ordered list of addresses; it owns its items.
#include "TmsMailAddress.h"

#include <memory>
#include <vector>

class QDataStream;

class TmsAddressList {
public:
    TmsAddressList() = default;
    TmsAddressList(const TmsAddressList &other);
    TmsAddressList &operator=(const TmsAddressList &other);

    int Count() const { return static_cast<int>(m_items.size()); }
    TmsMailAddress *Items(int i) const;
    // A new empty item appended to the list.
    TmsMailAddress *Add();
    // Takes ownership of the item.
    TmsMailAddress *Add(TmsMailAddress *item);
    TmsMailAddress *AddAddress(const QString &address, const QString &name);
    void Clear();
    // Clears, then appends a copy of every item of the other list.
    void Assign(const TmsAddressList &other);

    // Stored "Items" property: written only when the list is not empty;
    // per item the name, then the mailbox. Reading clears the list first.
    bool HasItems() const { return !m_items.empty(); }
    void WriteItems(QDataStream &out) const;
    void ReadItems(QDataStream &in);

private:
    std::vector<std::unique_ptr<TmsMailAddress>> m_items;
};
