#pragma once

#include "model/airspacesegment.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class Airspace;

// One airspace of a run as the preview shows it.
struct PreviewAirspace
{
    enum class State {
        Written,     // its record is in the output
        Fitted,      // written, after its outline was fitted to the instrument's limit
        Faulty,      // not written: its definition is faulty
        OverLimit,   // not written: too many segments
    };

    State state = State::Written;
    QString name;                        // as read
    int airspaceClass = Special;         // AirspaceClass; Special is written as Restricted
    int floorCm = 0;
    int ceilingCm = UnlimitedCeilingCm;
    // Written and fitted: the segments as written (after closing, halving and fitting).
    // Faulty and over the limit: the outline as read.
    SegmentList outline;
    // Fitted only: the outline before fitting.
    SegmentList original;

    bool isWritten() const { return state == State::Written || state == State::Fitted; }
};

// What a run leaves for its preview.
struct PreviewData
{
    QStringList inputFileNames;
    QDate date;
    int writtenCount = 0;
    int keptCount = 0;
    std::vector<PreviewAirspace> airspaces;
};

// The preview form of an airspace whose fate is decided. A written or fitted one gets the
// segments its record holds (outline finished, long edges halved); the others keep their
// outline as read. `original` is the outline of a fitted airspace before fitting.
PreviewAirspace previewAirspace(Airspace &airspace, PreviewAirspace::State state,
                                const SegmentList &original = {});
