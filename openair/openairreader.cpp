#include "openair/openairreader.h"

OpenAirReader::OpenAirReader(bool heightsInFeet, QObject *parent)
    : QObject(parent), m_heightsInFeet(heightsInFeet)
{
}

OpenAirReader::~OpenAirReader() = default;

bool OpenAirReader::open(const QString &) { return false; }
AirspacePtr OpenAirReader::nextAirspace() { return {}; }
void OpenAirReader::close() {}
int OpenAirReader::parseAltitude(const QString &) { return -5000000; }
