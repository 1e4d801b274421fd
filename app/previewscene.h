#pragma once

#include "app/previewdata.h"

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

// The airspaces of a preview in the picture's flat coordinates: equirectangular about the
// middle latitude of what is shown (x = longitude * cos(that latitude), y = latitude,
// both in degrees from the picture's centre, y growing southwards as on a screen), so that
// shapes keep their proportions. One unit is one degree of latitude, at any scale.
class PreviewScene
{
public:
    struct Item
    {
        int index = 0;   // in PreviewData::airspaces
        PreviewAirspace::State state = PreviewAirspace::State::Written;
        int writtenClass = Restricted;   // the class as the record gives it (0 to 9)
        QString name;
        int floorCm = 0;
        int ceilingCm = UnlimitedCeilingCm;
        QPainterPath outline;
        QPainterPath original;   // fitted only
        QRectF pathBounds;       // of outline and original
        // Where the airspace is. For one that was not written, without points that lie
        // far off its others (an unreadable coordinate is read as 0).
        QRectF bounds;
        QPointF anchor;          // where its name goes
        bool isWritten() const
        {
            return state == PreviewAirspace::State::Written || state == PreviewAirspace::State::Fitted;
        }
    };

    static constexpr double KilometresPerUnit = 111.19508;   // one degree on a 6,371 km earth

    explicit PreviewScene(const PreviewData &data);

    const std::vector<Item> &items() const { return m_items; }
    // Written airspaces, largest first, so that small ones stay on top.
    const std::vector<int> &writtenOrder() const { return m_writtenOrder; }
    // Airspaces not written, in input order.
    const std::vector<int> &notWrittenOrder() const { return m_notWrittenOrder; }
    // What the picture shows: the written airspaces, or all when none was written.
    QRectF extent() const { return m_extent; }
    QString title() const { return m_title; }
    // Bit (1 << class) for every class that was written.
    int writtenClasses() const { return m_writtenClasses; }
    bool hasFitted() const { return m_hasFitted; }

    QPointF toScene(double longitude, double latitude) const;
    QPointF toScene(GeoPoint point) const;
    // Longitude in [-180, 180) and latitude, in degrees.
    QPointF toGeo(QPointF scenePoint) const;
    // The same, the longitude not brought back into [-180, 180): continuous across the picture.
    double longitudeAt(double x) const;
    double latitudeAt(double y) const;
    double cosLatitude() const { return m_cosLatitude; }

    // Items at a point, the one drawn on top first.
    std::vector<int> itemsAt(QPointF scenePoint) const;

private:
    // The centre longitude and middle latitude of the shown items, whose anchors and
    // bounds are still in degrees.
    void chooseProjection(const std::vector<bool> &shown);
    void orderItems(const std::vector<double> &areas);

    std::vector<Item> m_items;
    std::vector<int> m_writtenOrder;
    std::vector<int> m_notWrittenOrder;
    QString m_title;
    QRectF m_extent;
    int m_writtenClasses = 0;
    bool m_hasFitted = false;
    double m_centreLongitude = 0;
    double m_middleLatitude = 0;
    double m_cosLatitude = 1;
};
