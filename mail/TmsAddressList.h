#pragma once
// Ordered list of addresses; it owns its items.
#include "TmsMailAddress.h"
#include "TmsOwningList.h"

class QDataStream;

class TmsAddressList : public TmsOwningList<TmsMailAddress> {
public:
    using TmsOwningList::Add;
    TmsMailAddress *AddAddress(const QString &address, const QString &name);

    // Stored "Items" property: written only when the list is not empty;
    // per item the name, then the mailbox. Reading clears the list first.
    void WriteItems(QDataStream &out) const;
    void ReadItems(QDataStream &in);
};
