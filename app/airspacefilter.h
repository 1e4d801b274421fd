#pragma once

#include <QString>
#include <QStringList>

class Airspace;

// What a pilot chose to leave off the instrument. Every part is off when empty.
struct FilterSettings
{
    QStringList skipWords;   // class words (AC) and types (AY) to leave out, any case
    QString maxFloor;        // leave out airspaces whose floor is above this limit text
    QString near;            // "LAT,LON,KM": keep those within KM of the point
    QString box;             // "S,W,N,E": keep those that overlap the box

    bool isActive() const { return !skipWords.isEmpty() || !maxFloor.isEmpty() || !near.isEmpty() || !box.isEmpty(); }
    // The first part that cannot be read, as its option name ("-max-floor", "-near",
    // "-box"); empty when all can.
    QString invalidPart(bool heightsInFeet) const;
    // A short line for the window, e.g. "ohne E, F; bis FL100; 50 km um 46.5, 7.5".
    QString summary() const;

    // "E, f ,GSEC" as words, upper case, empty ones dropped.
    static QStringList wordsOf(const QString &text);
};

// Decides which airspaces a run leaves out.
class AirspaceFilter
{
public:
    enum class Verdict { Kept, ByClass, ByFloor, ByArea };

    // The settings must be valid (invalidPart() empty).
    AirspaceFilter(const FilterSettings &settings, bool heightsInFeet);

    bool isActive() const { return m_active; }
    // Whether the verdict needs the airspace's outline, which a first pass over the
    // names does not read otherwise.
    bool needsOutlines() const { return m_near || m_box; }
    // The first rule that leaves the airspace out, or Kept. An airspace without any
    // boundary cannot be placed and is kept, so that its fault is reported.
    Verdict verdict(const Airspace &airspace) const;

private:
    bool isNear(const Airspace &airspace) const;
    bool overlapsBox(const Airspace &airspace) const;

    bool m_active = false;
    QStringList m_skipWords;
    bool m_hasMaxFloor = false;
    int m_maxFloorCm = 0;
    bool m_near = false;
    double m_nearLat = 0, m_nearLon = 0, m_nearKm = 0;
    bool m_box = false;
    double m_south = 0, m_west = 0, m_north = 0, m_east = 0;
};
