#pragma once
// The recording drawn as a plot: position in mm over time in s, with axes, grid, tick labels and
// a line that names the count and the ranges.

#include "report/CommissioningReport.h"
#include "report/PageFlow.h"

#include <QPointF>
#include <QPolygonF>

#include <vector>

namespace zuvo {

// Height of the plot with its summary line, so that a heading can be kept with it.
inline constexpr double kRecordingPlotHeightMm = 104;

// Draws the plot below the cursor, breaking the page first when it does not fit. Samples that are
// not finite numbers are left out.
void drawRecordingPlot(PageFlow& flow, const std::vector<ReportSample>& samples);

// Each run of points that fall into one column `binWidth` wide becomes at most its first, lowest,
// highest and last point, in the order they came: the line looks the same, and the file stays
// small however long the recording.
QPolygonF thinnedTrace(const std::vector<QPointF>& points, double binWidth);

} // namespace zuvo
