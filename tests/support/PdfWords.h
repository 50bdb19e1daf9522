#pragma once
// The words of a PDF with their boxes in points, as poppler's
// `pdftotext -bbox` reads them back.
#include <QProcess>
#include <QRegularExpression>
#include <QString>

struct PdfWord {
    int page; // from 1
    double xMin, yMin, xMax, yMax;
    QString text;
};

// Empty when pdftotext fails.
inline QList<PdfWord> pdfWords(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    static const QRegularExpression token(QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                                                         "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PdfWord> out;
    int page = 0;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        out.append({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                    m.captured(4).toDouble(), m.captured(5)});
    }
    return out;
}
