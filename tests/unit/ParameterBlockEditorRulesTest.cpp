#include "params/ComboIndex.h"
#include "params/StrokeAndTurns.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

TEST(ComboIndex, FindsTheFirstEqualItemWithinTheSearch) {
    struct Case {
        QStringList items;
        QString text;
        int limit;
        int index;
    };
    const Case cases[] = {
        {AnalogFunctionItems, "20..4mA", AnalogFunctionSearchLimit, 5},
        {AnalogFunctionItems, "0..10V", AnalogFunctionSearchLimit, 0},
        {DigitalOutput4Items, "PWM : max..0", DigitalOutput4SearchLimit, 2},
        {ImpulseItems, "128", ImpulseSearchLimit, 2},
        {ImpulseItems, "256", ImpulseSearchLimit, 3},
        {ImpulseItems, "256", 3, 0},                                    // beyond the limit
        {AnalogFunctionItems, "4..20MA", AnalogFunctionSearchLimit, 0}, // case matters
        {DigitalOutput4Items, "", DigitalOutput4SearchLimit, 0},        // empty box
        {{"a", "", "c"}, "c", 10, 0},                                   // stops at an empty item
        {{"a", "b", "b"}, "b", 10, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(comboItemIndex(c.items, c.text, c.limit), c.index) << c.text.toStdString();
    }
}

TEST(StrokeAndTurns, StrokeSpinner) {
    struct Case {
        std::int64_t stroke;
        bool up;
        std::int64_t after;
    };
    const Case cases[] = {
        {9950, true, 10000}, {9900, true, 10000}, {10000, true, 10000}, {20000, true, 10000},
        {1000, true, 1100},  {150, false, 100},   {100, false, 100},    {50, false, 100},
        {250, false, 150},   {1000, false, 900},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(strokeAfterSpin(c.stroke, c.up), c.after) << c.stroke << (c.up ? " up" : " down");
    }
}

TEST(StrokeAndTurns, TurnsSpinnerAndTypedTurns) {
    struct Case {
        std::int64_t turns;
        bool up;
        std::int64_t after;
    };
    const Case cases[] = {{5, false, 5},      {3, false, 5},      {6, false, 5},
                          {100, true, 101},   {5999, true, 6000}, {6000, true, 6000},
                          {7000, true, 6000}, {100, false, 99}};
    for (const auto& c : cases) {
        EXPECT_EQ(turnsAfterSpin(c.turns, c.up), c.after) << c.turns << (c.up ? " up" : " down");
    }
    EXPECT_EQ(boundedTurns(7000), 6000);
    EXPECT_EQ(boundedTurns(6000), 6000);
    EXPECT_EQ(boundedTurns(12), 12);
}

} // namespace
} // namespace zuvo
