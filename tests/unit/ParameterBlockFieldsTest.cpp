#include "params/WordFields.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

TEST(FunctionFlags, DecodesEveryField) {
    struct Case {
        std::uint16_t word;
        FunctionFlags flags;
        int digitalOutput4Item;
    };
    const Case cases[] = {
        {0x07C5, {5, 0, 3, true, true, true}, 0},    // "20..4mA", "256", all three switches
        {0x0030, {0, 3, 0, false, false, false}, 0}, // 3 names no item: shown as item 0
        {0x0020, {0, 2, 0, false, false, false}, 2}, {0x0205, {5, 0, 0, false, true, false}, 0},
        {0x0080, {0, 0, 2, false, false, false}, 0}, // "128"
        {0xF808, {0, 0, 0, false, false, false}, 0}, // unused bits carry nothing
    };
    for (const auto& c : cases) {
        const FunctionFlags flags = FunctionFlags::fromWord(c.word);
        EXPECT_EQ(flags, c.flags) << std::hex << c.word;
        EXPECT_EQ(flags.digitalOutput4Item(), c.digitalOutput4Item) << std::hex << c.word;
    }
}

TEST(FunctionFlags, EncodesFieldsInTheirBits) {
    EXPECT_EQ((FunctionFlags{5, 0, 3, true, true, true}.toWord()), 0x07C5);
    EXPECT_EQ((FunctionFlags{5, 0, 0, false, true, false}.toWord()), 517);
    EXPECT_EQ((FunctionFlags{0, 2, 1, false, false, false}.toWord()), 0x0060);
    // An item beyond its field stays inside it instead of setting a neighbour's bit.
    EXPECT_EQ((FunctionFlags{9, 4, 4, false, false, false}.toWord()), 0x0001);
    for (unsigned word = 0; word <= 0x7FF; ++word) {
        if ((word & 0x8) == 0) {
            EXPECT_EQ(FunctionFlags::fromWord(static_cast<std::uint16_t>(word)).toWord(), word);
        }
    }
}

TEST(RushInDelays, RetractLowByteExtendHighByte) {
    EXPECT_EQ(RushInDelays::fromWord(0x0A0A), (RushInDelays{10, 10})); // both 1.0 s
    EXPECT_EQ((RushInDelays{10, 12}.toWord()), 3082);
    EXPECT_EQ((RushInDelays{3, 30}.toWord()), 0x1E03);
    EXPECT_EQ(RushInDelays::fromWord(0xFFFF), (RushInDelays{0x7F, 0x7F})); // bits 7, 15 unused
    EXPECT_EQ((RushInDelays{0xFF, 0x80}.toWord()), 0x007F);
}

} // namespace
} // namespace zuvo
