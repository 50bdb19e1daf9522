#include "RegistrarLine.h"

#include <QRegularExpression>

QString registrarNamed(const QStringList &answer)
{
    static const QRegularExpression line(QStringLiteral("^\\s*(sponsoring )?registrar( name)?:\\s*(\\S.*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    for (const QString &l : answer)
        if (const QRegularExpressionMatch m = line.match(l); m.hasMatch())
            return m.captured(3).trimmed();
    return {};
}
