// Numbers in the files the program writes: plain ASCII in every desktop locale, read back with
// either decimal mark.

#include "params/FileNumber.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zuvo;

namespace {

TEST(FileNumber, AsciiWithTheSystemsPointOrCommaInEveryLocale) {
    const struct {
        QLocale::Language language;
        QLocale::Territory territory;
        char separator;
    } locales[] = {
        {QLocale::English, QLocale::UnitedStates, '.'}, {QLocale::German, QLocale::Germany, ','},
        {QLocale::Swedish, QLocale::Sweden, ','},       {QLocale::Finnish, QLocale::Finland, ','},
        {QLocale::Arabic, QLocale::Egypt, '.'},         {QLocale::Persian, QLocale::Iran, '.'},
    };
    for (const auto& l : locales) {
        const QLocale locale(l.language, l.territory);
        SCOPED_TRACE(locale.name().toStdString());
        const QChar separator = fileDecimalSeparator(locale);
        EXPECT_EQ(separator, QLatin1Char(l.separator));
        const QString sep(separator);
        EXPECT_EQ(fileNumber(-1, separator), "-1");
        EXPECT_EQ(fileNumber(0.1, separator), "0" + sep + "1");
        EXPECT_EQ(fileNumber(1234.5, separator), "1234" + sep + "5"); // no group separator
        EXPECT_EQ(fileNumber(-0.5, separator, 2), "-0" + sep + "50");
        EXPECT_EQ(parseFileNumber(fileNumber(-1234.25, separator)), -1234.25);
    }
}

TEST(FileNumber, ShortestOrFixedNeverMinusZero) {
    EXPECT_EQ(fileNumber(100, '.'), "100");
    EXPECT_EQ(fileNumber(1.0 / 3.0, ','), "0,333333333333333");
    EXPECT_EQ(fileNumber(-0.0, '.'), "0");
    EXPECT_EQ(fileNumber(-0.001, '.', 2), "0.00");
    EXPECT_EQ(fileNumber(0.29, '.', 2), "0.29");
    EXPECT_EQ(fileNumber(std::numeric_limits<double>::quiet_NaN(), '.'), "0");
}

TEST(FileNumber, ReadsEitherMarkAndTheUnicodeMinusOfOlderFiles) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* utf8;
        double value; // NaN: not a number
    } cases[] = {
        {"0,25", 0.25},         {"0.25", 0.25},      {"-1", -1},       {" 100 ", 100},
        {"\u22121", -1},        {"\u22120,5", -0.5}, {"1e308", 1e308}, {"+3", 3},
        {"1,000.5", none},      {"1.000,5", none},   {"", none},       {"nan", none},
        {"inf", none},          {"1,2,3", none},     {"12mm", none},   {"1 000", none},
        {"\u0661\u0662", none}, {"-", none},         {"1e", none},     {"1e999", none},
        {"--1", none},
    };
    for (const auto& c : cases) {
        const auto v = parseFileNumber(QString::fromUtf8(c.utf8));
        if (std::isnan(c.value)) {
            EXPECT_FALSE(v) << c.utf8;
        } else {
            ASSERT_TRUE(v) << c.utf8;
            EXPECT_DOUBLE_EQ(*v, c.value) << c.utf8;
        }
    }
}

} // namespace
