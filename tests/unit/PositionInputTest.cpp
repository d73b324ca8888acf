#include "service/PositionInput.h"
#include "service/MillimetreText.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

TEST(PositionInput, PointRuleKeepsTwoDecimals) {
    struct Case {
        QString typed, text;
    };
    const Case cases[] = {
        {"12.345", "12,34"}, {"12.3", "12,3"}, {"250", "250"}, {"12,345", "12,345"},
        {"1.2.3", "1,2."},   {".5", ",5"},     {"12.", "12,"}, {" 7.125 ", " 7,12"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pointToComma(c.typed), c.text) << c.typed.toStdString();
    }
}

TEST(PositionInput, PlainNumbersOnly) {
    struct Case {
        QString text;
        QChar separator;
        std::optional<double> mm;
    };
    const Case cases[] = {
        {"250", ',', 250.0},
        {"250,00", ',', 250.0},
        {"12,345", ',', 12.345},
        {" 12,5 ", ',', 12.5},
        {"-1", ',', -1.0},
        {"+3", ',', 3.0},
        {",5", ',', 0.5},
        {"1e3", ',', 1000.0},
        {"1234567890123456789012345678901234567890", ',', 1.2345678901234568e39},
        {"12,34", '.', 12.34}, // the comma is the decimal mark in a decimal-point locale too
        {"12.34", '.', 12.34},
        {"", ',', std::nullopt},
        {"  ", ',', std::nullopt},
        {"abc", ',', std::nullopt},
        {"12a", ',', std::nullopt},
        {"1,2,3", ',', std::nullopt},
        {"12.5", ',', std::nullopt},
        {"1 000", ',', std::nullopt},
        {"inf", ',', std::nullopt},
        {"nan", ',', std::nullopt},
        {"1e999", ',', std::nullopt},
        {"-", ',', std::nullopt},
        {",", ',', std::nullopt},
    };
    for (const auto& c : cases) {
        const auto mm = parseMillimetres(c.text, c.separator);
        ASSERT_EQ(mm.has_value(), c.mm.has_value()) << c.text.toStdString();
        if (mm) {
            EXPECT_DOUBLE_EQ(*mm, *c.mm) << c.text.toStdString();
        }
    }
}

TEST(PositionInput, MillimetresToCounts) {
    struct Case {
        double mm;
        int stroke, turns;
        std::optional<std::int32_t> counts;
    };
    const Case cases[] = {
        {250.0, 1000, 100, 25600},
        {12.34, 1000, 100, 1263},
        {12.345, 1000, 100, 1264},
        {-1.0, 1000, 100, -102},
        {0.0, 1000, 100, 0},
        {250.0, 1000, 0, std::nullopt}, // no turns: no count could carry the position
        {250.0, 1000, -5, std::nullopt},
        {250.0, 0, 100, std::nullopt},
        {1e39, 1000, 100, std::nullopt},
        {-30000.0, 1, 100, std::nullopt},
        {20971.0, 1, 100, 2147430400},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(memoryCountsFromMm(c.mm, Geometry{c.stroke, c.turns}), c.counts)
            << c.mm << " mm, " << c.stroke << " mm, " << c.turns << " turns";
    }
}

TEST(PositionInput, TypedPositionTakenOrRefused) {
    struct Case {
        QString typed;
        int stroke, turns;
        QChar separator;
        std::optional<std::int32_t> counts;
        QString labelOrMessage;
    };
    const Case cases[] = {
        {"250", 1000, 100, ',', 25600, "Memory: 250mm"},
        {"250,00", 1000, 100, ',', 25600, "Memory: 250,00mm"},
        {"12.345", 1000, 100, ',', 1263, "Memory: 12,34mm"},
        {"12,345", 1000, 100, ',', 1264, "Memory: 12,345mm"},
        {" 7 ", 1000, 100, ',', 716, "Memory: 7mm"},
        {"12.345", 1000, 100, '.', 1263, "Memory: 12,34mm"}, // a decimal-point locale
        {"abc", 1000, 100, ',', std::nullopt, " Wrong input format "},
        {"1.2.3", 1000, 100, ',', std::nullopt, " Wrong input format "},
        {"1,2,3", 1000, 100, ',', std::nullopt, " Wrong input format "},
        {"1234567890123456789012345678901234567890", 1000, 100, ',', std::nullopt,
         " Wrong input format "},
        {"250", 0, 100, ',', std::nullopt, kNoGeometryMessage},
        {"250", 1000, 0, ',', std::nullopt, kNoGeometryMessage},
        {"250", 1000, -3, ',', std::nullopt, kNoGeometryMessage},
        {"abc", 1000, 0, ',', std::nullopt, " Wrong input format "},
    };
    for (const auto& c : cases) {
        const MemoryInput input =
            readMemoryInput(c.typed, Geometry{c.stroke, c.turns}, c.separator);
        EXPECT_EQ(input.counts, c.counts) << c.typed.toStdString();
        EXPECT_EQ(input.counts ? input.label : input.message, c.labelOrMessage)
            << c.typed.toStdString();
    }
}

TEST(PositionInput, MemoryLabelOfCounts) {
    EXPECT_EQ(memoryLabel(0, Geometry{1000, 100}, ','), QStringLiteral("Memory: 0,00mm"));
    EXPECT_EQ(memoryLabel(25600, Geometry{1000, 100}, '.'), QStringLiteral("Memory: 250.00mm"));
    EXPECT_EQ(memoryLabel(-99999, Geometry{1000, 100}, '.'), QStringLiteral("Memory: -976.55mm"));
}

TEST(PositionInput, MillimetreTextOfTheReadout) {
    struct Case {
        double mm;
        QChar separator;
        QString text;
    };
    const Case cases[] = {
        {0.0, '.', "0.00"},
        {0.5, ',', "0,50"},
        {-0.001, '.', "0.00"},
        {250.0, ',', "250,00"},
        {-976.5527, '.', "-976.55"},
        {12345.678, '.', "12345.70"},
        {1234567.0, '.', "1234570.00"},
        {std::nan(""), '.', "0.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(millimetreText(c.mm, c.separator), c.text) << c.mm;
    }
}

} // namespace
} // namespace zuvo
