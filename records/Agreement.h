#pragma once
// The registration agreement printed in the domain template: its two heading
// lines and sections A to Q, laid out line by line. The text is data, kept in
// the resource ":/records/agreement.txt".
#include <QStringList>

// Throws Exception when the resource is missing (a broken build).
const QStringList &agreementLines();
