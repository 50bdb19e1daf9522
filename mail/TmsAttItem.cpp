#include "TmsAttItem.h"

#include "MailNames.h"
#include "WholeFile.h"

void TmsAttItem::LoadFromFile()
{
    m_stream = WholeFile::Read(m_fileName);
}

void TmsAttItem::SetFileName(const QString &name)
{
    m_fileName = MailNames::Cut(name);
    if (m_fileName.isEmpty())
        return;
    SetContentType(MailNames::LookupContentType(m_fileName));
    m_encoding = EncodingFor(m_contentType);
}

void TmsAttItem::SetContentType(const QString &type)
{
    m_contentType = MailNames::Cut(type);
}

void TmsAttItem::Assign(const TmsAttItem &other)
{
    m_stream = other.m_stream;
    m_fileName = other.m_fileName;
    m_contentType = other.m_contentType;
    m_encoding = other.m_encoding;
}

TAttEncoding TmsAttItem::EncodingFor(const QString &contentType)
{
    const QString type = contentType.toUpper();
    if (type == QLatin1String("TEXT/PLAIN") || type == QLatin1String("TEXT/RTF")
        || type == QLatin1String("TEXT/HTML"))
        return aeQuotedPrintable;
    if (type == QLatin1String("MESSAGE/RFC822"))
        return aeSevenBit;
    return aeBase64;
}
