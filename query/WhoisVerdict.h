#pragma once
// What a registry's own WHOIS answer says of a domain name. Registries word
// "no such name" in many ways; only whole phrases known for it count as free,
// and only a "Domain Name:" line for the name or a registrar line counts as
// taken, so that a rate-limit notice or a remark inside a record ("is
// available on request") is never read as either. The answer comes from a
// peer we do not trust: anything else says neither.
#include "LookUpOutcome.h"

#include <QStringList>

// Found (with the registrar the answer names, in its words), NotFound, or
// Answered when the words tell neither. `asciiName`: the name asked, in its
// ASCII form.
LookUpOutcome whoisVerdict(const QStringList &registryAnswer, const QString &asciiName);
