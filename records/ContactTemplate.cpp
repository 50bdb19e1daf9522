#include "ContactTemplate.h"

#include "ContactBlockRows.h"
#include "FieldCatalogue.h"
#include "RecordKind.h"

namespace {

constexpr int kWidth = 30;

std::vector<TemplateRow> build()
{
    using R = TemplateRow;
    const auto selected = ValueSource::SelectedEntry;
    std::vector<TemplateRow> rows{
        R::processed(),
        R::blank(),
        R::line(QLatin1String(kindInfo(RecordKind::Contact).versionLine)),
        R::blank(),
        R::line(QStringLiteral("Authorization")),
        R::value(QStringLiteral("(N)ew (M)odify (D)elete"), QStringLiteral("NewContactRadio"), kWidth,
                 ValueSource::ActionCode),
        R::value(QStringLiteral("Auth Scheme"), QStringLiteral("ContactAuthorizationType"), kWidth, selected),
        R::value(QStringLiteral("Auth Info"), QStringLiteral("ContactAuthorizationInfo"), kWidth),
        R::blank(),
        R::line(QStringLiteral("Contact Information")),
    };
    const std::vector<TemplateRow> block =
        contactBlockRows(blockFields(QStringLiteral("C")), kWidth, QStringLiteral("NIC Handle"));
    rows.insert(rows.end(), block.begin(), block.end());

    const std::vector<TemplateRow> tail{
        R::blank(),
        R::line(QStringLiteral("Notify Information")),
        R::value(QStringLiteral("Notify Updates"), QStringLiteral("ContactNotifyUpdates"), kWidth, selected),
        R::value(QStringLiteral("Notify Use"), QStringLiteral("ContactNotifyUse"), kWidth, selected),
        R::blank(),
        R::line(QStringLiteral("Authentication")),
        R::value(QStringLiteral("Auth Scheme"), QStringLiteral("ContactAuthenticationType"), kWidth, selected),
        R::value(QStringLiteral("Auth Info"), QStringLiteral("ContactAuthenticationInfo"), kWidth),
        R::value(QStringLiteral("Public (Y/N)"), QStringLiteral("PublicYesRadio"), kWidth, ValueSource::PublicFlag),
    };
    rows.insert(rows.end(), tail.begin(), tail.end());
    return rows;
}

} // namespace

const std::vector<TemplateRow> &contactTemplate()
{
    static const std::vector<TemplateRow> rows = build();
    return rows;
}
