#include "RecordKind.h"

#include "IFields.h"

const char *const kReviewPage = "Review && Submit";

const std::array<KindInfo, 3> &recordKinds()
{
    static const std::array<KindInfo, 3> kinds{{
        {RecordKind::Domain, "Domain Reg", "DomainNameEdit", "domains", "domains.cbx", "DomainReg",
         "Domain Version Number: 3.5", "NewDomainRadio", "ModifyDomainRadio", "DeleteDomainRadio", false,
         "Memo1", "ShowForm", "BitBtn1", "BitBtn4", "DomainDefultButton", "BitBtn2", "status", "MailProgress",
         "DomainCancelSend", "Mail to InterNIC", "Shows the form that will be sent to the Internic.",
         "Mails application to the Internic", "Saves all entries on previous tabs as defaults.",
         "Internic DOMAIN Registration", "AuthScheme", "DomainSendToRegistry"},
        {RecordKind::Host, "Host Reg", "HostName", "hosts", "hosts.cbx", "HostReg",
         "Host Version Number: 1.0", "NewHostRadio", "ModifyHostRadio", "DeleteHostRadio", false,
         "Memo2", "HostShowForm", "HostMailtoNic", "HostPrint", "HostDefaultButton", "HostCancel", "hoststatus",
         "HostMailProgress", "HostCancelSend", "Mail to InterNIC", "Shows the form as it will be sent to the Internic.",
         "Mails the application to the Internic.", "Saves all previous tab settings as default.",
         "Internic HOST Registration", "HostAuthScheme", "HostSendToRegistry"},
        {RecordKind::Contact, "Contact Reg", "Contactname", "contacts", "Contacts.cbx", "ContactReg",
         "Contact Version Number: 1.0", "NewContactRadio", "ModifyContactRadio", "DeleteContactRadio", true,
         "Memo3", "ContactShowForm", "ContactMailtoNic", "ContactPrint", "ContactDefaultButton", "ContactClear",
         "Cstatus", "Cmailprogress", "ContactCancelSend", "Mail to NIC", "Shows the form that will be sent to the Internic.",
         "Mails the application to the Internic", "Saves info on previous tabs as default.",
         "Internic CONTACT Registration", "ContactAuthorizationType", "ContactSendToRegistry"},
    }};
    return kinds;
}

const KindInfo &kindInfo(RecordKind kind)
{
    return recordKinds()[static_cast<size_t>(kind)];
}

QString actionCode(const IFields &fields, RecordKind kind)
{
    const KindInfo &k = kindInfo(kind);
    QString code;
    if (fields.isChecked(QLatin1String(k.newRadio)))
        code = QStringLiteral("N");
    if (fields.isChecked(QLatin1String(k.modifyRadio)))
        code = QStringLiteral("M");
    if (fields.isChecked(QLatin1String(k.deleteRadio)))
        code = QStringLiteral("D");
    return code;
}

QString publicFlag(const IFields &fields)
{
    QString flag;
    if (fields.isChecked(QStringLiteral("PublicYesRadio")))
        flag = QStringLiteral("Y");
    if (fields.isChecked(QStringLiteral("PublicNoRadio")))
        flag = QStringLiteral("N");
    return flag;
}
