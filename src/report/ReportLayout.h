#pragma once
// The contents of a commissioning report, section by section, painted onto the pages of a flow.

#include "report/CommissioningReport.h"
#include "report/PageFlow.h"

#include <QString>

namespace zuvo {

// The line at the foot of every page: what the report is about.
QString reportFooter(const CommissioningReport& report);

// Paints the whole report from the cursor on; the caller finishes the flow.
void paintReport(PageFlow& flow, const CommissioningReport& report);

} // namespace zuvo
