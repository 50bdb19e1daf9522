#include "TmsMessageEncoder.h"

#include "EncodedWords.h"
#include "LineCodecs.h"
#include "MailNames.h"
#include "TEventSlice.h"
#include "TLineWriter.h"
#include "TQuotedPrintable.h"
#include "TmsMessage.h"

#include <QFileDevice>
#include <QRandomGenerator>

namespace {

constexpr int LabelWidth = 10;
// Input bytes encoded per write; whole lines of both line encoders.
constexpr qsizetype EncodeBlock = LineCodecs::Base64LineBytes * LineCodecs::UULineBytes * 40;

const char *const ReservedHeaders[] = {
    "From", "To", "CC", "BCC", "Return-Receipt-To", "X-Priority", "Subject",
    "Mime-Version", "Content-Type", "X-Encoding", "Content-Transfer-Encoding",
};

QString Quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

TmsMessageEncoder::TmsMessageEncoder(TmsMessage &message, QIODevice &out, TBodyTransport transport)
    : m_message(message), m_output(out),
      m_slice(std::make_unique<TEventSlice>()),
      m_writer(std::make_unique<TLineWriter>(out, *m_slice)),
      m_form(FormOf(message, transport))
{
}

TBodyForm TmsMessageEncoder::FormOf(const TmsMessage &message, TBodyTransport transport)
{
    const bool lonePlainText = message.Encoding() == meMIME && message.Attachments()->Count() == 0 &&
                               message.ContentType() == QLatin1String("text/plain");
    return TBodyForm::Of(message.Body(), message.CharSet(), lonePlainText ? transport : TBodyTransport::SevenBit);
}

bool TmsMessageEncoder::SendsEightBit(const TmsMessage &message, TBodyTransport transport)
{
    // A 7-bit way needs no look at the text, which may be large.
    return transport == TBodyTransport::EightBit && FormOf(message, transport).Transfer() == TBodyForm::EightBit;
}

TmsMessageEncoder::~TmsMessageEncoder() = default;

void TmsMessageEncoder::Encode()
{
    if (!m_output.isSequential())
        m_output.seek(0);
    WriteHeaders();
    if (m_message.Encoding() == meUU) {
        WriteUUMessage();
    } else {
        const QString type = m_message.ContentType();
        const bool noAttachments = m_message.Attachments()->Count() == 0;
        if (type == QLatin1String("multipart/mixed"))
            WriteMultipart(false);
        else if (type == QLatin1String("text/plain") && noAttachments)
            WritePlainText();
        else if (type == QLatin1String("multipart/alternative"))
            WriteMultipart(true);
        else
            WriteSinglePart();
    }
    m_writer->Flush();
    if (auto *file = qobject_cast<QFileDevice *>(&m_output); file && !file->flush())
        throw EInOutError(file->errorString(), static_cast<int>(file->error()));
}

QString TmsMessageEncoder::MakeBoundary()
{
    QString boundary;
    for (int i = 0; i < 8; ++i)
        boundary += QChar(u'0' + QRandomGenerator::global()->bounded(9));
    return boundary;
}

void TmsMessageEncoder::RemoveReservedHeaders(TmsHeaders &headers)
{
    for (const char *name : ReservedHeaders)
        headers.RemoveHeader(QLatin1String(name));
}

void TmsMessageEncoder::WriteLine(const QString &text)
{
    m_writer->WriteLine(text);
}

void TmsMessageEncoder::WriteHeaders()
{
    const TmsMailAddress &sender = *m_message.Sender();
    WriteHeaderText(QStringLiteral("From:").leftJustified(LabelWidth), sender.Name(),
                    QLatin1String(" <") + sender.Address() + QLatin1Char('>'), true);
    WriteAddressHeader(QStringLiteral("To"), *m_message.Recipients());
    WriteAddressHeader(QStringLiteral("CC"), *m_message.CC());
    if (m_message.ReturnReceipt())
        WriteLine(MailNames::Cut(QLatin1String("Return-Receipt-To: <") + sender.Address() + QLatin1Char('>')));
    if (m_message.Priority() == ptLow)
        WriteLine(QStringLiteral("X-Priority: 5"));
    else if (m_message.Priority() == ptHigh)
        WriteLine(QStringLiteral("X-Priority: 1"));

    TmsHeaders &headers = m_message.Headers();
    RemoveReservedHeaders(headers);
    for (const QString &line : std::as_const(headers))
        WriteLine(line);

    if (!m_message.Subject().isEmpty())
        WriteHeaderText(QStringLiteral("Subject:").leftJustified(LabelWidth), m_message.Subject(), QString(), true);
    if (m_message.Encoding() == meMIME)
        WriteLine(QStringLiteral("Mime-Version: 1.0"));
}

void TmsMessageEncoder::WriteAddressHeader(QString label, const TmsAddressList &list)
{
    const int count = list.Count();
    if (count == 0)
        return;
    if (!label.endsWith(QLatin1Char(':')))
        label += QLatin1Char(':');
    const QString indent(LabelWidth, QLatin1Char(' '));
    for (int i = 0; i < count; ++i) {
        const TmsMailAddress &item = *list.Items(i);
        const QString rest = QLatin1String(" <") + item.Address() + (i + 1 < count ? QLatin1String(">,") : QLatin1String(">"));
        if (i == 0)
            WriteHeaderText(label.leftJustified(LabelWidth), item.Name(), rest, true);
        else
            WriteHeaderText(indent, item.Name(), rest, false);
    }
}

void TmsMessageEncoder::WriteHeaderText(const QString &prefix, const QString &text, const QString &rest, bool cut)
{
    const QString whole = prefix + text + rest;
    const QString line = cut ? MailNames::Cut(whole) : whole;
    const QString shown = line.mid(prefix.size(), text.size());
    QStringList words = EncodedWords::Encode(shown);
    words.last() += line.mid(prefix.size() + shown.size());
    WriteLine(prefix + words.first());
    for (qsizetype i = 1; i < words.size(); ++i)
        WriteLine(QLatin1Char(' ') + words.at(i));
}

void TmsMessageEncoder::WriteBodyHeaders()
{
    WriteLine(QLatin1String("Content-Type: text/plain; charset=") + Quoted(m_form.CharsetName()));
    WriteLine(QLatin1String("Content-Transfer-Encoding: ") + m_form.EncodingName());
}

void TmsMessageEncoder::WritePlainText()
{
    WriteBodyHeaders();
    WriteLine(QString());
    EncodeBody();
}

void TmsMessageEncoder::WriteSinglePart()
{
    const TmsAttItem &item = *m_message.Attachments()->Items(0);
    const QString name = Quoted(MailNames::FileNamePart(item.FileName()));
    WriteLine(QLatin1String("Content-Type: ") + item.ContentType() + QLatin1String("; name=") + name);
    WriteLine(QLatin1String("Content-Transfer-Encoding: ") + QLatin1String(AttachmentEncodingName[item.Encoding()]));
    WriteLine(QLatin1String("Content-Disposition: attachment; filename=") + name);
    WriteLine(QString());
    EncodeAttachment(item);
}

void TmsMessageEncoder::WriteMultipart(bool alternative)
{
    const TmsAttList &attachments = *m_message.Attachments();
    QString boundary = MakeBoundary();
    QString outer;
    bool groupOpen = false;

    WriteLine(QLatin1String("Content-Type: ") + m_message.ContentType() + QLatin1String("; boundary=") + Quoted(boundary));
    WriteLine(QStringLiteral("X-Encoding: MIME"));
    WriteLine(QString());
    WriteLine(QStringLiteral("This is a multipart message in MIME format"));
    WriteLine(QString());
    WriteLine(QLatin1String("--") + boundary);

    if (attachments.Count() > 0 && MailNames::IsAlternativeName(attachments.Items(0)->FileName())) {
        outer = boundary;
        // An inner delimiter equal to the outer one would end the outer part too.
        do
            boundary = MakeBoundary();
        while (boundary == outer);
        WriteLine(QLatin1String("Content-Type:  multipart/alternative; boundary=") + Quoted(boundary));
        WriteLine(QStringLiteral("Content-Transfer-Encoding: 7bit"));
        WriteLine(QString());
        WriteLine(QLatin1String("--") + boundary);
        groupOpen = true;
    }

    if (!m_message.Body().isEmpty()) {
        WriteBodyHeaders();
        WriteLine(QString());
        EncodeBody();
        WriteLine(QString());
        WriteLine(QLatin1String("--") + boundary);
    }

    const int count = attachments.Count();
    for (int i = 0; i < count; ++i) {
        const TmsAttItem &item = *attachments.Items(i);
        const bool plain = !alternative && !groupOpen;
        const QString name = Quoted(MailNames::FileNamePart(item.FileName()));
        if (i > 0) {
            WriteLine(QString());
            WriteLine(QLatin1String("--") + boundary);
        }
        WriteLine(QLatin1String("Content-Type: ") + item.ContentType() + (plain ? QLatin1String("; name=") + name : QString()));
        WriteLine(QLatin1String("Content-Transfer-Encoding: ") + QLatin1String(AttachmentEncodingName[item.Encoding()]));
        if (plain)
            WriteLine(QLatin1String("Content-Disposition: attachment; filename=") + name);
        WriteLine(QString());
        EncodeAttachment(item);
        WriteLine(QString());

        if (i + 1 == count) {
            WriteLine(QLatin1String("--") + boundary + QLatin1String("--"));
            if (groupOpen) {
                WriteLine(QString());
                WriteLine(QLatin1String("--") + outer + QLatin1String("--"));
            }
        } else if (groupOpen && !MailNames::IsAlternativeName(attachments.Items(i + 1)->FileName())) {
            WriteLine(QLatin1String("--") + boundary + QLatin1String("--"));
            groupOpen = false;
            boundary = outer;
        }
    }
}

void TmsMessageEncoder::WriteUUMessage()
{
    WriteLine(QString());
    for (const QString &line : std::as_const(m_message.Body()))
        WriteLine(line);
    const TmsAttList &attachments = *m_message.Attachments();
    for (int i = 0; i < attachments.Count(); ++i) {
        const TmsAttItem &item = *attachments.Items(i);
        WriteLine(QString());
        WriteLine(QLatin1String("begin 600 ") + MailNames::FileNamePart(item.FileName()));
        EncodeUU(item.Stream());
        WriteLine(QStringLiteral("`"));
        WriteLine(QStringLiteral("end"));
    }
}

void TmsMessageEncoder::EncodeBody()
{
    const QStringList &body = m_message.Body();
    if (m_form.Transfer() != TBodyForm::QuotedPrintable) {
        for (const QString &line : body)
            WriteLine(line);
        return;
    }
    QByteArray text;
    for (const QString &line : body) {
        text += line.toLatin1();
        text += "\r\n";
    }
    TQuotedPrintable(text, *m_writer).EncodeParagraphs();
}

void TmsMessageEncoder::EncodeAttachment(const TmsAttItem &item)
{
    switch (item.Encoding()) {
    case aeBase64:
        EncodeBase64(item.Stream());
        break;
    case aeQuotedPrintable:
        TQuotedPrintable(item.Stream(), *m_writer).EncodeParagraphs();
        break;
    case aeSevenBit:
        EncodeSevenBit(item.Stream());
        break;
    }
}

void TmsMessageEncoder::EncodeBase64(const QByteArray &data)
{
    constexpr int lineBytes = LineCodecs::Base64LineBytes;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    for (qsizetype block = 0; block < size; block += EncodeBlock) {
        const qsizetype blockEnd = std::min(size, block + EncodeBlock);
        const qsizetype lines = (blockEnd - block + lineBytes - 1) / lineBytes;
        char *start = m_writer->Reserve(lines * (LineCodecs::Base64LineMax + 2));
        const qsizetype whole = (blockEnd - block) / lineBytes;
        char *out = LineCodecs::EncodeBase64Lines(bytes + block, whole, start);
        const qsizetype at = block + whole * lineBytes;
        if (at < blockEnd) {
            out = LineCodecs::EncodeBase64Line(bytes + at, int(blockEnd - at), out);
            *out++ = '\r';
            *out++ = '\n';
        }
        m_writer->Commit(out - start);
    }
}

void TmsMessageEncoder::EncodeUU(const QByteArray &data)
{
    constexpr int lineBytes = LineCodecs::UULineBytes;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    // Reading stops at the first short chunk, so a whole number of lines ends
    // with an empty one.
    qsizetype at = 0;
    while (true) {
        const qsizetype blockEnd = std::min(size, at + EncodeBlock);
        const qsizetype lines = (blockEnd - at) / lineBytes + 1;
        char *start = m_writer->Reserve(lines * (LineCodecs::UULineMax + 2));
        char *out = start;
        bool last = false;
        while (!last && (at < blockEnd || blockEnd == size)) {
            const int n = int(std::min<qsizetype>(lineBytes, size - at));
            out = LineCodecs::EncodeUULine(bytes + at, n, out);
            *out++ = '\r';
            *out++ = '\n';
            at += n;
            last = n < lineBytes;
        }
        m_writer->Commit(out - start);
        if (last)
            return;
    }
}

void TmsMessageEncoder::EncodeSevenBit(const QByteArray &data)
{
    const char *bytes = data.constData();
    const qsizetype size = data.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        m_writer->WriteLine(bytes + start, end - start);
        // CR LF is one line end; a lone CR or LF is one too.
        if (end + 1 < size && bytes[end] == '\r' && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}
