#pragma once
// Writes a commissioning report as an A4 PDF. Painting text needs fonts, so a QGuiApplication (or
// a QApplication) must exist; a command-line caller makes one with the offscreen platform. Without
// one the call fails with a message instead of crashing.

#include "report/CommissioningReport.h"

#include <QString>

namespace zuvo {

struct ReportWriteResult {
    bool ok = false;
    QString error; // for the user, one line; empty when ok
};

// Writes `report` to `path`, replacing a file of that name. The file appears complete or not at
// all: it is written to a temporary file beside it and renamed into place, so a failure leaves an
// older file of that name intact. Numbers are written with ASCII digits and minus in every locale.
ReportWriteResult writeReportPdf(const CommissioningReport& report, const QString& path);

} // namespace zuvo
