#include "device/StatusDecoding.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace zuvo {
namespace {

TEST(StatusDecoding, SpeedFollowsTheFirmwareRuleAndTheSensorPosition) {
    struct Case {
        std::uint16_t raw;
        std::uint8_t version;
        bool motorAxis;
        int rpm;
        std::uint8_t versionAfter;
    };
    const Case cases[] = {
        {700, 0, true, 410, 60},   // 420000 / 1024 = 410.15: fine unit, proves version 60
        {700, 0, false, 410, 60},  //
        {500, 0, true, 4880, 0},   // 5000000 / 1024 = 4882.8 in the coarse unit
        {500, 0, false, 4882, 0},  //
        {500, 60, false, 292, 60}, // the same raw value in the fine unit
        {600, 0, false, 351, 0},   // exactly 600: fine unit, version unchanged
        {601, 59, false, 352, 60}, //
        {601, 61, false, 352, 61}, // a newer version stays
        {6, 60, false, 0, 60},     // 3.5 RPM: standing
        {7, 60, false, 4, 60},     // 4.1 RPM: moving
        {7, 60, true, 0, 60},      // rounded down to the 5-RPM step
        {0, 0, false, 0, 0},       //
        {65535, 60, false, 38399, 60},
    };
    for (const auto& c : cases) {
        const SpeedReading r = speedRpm(c.raw, c.version, c.motorAxis);
        EXPECT_EQ(r.rpm, c.rpm) << c.raw << " v" << int(c.version) << " axis " << c.motorAxis;
        EXPECT_EQ(r.firmwareVersion, c.versionAfter) << c.raw << " v" << int(c.version);
    }
}

TEST(StatusDecoding, PositionAsStrokeFractionAndMillimetres) {
    struct Case {
        std::int32_t counts;
        int turns;
        double stroke;
        double fraction;
        double mm;
    };
    const Case cases[] = {
        {-1, 100, 1000.0, -1.0 / 102400, -1000.0 / 102400},
        {102400, 100, 1000.0, 1.0, 1000.0},
        {51200, 100, 500.0, 0.5, 250.0},
        {153600, 100, 1000.0, 1.5, 1500.0}, // beyond the set stroke
        {51200, 0, 1000.0, 0.0, 0.0},       // revolutions not known yet
        {51200, -3, 1000.0, 0.0, 0.0},
        {INT32_MIN, 1, 1.0, -2097152.0, -2097152.0},
        {1, 2000000, 1000.0, 1.0 / 2048000000.0, 1000.0 / 2048000000.0}, // no overflow
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(strokeFraction(c.counts, c.turns), c.fraction) << c.counts;
        EXPECT_DOUBLE_EQ(positionMm(c.counts, c.turns, c.stroke), c.mm) << c.counts;
    }
}

TEST(StatusDecoding, AngleDigitAndRevolutions) {
    EXPECT_EQ(winkelDigit(0x13FF, 5, false), 0x3FFu);
    EXPECT_EQ(winkelDigit(0x13FF, 1025, true), 1u);
    EXPECT_EQ(winkelDigit(0x0000, -1, true), 1023u);
    EXPECT_EQ(sensorRevolutions(1024), 1);
    EXPECT_EQ(sensorRevolutions(1023), 0);
    EXPECT_EQ(sensorRevolutions(-1), -1);
    EXPECT_EQ(sensorRevolutions(-1025), -2);
}

TEST(StatusDecoding, StatusByteBitsAndZone) {
    struct Case {
        std::uint8_t status;
        bool reed1, reed2, misaligned, bit5;
        std::uint8_t zone;
    };
    const Case cases[] = {
        {0xC3, true, true, false, false, 3},  {0x20, false, false, true, true, 0},
        {0x10, false, false, true, false, 0}, {0x8F, true, false, false, false, 15},
        {0x48, false, true, false, false, 8},
    };
    for (const auto& c : cases) {
        const StatusBits b = decodeStatusBits(c.status);
        EXPECT_EQ(b.reed1, c.reed1) << int(c.status);
        EXPECT_EQ(b.reed2, c.reed2) << int(c.status);
        EXPECT_EQ(b.sensorMisaligned, c.misaligned) << int(c.status);
        EXPECT_EQ(b.misalignedBit5, c.bit5) << int(c.status);
        EXPECT_EQ(b.zone, c.zone) << int(c.status);
    }
    EXPECT_EQ(zoneToDraw(decodeStatusBits(0xC3), 10), 3);            // first valid zone after start
    EXPECT_EQ(zoneToDraw(decodeStatusBits(0xC3), 3), std::nullopt);  // unchanged
    EXPECT_EQ(zoneToDraw(decodeStatusBits(0x08), 3), 8);             //
    EXPECT_EQ(zoneToDraw(decodeStatusBits(0x09), 3), std::nullopt);  // 9..15 are no zones
    EXPECT_EQ(zoneToDraw(decodeStatusBits(0x0F), 10), std::nullopt); //
}

TEST(StatusDecoding, InputBits) {
    struct Case {
        std::uint8_t inputs;
        bool s1, s2, in1, in3, temperature, in2, panel;
    };
    const Case cases[] = {
        {0x10, false, false, false, false, false, false, false}, // every LED off
        {0x00, false, false, false, false, true, false, false},  // only the temperature LED
        {0x01, true, false, false, false, true, false, false},
        {0x02, false, true, false, false, true, false, false},
        {0x04, false, false, true, false, true, false, false},
        {0x08, false, false, false, true, true, false, false},
        {0x20, false, false, false, false, true, true, false},
        {0x40, false, false, false, false, true, false, true},
        {0xFF, true, true, true, true, false, true, true},
    };
    for (const auto& c : cases) {
        const InputStates s = decodeInputs(c.inputs);
        EXPECT_EQ(s.pushButtonS1, c.s1) << int(c.inputs);
        EXPECT_EQ(s.pushButtonS2, c.s2) << int(c.inputs);
        EXPECT_EQ(s.input1, c.in1) << int(c.inputs);
        EXPECT_EQ(s.input3, c.in3) << int(c.inputs);
        EXPECT_EQ(s.temperatureLed, c.temperature) << int(c.inputs);
        EXPECT_EQ(s.input2, c.in2) << int(c.inputs);
        EXPECT_EQ(s.panelWarning, c.panel) << int(c.inputs);
    }
}

} // namespace
} // namespace zuvo
