#include "params/AnalogRangeBar.h"
#include "params/SwitchRuler.h"

#include <gtest/gtest.h>

#include <limits>

namespace zuvo {
namespace {

TEST(AnalogRangeBar, HeightAndTopOnTheScale) {
    struct Case {
        int minimum, maximum, scale;
        int height, top;
    };
    const Case cases[] = {
        {200, 800, 1000, 120, 95},  {0, 1000, 1000, 200, 55},
        {0, 0, 1000, 0, 255},       {0, 333, 1000, 66, 188}, // 66.6 and 133.4 truncated
        {500, 500, 500, 0, 55},     {0, 0, 0, 0, 255}, // no stroke: no bar, and no division by zero
        {900, 800, 1000, 0, 95}, // minimum above maximum until the other bar follows
        {0, 65535, 65535, 200, 55},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(analogBarHeight(c.minimum, c.maximum, c.scale), c.height)
            << c.minimum << ".." << c.maximum << " of " << c.scale;
        EXPECT_EQ(analogBarTop(c.maximum, c.scale), c.top)
            << c.minimum << ".." << c.maximum << " of " << c.scale;
    }
}

TEST(SwitchRuler, TickPositions) {
    struct Case {
        double mm;
        std::int64_t stroke;
        std::optional<int> x;
    };
    const Case cases[] = {
        {500, 1000, 225},
        {1000, 1000, 450}, // just past the picture's last column
        {0, 1000, 0},
        {-1, 1000, 0},   // not set: at the start
        {-10, 100, -45}, // or left of it
        {123.45, 1000, 55},
        {100, 0, std::nullopt}, // no stroke, no tick
        {100, -5, std::nullopt},
        {1e300, 1000, std::numeric_limits<int>::max()},
        {std::numeric_limits<double>::quiet_NaN(), 1000, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rulerTickX(c.mm, 450, c.stroke), c.x) << c.mm << " mm of " << c.stroke;
    }
}

} // namespace
} // namespace zuvo
