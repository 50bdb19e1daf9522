#include "DomainTemplate.h"

#include "ContactBlockRows.h"
#include "FieldCatalogue.h"
#include "RecordKind.h"

namespace {

constexpr int kWidth = 33;

void add(std::vector<TemplateRow> &rows, const std::vector<TemplateRow> &more)
{
    rows.insert(rows.end(), more.begin(), more.end());
}

std::vector<TemplateRow> build()
{
    using R = TemplateRow;
    const QStringList org = blockFields(QStringLiteral("O"));
    const QStringList ns = blockFields(QStringLiteral("NS"));
    static const char *const orgNames[] = {"Organization Name", "Street Address", "City",
                                           "State",             "Postal Code",    "Country Code"};

    std::vector<TemplateRow> rows{
        R::processed(),
        R::blank(),
        R::line(QLatin1String(kindInfo(RecordKind::Domain).versionLine)),
        R::blank(),
        R::agreement(),
        R::blank(),
        R::blank(),
        R::line(QStringLiteral("Authorization")),
        R::value(QStringLiteral("(N)ew (M)odify (D)elete"), QStringLiteral("NewDomainRadio"), kWidth,
                 ValueSource::ActionCode),
        R::value(QStringLiteral("Auth Scheme"), QStringLiteral("AuthScheme"), kWidth, ValueSource::SelectedEntry),
        R::value(QStringLiteral("Auth Info"), QStringLiteral("AuthInfoEdit"), kWidth),
        R::blank(),
        R::value(QStringLiteral("Purpose/Description"), QStringLiteral("PurposeEdit"), kWidth),
        R::blank(),
        R::value(QStringLiteral("Complete Domain Name"), QStringLiteral("DomainNameEdit"), kWidth),
        R::blank(),
        R::line(QStringLiteral("Organization Using Domain Name")),
    };
    for (qsizetype i = 0; i < org.size(); ++i)
        rows.push_back(R::value(QLatin1String(orgNames[i]), org[i], kWidth));

    const struct {
        const char *heading;
        const char *block;
    } contacts[] = {{"Administrative Contact", "A"}, {"Technical Contact", "T"}, {"Billing Contact", "B"}};
    for (const auto &c : contacts) {
        rows.push_back(R::blank());
        rows.push_back(R::line(QLatin1String(c.heading)));
        add(rows, contactBlockRows(blockFields(QLatin1String(c.block)), kWidth));
    }

    rows.push_back(R::blank());
    rows.push_back(R::line(QStringLiteral("Primary Name Server")));
    rows.push_back(R::value(QStringLiteral("Primary Server Hostname"), ns[0], kWidth));
    rows.push_back(R::value(QStringLiteral("Primary Server Netaddress"), ns[1], kWidth));
    rows.push_back(R::blank());
    rows.push_back(R::line(QStringLiteral("Secondary Name Server(s)")));
    // Always three secondary pairs, filled or not.
    for (qsizetype i = 2; i < ns.size(); i += 2) {
        rows.push_back(R::value(QStringLiteral("Secondary Server Hostname"), ns[i], kWidth));
        rows.push_back(R::value(QStringLiteral("Secondary Server Netaddress"), ns[i + 1], kWidth));
    }
    rows.push_back(R::blank());
    rows.push_back(R::line(QStringLiteral("END OF AGREEMENT")));
    return rows;
}

} // namespace

const std::vector<TemplateRow> &domainTemplate()
{
    static const std::vector<TemplateRow> rows = build();
    return rows;
}
