#pragma once
// The recording drawn as a plot: position in mm over time in s, with axes, grid, tick labels and
// a line that names the count and the ranges.

#include "report/CommissioningReport.h"
#include "report/PageFlow.h"

#include <vector>

namespace zuvo {

// Height of the plot with its summary line, so that a heading can be kept with it.
inline constexpr double kRecordingPlotHeightMm = 104;

// Draws the plot below the cursor, breaking the page first when it does not fit. Samples that are
// not finite numbers are left out.
void drawRecordingPlot(PageFlow& flow, const std::vector<ReportSample>& samples);

} // namespace zuvo
