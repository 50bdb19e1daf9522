#include "TmsMessage.h"

#include "MailNames.h"

TmsMessage::TmsMessage(QObject *parent)
    : QObject(parent),
      m_sender(std::make_unique<TmsMailAddress>()),
      m_recipients(std::make_unique<TmsAddressList>()),
      m_cc(std::make_unique<TmsAddressList>()),
      m_bcc(std::make_unique<TmsAddressList>()),
      m_attachments(std::make_unique<TmsAttList>())
{
}

TmsMessage::~TmsMessage() = default;

void TmsMessage::SetSubject(const QString &subject)
{
    m_subject = MailNames::Cut(subject);
}

void TmsMessage::SetAttachments(const TmsAttList &list)
{
    m_attachments->Assign(list);
    m_contentType = m_attachments->Count() == 0 ? QStringLiteral("text/plain")
                                                : QStringLiteral("multipart/mixed");
}

QString TmsMessage::ContentType() const
{
    const int count = m_attachments->Count();
    bool alternative = count > 0;
    for (int i = 0; alternative && i < count; ++i)
        alternative = MailNames::IsAlternativeName(m_attachments->Items(i)->FileName());

    if (m_encoding == meUU)
        m_contentType.clear();
    else if (alternative)
        m_contentType = QStringLiteral("multipart/alternative");
    else if (!m_body.isEmpty())
        m_contentType = count == 0 ? QStringLiteral("text/plain") : QStringLiteral("multipart/mixed");
    else if (count == 1)
        m_contentType = m_attachments->Items(0)->ContentType();
    else
        m_contentType = count == 0 ? QStringLiteral("text/plain") : QStringLiteral("multipart/mixed");
    return m_contentType;
}

void TmsMessage::SetContentType(const QString &type)
{
    m_contentType = MailNames::Cut(type).toLower();
}

void TmsMessage::Assign(const TmsMessage &other)
{
    if (&other == this)
        return;
    m_sender->Assign(*other.m_sender);
    m_recipients->Assign(*other.m_recipients);
    m_subject = other.m_subject;
    m_cc->Assign(*other.m_cc);
    m_bcc->Assign(*other.m_bcc);
    m_encoding = other.m_encoding;
    m_charSet = other.m_charSet;
    m_body = other.m_body;
    m_headers = other.m_headers;
    m_priority = other.m_priority;
    m_returnReceipt = other.m_returnReceipt;
    m_attachments->Assign(*other.m_attachments);
    m_contentType = other.ContentType();
    m_tag = other.m_tag;
}

void TmsMessage::Loaded()
{
    for (int i = 0; i < m_attachments->Count(); ++i)
        m_attachments->Items(i)->LoadFromFile();
}

void TmsMessage::CheckAddresses() const
{
    if (m_sender->Address().isEmpty())
        throw EMessageError(QStringLiteral("The address of sender is required"));
    for (const TmsAddressList *list : {m_recipients.get(), m_cc.get(), m_bcc.get()}) {
        for (int i = 0; i < list->Count(); ++i) {
            if (!list->Items(i)->Address().isEmpty())
                return;
        }
    }
    throw EMessageError(QStringLiteral("At least one Recipient, CC or BCC must be entered"));
}
