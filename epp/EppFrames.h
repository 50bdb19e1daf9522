#pragma once
// The commands we send, each one whole <epp> document built with
// QXmlStreamWriter; clTRID is the caller's.
#include "EppObjects.h"
#include "EppStep.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace EppFrames {

QByteArray login(const QString &clientId, const QString &password, const QStringList &objectUris, const QString &clTrid);
QByteArray logout(const QString &clTrid);
QByteArray check(EppObject object, const QStringList &names, const QString &clTrid);
QByteArray info(EppObject object, const QString &name, const QString &clTrid);
QByteArray remove(EppObject object, const QString &name, const QString &clTrid);
QByteArray createDomain(const EppDomain &domain, const QString &clTrid);
QByteArray createHost(const EppHost &host, const QString &clTrid);
QByteArray createContact(const EppContact &contact, const QString &clTrid);
QByteArray updateDomain(const QString &name, const EppDomainChange &change, const QString &clTrid);
QByteArray updateHost(const QString &name, const EppHostChange &change, const QString &clTrid);
QByteArray updateContact(const QString &id, const EppContactChange &change, const QString &clTrid);
QByteArray poll(bool ack, const QString &messageId, const QString &clTrid);

// The frame with the text of every <pw> and <newPW> shown as ********; a
// frame that is not XML is named by its size only.
QByteArray masked(const QByteArray &frame);

} // namespace EppFrames
