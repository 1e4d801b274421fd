#include "app/previewdata.h"

#include "model/airspace.h"
#include "output/longlines.h"

PreviewAirspace previewAirspace(Airspace &airspace, PreviewAirspace::State state, const SegmentList &original)
{
    PreviewAirspace preview;
    preview.state = state;
    preview.name = airspace.name();
    preview.airspaceClass = airspace.airspaceClass();
    preview.floorCm = airspace.floor();
    preview.ceilingCm = airspace.ceiling();
    if (preview.isWritten()) {
        // The same working outline that the record is written from.
        if (!airspace.isFinished())
            airspace.finishDefinition();
        preview.outline = splitLongLines(airspace.segments());
    } else {
        preview.outline = airspace.segments();
    }
    if (state == PreviewAirspace::State::Fitted)
        preview.original = original;
    return preview;
}
