#pragma once
// The switch grid: one button per output (rows 1..6) and stroke segment (columns 1..9).
//
// A button's value is its picture index: bit 0 is the output's state in the segment, bit 1 marks
// a segment whose switch position is not set (no picture is shown for 2 and 3).

#include "params/ParameterBlock.h"

#include <array>
#include <cstdint>

namespace zuvo {

inline constexpr int GridOutputs = 6;
inline constexpr int GridSegments = 9;

// values[r - 1][c - 1] is the value of the button of output r in segment c.
using SwitchGridValues = std::array<std::array<int, GridSegments>, GridOutputs>;

constexpr bool gridButtonOn(int value) {
    return (value & 1) != 0;
}
constexpr bool gridButtonGreyed(int value) {
    return (value & 2) != 0;
}
// A click flips the output's state and keeps the greying.
constexpr int toggledGridButton(int value) {
    return value ^ 1;
}

// The grid of the segments' outputs (bit r-1 of outputs[c - 1] = output r is on in segment c),
// with segment c >= 2 greyed when switch position c - 1 is not set (`states` is a position
// table's, entry c). Segment 1 is never greyed.
SwitchGridValues gridValues(const std::array<std::uint8_t, GridSegments>& outputs,
                            const std::array<std::int32_t, PositionCount>& states);

// The segment masks the grid describes (words 5..13); only bit 0 of each button counts.
std::array<std::uint16_t, GridSegments> segmentMasks(const SwitchGridValues& values);

} // namespace zuvo
