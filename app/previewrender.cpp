#include "app/previewrender.h"

#include "model/airspacetypes.h"
#include "output/devicetext.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// Graticule lines stand at least this far apart, in pixels.
constexpr double GraticuleSpacing = 90.0;

constexpr int ClassCount = 10;
const QRgb classColours[ClassCount] = {
    0xD32F2F,   // R: restricted
    0xF57C00,   // Q: danger
    0x880E4F,   // P: prohibited
    0x0D47A1,   // A
    0x1E88E5,   // B
    0x00897B,   // C
    0x43A047,   // D
    0x795548,   // GP: gliders prohibited
    0x8E24AA,   // CTR
    0x9E9D24,   // W: wave window
};
constexpr int FillAlpha = 76;

bool overlaps(const QRectF &a, const QRectF &b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

QPen cosmeticPen(const QColor &colour, double width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, width, style, Qt::FlatCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    return pen;
}

QPen notWrittenPen()
{
    QPen pen = cosmeticPen(PreviewColours::notWritten(), 2.0, Qt::CustomDashLine);
    pen.setDashPattern({4, 3});
    return pen;
}

QFont fontOfSize(double pixels, bool bold = false)
{
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setBold(bold);
    return font;
}

// Spacing of graticule lines in degrees: the finest usual step that keeps them apart.
double graticuleStep(double pixelsPerDegree)
{
    static const double minutes[] = {0.1, 0.2,  0.5,  1,    2,    5,    10,   15,   20,  30,
                                     60,  120,  300,  600,  900,  1800, 2700, 3600, 5400};
    for (double step : minutes) {
        if (step / 60.0 * pixelsPerDegree >= GraticuleSpacing)
            return step / 60.0;
    }
    return 90;
}

// "47°N", "8°30'E", "0°"; minutes with a tenth when the step needs it.
QString degreeText(double value, double step, bool latitude)
{
    if (!latitude)
        value = std::remainder(value, 360.0);
    const long long tenths = std::llround(std::abs(value) * 600.0);
    QString text = QString::number(tenths / 600) + QChar(0x00B0);
    if (step < 1.0 - 1e-9) {
        const long long minuteTenths = tenths % 600;
        text += QStringLiteral("%1'").arg(minuteTenths / 10, 2, 10, QLatin1Char('0'));
        if (step * 60.0 < 1.0 - 1e-9)
            text.insert(text.size() - 1, QLatin1Char('.') + QString::number(minuteTenths % 10));
    }
    if (tenths == 0 || (!latitude && tenths == 180 * 600))
        return text;
    if (latitude)
        return text + (value > 0 ? QLatin1Char('N') : QLatin1Char('S'));
    return text + (value > 0 ? QLatin1Char('E') : QLatin1Char('W'));
}

// Multiples of `step` from `from` to `to`, at most a sensible number of them.
std::vector<double> multiplesBetween(double from, double to, double step)
{
    std::vector<double> values;
    const double first = std::ceil(from / step);
    const double last = std::floor(to / step);
    if (!(last - first < 1000))
        return values;
    for (int i = 0; first + i <= last; ++i)
        values.push_back((first + i) * step);
    return values;
}

double unitPixelsOf(const QTransform &transform)
{
    return std::hypot(transform.m11(), transform.m12());
}

void drawGraticuleLines(QPainter &painter, const PreviewScene &scene, const QRectF &exposed, double unitPixels)
{
    painter.setPen(cosmeticPen(PreviewColours::graticule(), 1.0));
    const double east = scene.cosLatitude();
    const double longitudeStep = graticuleStep(unitPixels * east);
    const double west = scene.longitudeAt(exposed.left());
    for (double longitude : multiplesBetween(west, scene.longitudeAt(exposed.right()), longitudeStep)) {
        const double x = scene.toScene(longitude, 0).x();
        painter.drawLine(QPointF(x, exposed.top()), QPointF(x, exposed.bottom()));
    }
    const double latitudeStep = graticuleStep(unitPixels);
    for (double latitude :
         multiplesBetween(scene.latitudeAt(exposed.bottom()), scene.latitudeAt(exposed.top()), latitudeStep)) {
        const double y = scene.toScene(0, latitude).y();
        painter.drawLine(QPointF(exposed.left(), y), QPointF(exposed.right(), y));
    }
}

// Remembers where names were put, so that a name that would cover another is left out.
class LabelGrid
{
public:
    explicit LabelGrid(double cell) : m_cell(cell) {}

    // False when the place is taken; otherwise takes it.
    bool take(const QRectF &rect)
    {
        const auto [x0, y0] = cellOf(rect.topLeft());
        const auto [x1, y1] = cellOf(rect.bottomRight());
        for (long long x = x0; x <= x1; ++x) {
            for (long long y = y0; y <= y1; ++y) {
                const auto it = m_cells.find(key(x, y));
                if (it == m_cells.end())
                    continue;
                for (const QRectF &other : it->second) {
                    if (overlaps(rect, other))
                        return false;
                }
            }
        }
        for (long long x = x0; x <= x1; ++x) {
            for (long long y = y0; y <= y1; ++y)
                m_cells[key(x, y)].push_back(rect);
        }
        return true;
    }

private:
    std::pair<long long, long long> cellOf(QPointF point) const
    {
        const auto index = [this](double v) { return std::llround(std::floor(std::clamp(v, -1e9, 1e9) / m_cell)); };
        return {index(point.x()), index(point.y())};
    }
    static unsigned long long key(long long x, long long y)
    {
        return (static_cast<unsigned long long>(x) << 32) ^ static_cast<unsigned long long>(y & 0xFFFFFFFF);
    }

    double m_cell;
    std::unordered_map<unsigned long long, std::vector<QRectF>> m_cells;
};

void drawNotWrittenNames(QPainter &painter, const PreviewScene &scene, const QRectF &exposed, double fontPixels)
{
    if (scene.notWrittenOrder().empty())
        return;
    const QTransform toDevice = painter.transform();
    const QRectF exposedDevice = toDevice.mapRect(exposed);
    painter.save();
    painter.resetTransform();
    const QFont font = fontOfSize(fontPixels);
    painter.setFont(font);
    painter.setPen(PreviewColours::notWritten().darker(130));
    const QFontMetricsF metrics(font);
    // Every name takes its place whether or not it is drawn now, so that a picture drawn
    // piece by piece shows the same names as one drawn whole.
    LabelGrid grid(4 * fontPixels);
    for (int index : scene.notWrittenOrder()) {
        const PreviewScene::Item &item = scene.items()[std::size_t(index)];
        if (item.name.isEmpty())
            continue;
        const QPointF at = toDevice.map(item.anchor);
        const QSizeF size(metrics.horizontalAdvance(item.name), metrics.height());
        const QRectF place(at - QPointF(size.width() / 2, size.height() / 2), size);
        if (grid.take(place) && overlaps(place, exposedDevice))
            painter.drawText(place, Qt::AlignCenter, item.name);
    }
    painter.restore();
}

// A nice length for the scale bar: 1, 2 or 5 times a power of ten kilometres, no longer
// than `maximumKm`.
double scaleBarKilometres(double maximumKm)
{
    double length = 1e-3;
    for (double power = 1e-3; power <= 1e5; power *= 10) {
        for (double factor : {1.0, 2.0, 5.0}) {
            if (factor * power <= maximumKm)
                length = factor * power;
        }
    }
    return length;
}

void drawScaleBar(QPainter &painter, const QTransform &sceneToDevice, const QRectF &frame, double fontPixels)
{
    const double pixelsPerKm = unitPixelsOf(sceneToDevice) / PreviewScene::KilometresPerUnit;
    if (!(pixelsPerKm > 0))
        return;
    const double kilometres = scaleBarKilometres(frame.width() * 0.2 / pixelsPerKm);
    const double length = kilometres * pixelsPerKm;
    const QFont font = fontOfSize(fontPixels);
    const QFontMetricsF metrics(font);
    const QString text = QString::number(kilometres) + QStringLiteral(" km");
    const double pad = fontPixels * 0.5;
    const QRectF box(frame.left() + fontPixels, frame.bottom() - fontPixels - metrics.height() - 2.5 * pad,
                     std::max(length, metrics.horizontalAdvance(text)) + 2 * pad, metrics.height() + 2.5 * pad);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRect(box);
    const double y = box.bottom() - pad;
    const double x0 = box.left() + pad;
    painter.setPen(cosmeticPen(Qt::black, 2.0));
    painter.drawLine(QPointF(x0, y), QPointF(x0 + length, y));
    painter.drawLine(QPointF(x0, y - pad), QPointF(x0, y));
    painter.drawLine(QPointF(x0 + length, y - pad), QPointF(x0 + length, y));
    painter.setFont(font);
    painter.drawText(QRectF(x0, box.top() + pad * 0.25, length, metrics.height()), Qt::AlignCenter | Qt::TextDontClip,
                     text);
}

struct LegendEntry
{
    enum Kind { Fill, Dashed, Thin } kind;
    int airspaceClass;
    QString text;
};

void drawLegend(QPainter &painter, const PreviewScene &scene, const QRectF &frame, double fontPixels)
{
    std::vector<LegendEntry> entries;
    for (int c = 0; c < ClassCount; ++c) {
        if (scene.writtenClasses() & (1 << c))
            entries.push_back({LegendEntry::Fill, c, airspaceClassWord(c)});
    }
    if (!scene.notWrittenOrder().empty())
        entries.push_back({LegendEntry::Dashed, 0, QObject::tr("nicht geschrieben")});
    if (scene.hasFitted())
        entries.push_back({LegendEntry::Thin, 0, QObject::tr("Umriss vor dem Anpassen")});
    if (entries.empty())
        return;

    const QFont font = fontOfSize(fontPixels);
    const QFontMetricsF metrics(font);
    const double row = metrics.height() * 1.3;
    const double swatch = metrics.height() * 1.6;
    const double pad = fontPixels * 0.6;
    double textWidth = 0;
    for (const LegendEntry &entry : entries)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(entry.text));
    const QSizeF size(2 * pad + swatch + pad + textWidth, 2 * pad + row * double(entries.size()));
    const QRectF box(frame.right() - fontPixels - size.width(), frame.bottom() - fontPixels - size.height(),
                     size.width(), size.height());
    painter.setPen(cosmeticPen(QColor(150, 150, 150), 1.0));
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(box);
    painter.setFont(font);
    double y = box.top() + pad;
    for (const LegendEntry &entry : entries) {
        const QRectF mark(box.left() + pad, y + (row - metrics.height()) / 2, swatch, metrics.height());
        const QLineF stroke(mark.left(), mark.center().y(), mark.right(), mark.center().y());
        switch (entry.kind) {
        case LegendEntry::Fill:
            painter.setPen(cosmeticPen(PreviewColours::classOutline(entry.airspaceClass), 1.5));
            painter.setBrush(PreviewColours::classFill(entry.airspaceClass));
            painter.drawRect(mark);
            break;
        case LegendEntry::Dashed:
            painter.setPen(notWrittenPen());
            painter.drawLine(stroke);
            break;
        case LegendEntry::Thin:
            painter.setPen(cosmeticPen(PreviewColours::beforeFitting(), 1.0));
            painter.drawLine(stroke);
            break;
        }
        painter.setPen(Qt::black);
        painter.drawText(QRectF(mark.right() + pad, y, textWidth + pad, row), Qt::AlignLeft | Qt::AlignVCenter,
                         entry.text);
        y += row;
    }
}

void drawGraticuleLabels(QPainter &painter, const PreviewScene &scene, const QTransform &sceneToDevice,
                         const QRectF &frame, double fontPixels)
{
    const double unitPixels = unitPixelsOf(sceneToDevice);
    if (!(unitPixels > 0))
        return;
    const QRectF shown = sceneToDevice.inverted().mapRect(frame);
    const QFont font = fontOfSize(fontPixels * 0.9);
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    const double pad = fontPixels * 0.3;
    const auto label = [&](const QRectF &place, const QString &text, Qt::Alignment alignment) {
        const QSizeF size(metrics.horizontalAdvance(text) + 2 * pad, metrics.height());
        QRectF box(QPointF(), size);
        if (alignment & Qt::AlignHCenter)
            box.moveCenter(QPointF(place.center().x(), place.top() + size.height() / 2));
        else
            box.moveTopLeft(QPointF(place.left(), place.center().y() - size.height() / 2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 190));
        painter.drawRect(box);
        painter.setPen(QColor(90, 90, 90));
        painter.drawText(box, Qt::AlignCenter, text);
    };

    const double east = scene.cosLatitude();
    const double longitudeStep = graticuleStep(unitPixels * east);
    for (double longitude :
         multiplesBetween(scene.longitudeAt(shown.left()), scene.longitudeAt(shown.right()), longitudeStep)) {
        const double x = sceneToDevice.map(scene.toScene(longitude, 0)).x();
        if (x - frame.left() < 2 * fontPixels || frame.right() - x < 2 * fontPixels)
            continue;
        label(QRectF(x, frame.top() + pad, 0, 0), degreeText(longitude, longitudeStep, false), Qt::AlignHCenter);
    }
    const double latitudeStep = graticuleStep(unitPixels);
    for (double latitude :
         multiplesBetween(scene.latitudeAt(shown.bottom()), scene.latitudeAt(shown.top()), latitudeStep)) {
        const double y = sceneToDevice.map(scene.toScene(0, latitude)).y();
        // Not under the longitudes at the top nor the scale bar at the bottom.
        if (y - frame.top() < 2.5 * fontPixels || frame.bottom() - y < 5 * fontPixels)
            continue;
        label(QRectF(frame.left() + pad, y, 0, 0), degreeText(latitude, latitudeStep, true), Qt::AlignLeft);
    }
}

} // namespace

namespace PreviewColours {
QColor background() { return QColor(255, 255, 255); }
QColor classOutline(int airspaceClass)
{
    return QColor(classColours[airspaceClass >= 0 && airspaceClass < ClassCount ? airspaceClass : Restricted]);
}
QColor classFill(int airspaceClass)
{
    QColor colour = classOutline(airspaceClass);
    colour.setAlpha(FillAlpha);
    return colour;
}
QColor notWritten() { return QColor(230, 0, 0); }
QColor beforeFitting() { return QColor(66, 66, 66); }
QColor graticule() { return QColor(205, 205, 205); }
}

PreviewLayout previewLayout(const PreviewScene &scene, QSize size)
{
    PreviewLayout layout;
    const double width = std::max(1, size.width());
    const double height = std::max(1, size.height());
    layout.fontPixels = std::clamp(std::min(width, height) / 85.0, 9.0, 48.0);
    layout.titleBand = QRectF(0, 0, width, std::round(layout.fontPixels * 2.4));
    layout.frame = QRectF(0, layout.titleBand.bottom(), width, std::max(1.0, height - layout.titleBand.height()));
    const QRectF inner = layout.frame.adjusted(layout.fontPixels * 2, layout.fontPixels * 2.5,
                                               -layout.fontPixels * 2, -layout.fontPixels * 2);
    const QRectF extent = scene.extent();
    const double scale = std::max(1e-9, std::min(std::max(1.0, inner.width()) / extent.width(),
                                                 std::max(1.0, inner.height()) / extent.height()));
    const QPointF centre = inner.isValid() ? inner.center() : layout.frame.center();
    layout.sceneToDevice = QTransform::fromTranslate(-extent.center().x(), -extent.center().y())
        * QTransform::fromScale(scale, scale) * QTransform::fromTranslate(centre.x(), centre.y());
    return layout;
}

void paintPreviewMap(QPainter &painter, const PreviewScene &scene, const QRectF &exposed, double fontPixels,
                     int highlighted)
{
    const double unitPixels = unitPixelsOf(painter.transform());
    if (!(unitPixels > 0))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawGraticuleLines(painter, scene, exposed, unitPixels);

    const std::vector<PreviewScene::Item> &items = scene.items();
    painter.setPen(cosmeticPen(PreviewColours::beforeFitting(), 1.0));
    painter.setBrush(Qt::NoBrush);
    for (int index : scene.writtenOrder()) {
        const PreviewScene::Item &item = items[std::size_t(index)];
        if (!item.original.isEmpty() && overlaps(item.pathBounds, exposed))
            painter.drawPath(item.original);
    }
    // One path per record, filled and outlined at once.
    for (int index : scene.writtenOrder()) {
        const PreviewScene::Item &item = items[std::size_t(index)];
        if (!overlaps(item.pathBounds, exposed))
            continue;
        painter.setPen(cosmeticPen(PreviewColours::classOutline(item.writtenClass), 1.5));
        painter.setBrush(PreviewColours::classFill(item.writtenClass));
        painter.drawPath(item.outline);
    }
    painter.setPen(notWrittenPen());
    painter.setBrush(Qt::NoBrush);
    for (int index : scene.notWrittenOrder()) {
        const PreviewScene::Item &item = items[std::size_t(index)];
        if (overlaps(item.pathBounds, exposed))
            painter.drawPath(item.outline);
    }
    if (highlighted >= 0 && std::size_t(highlighted) < items.size()) {
        painter.setPen(cosmeticPen(Qt::black, 3.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(items[std::size_t(highlighted)].outline);
    }
    painter.restore();
    drawNotWrittenNames(painter, scene, exposed, fontPixels);
}

void paintPreviewOverlay(QPainter &painter, const PreviewScene &scene, const QTransform &sceneToDevice,
                         const QRectF &frame, double fontPixels)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawGraticuleLabels(painter, scene, sceneToDevice, frame, fontPixels);
    drawLegend(painter, scene, frame, fontPixels);
    drawScaleBar(painter, sceneToDevice, frame, fontPixels);
    painter.restore();
}

void paintPreviewTitle(QPainter &painter, const PreviewScene &scene, const QRectF &band, double fontPixels)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(242, 242, 242));
    painter.drawRect(band);
    painter.setPen(cosmeticPen(QColor(180, 180, 180), 1.0));
    painter.drawLine(band.bottomLeft(), band.bottomRight());
    const QFont font = fontOfSize(fontPixels * 1.3, true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRectF text = band.adjusted(fontPixels, 0, -fontPixels, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(font).elidedText(scene.title(), Qt::ElideMiddle, text.width()));
    painter.restore();
}

void paintPreview(QPainter &painter, const PreviewScene &scene, QSize size)
{
    const PreviewLayout layout = previewLayout(scene, size);
    painter.fillRect(QRectF(QPointF(), QSizeF(size)), PreviewColours::background());
    painter.save();
    painter.setClipRect(layout.frame);
    painter.setTransform(layout.sceneToDevice);
    paintPreviewMap(painter, scene, layout.sceneToDevice.inverted().mapRect(layout.frame), layout.fontPixels);
    painter.restore();
    paintPreviewOverlay(painter, scene, layout.sceneToDevice, layout.frame, layout.fontPixels);
    // Last, so that it covers what reaches beyond the map where nothing clips (SVG).
    paintPreviewTitle(painter, scene, layout.titleBand, layout.fontPixels);
}

PreviewFormat previewFormatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
        return PreviewFormat::Png;
    if (suffix.compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0)
        return PreviewFormat::Svg;
    return PreviewFormat::Unknown;
}

bool renderPreview(const PreviewData &data, const QString &fileName, QSize size)
{
    const PreviewFormat format = previewFormatOf(fileName);
    if (format == PreviewFormat::Unknown || size.isEmpty())
        return false;
    const PreviewScene scene(data);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (format == PreviewFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(), size));
        generator.setResolution(96);
        generator.setTitle(scene.title());
        QPainter painter;
        if (!painter.begin(&generator))
            return false;
        paintPreview(painter, scene, size);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull())
            return false;
        QPainter painter(&image);
        paintPreview(painter, scene, size);
        painter.end();
        if (!image.save(&buffer, "PNG"))
            return false;
    }
    QSaveFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(buffer.data()) == buffer.size() && file.commit();
}
