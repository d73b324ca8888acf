#pragma once
// Geometry of the bar that shows the analog output's stroke range on a 200-pixel scale, whose
// top (y = 55) stands for the track bars' maximum M and whose bottom (y = 255) for 0.

namespace zuvo {

inline constexpr int AnalogScaleHeight = 200;
inline constexpr int AnalogScaleTop = 55;

// (P2 - P1) * 200 div M. Without a range to scale to (M < 1) and while the minimum is above the
// maximum (until the other bar has followed) the bar has no height.
int analogBarHeight(int minimumMm, int maximumMm, int scaleMaximumMm);

// (M - P2) * 200 div M + 55; the bottom of the scale when M < 1.
int analogBarTop(int maximumMm, int scaleMaximumMm);

} // namespace zuvo
