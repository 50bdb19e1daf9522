#include "TmsAttList.h"

#include <QDataStream>

TmsAttList::TmsAttList(const TmsAttList &other)
{
    Assign(other);
}

TmsAttList &TmsAttList::operator=(const TmsAttList &other)
{
    Assign(other);
    return *this;
}

TmsAttItem *TmsAttList::Items(int i) const
{
    Q_ASSERT(i >= 0 && i < Count());
    return m_items.at(static_cast<size_t>(i)).get();
}

TmsAttItem *TmsAttList::Add()
{
    return Add(new TmsAttItem);
}

TmsAttItem *TmsAttList::Add(TmsAttItem *item)
{
    m_items.emplace_back(item);
    return item;
}

void TmsAttList::Clear()
{
    m_items.clear();
}

void TmsAttList::Assign(const TmsAttList &other)
{
    if (&other == this)
        return;
    Clear();
    for (const auto &item : other.m_items)
        Add()->Assign(*item);
}

void TmsAttList::WriteItems(QDataStream &out) const
{
    out << qint32(Count());
    for (const auto &item : m_items)
        out << item->FileName() << item->ContentType() << qint32(item->Encoding());
}

void TmsAttList::ReadItems(QDataStream &in)
{
    Clear();
    qint32 count = 0;
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString fileName, contentType;
        qint32 encoding = 0;
        in >> fileName >> contentType >> encoding;
        if (in.status() != QDataStream::Ok)
            break;
        if (encoding < 0 || encoding >= AttEncodingCount) {
            in.setStatus(QDataStream::ReadCorruptData);
            break;
        }
        TmsAttItem *item = Add();
        item->SetFileName(fileName);
        item->SetContentType(contentType);
        item->SetEncoding(static_cast<TAttEncoding>(encoding));
    }
}
