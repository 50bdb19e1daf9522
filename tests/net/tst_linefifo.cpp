// The receive buffer against a plain reference cutter, over random streams,
// delimiters, capacities and receive sizes.
#include "LineFIFO.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

struct Piece {
    QByteArray text;
    bool eol;
    bool operator==(const Piece &) const = default;
};

// How a stream must come out: a line when its whole delimiter lies within
// `capacity` bytes of where the line began, otherwise a full piece; what is
// left at the end goes as a last piece.
QList<Piece> ReferenceCut(const QByteArray &stream, const QByteArray &delimiter, qsizetype capacity)
{
    QList<Piece> out;
    qsizetype pos = 0;
    while (pos < stream.size()) {
        const qsizetype k = stream.indexOf(delimiter, pos);
        if (k >= 0 && k + delimiter.size() - pos <= capacity) {
            out.append({stream.mid(pos, k - pos), true});
            pos = k + delimiter.size();
        } else if (stream.size() - pos >= capacity) {
            out.append({stream.mid(pos, capacity), false});
            pos += capacity;
        } else {
            out.append({stream.mid(pos), false});
            pos = stream.size();
        }
    }
    return out;
}

// Feeds the stream the way the read pass does, in receives of random size.
QList<Piece> FifoCut(const QByteArray &stream, const QByteArray &delimiter, quint32 capacity, QRandomGenerator &rng)
{
    LineFIFO fifo;
    fifo.SetCapacity(capacity);
    fifo.SetDelimiter(delimiter);
    QList<Piece> out;
    QByteArray line;
    qsizetype pos = 0;
    for (;;) {
        while (fifo.TakeLine(line))
            out.append({line, true});
        quint32 space = 0;
        char *tail = fifo.Reserve(space);
        if (space == 0) {
            if (fifo.TakeAll(line))
                out.append({line, false});
            continue;
        }
        if (pos == stream.size())
            break;
        // Mostly small receives, so delimiters and pieces straddle them.
        const quint32 most = std::min(space, rng.bounded(4) ? 1 + rng.bounded(700) : space);
        const quint32 n = std::min<quint32>(quint32(stream.size() - pos), 1 + rng.bounded(most));
        std::memcpy(tail, stream.constData() + pos, n);
        fifo.Commit(n);
        pos += n;
    }
    while (fifo.TakeLine(line))
        out.append({line, true});
    if (fifo.TakeAll(line))
        out.append({line, false});
    return out;
}

} // namespace

class TestLineFIFO : public QObject {
    Q_OBJECT
private slots:
    void matchesReferenceCutter();
};

void TestLineFIFO::matchesReferenceCutter()
{
    QRandomGenerator rng(20261207);
    // A small alphabet makes delimiters, partial delimiters and overlaps common.
    const char alphabet[] = "ab\r\n";
    for (int round = 0; round < 3000; ++round) {
        QByteArray delimiter;
        for (int i = 1 + int(rng.bounded(3)); i > 0; --i)
            delimiter += alphabet[rng.bounded(4)];
        QByteArray stream;
        for (int i = int(rng.bounded(3000)); i > 0; --i)
            stream += alphabet[rng.bounded(4)];
        const quint32 capacity = 255 + rng.bounded(300);
        const QList<Piece> got = FifoCut(stream, delimiter, capacity, rng);
        const QList<Piece> want = ReferenceCut(stream, delimiter, capacity);
        if (got != want)
            QFAIL(qPrintable(QStringLiteral("round %1: delimiter %2, capacity %3, stream %4")
                                 .arg(round)
                                 .arg(QString::fromLatin1(delimiter.toPercentEncoding()))
                                 .arg(capacity)
                                 .arg(QString::fromLatin1(stream.toPercentEncoding()))));
    }
}

QTEST_GUILESS_MAIN(TestLineFIFO)
#include "tst_linefifo.moc"
