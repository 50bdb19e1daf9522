#pragma once
// Where a redirect sends a query, read with libcurl's URL parser (the one
// that would have followed it), as something the look-up follows or a
// reason it does not. A login in the address is dropped: a redirect never
// makes this program send one.
#include <QByteArrayView>
#include <QString>
#include <QUrl>

struct RedirectTarget {
    enum class Kind { Https, PlainHttp, OtherScheme, PortOutOfRange, NoHost, NotAnAddress };

    Kind kind = Kind::NotAnAddress;
    QUrl url;      // for Https: where to ask next
    QString shown; // the address as sent, safe to show

    static RedirectTarget read(QByteArrayView address);
};
