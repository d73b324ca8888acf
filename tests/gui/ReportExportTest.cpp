// "Values > Commissioning Report...": the technician's fields, the file and what the report
// holds of the window: the pages' values, the newest backup and the last recording.

#include "app/ReportExport.h"
#include "SimulatedLink.h"
#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/service/PositionRecording.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace zuvo;
using zuvo::test::runUntil;

namespace {

QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), path, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(30000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ReportExportTest : public ::testing::Test {
protected:
    ReportExportTest() : link(test::standingStill()) {
        qputenv("XDG_DATA_HOME", link.folder.filePath(QStringLiteral("data")).toLocal8Bit());
        link.sim.setParameterWord(1, 640); // stroke 640 mm
    }
    ~ReportExportTest() override { qunsetenv("XDG_DATA_HOME"); }

    void SetUp() override {
        form.appStartup().FormCreate({});
        ASSERT_TRUE(form.link().snapshot().portOpen);
        form.link().resumePolling(10);
        ASSERT_TRUE(
            runUntil([this] { return !form.link().snapshot().state.ParamReadPending; }, 5000));
        ReportExport& report = form.reportExport();
        report.askFields = [this](const ReportFields& last) {
            offered = last;
            return fields;
        };
        report.prompts.chooseFile = [this](QFileDialog&) { return chosen; };
        report.prompts.message = [this](const QString& text) { messages << text; };
    }

    test::SimulatedLink link;
    TForm1 form;
    std::optional<ReportFields> fields = ReportFields{
        QStringLiteral("Wasserwerk Nord"), QStringLiteral("ZV-0815"), QStringLiteral("A. Berger")};
    ReportFields offered;
    QString chosen = link.folder.filePath(QStringLiteral("report.pdf"));
    QStringList messages;
};

TEST_F(ReportExportTest, TheMenuItemWritesTheWindowsReportWithTheFields) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";
    }
    QDir().mkpath(link.folder.filePath(QStringLiteral("data/ZUVO/backups")));
    for (const char* name : {"20240101-120000-COM1.ZDF", "20240301-080000-COM1.ZDF"}) {
        QFile file(link.folder.filePath(QStringLiteral("data/ZUVO/backups/") + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    PositionRecording& recording = form.positionRecording();
    for (int i = 0; i < 50; ++i) {
        recording.takeSample(i * 400, i / 100.0);
    }
    recording.Button6Click(); // cleared, yet still the last recording
    link.sim.sendCaption("XZUVO Linie 2");
    ASSERT_TRUE(runUntil([this] { return form.windowTitle().contains("Linie 2"); }, 3000));

    form.reportExport().action()->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    const QString text = pdfText(chosen);
    for (const char* expected :
         {"Wasserwerk Nord", "ZV-0815", "A. Berger", "640 mm", "COM1", "Cylinder max Stroke",
          "20240301-080000-COM1.ZDF", "No sector check was run.", "ZUVO Linie 2"}) {
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
    }
    EXPECT_FALSE(text.contains(QLatin1String("No recording was made.")));

    // The next cylinder: site and technician are offered again, the serial is not.
    form.reportExport().action()->trigger();
    EXPECT_EQ(offered.site, QStringLiteral("Wasserwerk Nord"));
    EXPECT_EQ(offered.technician, QStringLiteral("A. Berger"));
}

TEST_F(ReportExportTest, CancelledOrRefusedWritesNoFile) {
    fields.reset();
    form.reportExport().action()->trigger();
    EXPECT_FALSE(QFile::exists(chosen));

    fields = ReportFields{};
    chosen = link.folder.filePath(QStringLiteral("missing/report.pdf"));
    form.reportExport().action()->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().startsWith("The commissioning report was not saved"));
    EXPECT_FALSE(QFile::exists(chosen));
}

} // namespace
