#pragma once
// Ordered list of attachments; it owns its items.
#include "TmsAttItem.h"
#include "TmsOwningList.h"

class QDataStream;

class TmsAttList : public TmsOwningList<TmsAttItem> {
public:
    // Stored "Items" property: written only when the list is not empty; per item
    // the file name, the content type and the encoding. Content is not stored.
    void WriteItems(QDataStream &out) const;
    void ReadItems(QDataStream &in);
};
