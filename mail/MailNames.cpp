#include "MailNames.h"

#include "msdef.h"

#include <QMimeDatabase>

namespace MailNames {

QString Cut(const QString &text)
{
    return text.size() > MailTextMax ? text.left(MailTextMax) : text;
}

static qsizetype LastSeparator(const QString &path)
{
    qsizetype at = -1;
    for (QChar sep : {QChar('/'), QChar('\\'), QChar(':')})
        at = std::max(at, path.lastIndexOf(sep));
    return at;
}

QString FileNamePart(const QString &path)
{
    return path.mid(LastSeparator(path) + 1);
}

QString FileExtension(const QString &path)
{
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

bool IsAlternativeName(const QString &path)
{
    return FileNamePart(path).toLower().startsWith(QLatin1String("_alt."));
}

QString LookupContentType(const QString &path)
{
    static const QString fallback = QStringLiteral("application/octet-stream");
    const QString ext = FileExtension(path);
    if (ext.size() < 2)
        return fallback;
    // Only the extension counts, so whole-name patterns must not match.
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(QLatin1Char('x') + ext, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault() || type.name().isEmpty())
        return fallback;
    return type.name();
}

} // namespace MailNames
