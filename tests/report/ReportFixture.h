#pragma once
// A report with known values, and reading a written PDF back as text with pdftotext.

#include "report/CommissioningReport.h"
#include "report/ReportPdf.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace zuvo::test {

inline const EdgeTable kReed1 = {20, 110, 200, 290};
inline const EdgeTable kReed2 = {60, 150, 240, 330};

inline CommissioningReport sampleReport() {
    CommissioningReport r;
    r.createdAt = QDateTime(QDate(2024, 5, 14), QTime(9, 31, 5), QTimeZone(7200));
    r.portName = QStringLiteral("COM7");
    r.devicePath = QStringLiteral("/dev/ttyUSB6");
    r.adapterName = QStringLiteral("FTDI FT232R USB UART");
    r.firmwareVersion = QStringLiteral("V2.31");
    r.captionText = QStringLiteral(" ZUVO 300 Hub Nr. 4711");
    r.parameters = {
        {QStringLiteral("Cylinder"), QStringLiteral("Stroke"), QStringLiteral("300.0 mm")},
        {QStringLiteral("Cylinder"), QStringLiteral("Turns over the stroke"), QStringLiteral("25")},
        {QStringLiteral("Cylinder"), QStringLiteral("Direction"), QStringLiteral("Reversed")},
        {QStringLiteral("Digital outputs"), QStringLiteral("Switch position 1"),
         QStringLiteral("12.5 mm")},
        {QStringLiteral("Analog output"), QStringLiteral("Function"), QStringLiteral("4..20mA")},
        {QStringLiteral("Thrust overload"), QStringLiteral("Thrust overload"),
         QStringLiteral("Enabled")},
    };
    r.words = {{0, 300}, {1, 25}, {2, 0xFFFF}, {3, 0x07C5}, {4, 0}, {5, 1234}};
    r.calibration = ReportCalibration{187, 1000};
    r.sectorCheck = checkSectors(kReed1, kReed2);
    r.lastBackupFile = QStringLiteral("COM7-20240514-093011.ZDF");
    r.site = QStringLiteral("Wasserwerk Nord");
    r.cylinderSerial = QStringLiteral("ZV-2024-00815");
    r.technician = QStringLiteral("A. Berger");
    for (int i = 0; i <= 200; ++i) {
        r.recording.push_back({i * 50.0, i <= 100 ? i * 3.0 : (200 - i) * 3.0});
    }
    return r;
}

// Skips the calling test when pdftotext is missing.
#define ZUVO_REQUIRE_PDFTOTEXT()                                                                   \
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {                   \
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";                      \
    }

// The text of the PDF at `path` with its layout kept (a table row stays on one line); pages are
// separated by form feeds.
inline QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                   QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Writes `report` into `dir` and returns its text; a failed write fails the test.
inline QString writtenText(const CommissioningReport& report, const QTemporaryDir& dir,
                           const QString& name = QStringLiteral("report.pdf")) {
    const QString path = dir.filePath(name);
    const ReportWriteResult result = writeReportPdf(report, path);
    EXPECT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.error.isEmpty());
    return pdfText(path);
}

} // namespace zuvo::test
