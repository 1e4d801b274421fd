#pragma once

#include "model/airspacesegment.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

using SubBlockPtr = std::shared_ptr<AirspaceSubBlock>;

// One airspace as read from an OpenAir block: attributes and the ordered outline.
class Airspace : public QObject
{
    Q_OBJECT

public:
    Airspace();
    Airspace(const Airspace &other);
    Airspace &operator=(const Airspace &other);
    ~Airspace() override;

    // The record of this airspace in the kaf file. A list of exactly one (empty) line
    // marks a faulty airspace; errorText() then says why.
    virtual QStringList deviceRecord(int warningDistanceCm);
    // Why the airspace is faulty: its own faults, then each faulty segment's text.
    QString errorText() const;
    // The airspace's type flags as the kaf AT text (empty when no flag is set).
    QString deviceTypeText() const;

    // Attributes.
    void setName(const QString &text);   // also sets deviceName: at most 16 characters
    void setDeviceName(const QString &text) { m_deviceName = text; }
    void setAirspaceClass(int value) { m_airspaceClass = value; }
    void setTypeFlags(int value) { m_typeFlags = value; }
    void setComment(const QString &text) { m_comment = text; }
    // Appended in place, so that a block of many notes is read in linear time.
    void appendComment(QStringView text) { m_comment.append(text); }
    // On a line of its own below any earlier comment.
    void appendCommentLine(QStringView text);
    void addArText(const QString &text) { m_arTexts.append(text); }
    void setAdText(const QString &text) { m_adText = text; }
    // The class word after AC and the type after AY (OpenAir version 2), as written; for
    // choosing what to leave out.
    void setAcText(const QString &text) { m_acText = text; }
    void setAyText(const QString &text) { m_ayText = text; }
    void setFloor(int value) { m_floor = value; }
    void setFloorText(const QString &text) { m_floorText = text; }
    void setCeiling(int value) { m_ceiling = value; }
    void setCeilingText(const QString &text) { m_ceilingText = text; }
    void setWarningDistance(int value) { m_warningDistance = value; }
    // Of the two limits, how many were read in the base unit for want of a unit, and how
    // many are above the ground: the device file holds neither.
    void setLimitCounts(int inBaseUnit, int aboveGround)
    {
        m_baseUnitLimits = int8_t(inBaseUnit);
        m_aboveGroundLimits = int8_t(aboveGround);
    }

    QString name() const { return m_name; }
    QString deviceName() const { return m_deviceName; }
    int airspaceClass() const { return m_airspaceClass; }
    int typeFlags() const { return m_typeFlags; }
    QString comment() const { return m_comment; }
    QStringList arTexts() const { return m_arTexts; }
    QString adText() const { return m_adText; }
    QString acText() const { return m_acText; }
    QString ayText() const { return m_ayText; }
    int floor() const { return m_floor; }
    QString floorText() const { return m_floorText; }
    int ceiling() const { return m_ceiling; }
    QString ceilingText() const { return m_ceilingText; }
    int warningDistance() const { return m_warningDistance; }
    int baseUnitLimits() const { return m_baseUnitLimits; }
    int aboveGroundLimits() const { return m_aboveGroundLimits; }
    bool isEnabled() const { return m_enabled; }

    const SegmentList &segments() const { return m_segments; }
    int segmentCount() const { return static_cast<int>(m_segments.size()); }
    const std::vector<SubBlockPtr> &subBlocks() const { return m_subBlocks; }

    // A fault of the definition itself, found while reading (for example a coordinate
    // that could not be read). The airspace is faulty from then on and is not written.
    void addDefinitionFault(const QString &text);
    QStringList definitionFaults() const { return m_definitionFaults; }
    bool hasDefinitionError() const { return m_hasDefinitionError; }
    // Whether the outline ever got a segment (also one that finishing removed).
    bool hadSegment() const { return m_hadSegment; }
    bool isFinished() const { return m_isFinished; }

    // Outline building: a pen that remembers the last point.
    void addPoint(GeoPoint point);
    void addCircle(GeoPoint centre, int radiusCm);
    SegmentPtr addArc(GeoPoint centre, GeoPoint from, GeoPoint to, bool clockwise);
    bool isClosed() const;
    void closeOutline();
    // Removes zero-length lines, turns the outline clockwise and gathers segment faults.
    void finishDefinition();
    void makeClockwise();

signals:
    void ErrorInDefinition(QString theName, QString theComment);

public slots:
    void SetAirspaceEnabled(bool isEnabled) { m_enabled = isEnabled; }

private:
    void appendSegment(SegmentPtr segment);
    SegmentPtr makeLine(GeoPoint from, GeoPoint to);

    bool m_hasDefinitionError = false;
    bool m_isFinished = false;
    int m_airspaceClass = Special;
    QString m_name;
    QString m_deviceName;
    QString m_comment;
    QStringList m_arTexts;
    QString m_adText;
    QString m_acText;
    QString m_ayText;
    int m_typeFlags = 0;
    int m_floor = 0;
    int m_ceiling = UnlimitedCeilingCm;
    int m_warningDistance = 0;
    SegmentList m_segments;
    std::vector<SubBlockPtr> m_subBlocks;
    bool m_penUp = true;
    bool m_hadSegment = false;   // also one that finishing removed as zero-length
    QString m_ceilingText;
    QString m_floorText;
    GeoPoint m_currentPoint;
    bool m_enabled = true;
    int8_t m_baseUnitLimits = 0;
    int8_t m_aboveGroundLimits = 0;
    QStringList m_definitionFaults;
};

using AirspacePtr = std::shared_ptr<Airspace>;
