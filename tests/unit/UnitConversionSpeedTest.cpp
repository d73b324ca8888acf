#include "params/SpeedWord.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

constexpr auto Motor = SpeedSensor::MotorAxis;
constexpr auto Gear = SpeedSensor::GearUnit;

struct RpmCase {
    std::int32_t rpm;
    SpeedSensor sensor;
    std::uint16_t word;
};

TEST(SpeedWord, RpmToWord) {
    const RpmCase cases[] = {
        {1400, Motor, 9557},
        {1402, Motor, 9570},
        {100, Gear, 2731},
        {0, Motor, 0},
        {0, Gear, 0},
        {3600, Motor, 24576},
        {2, Gear, 54},  // 3.41 * 16 = 54.6; below 5 RPM the tens round to 0: no unit added
        {5, Gear, 137}, // 8.53 * 16 = 136.5, plus one unit
        // Beyond 16 bits the word saturates (682666 and 262500 would otherwise lose their high
        // bits and become far lower speeds); the largest speeds a word shows still convert back.
        {100000, Motor, 0xFFFF},
        {9613, Gear, 0xFFFF},
        {9600, Motor, 0xFFFF},
        {2400, Gear, 0xFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RpmToSpeedWord(c.rpm, c.sensor), c.word)
            << c.rpm << " RPM, gear unit " << (c.sensor == Gear);
    }
}

struct WordCase {
    std::uint16_t word;
    SpeedSensor sensor;
    std::int32_t rpm;
};

TEST(SpeedWord, WordToRpm) {
    const WordCase cases[] = {
        {9557, Motor, 1400},
        {9570, Motor, 1400},
        {2731, Gear, 100},
        {20480, Motor, 3000},
        {20480, Gear, 750},
        {0, Motor, 0},
        {0, Gear, 0},
        {65535, Motor, 9600}, // 38399.41 / 4 = 9599, + 2.5 -> 9601, to a
                              // multiple of 5
        {65535, Gear, 2400},  // 38399.41 / 16 + 0.5 = 2400.46
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeedWordToRpm(c.word, c.sensor), c.rpm)
            << "word " << c.word << ", gear unit " << (c.sensor == Gear);
    }
}

TEST(SpeedWord, EditorSpeedsReadBackUnchanged) {
    // The spinner steps by 50 on the motor axis and by 1 at the gear unit (below 150 RPM).
    for (std::int32_t rpm = 150; rpm <= 3600; rpm += 50) {
        EXPECT_EQ(SpeedWordToRpm(RpmToSpeedWord(rpm, Motor), Motor), rpm) << rpm;
    }
    for (std::int32_t rpm = 2; rpm < 150; ++rpm) {
        EXPECT_EQ(SpeedWordToRpm(RpmToSpeedWord(rpm, Gear), Gear), rpm) << rpm;
    }
}

} // namespace
} // namespace zuvo
