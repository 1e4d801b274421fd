#include "model/airspace.h"

QStringList Airspace::deviceRecord(int) { return {}; }
QString Airspace::errorText() const { return {}; }
QString Airspace::deviceTypeText() const { return {}; }
QStringList AirspaceSegment::deviceLines(bool) const { return {}; }
