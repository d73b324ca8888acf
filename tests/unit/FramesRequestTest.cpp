#include "device/RequestFrames.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

TEST(RequestFrames, AreExactBytes) {
    struct Case {
        const char* name;
        Frame frame;
        Frame bytes;
    };
    const Case cases[] = {
        {"RV", pollFrame('R', 'V'), {0x02, 0x52, 0x56, 0x03}},
        {"RX", pollFrame('R', 'X'), {0x02, 0x52, 0x58, 0x03}},
        {"PV", pollFrame('P', 'V'), {0x02, 0x50, 0x56, 0x03}},
        {"PX", pollFrame('P', 'X'), {0x02, 0x50, 0x58, 0x03}},
        {"QS Relais1", relayTestFrame(1), {0x02, 0x51, 0x53, 0x30, 0x31, 0x03}},
        {"QS Relais2", relayTestFrame(2), {0x02, 0x51, 0x53, 0x30, 0x32, 0x03}},
        {"SP 05 00C8",
         writeWordFrame(5, 0x00C8),
         {0x02, 0x53, 0x50, 0x30, 0x35, 0x30, 0x30, 0x43, 0x38, 0x03}},
        {"SP 33 03FF upper case",
         writeWordFrame(kCalibration4mAIndex, 0x03FF),
         {0x02, 'S', 'P', '3', '3', '0', '3', 'F', 'F', 0x03}},
        {"SP 24 FFFF",
         writeWordFrame(0x24, 0xFFFF),
         {0x02, 'S', 'P', '2', '4', 'F', 'F', 'F', 'F', 0x03}},
        {"RE", testDataFrame(), {0x02, 0x52, 0x45, 0x03}},
        {"FL", bootloaderFrame(), {0x02, 0x46, 0x4C, 0x03}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.frame, c.bytes) << c.name;
    }
}

TEST(RequestFrames, ZeroPositionWordCarriesAngleAndDirection) {
    struct Case {
        std::uint32_t angle;
        bool counterClockwise;
        std::uint16_t word;
    };
    const Case
        cases[] =
            {
                {1023, true, 0xFFE0},  {1023, false, 0x7FE0}, {0, true, 0x8000},
                {0, false, 0x0000},    {1, false, 0x0020},    {512, false, 0x4000},
                {1024, false, 0x0000}, // only the 10-bit digit counts; bit 15 stays the direction's
            };
    for (const auto& c : cases) {
        EXPECT_EQ(zeroPositionWord(c.angle, c.counterClockwise), c.word)
            << c.angle << (c.counterClockwise ? " ccw" : " cw");
    }
    EXPECT_EQ(writeWordFrame(kZeroWordIndex, zeroPositionWord(1023, true)),
              (Frame{0x02, 'S', 'P', '0', '0', 'F', 'F', 'E', '0', 0x03}));
}

TEST(RequestFrames, SetPositionSplitsCountsAndEndsWithAZeroByte) {
    struct Case {
        std::int32_t counts;
        const char* fields; // 3 hex of the angle, 4 hex of the revolutions
    };
    const Case cases[] = {
        {-1, "3FFFFFF"},    {0, "0000000"},
        {1025, "0010001"},  {0x12345678, "2788D15"}, // bits above the 26th are not sent
        {-1024, "000FFFF"}, {INT32_MIN, "0000000"},
    };
    for (const auto& c : cases) {
        const Frame frame = setPositionFrame(c.counts);
        ASSERT_EQ(frame.size(), 12u) << c.counts;
        EXPECT_EQ(std::string(frame.begin() + 1, frame.begin() + 3), "SA");
        EXPECT_EQ(std::string(frame.begin() + 3, frame.begin() + 10), c.fields) << c.counts;
        EXPECT_EQ(frame[0], 0x02);
        EXPECT_EQ(frame[10], 0x03);
        EXPECT_EQ(frame[11], 0x00);
    }
}

} // namespace
} // namespace zuvo
