#include "model/airspace.h"

Airspace::Airspace() = default;
Airspace::Airspace(const Airspace &other) : QObject() { *this = other; }
Airspace &Airspace::operator=(const Airspace &) { return *this; }
Airspace::~Airspace() = default;
void Airspace::setName(const QString &text) { m_name = text; m_deviceName = text.left(16); }
void Airspace::addDefinitionFault(const QString &text) { m_definitionFaults.append(text); m_hasDefinitionError = true; }
void Airspace::addPoint(GeoPoint) {}
void Airspace::addCircle(GeoPoint, int) {}
SegmentPtr Airspace::addArc(GeoPoint, GeoPoint, GeoPoint, bool) { return {}; }
bool Airspace::isClosed() const { return true; }
void Airspace::closeOutline() {}
void Airspace::finishDefinition() {}
void Airspace::makeClockwise() {}
void Airspace::appendSegment(SegmentPtr) {}
