#pragma once
// The stroke and turns spinners and the turns edit's upper bound.

#include <cstdint>

namespace zuvo {

inline constexpr std::int64_t StrokeStepMm = 100;
inline constexpr std::int64_t MinSpunStrokeMm = 100;
inline constexpr std::int64_t MaxSpunStrokeMm = 10000;
inline constexpr std::int64_t MinSpunTurns = 5;
inline constexpr std::int64_t MaxTurns = 6000; // the turns edit never holds more

// The stroke after one step of its spinner: 100 mm up to at most 10000, or 100 mm down to at
// least 100 (150 steps down to 100, not 50).
std::int64_t strokeAfterSpin(std::int64_t strokeMm, bool up);

// The turns after one step of their spinner: 1 up to at most 6000, or 1 down to at least 5.
std::int64_t turnsAfterSpin(std::int64_t turns, bool up);

// Typed turns above 6000 become 6000.
std::int64_t boundedTurns(std::int64_t turns);

} // namespace zuvo
