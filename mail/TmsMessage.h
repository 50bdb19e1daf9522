#pragma once
// One outgoing mail message. The message owns its address lists, body,
// extra headers and attachments; setters copy what they are given.
#include "TmsAddressList.h"
#include "TmsAttList.h"
#include "TmsHeaders.h"
#include "TmsMailAddress.h"
#include "msdef.h"

#include <QObject>
#include <QStringList>
#include <memory>

class TmsMessage : public QObject {
    Q_OBJECT
public:
    explicit TmsMessage(QObject *parent = nullptr);
    ~TmsMessage() override;

    TmsMailAddress *Sender() const { return m_sender.get(); }
    TmsAddressList *Recipients() const { return m_recipients.get(); }
    void SetRecipients(const TmsAddressList &list) { m_recipients->Assign(list); }
    TmsAddressList *CC() const { return m_cc.get(); }
    void SetCC(const TmsAddressList &list) { m_cc->Assign(list); }
    TmsAddressList *BCC() const { return m_bcc.get(); }
    void SetBCC(const TmsAddressList &list) { m_bcc->Assign(list); }

    QString Subject() const { return m_subject; }
    void SetSubject(const QString &subject);
    QStringList &Body() { return m_body; }
    const QStringList &Body() const { return m_body; }
    void SetBody(const QStringList &lines) { m_body = lines; }
    TmsHeaders &Headers() { return m_headers; }
    const TmsHeaders &Headers() const { return m_headers; }
    void SetHeaders(const QStringList &lines) { m_headers = TmsHeaders(lines); }
    TmsAttList *Attachments() const { return m_attachments.get(); }
    void SetAttachments(const TmsAttList &list);

    TPriority Priority() const { return m_priority; }
    void SetPriority(TPriority priority) { m_priority = priority; }
    bool ReturnReceipt() const { return m_returnReceipt; }
    void SetReturnReceipt(bool on) { m_returnReceipt = on; }
    // The label of a plain ASCII body: csISO8859 makes it iso-8859-1 and
    // quoted-printable. A body with accents is iso-8859-1 whatever this says,
    // as the composer sees from the text itself.
    TCharSet CharSet() const { return m_charSet; }
    void SetCharSet(TCharSet charSet) { m_charSet = charSet; }
    TMsgEncoding Encoding() const { return m_encoding; }
    void SetEncoding(TMsgEncoding encoding) { m_encoding = encoding; }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    // Computed from encoding, body and attachments on every read; the result is kept.
    QString ContentType() const;
    // Stores the lower-cased text until the next read.
    void SetContentType(const QString &type);

    void Assign(const TmsMessage &other);
    // Reads every attachment's content from its file; throws EInOutError.
    void Loaded();
    // Throws EMessageError when there is no sender or no recipient mailbox.
    void CheckAddresses() const;

private:
    std::unique_ptr<TmsMailAddress> m_sender;
    std::unique_ptr<TmsAddressList> m_recipients;
    std::unique_ptr<TmsAddressList> m_cc;
    std::unique_ptr<TmsAddressList> m_bcc;
    QString m_subject;
    QStringList m_body;
    TmsHeaders m_headers;
    std::unique_ptr<TmsAttList> m_attachments;
    TPriority m_priority = ptNormal;
    bool m_returnReceipt = false;
    TCharSet m_charSet = csUSASCII;
    TMsgEncoding m_encoding = meMIME;
    int m_tag = 0;
    mutable QString m_contentType = QStringLiteral("text/plain");
};
