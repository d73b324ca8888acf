// Writing the report file: any locale, bad input, and folders that refuse the file.

#include "ReportFixture.h"
#include "common/ScratchFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <unistd.h>

namespace zuvo::test {
namespace {

class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved_); }
    DefaultLocale(const DefaultLocale&) = delete;
    DefaultLocale& operator=(const DefaultLocale&) = delete;

private:
    QLocale saved_;
};

TEST(ReportPdfFile, NumbersStayAsciiInEveryLocale) {
    ZUVO_REQUIRE_PDFTOTEXT();
    CommissioningReport report = sampleReport();
    report.recording = {{0, -12.5}, {500, -2.25}, {1500, 7.75}};
    for (const char* name : {"de_DE", "ar_EG", "sv_SE"}) {
        SCOPED_TRACE(name);
        const DefaultLocale locale{QLocale(QString::fromLatin1(name))};
        ASSERT_NE(QLocale().toString(-1.5), QStringLiteral("-1.5")); // the locale does differ
        QTemporaryDir dir;
        const QString text = writtenText(report, dir);
        EXPECT_TRUE(text.contains(QStringLiteral("2024-05-14 09:31:05 UTC+02:00")));
        EXPECT_TRUE(text.contains(QStringLiteral("65535")));
        EXPECT_TRUE(text.contains(QStringLiteral("0xFFFF")));
        EXPECT_TRUE(text.contains(QStringLiteral("position from -12.50 mm to 7.75 mm")));
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("(^|\\s)-10(\\s|$)"))));
        EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of ")));
        for (QChar c : text) {
            // Arabic-Indic digits, the Unicode minus and the Arabic decimal separator.
            const bool foreign = (c.unicode() >= 0x0660 && c.unicode() <= 0x06F9) ||
                                 c.unicode() == 0x2212 || c.unicode() == 0x066B;
            ASSERT_FALSE(foreign) << "U+" << std::hex << static_cast<int>(c.unicode());
        }
    }
}

TEST(ReportPdfFile, BadTextsAndSamplesStillGiveAReadableReport) {
    ZUVO_REQUIRE_PDFTOTEXT();
    QTemporaryDir dir;
    CommissioningReport report = sampleReport();
    report.captionText = QStringLiteral("\x01ZUVO\tline\r\nend\x7F");
    report.site = QString(3000, QLatin1Char('W'));
    report.parameters.push_back(
        {QString(), QStringLiteral("A label with no group"), QString(QChar(0xD800))});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    report.recording = {{nan, 1}, {0, 5}, {100, inf}, {200, 6}, {300, 5.5}};
    const QString text = writtenText(report, dir);
    EXPECT_TRUE(text.contains(QStringLiteral("ZUVO line end")));
    EXPECT_TRUE(text.contains(QStringLiteral("A label with no group")));
    EXPECT_TRUE(text.contains(QStringLiteral("3 samples from 0.000 s to 0.300 s")));
    // The endless site name is cut, not allowed to push the report over pages of its own.
    EXPECT_LE(text.count(QLatin1Char('W')), 450);
    EXPECT_LE(text.count(QLatin1Char('\f')), 4);
}

TEST(ReportPdfFile, ALongRecordingIsThinnedToWhatThePageCanShow) {
    QTemporaryDir dir;
    CommissioningReport report = sampleReport();
    report.recording.clear();
    for (int i = 0; i < 20000; ++i) {
        report.recording.push_back({i * 5.0, 150 + 140 * std::sin(i / 700.0) + (i % 7) * 0.3});
    }
    const QString path = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_TRUE(writeReportPdf(report, path).ok);
    const qint64 longSize = QFileInfo(path).size();
    report.recording.resize(400);
    ASSERT_TRUE(writeReportPdf(report, path).ok);
    // 50 times the samples, yet the file grows by far less than the samples would take.
    EXPECT_LT(longSize, QFileInfo(path).size() + 60 * 1024);
}

TEST(ReportPdfFile, ReplacesAnOlderReportAndLeavesNoScratchFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    writeScratchFile(path, "an older report");
    const ReportWriteResult result = writeReportPdf(sampleReport(), path);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF-"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("report.pdf")});
}

TEST(ReportPdfFile, AFolderThatRefusesTheFileGivesAnErrorAndNoFile) {
    QTemporaryDir dir;
    const QString aFile = dir.filePath(QStringLiteral("plain-file"));
    writeScratchFile(aFile, "not a folder");
    struct Case {
        const char* name;
        QString path;
        const char* says;
    };
    std::vector<Case> cases = {
        {"missing folder", dir.filePath(QStringLiteral("no-such-folder/r.pdf")), "does not exist"},
        {"folder is a file", aFile + QStringLiteral("/r.pdf"), "does not exist"},
        {"target is a folder", dir.path(), "is a folder"},
        {"no file name", QString(), "No file name"},
        // sysfs refuses new files even to root.
        {"system folder", QStringLiteral("/sys/zuvo-report.pdf"), "/sys"},
    };
    const QString readOnly = dir.filePath(QStringLiteral("read-only"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    if (geteuid() != 0) { // root writes into any folder whatever its mode
        cases.push_back({"read-only folder", readOnly + QStringLiteral("/r.pdf"), "read-only"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportWriteResult result = writeReportPdf(sampleReport(), c.path);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.says))) << result.error.toStdString();
        EXPECT_FALSE(result.error.contains(QLatin1Char('\n')));
        if (!c.path.isEmpty() && c.path != dir.path()) {
            EXPECT_FALSE(QFileInfo::exists(c.path));
        }
    }
    EXPECT_TRUE(QDir(readOnly).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
} // namespace zuvo::test
