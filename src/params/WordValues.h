#pragma once
// The parts of a parameter set that a received block and a loaded file both take from words in
// the same way: the function flags, the rush-in delays, the analog range as its track bars hold
// it, and the speed sensor the thrust-limit speed is converted with.

#include "params/ParameterValues.h"
#include "params/SpeedWord.h"

#include <cstdint>

namespace zuvo {

// Six outputs: bits 0..5 of a segment mask.
inline constexpr std::uint16_t SegmentOutputBits = 0x3F;

SpeedSensor speedSensorOf(const ParameterValues& values);

// The items and switches of word 3, as the pages show them.
void setFunctionFlags(ParameterValues& values, std::uint16_t word);

// The rush-in delays of word 14, each within the track bars' 3..30.
void setRushInDelays(ParameterValues& values, std::uint16_t word);

// The two analog bars within 0..`barMaximum`, set maximum first; each drags the other along, so
// the maximum ends at least at the minimum.
void setAnalogRange(ParameterValues& values, std::int64_t minimumMm, std::int64_t maximumMm,
                    std::int64_t barMaximum);

} // namespace zuvo
