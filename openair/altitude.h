#pragma once

#include <QStringView>

#include <cstdint>

// What a limit text says.
struct AltitudeReading {
    int32_t centimetres = 0;
    // False for a text that starts with neither a number nor a known word, and for a
    // flight level without digits: nothing can be said of such a limit.
    bool readable = true;
    // What the device cannot carry, for heights other than 0: a number without a unit,
    // read in the base unit, and a height above the ground (AGL, ASFC, SFC or GND after
    // the number), which the device takes as above sea level.
    bool inBaseUnit = false;
    bool aboveGround = false;

    friend bool operator==(const AltitudeReading &a, const AltitudeReading &b)
    {
        return a.centimetres == b.centimetres && a.readable == b.readable && a.inBaseUnit == b.inBaseUnit
               && a.aboveGround == b.aboveGround;
    }
};

// A limit text such as "GND", "SURFACE", "FL95", "1000 ft MSL" or "2500" (already
// trimmed and not empty). A unit counts when it is the word right after the number; a
// height without one is read in the base unit: feet when heightsInFeet, else metres.
AltitudeReading readAltitude(QStringView text, bool heightsInFeet);
