#pragma once

#include "model/airspace.h"

#include <QFile>
#include <QObject>
#include <QString>

// Reads an OpenAir file airspace by airspace.
class OpenAirReader : public QObject
{
    Q_OBJECT

public:
    explicit OpenAirReader(bool heightsInFeet, QObject *parent = nullptr);
    ~OpenAirReader() override;

    bool open(const QString &fileName);
    // The next complete airspace, or an empty pointer at the end of the file.
    AirspacePtr nextAirspace();
    void close();

    // An AL/AH text (without the record letters) in centimetres, or -5,000,000 when it
    // cannot be read.
    int parseAltitude(const QString &text);

private:
    bool m_heightsInFeet;
    bool m_isOpen = false;
    int m_lineNumber = 0;
    QString m_currentLine;
    QFile m_file;
};
