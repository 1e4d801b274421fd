#pragma once

#include "app/previewdata.h"
#include "model/airspace.h"
#include "openair/openairreader.h"

// The preview data of an OpenAir file as a run without closing would leave it: an
// airspace of more than 100 segments over the limit, one without a record faulty, the
// rest written.
inline PreviewData previewDataOfFile(const QString &fileName, QDate date = QDate(2025, 6, 1))
{
    PreviewData data;
    data.inputFileNames = QStringList{fileName};
    data.date = date;
    OpenAirReader reader(false);
    if (!reader.open(fileName))
        return data;
    while (const AirspacePtr airspace = reader.nextAirspace()) {
        if (airspace->segmentCount() == 0)
            continue;
        ++data.keptCount;
        using State = PreviewAirspace::State;
        const State state = airspace->segmentCount() > 100          ? State::OverLimit
                            : airspace->deviceRecord(0).size() == 1 ? State::Faulty
                                                                    : State::Written;
        data.airspaces.push_back(previewAirspace(*airspace, state));
        if (state == State::Written)
            ++data.writtenCount;
    }
    return data;
}
