// What a technician reads in a written report: every value the caller gave, where it belongs.

#include "ReportFixture.h"

#include <QRegularExpression>

#include <algorithm>

namespace zuvo::test {
namespace {

// `left` and `right` on one line of the text, with only blanks between them.
bool onOneLine(const QString& text, const QString& left, const QString& right) {
    const QRegularExpression row(QRegularExpression::escape(left) + QStringLiteral("[ ]+") +
                                 QRegularExpression::escape(right));
    return row.match(text).hasMatch();
}

TEST(ReportPdfContent, ShowsEveryValueOfTheReport) {
    ZUVO_REQUIRE_PDFTOTEXT();
    QTemporaryDir dir;
    const CommissioningReport report = sampleReport();
    const QString text = writtenText(report, dir);

    const std::pair<const char*, const char*> identification[] = {
        {"Date and time", "2024-05-14 09:31:05 UTC+02:00"},
        {"Port", "COM7"},
        {"Device", "/dev/ttyUSB6"},
        {"Adapter", "FTDI FT232R USB UART"},
        {"Firmware version", "V2.31"},
        {"Controller text", "ZUVO 300 Hub Nr. 4711"},
        {"Last backup", "COM7-20240514-093011.ZDF"},
        {"Site", "Wasserwerk Nord"},
        {"Cylinder serial number", "ZV-2024-00815"},
        {"Technician", "A. Berger"},
    };
    for (const auto& [label, value] : identification) {
        EXPECT_TRUE(onOneLine(text, QString::fromUtf8(label), QString::fromUtf8(value)))
            << label << " / " << value;
    }
    for (const ReportParameterRow& row : report.parameters) {
        EXPECT_TRUE(onOneLine(text, row.label, row.value)) << row.label.toStdString();
        EXPECT_TRUE(text.contains(row.group)) << row.group.toStdString();
    }
    // Raw words four to a row: index, decimal, hex.
    for (const char* word : {"0 300 0x012C", "1 25 0x0019", "2 65535 0xFFFF", "3 1989 0x07C5",
                             "4 0 0x0000", "5 1234 0x04D2"}) {
        const QStringList parts = QString::fromUtf8(word).split(QLatin1Char(' '));
        const QRegularExpression cell(
            QStringLiteral("(^|[ ])%1[ ]+%2[ ]+%3($|[ ])").arg(parts[0], parts[1], parts[2]),
            QRegularExpression::MultilineOption);
        EXPECT_TRUE(cell.match(text).hasMatch()) << word;
    }
    EXPECT_TRUE(onOneLine(text, QStringLiteral("4 mA"), QStringLiteral("187")));
    EXPECT_TRUE(onOneLine(text, QStringLiteral("10 V / 20 mA"), QStringLiteral("1000")));
    // Every line of the sector table, its label beside its angle.
    ASSERT_EQ(report.sectorCheck->table.size(), 13);
    for (const QString& line : report.sectorCheck->table) {
        if (line.isEmpty()) {
            continue;
        }
        const QStringList parts = line.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        ASSERT_EQ(parts.size(), 2) << line.toStdString();
        EXPECT_TRUE(onOneLine(text, parts[0].trimmed(), parts[1].trimmed())) << line.toStdString();
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Verdict: passed")));
    EXPECT_FALSE(text.contains(QStringLiteral("failed")));
    // The recording as a plot: axes, tick labels and the summary of the samples.
    EXPECT_TRUE(text.contains(QStringLiteral("Time [s]")));
    EXPECT_TRUE(text.contains(QStringLiteral("Position [mm]")));
    EXPECT_TRUE(text.contains(QStringLiteral(
        "201 samples from 0.000 s to 10.000 s; position from 0.00 mm to 300.00 mm.")));
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of ")));
}

TEST(ReportPdfContent, AFailedSectorCheckShowsItsFlagsAndVerdict) {
    ZUVO_REQUIRE_PDFTOTEXT();
    QTemporaryDir dir;
    CommissioningReport report = sampleReport();
    report.sectorCheck = checkSectors(kReed1, {30, 150, 240, 330});
    ASSERT_FALSE(report.sectorCheck->passed);
    const QString text = writtenText(report, dir);
    EXPECT_TRUE(onOneLine(text, QStringLiteral("Vorlauf1:"), QStringLiteral("10° !!!!!")));
    EXPECT_TRUE(text.contains(QStringLiteral("Verdict: failed")));
    EXPECT_FALSE(text.contains(QStringLiteral("Verdict: passed")));
}

TEST(ReportPdfContent, WhatIsMissingIsSaidAndTheHandFieldsStayBlank) {
    ZUVO_REQUIRE_PDFTOTEXT();
    QTemporaryDir dir;
    CommissioningReport report;
    report.createdAt = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), QTimeZone(0));
    report.portName = QStringLiteral("COM1");
    const QString text = writtenText(report, dir);
    for (const char* said :
         {"No parameter block was read.", "The calibration points were not read.",
          "No sector check was run.", "No recording was made.", "2024-01-02 03:04:05 UTC+00:00"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(said))) << said;
    }
    EXPECT_TRUE(onOneLine(text, QStringLiteral("Last backup"), QStringLiteral("none")));
    EXPECT_TRUE(onOneLine(text, QStringLiteral("Firmware version"), QStringLiteral("not known")));
    // Site, serial and technician are lines of their own with nothing after the label.
    for (const char* field : {"Site", "Cylinder serial number", "Technician"}) {
        const QRegularExpression blank(QStringLiteral("^[ ]*%1[ ]*$").arg(QString::fromUtf8(field)),
                                       QRegularExpression::MultilineOption);
        EXPECT_TRUE(blank.match(text).hasMatch()) << field;
    }

    report.sectorCheck = checkSectors(kReed1, {60, 150, 240, 0});
    ASSERT_FALSE(report.sectorCheck->complete);
    EXPECT_TRUE(writtenText(report, dir).contains(QStringLiteral("did not complete")));
}

TEST(ReportPdfContent, AReportLongerThanAPageBreaksWithEveryRowKept) {
    ZUVO_REQUIRE_PDFTOTEXT();
    QTemporaryDir dir;
    CommissioningReport report = sampleReport();
    report.parameters.clear();
    report.words.clear();
    for (int i = 0; i < 160; ++i) {
        report.parameters.push_back({QStringLiteral("Group %1").arg(i / 20),
                                     QStringLiteral("Parameter %1").arg(i),
                                     QStringLiteral("value-%1 mm").arg(i)});
    }
    for (int i = 0; i < 100; ++i) {
        report.words.push_back({i, static_cast<std::uint16_t>(40000 + i)});
    }
    const QString text = writtenText(report, dir);
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 4);
    for (int p = 0; p < pages.size(); ++p) {
        EXPECT_TRUE(pages[p].contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())))
            << "page " << p + 1;
    }
    for (int i = 0; i < 160; ++i) {
        const QRegularExpression row(QStringLiteral("Parameter %1[ ]+value-%1 mm").arg(i));
        EXPECT_EQ(text.count(row), 1) << "row " << i;
    }
    for (int i = 0; i < 100; ++i) {
        EXPECT_TRUE(
            text.contains(QRegularExpression(QStringLiteral("(^|[ ])%1[ ]+%2[ ]+%3")
                                                 .arg(i)
                                                 .arg(40000 + i)
                                                 .arg(QString::asprintf("0x%04X", 40000 + i)),
                                             QRegularExpression::MultilineOption)))
            << "word " << i;
    }
    // A section's heading stays on the page of its first lines (the short sector table whole).
    const std::pair<const char*, const char*> kept[] = {
        {"Reed-switch sector check", "Verdict: passed"},
        {"Last recording", "Position [mm]"},
        {"Confirmation", "Signature"},
    };
    for (const auto& section : kept) {
        const QString title = QString::fromUtf8(section.first);
        const auto page = std::find_if(pages.begin(), pages.end(),
                                       [&](const QString& p) { return p.contains(title); });
        ASSERT_NE(page, pages.end()) << section.first;
        EXPECT_TRUE(page->contains(QString::fromUtf8(section.second))) << section.first;
    }
    // A table cut by a page break repeats its header and its group on the next page.
    EXPECT_GE(text.count(QRegularExpression(QStringLiteral("Parameter[ ]+Value"))), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("(continued)")));
}

} // namespace
} // namespace zuvo::test
