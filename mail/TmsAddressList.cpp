#include "TmsAddressList.h"

#include <QDataStream>

TmsAddressList::TmsAddressList(const TmsAddressList &other)
{
    Assign(other);
}

TmsAddressList &TmsAddressList::operator=(const TmsAddressList &other)
{
    Assign(other);
    return *this;
}

TmsMailAddress *TmsAddressList::Items(int i) const
{
    Q_ASSERT(i >= 0 && i < Count());
    return m_items.at(static_cast<size_t>(i)).get();
}

TmsMailAddress *TmsAddressList::Add()
{
    return Add(new TmsMailAddress);
}

TmsMailAddress *TmsAddressList::Add(TmsMailAddress *item)
{
    m_items.emplace_back(item);
    return item;
}

TmsMailAddress *TmsAddressList::AddAddress(const QString &address, const QString &name)
{
    return Add(new TmsMailAddress(address, name));
}

void TmsAddressList::Clear()
{
    m_items.clear();
}

void TmsAddressList::Assign(const TmsAddressList &other)
{
    if (&other == this)
        return;
    Clear();
    for (const auto &item : other.m_items)
        Add()->Assign(*item);
}

void TmsAddressList::WriteItems(QDataStream &out) const
{
    out << qint32(Count());
    for (const auto &item : m_items)
        out << item->Name() << item->Address();
}

void TmsAddressList::ReadItems(QDataStream &in)
{
    Clear();
    qint32 count = 0;
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString name, address;
        in >> name >> address;
        if (in.status() == QDataStream::Ok)
            AddAddress(address, name);
    }
}
