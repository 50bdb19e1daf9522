#pragma once
// How the text body of a message goes out: which character set it is labelled
// with and which transfer encoding carries it. Field texts are ISO-8859-1, so
// a body holding any character above 127 is labelled "iso-8859-1" whatever the
// message asks for; a us-ascii label on such bytes makes readers show garbage.
// Such a body goes as 8bit only where the way to the server carries 8-bit text
// (8BITMIME) and its lines fit; otherwise it is quoted-printable, which any
// server takes.
#include "msdef.h"

#include <QStringList>

class TBodyForm {
public:
    enum Encoding { SevenBit, EightBit, QuotedPrintable };

    // A body line of this many characters or more is always quoted-printable.
    static constexpr qsizetype LongLine = 256;

    static TBodyForm Of(const QStringList &body, TCharSet charSet, TBodyTransport transport);

    Encoding Transfer() const { return m_encoding; }
    // The texts written after "charset=" (without quotes) and "Content-Transfer-Encoding: ".
    QString CharsetName() const;
    QString EncodingName() const;

private:
    TBodyForm(bool iso, Encoding encoding) : m_iso(iso), m_encoding(encoding) {}

    bool m_iso;
    Encoding m_encoding;
};
