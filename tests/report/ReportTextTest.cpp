// The number texts of a report and the axis ticks of its plot.

#include "report/ReportText.h"

#include <QTimeZone>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zuvo {
namespace {

TEST(ReportText, AxisTicksAreRoundAndCoverTheData) {
    struct Case {
        double low, high;
        double first, last, step;
        int decimals;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0, 10, 0, 10, 2, 0},          {0, 299.9, 0, 300, 50, 0},
        {-12.5, 7.75, -15, 10, 5, 0},  {0.013, 0.087, 0, 0.1, 0.02, 2},
        {5, 5, 4, 6, 0.5, 1},         // a flat trace gets an axis around it
        {7.75, -12.5, -15, 10, 5, 0}, // given the wrong way round
        {nan, 3, 0, 1, 0.2, 1},       // nothing sensible to show: a unit axis
        {-1e308, 1e308, 0, 1, 0.2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        const AxisTicks t = axisTicks(c.low, c.high, 7);
        ASSERT_GE(t.values.size(), 2u);
        EXPECT_LE(t.values.size(), 9u);
        EXPECT_NEAR(t.values.front(), c.first, 1e-9);
        EXPECT_NEAR(t.values.back(), c.last, 1e-9);
        for (std::size_t i = 1; i < t.values.size(); ++i) {
            EXPECT_NEAR(t.values[i] - t.values[i - 1], c.step, 1e-9);
        }
        EXPECT_EQ(t.decimals, c.decimals);
    }
}

TEST(ReportText, NumbersAreAsciiAndNeverMinusZero) {
    EXPECT_EQ(fixedText(-0.0001, 2), QStringLiteral("0.00"));
    EXPECT_EQ(fixedText(-2.5, 1), QStringLiteral("-2.5"));
    EXPECT_EQ(fixedText(1234.5678, 2), QStringLiteral("1234.57"));
    EXPECT_EQ(wordHex(0x07C5), QStringLiteral("0x07C5"));
    EXPECT_EQ(wordHex(0), QStringLiteral("0x0000"));
    EXPECT_EQ(wordDecimal(65535), QStringLiteral("65535"));
    EXPECT_EQ(reportDateTime(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58), QTimeZone(-12600))),
              QStringLiteral("2024-12-31 23:59:58 UTC-03:30"));
    EXPECT_EQ(reportDateTime(QDateTime()), QStringLiteral("not known"));
}

TEST(ReportText, PrintableTextDefusesWhatWouldBreakALine) {
    EXPECT_EQ(printableText(QStringLiteral("a\tb\r\nc\x01")), QStringLiteral("a b  c "));
    EXPECT_EQ(printableText(QString(QChar(0xDC00)) + QStringLiteral("x")),
              QString(QChar(QChar::ReplacementCharacter)) + QStringLiteral("x"));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x94\xA7"); // a surrogate pair stays whole
    EXPECT_EQ(printableText(emoji), emoji);
    EXPECT_EQ(printableText(QString(10, QLatin1Char('x')), 4),
              QStringLiteral("xxxx") + QChar(0x2026));
    EXPECT_EQ(printableText(QString(4, QLatin1Char('x')), 4), QStringLiteral("xxxx"));
}

} // namespace
} // namespace zuvo
