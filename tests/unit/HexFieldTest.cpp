#include "device/HexField.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

TEST(HexField, WritesUpperCasePaddedToWidth) {
    struct Case {
        std::uint32_t value;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {0x00C8, 4, "00C8"}, {0, 4, "0000"}, {0x3FF, 3, "3FF"},           {0xFFFF, 4, "FFFF"},
        {0xabc, 2, "ABC"},   {0x5, 2, "05"}, {0xFFFFFFFF, 8, "FFFFFFFF"}, {0, 0, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexField(c.value, c.width), c.text) << c.value << "/" << c.width;
    }
}

TEST(HexField, ReadsLikeAPrefixedIntegerConversion) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"00C8", 0xC8},
        {"00c8", 0xC8},   // lower case reads like upper case
        {"FFFF", 65535},  // a 4-digit field is never negative
        {"FFFFFFFF", -1}, // 8 digits: 32-bit two's complement
        {"80000000", INT32_MIN},
        {"000000001", 1},            // leading zeros do not overflow
        {"100000000", std::nullopt}, // wider than 32 bits
        {"", std::nullopt},
        {"0G00", std::nullopt},
        {" 123", std::nullopt},
        {"12 3", std::nullopt},
        {"-1", std::nullopt},
        {"0x12", std::nullopt}, // the prefix is ours, not the field's
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readHexField(std::string_view(c.text)), c.value) << '"' << c.text << '"';
    }
}

TEST(HexField, ReadsInsideAFrameAndRefusesFieldsPastItsEnd) {
    const std::uint8_t frame[] = {0x02, '1', '2', 'a', 'B', 0x03};
    EXPECT_EQ(readHexField(frame, sizeof frame, 1, 4), 0x12AB);
    EXPECT_EQ(readHexField(frame, sizeof frame, 3, 2), 0xAB);
    EXPECT_EQ(readHexField(frame, sizeof frame, 4, 4), std::nullopt);
    EXPECT_EQ(readHexField(frame, sizeof frame, 7, 1), std::nullopt);
    EXPECT_EQ(readHexField(frame, sizeof frame, 0, 1), std::nullopt); // STX is no digit
}

} // namespace
} // namespace zuvo
