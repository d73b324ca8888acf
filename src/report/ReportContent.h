#pragma once
// The report's values made from what the window and zuvoctl both have: the parameter values in
// the user's units, the block's words and a position recording. One function per part, so that
// the paper of the window and of zuvoctl reads the same for the same controller.

#include "params/ParameterValues.h"
#include "params/UnitConversions.h"
#include "report/CommissioningReport.h"
#include "service/PositionRecord.h"

#include <QChar>

#include <cstdint>
#include <span>
#include <vector>

namespace zuvo {

// One row per value of the four editor pages, grouped by page, as the pages show them with
// `decimalSeparator`.
std::vector<ReportParameterRow> reportParameterRows(const ParameterValues& values,
                                                    QChar decimalSeparator);

// Word i of the block as row i.
std::vector<ReportWord> reportWords(std::span<const std::uint16_t> words);

// The samples of the recording in mm over time; empty without a usable stroke and turns.
std::vector<ReportSample> reportSamples(const PositionRecord& record, const Geometry& geometry);

// The file name of the newest backup in `folder`; empty when there is none.
QString newestBackupName(const QString& folder);

} // namespace zuvo
