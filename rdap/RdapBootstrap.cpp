#include "RdapBootstrap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

bool allStrings(const QJsonValue &value)
{
    if (!value.isArray())
        return false;
    const QJsonArray list = value.toArray();
    return std::all_of(list.begin(), list.end(), [](const QJsonValue &v) { return v.isString(); });
}

// The service's https URL, else its http one; the look-up decides whether
// plain HTTP may be used.
QUrl chosenUrl(const QJsonArray &urls)
{
    QUrl plain;
    for (const QJsonValue &v : urls) {
        QUrl url(v.toString(), QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty() || url.hasQuery() || url.hasFragment())
            continue;
        const QString scheme = url.scheme().toLower();
        if (scheme != QLatin1String("https") && scheme != QLatin1String("http"))
            continue;
        // Base URLs are meant to end with "/"; some entries forget it.
        if (!url.path().endsWith(QLatin1Char('/')))
            url.setPath(url.path() + QLatin1Char('/'));
        if (scheme == QLatin1String("https"))
            return url;
        if (plain.isEmpty())
            plain = url;
    }
    return plain;
}

} // namespace

std::optional<RdapBootstrap> RdapBootstrap::parse(const QByteArray &json, QString *error)
{
    const auto refuse = [error](const QString &why) -> std::optional<RdapBootstrap> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (json.size() > MaxBytes)
        return refuse(QStringLiteral("it is larger than %1 KB").arg(MaxBytes / 1024));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refuse(QStringLiteral("it is not JSON (%1 at byte %2)").arg(parseError.errorString()).arg(parseError.offset));
    if (!doc.isObject())
        return refuse(QStringLiteral("it is not a JSON object"));
    const QJsonValue services = doc.object().value(QLatin1String("services"));
    if (!services.isArray())
        return refuse(QStringLiteral("it has no list of services"));

    RdapBootstrap bootstrap;
    qsizetype index = 0;
    for (const QJsonValue &service : services.toArray()) {
        ++index;
        const QJsonArray pair = service.toArray();
        if (!service.isArray() || pair.size() < 2 || !allStrings(pair.at(0)) || !allStrings(pair.at(1)))
            return refuse(QStringLiteral("service %1 is not a list of labels and a list of URLs").arg(index));
        const QUrl url = chosenUrl(pair.at(1).toArray());
        if (url.isEmpty())
            continue;
        for (const QJsonValue &entry : pair.at(0).toArray()) {
            QString label = entry.toString().toLower();
            if (label.endsWith(QLatin1Char('.')))
                label.chop(1);
            // An entry listed twice keeps its first service.
            if (!label.isEmpty() && !bootstrap.m_services.contains(label))
                bootstrap.m_services.insert(label, url);
        }
    }
    return bootstrap;
}

std::optional<RdapBootstrap::Service> RdapBootstrap::serviceFor(QStringView asciiName) const
{
    QString name = asciiName.toString().toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    // Labels are cut off from the left, so the first hit is the longest suffix.
    QStringView rest(name);
    while (!rest.isEmpty()) {
        const auto found = m_services.constFind(rest.toString());
        if (found != m_services.constEnd())
            return Service{found.key(), found.value()};
        const qsizetype dot = rest.indexOf(QLatin1Char('.'));
        if (dot < 0)
            break;
        rest = rest.mid(dot + 1);
    }
    return std::nullopt;
}
