#pragma once
// One mailbox with its display name; both cut to 255 characters.
#include <QString>

class TmsMailAddress {
public:
    TmsMailAddress() = default;
    TmsMailAddress(const QString &address, const QString &name);

    QString Name() const { return m_name; }
    void SetName(const QString &name);
    QString Address() const { return m_address; }
    void SetAddress(const QString &address);

    void Assign(const TmsMailAddress &other);

private:
    QString m_name;
    QString m_address;
};
