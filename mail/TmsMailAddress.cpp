#include "TmsMailAddress.h"

#include "MailNames.h"

TmsMailAddress::TmsMailAddress(const QString &address, const QString &name)
    : m_name(MailNames::Cut(name)), m_address(MailNames::Cut(address))
{
}

void TmsMailAddress::SetName(const QString &name)
{
    m_name = MailNames::Cut(name);
}

void TmsMailAddress::SetAddress(const QString &address)
{
    m_address = MailNames::Cut(address);
}

void TmsMailAddress::Assign(const TmsMailAddress &other)
{
    m_name = other.m_name;
    m_address = other.m_address;
}
