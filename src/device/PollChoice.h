#pragma once
// Which frame the poll tick sends.

#include "device/FrameBytes.h"
#include "device/LinkState.h"

namespace zuvo {

// A pending relay test (PollSelector 1 or 2) goes out as QS instead of a poll and is cleared;
// the sensor-check counter is left alone then. Otherwise the poll is R or P (P while the
// parameter block is wanted) followed by V, or by X on every 11th poll of the sensor-check
// phase. The recording view needs a status reply on every tick, so it forces V, but the
// counter keeps counting. The tick also clears PollSelector when it sends nothing.
Frame nextPollFrame(LinkState& state, bool recordingViewShown);

} // namespace zuvo
