#include "TmsAttList.h"

#include <QDataStream>

void TmsAttList::WriteItems(QDataStream &out) const
{
    out << qint32(Count());
    for (int i = 0; i < Count(); ++i)
        out << Items(i)->FileName() << Items(i)->ContentType() << qint32(Items(i)->Encoding());
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
