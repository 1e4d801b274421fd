#pragma once

#include "app/previewscene.h"

#include <QColor>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>

class QPainter;

// The colours of the picture, shared with whoever needs to recognise them.
namespace PreviewColours {
QColor background();
// Outline of a written airspace of the class; Special and unknown classes as Restricted.
QColor classOutline(int airspaceClass);
// Its fill: the same colour, see-through so that overlaps stay visible.
QColor classFill(int airspaceClass);
QColor notWritten();
QColor beforeFitting();
QColor graticule();
}

// Where the parts of a whole picture go.
struct PreviewLayout
{
    QRectF titleBand;
    QRectF frame;               // the map
    QTransform sceneToDevice;   // the scene's extent fitted into the frame
    double fontPixels = 12;
};

PreviewLayout previewLayout(const PreviewScene &scene, QSize size);

// The map: graticule lines, airspaces and the names of those not written. The painter's
// transform maps scene to device; `exposed` is the part to draw, in scene coordinates.
// `highlighted` (an item index, or -1) is outlined strongly.
void paintPreviewMap(QPainter &painter, const PreviewScene &scene, const QRectF &exposed, double fontPixels,
                     int highlighted = -1);
// What stays in place over the map, drawn in device coordinates: graticule degree labels
// along the frame's edges, the legend at its top right and the scale bar at its bottom left.
void paintPreviewOverlay(QPainter &painter, const PreviewScene &scene, const QTransform &sceneToDevice,
                         const QRectF &frame, double fontPixels);
void paintPreviewTitle(QPainter &painter, const PreviewScene &scene, const QRectF &band, double fontPixels);
// The whole picture of the given size.
void paintPreview(QPainter &painter, const PreviewScene &scene, QSize size);

enum class PreviewFormat { Unknown, Png, Svg };
// By the file name's suffix, in any case.
PreviewFormat previewFormatOf(const QString &fileName);

// Writes the picture as PNG (`size` in pixels) or SVG (`size` as its view box). False when
// the suffix is neither, or the file cannot be written; an existing file then stays as it was.
bool renderPreview(const PreviewData &data, const QString &fileName, QSize size = QSize(1600, 1200));
