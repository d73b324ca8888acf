// Numbers in the files the program writes: plain ASCII in every desktop locale, read back with
// either decimal mark.

#include "params/FileNumber.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

using namespace zuvo;
using namespace std::string_view_literals;

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

// A value is read as it stands or not at all: one sign, ASCII digits, one decimal mark of either
// kind, blanks around it; nothing after it, no exponent, nothing that is not finite, no NUL.
TEST(FileNumber, ReadsEitherMarkAndTheUnicodeMinusOfOlderFilesAndNothingElse) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::string_view utf8;
        double value; // NaN: not a number
    } cases[] = {
        {"0,25", 0.25},
        {"0.25", 0.25},
        {"-1", -1},
        {" 100 ", 100},
        {"\t12\r", 12},
        {"\u22121", -1},
        {"\u22120,5", -0.5},
        {"+3", 3},
        {"5.", 5},
        {",5", 0.5},
        {"-0", 0},
        {"007", 7},
        {"1e308", none},
        {"1e3", none},
        {"1E-3", none},
        {"1,000.5", none},
        {"1.000,5", none},
        {"", none},
        {"nan", none},
        {"NaN", none},
        {"inf", none},
        {"-Infinity", none},
        {"1,2,3", none},
        {"12mm", none},
        {"1 000", none},
        {"\u0661\u0662", none},
        {"-", none},
        {"1e", none},
        {"--1", none},
        {"+-1", none},
        {"0x10", none},
        {"12\u00A0", none},
        {"10\0"
         "00"sv,
         none},
        {"\0"
         "12"sv,
         none},
        {"12\0"sv, none},
    };
    for (const auto& c : cases) {
        const QString text =
            QString::fromUtf8(c.utf8.data(), static_cast<qsizetype>(c.utf8.size()));
        const auto v = parseFileNumber(text);
        if (std::isnan(c.value)) {
            EXPECT_FALSE(v) << c.utf8;
        } else {
            ASSERT_TRUE(v) << c.utf8;
            EXPECT_DOUBLE_EQ(*v, c.value) << c.utf8;
            EXPECT_FALSE(std::signbit(*v) && *v == 0) << "no -0: " << c.utf8;
        }
    }
}

// Whole numbers: the same form without a decimal mark, within 64 bits.
TEST(FileNumber, WholeNumbersWithinSixtyFourBits) {
    const struct {
        std::string_view utf8;
        std::optional<std::int64_t> value;
    } cases[] = {
        {"517", 517},
        {" -1 ", -1},
        {"+7", 7},
        {"\u22125", -5},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"1.0", std::nullopt},
        {"1,", std::nullopt},
        {"1e3", std::nullopt},
        {"10\0"
         "00"sv,
         std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const QString text =
            QString::fromUtf8(c.utf8.data(), static_cast<qsizetype>(c.utf8.size()));
        EXPECT_EQ(parseFileInteger(text), c.value) << c.utf8;
    }
}

} // namespace
