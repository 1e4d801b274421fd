#pragma once

#include "model/geopoint.h"

#include <QLoggingCategory>
#include <QStringView>

// Conversion errors of coordinate texts; quiet unless QT_LOGGING_RULES enables
// "zonvert.openair.debug".
Q_DECLARE_LOGGING_CATEGORY(lcOpenAir)

// A coordinate pair such as "47:30:00 N 008:30:00 E" (either order; hemisphere letters in
// either case). ok is false when the pair is not readable: a value could not be parsed or
// lies beyond 90 degrees of latitude or 180 of longitude, a hemisphere letter is missing,
// or the text begins with one. Unreadable values are 0.
GeoPoint parseCoordinatePair(QStringView text, bool *ok = nullptr);

// One coordinate in milli-arc-seconds; the number of colons picks the notation.
int32_t parseCoordinate(QStringView text, bool *ok = nullptr);

// degrees:minutes.fraction
int32_t GradMinFractionString2long(QStringView text, bool *ok = nullptr);
// degrees:minutes:seconds
int32_t GradMinSecString2long(QStringView text, bool *ok = nullptr);
// decimal degrees
int32_t GradFraction2long(QStringView text, bool *ok = nullptr);
