#pragma once
// The registrar an answer names, in the words WHOIS servers and the RDAP
// answer's lines use ("Registrar:", "Sponsoring Registrar:", "Registrar
// Name:"); empty when it names none.
#include <QStringList>

QString registrarNamed(const QStringList &answer);
