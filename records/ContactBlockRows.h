#pragma once
// The twelve lines of a contact block (handle, role, name, organisation,
// address, city, state, postal code, country, phone, fax, mailbox), shared by
// the domain's Admin, Technical and Billing blocks, the host's contact and
// the contact template.
#include "TemplateRow.h"

#include <QStringList>
#include <vector>

// `fields` are the twelve controls in the order above; their line codes come
// from the catalogue.
std::vector<TemplateRow> contactBlockRows(const QStringList &fields, int width,
                                          const QString &handleName = QStringLiteral("NIC Handle (if known)"));
