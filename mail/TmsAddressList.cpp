#include "TmsAddressList.h"

#include <QDataStream>

TmsMailAddress *TmsAddressList::AddAddress(const QString &address, const QString &name)
{
    return Add(new TmsMailAddress(address, name));
}

void TmsAddressList::WriteItems(QDataStream &out) const
{
    out << qint32(Count());
    for (int i = 0; i < Count(); ++i)
        out << Items(i)->Name() << Items(i)->Address();
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
