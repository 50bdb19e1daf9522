#pragma once
// Composes one message into its RFC 822 / MIME text, every line ended by CR LF.
#include "TBodyForm.h"

#include <QString>
#include <memory>

class QIODevice;
class TEventSlice;
class TLineWriter;
class TmsAddressList;
class TmsAttItem;
class TmsHeaders;
class TmsMessage;

class TmsMessageEncoder {
public:
    TmsMessageEncoder(TmsMessage &message, QIODevice &out, TBodyTransport transport = TBodyTransport::SevenBit);
    ~TmsMessageEncoder();
    TmsMessageEncoder(const TmsMessageEncoder &) = delete;
    TmsMessageEncoder &operator=(const TmsMessageEncoder &) = delete;

    // Composes the message text into out, from position 0; an accented plain
    // body goes as 8bit only when the transport carries 8-bit text.
    void Encode();

    // Whether the composed text will hold an 8bit body part, which the
    // envelope must announce with BODY=8BITMIME.
    static bool SendsEightBit(const TmsMessage &message, TBodyTransport transport);
    // Eight decimal digits, each from 0 to 8.
    static QString MakeBoundary();
    // Deletes the extra header lines that the composer writes itself.
    static void RemoveReservedHeaders(TmsHeaders &headers);

private:
    // Only a lone text/plain body may go as 8bit: the parts of a multipart
    // text would each need the same on their enclosing entities.
    static TBodyForm FormOf(const TmsMessage &message, TBodyTransport transport);
    void WriteLine(const QString &text);
    void WriteHeaders();
    void WriteAddressHeader(QString label, const TmsAddressList &list);
    // prefix + text + rest as one line, cut to MailTextMax characters when
    // `cut`; a text with accents goes as encoded words folded over several lines.
    void WriteHeaderText(const QString &prefix, const QString &text, const QString &rest, bool cut);
    void WriteBodyHeaders();
    void WritePlainText();
    void WriteSinglePart();
    void WriteMultipart(bool alternative);
    void WriteUUMessage();
    void EncodeBody();
    void EncodeAttachment(const TmsAttItem &item);
    void EncodeBase64(const QByteArray &data);
    void EncodeUU(const QByteArray &data);
    void EncodeSevenBit(const QByteArray &data);

    TmsMessage &m_message;
    QIODevice &m_output;
    std::unique_ptr<TEventSlice> m_slice;
    std::unique_ptr<TLineWriter> m_writer;
    TBodyForm m_form;
};
