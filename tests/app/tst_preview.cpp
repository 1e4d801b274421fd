#include "app/previewdialog.h"
#include "app/previewrender.h"
#include "model/airspacetypes.h"
#include "output/devicetext.h"
#include "previewsample.h"

#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QToolTip>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>

using State = PreviewAirspace::State;
using PathCounts = QMap<QString, int>;   // paths by fill colour
Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(GeoPoint)

namespace {

const QSize pictureSize(1600, 1200);

// "47:06:00 N 008:09:00 E"; east of 180 degrees is west.
QByteArray point(double latitude, double longitude)
{
    if (longitude > 180)
        longitude -= 360;
    const auto angle = [](double degrees, int width) {
        const long seconds = std::lround(std::abs(degrees) * 3600);
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600, width, 10, QLatin1Char('0'))
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'))
            .toLatin1();
    };
    return angle(latitude, 2) + (latitude < 0 ? " S " : " N ") + angle(longitude, 3) + (longitude < 0 ? " W" : " E");
}

QByteArray header(const QByteArray &airspaceClass, const QByteArray &name)
{
    return "AC " + airspaceClass + "\nAN " + name + "\nAL GND\nAH 2000 ft MSL\n";
}

QByteArray square(const QByteArray &airspaceClass, const QByteArray &name, double west, double south, double east,
                  double north)
{
    return header(airspaceClass, name) + "DP " + point(north, west) + "\nDP " + point(north, east) + "\nDP "
           + point(south, east) + "\nDP " + point(south, west) + "\nDP " + point(north, west) + "\n\n";
}

QByteArray circle(double latitude, double longitude, double miles, const QByteArray &airspaceClass = "R")
{
    return header(airspaceClass, "CIRCLE") + "V X=" + point(latitude, longitude) + "\nDC " + QByteArray::number(miles)
           + "\n\n";
}

// Half a circle from its north to its south point, east of the centre when clockwise.
QByteArray halfCircle(bool clockwise)
{
    return header("R", "HALF") + (clockwise ? "V D=+\n" : "V D=-\n") + "V X=" + point(47.1, 8.15) + "\nDB "
           + point(47.2, 8.15) + ", " + point(47.0, 8.15) + "\n\n";
}

// A written square, and a faulty one whose unreadable corner is read as 0/0.
QByteArray withStrayPoint()
{
    return square("R", "GOOD", 8.0, 47.0, 8.3, 47.2) + header("Q", "STRAY") + "DP " + point(47.3, 8.0)
           + "\nDP 47:xx:00 N 008:20:00 E\nDP " + point(47.4, 8.3) + "\nDP " + point(47.4, 8.0) + "\n\n";
}

// 120 corners: too many for the instrument.
QByteArray manyCorners(const QByteArray &name, double latitude, double longitude)
{
    QByteArray text = header("R", name);
    for (int i = 0; i <= 120; ++i) {
        const double a = i * 3.0 * M_PI / 180.0;
        text += "DP " + point(latitude + 0.05 * std::cos(a), longitude + 0.07 * std::sin(a)) + '\n';
    }
    return text + '\n';
}

// The radii at the two ends differ by three nautical miles.
QByteArray faultyArc(const QByteArray &name)
{
    return header("Q", name) + "V X=" + point(47.1, 8.25) + "\nDB " + point(47.15, 8.25) + ", " + point(47.0, 8.25)
           + "\n\n";
}

PreviewData dataOf(const QTemporaryDir &dir, const QByteArray &openAir)
{
    const QString name = dir.filePath(QStringLiteral("input.txt"));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(openAir) != openAir.size())
        qFatal("cannot write %s", qPrintable(name));
    file.close();
    return previewDataOfFile(name);
}

QPoint pixelOf(const PreviewData &data, double longitude, double latitude)
{
    const PreviewScene scene(data);
    const GeoPoint at(int32_t(std::lround(longitude * Mas::Degree)), int32_t(std::lround(latitude * Mas::Degree)));
    return previewLayout(scene, pictureSize).sceneToDevice.map(scene.toScene(at)).toPoint();
}

// The pixel shows the fill (none when invalid) over the bare map: the background, a
// graticule line, or a mixture of both where a line is smoothed.
bool showsOverMap(QRgb pixel, const QColor &fill)
{
    const double alpha = fill.isValid() ? fill.alphaF() : 0.0;
    const auto ground = [&](int value, int fillValue) { return (value - fillValue * alpha) / (1 - alpha); };
    const double r = ground(qRed(pixel), fill.red());
    const double g = ground(qGreen(pixel), fill.green());
    const double b = ground(qBlue(pixel), fill.blue());
    const double low = PreviewColours::graticule().red() - 8;
    return std::min({r, g, b}) >= low && std::max({r, g, b}) <= 263 && std::max({r, g, b}) - std::min({r, g, b}) <= 8;
}

// Pixels of the 5 x 5 block around `centre` that show the fill over the map.
int blockCount(const QImage &image, QPoint centre, const QColor &fill)
{
    int count = 0;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy)
            count += showsOverMap(image.pixel(centre + QPoint(dx, dy)), fill) ? 1 : 0;
    return count;
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 170 && qGreen(pixel) < 110 && qBlue(pixel) < 110;
}

QImage rendered(const QTemporaryDir &dir, const PreviewData &data)
{
    const QString name = dir.filePath(QStringLiteral("preview.png"));
    if (!renderPreview(data, name))
        return QImage();
    return QImage(name).convertToFormat(QImage::Format_RGB32);
}

PreviewAirspace squareAirspace(State state, const QString &name, double west, double south, double size)
{
    const auto at = [](double lon, double lat) { return GeoPoint(int32_t(lon * Mas::Degree), int32_t(lat * Mas::Degree)); };
    const GeoPoint corners[] = {at(west, south + size), at(west + size, south + size), at(west + size, south),
                                at(west, south)};
    PreviewAirspace airspace;
    airspace.state = state;
    airspace.name = name;
    airspace.airspaceClass = Restricted;
    for (int i = 0; i < 4; ++i)
        airspace.outline.push_back(std::make_shared<AirspaceSegment>(corners[i], corners[(i + 1) % 4]));
    return airspace;
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Probes name a point (longitude, latitude) and what shows there: a class letter for
    // that class's fill, "." for the bare background.
    void pictureShowsWhatWasWritten_data()
    {
        QTest::addColumn<QByteArray>("openAir");
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("restricted square") << square("R", "SQUARE", 8.0, 47.0, 8.3, 47.2)
                                           << QList<QPointF>{{8.15, 47.1}, {8.01, 47.19}, {8.29, 47.01},
                                                             {8.33, 47.1}, {7.97, 47.1}}
                                           << QStringList{"R", "R", "R", ".", "."};
        QTest::newRow("no class is written as R") << square("", "NOCLASS", 8.0, 47.0, 8.3, 47.2)
                                                  << QList<QPointF>{{8.15, 47.1}} << QStringList{"R"};
        QTest::newRow("danger area in the south") << square("Q", "CAPE", 18.3, -34.0, 18.6, -33.8)
                                                  << QList<QPointF>{{18.45, -33.9}, {18.61, -33.9}}
                                                  << QStringList{"Q", "."};
        QTest::newRow("clockwise arc bulges east") << halfCircle(true) << QList<QPointF>{{8.2, 47.1}, {8.1, 47.1}}
                                                   << QStringList{"R", "."};
        QTest::newRow("counter-clockwise arc bulges west") << halfCircle(false)
                                                           << QList<QPointF>{{8.2, 47.1}, {8.1, 47.1}}
                                                           << QStringList{".", "R"};
        QTest::newRow("circle on 180 degrees") << circle(-17.1, 180.0, 5, "D")
                                               << QList<QPointF>{{179.95, -17.1}, {-179.95, -17.1}, {180.0, -17.05}}
                                               << QStringList{"D", "D", "D"};
        QTest::newRow("stray point of a faulty airspace") << withStrayPoint()
                                                          << QList<QPointF>{{8.01, 47.01}, {8.29, 47.19}, {8.32, 47.1}}
                                                          << QStringList{"R", "R", "."};
    }
    void pictureShowsWhatWasWritten()
    {
        QFETCH(QByteArray, openAir);
        QFETCH(QList<QPointF>, points);
        QFETCH(QStringList, expected);
        const PreviewData data = dataOf(m_dir, openAir);
        const QImage image = rendered(m_dir, data);
        QCOMPARE(image.size(), pictureSize);
        for (qsizetype i = 0; i < points.size(); ++i) {
            const QPoint at = pixelOf(data, points[i].x(), points[i].y());
            QVERIFY2(image.rect().adjusted(2, 2, -2, -2).contains(at), qPrintable(QString::number(i)));
            int airspaceClass = 0;
            while (airspaceClass < 10 && airspaceClassWord(airspaceClass) != expected[i])
                ++airspaceClass;
            const QColor fill = expected[i] == "." ? QColor() : PreviewColours::classFill(airspaceClass);
            QVERIFY2(blockCount(image, at, fill) >= 22,
                     qPrintable(QStringLiteral("probe %1: %2 at %3,%4 is %5")
                                    .arg(i)
                                    .arg(expected[i])
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(QColor(image.pixel(at)).name())));
        }
    }

    // Pixels from the centre to the edge of the fill in the four directions, against the
    // radius at the scale of the picture.
    void circleIsRound_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("miles");
        QTest::newRow("Alps") << 47.0 << 8.0 << 5.0;
        QTest::newRow("far north") << 68.0 << 20.0 << 10.0;
        QTest::newRow("southern, small") << -33.5 << 151.0 << 0.8;
        QTest::newRow("west of Greenwich") << 51.5 << -0.5 << 3.0;
    }
    void circleIsRound()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(double, miles);
        const PreviewData data = dataOf(m_dir, circle(latitude, longitude, miles));
        const QImage image = rendered(m_dir, data);
        const PreviewScene scene(data);
        const PreviewLayout layout = previewLayout(scene, pictureSize);
        const QPoint centre = pixelOf(data, longitude, latitude);
        const double expected = miles * 1.852 / PreviewScene::KilometresPerUnit * layout.sceneToDevice.m11();
        // The red fill tints the background and graticule lines alike.
        const auto isInside = [&](QPoint p) { return qRed(image.pixel(p)) - qGreen(image.pixel(p)) > 20; };
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            int reach = 0;
            while (reach < 2000 && image.rect().contains(centre + step * (reach + 1)) && isInside(centre + step * (reach + 1)))
                ++reach;
            QVERIFY2(std::abs(reach - expected) <= 2.0 + expected * 0.01,
                     qPrintable(QStringLiteral("%1,%2: %3 pixels, expected %4")
                                    .arg(step.x())
                                    .arg(step.y())
                                    .arg(reach)
                                    .arg(expected)));
        }
    }

    // Along the top edge of a square: a dashed outline changes between red and background
    // again and again, a written one is one colour throughout; inside only written ones fill.
    void notWrittenOutlineIsDashedRed_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<bool>("dashed");
        QTest::newRow("faulty") << State::Faulty << true;
        QTest::newRow("over the limit") << State::OverLimit << true;
        QTest::newRow("written") << State::Written << false;
    }
    void notWrittenOutlineIsDashedRed()
    {
        QFETCH(State, state);
        QFETCH(bool, dashed);
        PreviewData data;
        data.airspaces.push_back(squareAirspace(state, QStringLiteral("EDGE"), 8.0, 47.0, 0.2));
        const QImage image = rendered(m_dir, data);
        const QPoint left = pixelOf(data, 8.0, 47.2);
        const QPoint right = pixelOf(data, 8.2, 47.2);
        int changes = 0;
        int red = 0;
        for (int x = left.x() + 40; x < right.x() - 40; ++x) {
            red += isRed(image.pixel(x, left.y())) ? 1 : 0;
            changes += isRed(image.pixel(x, left.y())) != isRed(image.pixel(x + 1, left.y())) ? 1 : 0;
        }
        const int length = right.x() - left.x() - 80;
        if (dashed) {
            QVERIFY2(changes >= length / 20, qPrintable(QString::number(changes)));
            QVERIFY(red > length / 4 && red < length * 3 / 4);
        } else {
            QCOMPARE(changes, 0);
        }
        const QColor inside = dashed ? QColor() : PreviewColours::classFill(Restricted);
        QVERIFY(blockCount(image, pixelOf(data, 8.04, 47.16), inside) >= 22);
    }

    void fittedShowsTheOriginalBehind()
    {
        PreviewData data;
        PreviewAirspace fitted = squareAirspace(State::Fitted, QStringLiteral("FIT"), 8.05, 47.05, 0.1);
        fitted.original = squareAirspace(State::Written, QString(), 8.0, 47.0, 0.2).outline;
        data.airspaces.push_back(fitted);
        const QImage image = rendered(m_dir, data);
        // The original's west edge, outside the fitted square, and the inside of both.
        const QPoint edge = pixelOf(data, 8.0, 47.1);
        int dark = 0;
        for (int dx = -2; dx <= 2; ++dx)
            dark += qGray(image.pixel(edge + QPoint(dx, 0))) < 160 ? 1 : 0;
        QVERIFY(dark >= 1);
        QVERIFY(blockCount(image, pixelOf(data, 8.02, 47.1), QColor()) >= 22);
        QVERIFY(blockCount(image, pixelOf(data, 8.1, 47.1), PreviewColours::classFill(Restricted)) >= 22);
    }

    // The extent in degrees: west, south, east, north.
    void extentComesFromWrittenAirspaces_data()
    {
        QTest::addColumn<QByteArray>("openAir");
        QTest::addColumn<QList<double>>("extent");
        QTest::newRow("faulty with a stray point beside a written one")
            << withStrayPoint() << QList<double>{8.0, 47.0, 8.3, 47.2};
        QTest::newRow("nothing written: the faulty one without its stray point")
            << header("Q", "ALONE") + "DP " + point(47.3, 8.0) + "\nDP " + point(47.4, 8.3) + "\nDP " + point(47.4, 8.1)
                   + "\nDP 47:xx:00 N 008:20:00 E\nDP " + point(47.3, 8.2) + "\n\n"
            << QList<double>{8.0, 47.3, 8.3, 47.4};
        QTest::newRow("not written far away") << square("R", "HOME", 6.0, 45.0, 7.0, 46.0) + manyCorners("ISLAND", -21.1, 55.5)
                                              << QList<double>{6.0, 45.0, 7.0, 46.0};
        QTest::newRow("both sides of 180 degrees")
            << square("R", "EAST", 179.5, 65.0, 179.8, 65.2) + square("R", "WEST", -179.8, 65.0, -179.5, 65.2)
            << QList<double>{179.5, 65.0, -179.5, 65.2};
        QTest::newRow("not written across 180 degrees") << manyCorners("PACIFIC", -17.1, 180.0)
                                                        << QList<double>{179.93, -17.15, -179.93, -17.05};
    }
    void extentComesFromWrittenAirspaces()
    {
        QFETCH(QByteArray, openAir);
        QFETCH(QList<double>, extent);
        const PreviewScene scene(dataOf(m_dir, openAir));
        const QPointF northWest = scene.toGeo(scene.extent().topLeft());
        const QPointF southEast = scene.toGeo(scene.extent().bottomRight());
        const QList<double> got{northWest.x(), southEast.y(), southEast.x(), northWest.y()};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::abs(got[i] - extent[i]) < 0.01,
                     qPrintable(QStringLiteral("%1 %2 %3 %4").arg(got[0]).arg(got[1]).arg(got[2]).arg(got[3])));
    }

    // Written records are filled paths in the colour of their class, one each; the outlines
    // not written are dashed paths without fill.
    void svgHoldsOnePathPerWrittenRecord_data()
    {
        QTest::addColumn<QByteArray>("openAir");
        QTest::addColumn<int>("copies");
        QTest::addColumn<PathCounts>("filled");
        QTest::addColumn<int>("dashed");
        const QString r = PreviewColours::classOutline(Restricted).name();
        const QString d = PreviewColours::classOutline(ClassD).name();
        const QString ctr = PreviewColours::classOutline(CTR).name();
        QTest::newRow("classes and faults")
            << square("R", "R1", 8.0, 47.0, 8.1, 47.1) + square("", "SPECIAL", 8.2, 47.0, 8.3, 47.1)
                   + square("D", "D1", 8.0, 47.2, 8.1, 47.3) + square("D", "D2", 8.2, 47.2, 8.3, 47.3)
                   + square("CTR", "CTR1", 8.4, 47.2, 8.5, 47.3) + faultyArc("ARC") + manyCorners("MANY", 47.15, 8.3)
                   + withStrayPoint()
            << 1 << PathCounts{{r, 3}, {d, 2}, {ctr, 1}} << 3;
        QTest::newRow("ten thousand") << square("R", "TINY", 8.0, 47.0, 8.01, 47.01) << 10000
                                      << PathCounts{{r, 10000}} << 0;
        QTest::newRow("none") << QByteArray() << 1 << PathCounts{} << 0;
    }
    void svgHoldsOnePathPerWrittenRecord()
    {
        QFETCH(QByteArray, openAir);
        QFETCH(int, copies);
        QFETCH(PathCounts, filled);
        QFETCH(int, dashed);
        PreviewData data = dataOf(m_dir, openAir);
        for (int i = 1; i < copies; ++i) {
            PreviewAirspace copy = data.airspaces.front();
            copy.name = QStringLiteral("TINY %1").arg(i);
            data.airspaces.push_back(copy);
        }
        const QString name = m_dir.filePath(QStringLiteral("preview.SVG"));
        QVERIFY(renderPreview(data, name));
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader svg(&file);
        QStringList fills{QStringLiteral("none")};
        QList<bool> dashes{false};
        PathCounts paths;
        int dashedPaths = 0;
        while (!svg.atEnd()) {
            svg.readNext();
            if (svg.isStartElement() && svg.name() == QLatin1String("svg"))
                QCOMPARE(svg.attributes().value("viewBox").toString(), QStringLiteral("0 0 1600 1200"));
            if (svg.isStartElement() && svg.name() == QLatin1String("g")) {
                const QXmlStreamAttributes attributes = svg.attributes();
                fills << (attributes.hasAttribute("fill") ? attributes.value("fill").toString() : fills.last());
                dashes << (attributes.hasAttribute("stroke-dasharray") || dashes.last());
            } else if (svg.isEndElement() && svg.name() == QLatin1String("g")) {
                fills.removeLast();
                dashes.removeLast();
            } else if (svg.isStartElement() && svg.name() == QLatin1String("path")) {
                if (fills.last() != QLatin1String("none"))
                    ++paths[fills.last()];
                else if (dashes.last())
                    ++dashedPaths;
            }
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QCOMPARE(paths, filled);
        QCOMPARE(dashedPaths, dashed);
    }

    void fileIsWrittenOnlyWhenItCan_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("start");   // empty: nothing is written
        QTest::newRow("png") << "a.png" << QByteArray("\x89PNG");
        QTest::newRow("svg in capitals") << "a.SVG" << QByteArray("<?xml");
        QTest::newRow("other suffix") << "a.jpg" << QByteArray();
        QTest::newRow("no suffix") << "png" << QByteArray();
        QTest::newRow("missing folder") << "missing/a.png" << QByteArray();
    }
    void fileIsWrittenOnlyWhenItCan()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, start);
        const QString path = m_dir.filePath(fileName);
        QFile::remove(path);
        QCOMPARE(renderPreview(dataOf(m_dir, square("R", "ONE", 8.0, 47.0, 8.1, 47.1)), path), !start.isEmpty());
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly), !start.isEmpty());
        if (!start.isEmpty())
            QVERIFY(file.readAll().startsWith(start));
    }

    // Outlines that no reader makes but a run might hand over: drawn without a crash.
    void oddOutlinesStillDraw_data()
    {
        QTest::addColumn<QList<GeoPoint>>("corners");   // a closed outline of lines; 3: an arc
        QTest::newRow("no segments") << QList<GeoPoint>{};
        QTest::newRow("one point") << QList<GeoPoint>{{1, 1}, {1, 1}};
        QTest::newRow("arc about its own start") << QList<GeoPoint>{{5, 5}, {5, 5}, {9, 9}};
        QTest::newRow("both ends of the number range")
            << QList<GeoPoint>{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}};
    }
    void oddOutlinesStillDraw()
    {
        QFETCH(QList<GeoPoint>, corners);
        PreviewData data;
        for (const State state : {State::Written, State::Fitted, State::Faulty, State::OverLimit}) {
            PreviewAirspace airspace;
            airspace.state = state;
            airspace.airspaceClass = -7;
            if (corners.size() == 3)
                airspace.outline.push_back(std::make_shared<AirspaceSegment>(Arc, corners[0], corners[2], corners[1],
                                                                             0, 0, 0, true));
            else
                for (qsizetype i = 0; i + 1 < corners.size(); ++i)
                    airspace.outline.push_back(std::make_shared<AirspaceSegment>(corners[i], corners[i + 1]));
            airspace.original = airspace.outline;
            data.airspaces.push_back(airspace);
        }
        QVERIFY(renderPreview(data, m_dir.filePath(QStringLiteral("odd.png"))));
        QVERIFY(renderPreview(data, m_dir.filePath(QStringLiteral("odd.svg"))));
        PreviewDialog dialog(data, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.findChild<QListWidget *>(QStringLiteral("listWidgetNotWritten"))->setCurrentRow(1);
        dialog.view()->zoomAbout(QPoint(10, 10), 1e9);
        QVERIFY(dialog.view()->grab().width() > 0);
        dialog.view()->toolTipAt(QPoint(10, 10));
    }

    // The list names the airspaces not written in input order; choosing one puts it in the
    // middle of the view.
    void dialogListsWhatWasNotWrittenAndCentresTheChosen_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("faulty arc") << 0;
        QTest::newRow("too many corners") << 1;
        QTest::newRow("stray point") << 2;
    }
    void dialogListsWhatWasNotWrittenAndCentresTheChosen()
    {
        QFETCH(int, row);
        const PreviewData data =
            dataOf(m_dir, square("R", "HOME", 8.0, 47.0, 8.3, 47.2) + faultyArc("ARC") + manyCorners("MANY", 47.5, 8.3)
                              + withStrayPoint());
        PreviewDialog dialog(data, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("listWidgetNotWritten"));
        QVERIFY(list);
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->item(i)->text();
        QCOMPARE(entries, (QStringList{"ARC (fehlerhaft)", "MANY (zu viele Eckpunkte)", "STRAY (fehlerhaft)"}));
        QVERIFY(dialog.findChild<PreviewView *>(QStringLiteral("graphicsViewPreview")) == dialog.view());

        list->setCurrentRow(row);
        const PreviewScene scene(data);
        const QRectF bounds = scene.items()[std::size_t(scene.notWrittenOrder()[std::size_t(row)])].bounds;
        PreviewView *view = dialog.view();
        const QPointF shown = view->viewportTransform().map(bounds.center());
        const QPointF middle = QRectF(view->viewport()->rect()).center();
        QVERIFY2(std::abs(shown.x() - middle.x()) <= 2 && std::abs(shown.y() - middle.y()) <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(shown.x()).arg(shown.y())));
        // It can be seen whole.
        QVERIFY(QRectF(view->viewport()->rect()).contains(view->viewportTransform().mapRect(bounds)));
    }

    void dialogZoomsAboutTheCursorAndFitsOnDoubleClick()
    {
        const PreviewData data = dataOf(m_dir, square("R", "HOME", 8.0, 47.0, 8.3, 47.2));
        PreviewDialog dialog(data, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        PreviewView *view = dialog.view();
        const double fitted = view->zoom();
        const QPoint cursor(view->viewport()->width() / 3, view->viewport()->height() / 3);
        const QPointF under = view->viewportTransform().inverted().map(QPointF(cursor));
        QWheelEvent wheel(cursor, view->viewport()->mapToGlobal(cursor), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(std::abs(view->zoom() / fitted - 1.44) < 0.01);
        const QPointF stays = view->viewportTransform().map(under);
        QVERIFY2(std::abs(stays.x() - cursor.x()) <= 1.5 && std::abs(stays.y() - cursor.y()) <= 1.5,
                 qPrintable(QStringLiteral("%1,%2").arg(stays.x()).arg(stays.y())));

        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cursor);
        QCOMPARE(view->zoom(), fitted);

        const QPoint middle = view->viewportTransform().map(PreviewScene(data).toScene(8.15, 47.1)).toPoint();
        QHelpEvent help(QEvent::ToolTip, middle, view->viewport()->mapToGlobal(middle));
        QApplication::sendEvent(view->viewport(), &help);
        QCOMPARE(QToolTip::text(), QStringLiteral("HOME\nKlasse R\nUntergrenze 0 m\nObergrenze 609 m"));
        QCOMPARE(view->toolTipAt(QPoint(2, view->viewport()->height() - 2)), QString());
    }

    void dialogKeepsItsSize()
    {
        const QString ini = m_dir.filePath(QStringLiteral("zonvert.ini"));
        QFile::remove(ini);
        const PreviewData data = dataOf(m_dir, square("R", "HOME", 8.0, 47.0, 8.3, 47.2));
        {
            QSettings settings(ini, QSettings::IniFormat);
            PreviewDialog dialog(data, &settings);
            dialog.show();
            dialog.resize(777, 555);
            QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("buttonClose")), Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
        }
        QSettings stored(ini, QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("PREVIEW/size")).toSize(), QSize(777, 555));
        PreviewDialog again(data, &stored);
        QCOMPARE(again.size(), QSize(777, 555));
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
