#include "params/UnitConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zuvo {
namespace {

constexpr Geometry Standard{1000, 100}; // L = 1000 mm, T = 100
constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

struct CountsCase {
    double mm;
    Geometry geometry;
    std::int64_t editor; // EditorCounts
    std::int64_t file;   // FileCounts
};

TEST(UnitConversion, PositionToCounts) {
    const CountsCase cases[] = {
        // The editor cuts the 0,75 mm off; the file loader keeps them (30797.3 + 0.5).
        {300.75, Standard, 30720, 30797},
        {-1, Standard, -101, -101}, // (-102400 div 1000) + 1; trunc(-102.4 + 0.5)
        {1000, Standard, 102400, 102400},
        {0, Standard, 0, 0},
        {0.99, Standard, 0, 101},
        {100, {500, 60}, 12288, 12288},
        {-250.5, Standard, -25599, -25650}, // -25600 + 1; trunc(-25651.2 + 0.5)
        // "Not set" follows the sign of the millimetres, also where the counts would round to 0.
        {-1, {2000, 1}, -1, -1},
        {-0.5, Standard, -1, -50},
        {-0.001, Standard, -1, -1},
        // What no edit should hold still converts without overflow.
        {Nan, Standard, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EditorCounts(c.mm, c.geometry), c.editor) << c.mm << " mm";
        EXPECT_EQ(FileCounts(c.mm, c.geometry), c.file) << c.mm << " mm";
    }
}

TEST(UnitConversion, HugePositionsSaturateInsteadOfOverflowing) {
    EXPECT_EQ(*EditorCounts(1e308, Standard), 102400000000000); // bounded to 1e12 mm
    EXPECT_GT(*FileCounts(1e308, Standard), 0);
    EXPECT_LT(*FileCounts(-Inf, Standard), 0);
    EXPECT_LT(*EditorCounts(-Inf, Standard), 0);
    EXPECT_EQ(*EditorCounts(std::numeric_limits<std::int64_t>::max(), Standard),
              *EditorCounts(1e308, Standard));
}

TEST(UnitConversion, WholeMillimetresFromTrackBars) {
    EXPECT_EQ(EditorCounts(std::int64_t{1000}, Standard), 102400);
    EXPECT_EQ(EditorCounts(std::int64_t{250}, Geometry{500, 60}), 30720);
    EXPECT_EQ(EditorCounts(std::int64_t{-1}, Geometry{2000, 1}), -1);
    // 10000 mm over 6000 turns is 61440000000 counts: no 32-bit overflow on the way.
    EXPECT_EQ(EditorCounts(std::int64_t{10000}, Geometry{10000, 6000}), 6144000);
    EXPECT_EQ(EditorCounts(std::int64_t{7000}, Geometry{10000, 6000}), 4300800);
}

TEST(UnitConversion, NoCountsWithoutAValidGeometry) {
    const Geometry invalid[] = {{0, 100},  {-1000, 100}, {65536, 100},
                                {1000, 0}, {1000, -5},   {1000, 6001}};
    for (const auto& g : invalid) {
        EXPECT_FALSE(g.valid()) << g.strokeMm << " mm, " << g.turns << " turns";
        EXPECT_EQ(EditorCounts(100.0, g), std::nullopt);
        EXPECT_EQ(EditorCounts(std::int64_t{100}, g), std::nullopt);
        EXPECT_EQ(FileCounts(100.0, g), std::nullopt);
        EXPECT_EQ(HysteresisCounts(0.1, g), std::nullopt);
    }
    EXPECT_TRUE((Geometry{1, 1}.valid()));
    EXPECT_TRUE((Geometry{65535, 6000}.valid()));
}

TEST(UnitConversion, HysteresisToCounts) {
    const std::pair<double, std::uint16_t> cases[] = {
        {0.10, 10},             // trunc(10.24 + 0.5)
        {0.0, 0},    {0.01, 1}, // 1.024 + 0.5
        {0.004, 0},             // 0.41 + 0.5
        {700, 6144},            // 71680 counts, only the low 16 bits are kept
    };
    for (const auto& [mm, word] : cases) {
        EXPECT_EQ(HysteresisCounts(mm, Standard), word) << mm << " mm";
    }
    EXPECT_EQ(HysteresisCounts(0.25, Geometry{500, 60}), 31); // 30.72 + 0.5
}

TEST(UnitConversion, ReceivedGeometryReplacesZeros) {
    EXPECT_EQ(receivedGeometry(1000, 1000), (ReceivedGeometry{1000, 1000, 100}));
    EXPECT_EQ(receivedGeometry(0, 0), (ReceivedGeometry{1, 10, 1}));
    EXPECT_EQ(receivedGeometry(1000, 5), (ReceivedGeometry{1000, 5, 0}));
    EXPECT_EQ(receivedGeometry(1000, 65535), (ReceivedGeometry{1000, 65535, 6000}));
}

TEST(UnitConversion, ReceivedCountsToMillimetres) {
    const ReceivedGeometry standard = receivedGeometry(1000, 1000);
    EXPECT_EQ(CountsToMm(30720, standard), 300.0L);
    EXPECT_EQ(CountsToMm(0, standard), 0.0L);
    EXPECT_NEAR(static_cast<double>(CountsToMm(30797, standard)), 300.752, 0.001);
    // Word 2 is used with its tenths: 100.5 revolutions.
    EXPECT_NEAR(static_cast<double>(CountsToMm(30720, receivedGeometry(1000, 1005))), 298.507,
                0.001);
    // A gear word of 5 (half a revolution) still converts.
    EXPECT_EQ(CountsToMm(512, receivedGeometry(1000, 5)), 1000.0L);
    // Filled by hand with zeros, the same replacements apply.
    EXPECT_EQ(CountsToMm(1024, ReceivedGeometry{0, 0, 0}), 1.0L);

    EXPECT_EQ(AnalogCountsToMm(102400, standard), 1000);
    EXPECT_EQ(AnalogCountsToMm(102399, standard), 999);
    EXPECT_EQ(AnalogCountsToMm(-1, standard), 0);
    EXPECT_EQ(AnalogCountsToMm(-103, standard), -1);
    EXPECT_EQ(AnalogCountsToMm(20480, receivedGeometry(1000, 1005)), 200); // T = 100, as shown
    EXPECT_EQ(AnalogCountsToMm(512, receivedGeometry(1000, 5)), 1000);
    EXPECT_EQ(AnalogCountsToMm(std::numeric_limits<std::int64_t>::max(), standard),
              std::numeric_limits<std::int64_t>::max() / 102400 * 1000 +
                  std::numeric_limits<std::int64_t>::max() % 102400 * 1000 / 102400);

    EXPECT_EQ(HysteresisMm(10, standard), 0.09765625L); // shown as 0.1
    EXPECT_EQ(HysteresisMm(0, standard), 0.0L);
    EXPECT_EQ(HysteresisMm(512, receivedGeometry(1000, 5)), 1000.0L);
}

} // namespace
} // namespace zuvo
