#pragma once
// The position recorded at the window's poll pace, as its recording view records it, for
// zuvoctl record and the report's plot.

#include "ctl/CtlSession.h"
#include "service/PositionRecord.h"

#include <optional>

namespace zuvo {

struct CtlRecording {
    PositionRecord record;
    std::optional<CtlFailure> failure; // the controller fell silent or the port went away
    bool interrupted = false;          // Ctrl-C or SIGTERM ended it early
};

// Records for `seconds`, until interrupted, until the controller is silent for kCtlSilenceMs or
// until the record is full. Ends the session's exchange and shuts the link down after; the
// session must have read the block (the position in mm needs its stroke and turns).
CtlRecording recordPositions(CtlSession& session, int seconds);

} // namespace zuvo
