#include "model/airspace.h"
#include "openair/openairreader.h"

#include <QDir>
#include <QtTest>

#include <cmath>

namespace {

// Signed area of the outline in floating point, with arcs sampled every degree: positive
// for clockwise (north up), the same convention as the integer winding test.
double referenceArea(const SegmentList &segments)
{
    const double masToDeg = 1.0 / Mas::Degree;
    const double lat0 = segments.front()->startPoint().lat * masToDeg * M_PI / 180.0;
    const double east = std::cos(lat0);
    QList<QPointF> points;
    auto add = [&](double lonDeg, double latDeg) { points.append(QPointF(lonDeg * east, latDeg)); };
    for (const SegmentPtr &s : segments) {
        add(s->startPoint().lon * masToDeg, s->startPoint().lat * masToDeg);
        if (s->kind() == Line) {
            add(s->endPoint().lon * masToDeg, s->endPoint().lat * masToDeg);
            continue;
        }
        const double cLon = s->centrePoint().lon * masToDeg;
        const double cLat = s->centrePoint().lat * masToDeg;
        const double radiusDeg = s->radius() / 11119492.664;   // cm per degree of latitude
        double from = s->startAngle() * masToDeg;
        double to = s->endAngle() * masToDeg;
        if (s->isClockwise() && to <= from)
            to += 360.0;
        if (!s->isClockwise() && to >= from)
            to -= 360.0;
        const double step = s->isClockwise() ? 1.0 : -1.0;
        for (double b = from + step; s->isClockwise() ? b < to : b > to; b += step) {
            const double rad = b * M_PI / 180.0;
            add(cLon + radiusDeg * std::sin(rad) / std::cos(cLat * M_PI / 180.0), cLat + radiusDeg * std::cos(rad));
        }
        add(s->endPoint().lon * masToDeg, s->endPoint().lat * masToDeg);
    }
    // An outline that retraces itself encloses nothing: report it as degenerate.
    QRectF box;
    for (const QPointF &p : points)
        box = box.united(QRectF(p, QSizeF(1e-12, 1e-12)));
    double sum = 0;
    for (int i = 0; i < points.size(); ++i) {
        const QPointF &a = points[i];
        const QPointF &b = points[(i + 1) % points.size()];
        sum += (a.y() + b.y()) * (b.x() - a.x());
    }
    return std::abs(sum) < 1e-3 * box.width() * box.height() ? 0.0 : sum;
}

} // namespace

// Every multi-segment outline of the real files must be turned the way its floating-point
// area says; small airspaces far from the equator are the ones a sloppy sum gets wrong.
class TestCorpusOrientation : public QObject
{
    Q_OBJECT

private slots:
    void outlinesAgreeWithFloatingPointArea_data();
    void outlinesAgreeWithFloatingPointArea();
};

void TestCorpusOrientation::outlinesAgreeWithFloatingPointArea_data()
{
    QTest::addColumn<QString>("fileName");
    const QDir corpus(QStringLiteral(ZONVERT_CORPUS_DIR));
    const QStringList files = corpus.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        QSKIP("no corpus folder");
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << corpus.filePath(file);
}

void TestCorpusOrientation::outlinesAgreeWithFloatingPointArea()
{
    QFETCH(QString, fileName);
    OpenAirReader reader(false);
    QVERIFY(reader.open(fileName));
    int checked = 0;
    QStringList wrong;
    while (AirspacePtr airspace = reader.nextAirspace()) {
        const SegmentList &segments = airspace->segments();
        // Single elements and degenerate outlines have no area to agree with.
        const double area = segments.size() < 2 ? 0.0 : referenceArea(segments);
        if (area == 0)
            continue;
        ++checked;
        if (orientation(segments) != (area > 0 ? 1 : -1))
            wrong << airspace->name();
    }
    reader.close();
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1 of %2 turned wrongly: %3")
                                             .arg(wrong.size()).arg(checked).arg(wrong.mid(0, 10).join(u", "))));
}

QTEST_APPLESS_MAIN(TestCorpusOrientation)
#include "tst_corpusorientation.moc"
