#pragma once
// The ruler under the switch grid: one tick per switch position.

#include <cstdint>
#include <optional>

namespace zuvo {

// x of the tick of a switch position: trunc(mm * (width / L)), the scale computed first in
// extended precision. A position that is not set (negative) lands at or left of the start. No
// tick without a stroke (L < 1).
std::optional<int> rulerTickX(double mm, int widthPx, std::int64_t strokeMm);

} // namespace zuvo
