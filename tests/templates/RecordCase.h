#pragma once
// A record for a template test, read from a case file of tests/data/templates:
//   kind Domain|Host|Contact
//   now 1998-03-04T13:05:09
//   check <radio>            disable <field>
//   select <combo> <entry>   text <field> <value>
// Values take the escapes \r \n \t \\. Lines starting with '#' are comments.
#include "MapFields.h"
#include "RecordKind.h"

#include <QDateTime>
#include <QFile>
#include <stdexcept>

struct RecordCase {
    RecordKind kind = RecordKind::Domain;
    QDateTime now;
    MapFields fields;

    static QString unescape(const QString &v)
    {
        QString out;
        for (qsizetype i = 0; i < v.size(); ++i) {
            if (v[i] != QLatin1Char('\\') || i + 1 == v.size()) {
                out += v[i];
                continue;
            }
            const QChar e = v[++i];
            out += e == QLatin1Char('r') ? QChar('\r') : e == QLatin1Char('n') ? QChar('\n')
                 : e == QLatin1Char('t') ? QChar('\t') : e;
        }
        return out;
    }

    static RecordCase load(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read " + path.toStdString());
        RecordCase c;
        bool haveKind = false;
        for (QString line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const qsizetype a = line.indexOf(QLatin1Char(' '));
            const QString what = line.left(a);
            const QString rest = a < 0 ? QString() : line.mid(a + 1);
            const qsizetype b = rest.indexOf(QLatin1Char(' '));
            const QString field = b < 0 ? rest : rest.left(b);
            const QString value = b < 0 ? QString() : unescape(rest.mid(b + 1));
            if (what == QLatin1String("kind")) {
                haveKind = true;
                c.kind = rest == QLatin1String("Host")      ? RecordKind::Host
                       : rest == QLatin1String("Contact") ? RecordKind::Contact
                                                          : RecordKind::Domain;
            } else if (what == QLatin1String("now")) {
                c.now = QDateTime::fromString(rest, Qt::ISODate);
            } else if (what == QLatin1String("check")) {
                c.fields.checked.insert(field);
            } else if (what == QLatin1String("disable")) {
                c.fields.disabled.insert(field);
            } else if (what == QLatin1String("select")) {
                c.fields.selected.insert(field, value);
            } else if (what == QLatin1String("text")) {
                c.fields.texts.insert(field, value);
            } else {
                throw std::runtime_error("unknown line in " + path.toStdString() + ": " + line.toStdString());
            }
        }
        if (!haveKind || !c.now.isValid())
            throw std::runtime_error("case without kind or time: " + path.toStdString());
        return c;
    }
};
