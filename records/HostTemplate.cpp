#include "HostTemplate.h"

#include "ContactBlockRows.h"
#include "FieldCatalogue.h"
#include "RecordKind.h"

namespace {

// The authorization lines of this template carry one dot more than the rest.
constexpr int kAuthWidth = 34;
constexpr int kWidth = 33;

std::vector<TemplateRow> build()
{
    using R = TemplateRow;
    std::vector<TemplateRow> rows{
        R::blank(),
        R::processed(),
        R::blank(),
        R::line(QLatin1String(kindInfo(RecordKind::Host).versionLine)),
        R::blank(),
        R::line(QStringLiteral("Authorization")),
        R::value(QStringLiteral("(N)ew (M)odify (D)elete"), QStringLiteral("NewHostRadio"), kAuthWidth,
                 ValueSource::ActionCode),
        R::value(QStringLiteral("Auth Scheme"), QStringLiteral("HostAuthScheme"), kAuthWidth,
                 ValueSource::SelectedEntry),
        R::value(QStringLiteral("Auth Info"), QStringLiteral("HostAuthInfo"), kAuthWidth),
        R::blank(),
        R::line(QStringLiteral("Host")),
        R::value(QStringLiteral("NIC Handle (if known)"), QStringLiteral("HostNicHandle"), kWidth),
        R::value(QStringLiteral("Host Name"), QStringLiteral("HostName"), kWidth),
        R::value(QStringLiteral("IP Address"), QStringLiteral("HostIPAddress"), kWidth),
        R::blank(),
        R::line(QStringLiteral("Contact")),
    };
    const std::vector<TemplateRow> block = contactBlockRows(blockFields(QStringLiteral("HC")), kWidth);
    rows.insert(rows.end(), block.begin(), block.end());
    return rows;
}

} // namespace

const std::vector<TemplateRow> &hostTemplate()
{
    static const std::vector<TemplateRow> rows = build();
    return rows;
}
