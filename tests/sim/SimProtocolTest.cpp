// The controller's answers to every request, byte for byte, without a pseudo-terminal.
#include "sim/ProtocolEngine.h"

#include <gtest/gtest.h>

#include <string>

using namespace zuvo::sim;

namespace {

const Clock::time_point t0{};

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// All answers to `input`, concatenated, and how many there were.
struct Answers {
    std::string bytes;
    std::size_t count = 0;
};

Answers feed(ProtocolEngine& engine, const std::string& input, Clock::time_point now = t0) {
    Answers a;
    for (const Bytes& reply :
         engine.receive(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), now)) {
        a.bytes += text(reply);
        ++a.count;
    }
    return a;
}

SimOptions standing() {
    SimOptions o;
    o.rpm = 0;
    return o;
}

std::string frame(const std::string& payload) {
    return "\x02" + payload + "\x03";
}

} // namespace

struct StatusCase {
    const char* name;
    bool status28;
    int rpm;
    std::int32_t position;
    std::string expected;
};

class SimStatusReply : public ::testing::TestWithParam<StatusCase> {};

TEST_P(SimStatusReply, FieldsAtTheirOffsets) {
    const StatusCase& c = GetParam();
    SimOptions o = standing();
    o.status28 = c.status28;
    o.rpm = c.rpm;
    ProtocolEngine engine(o);
    engine.model().setPosition(c.position);
    // The first request only starts the clock, so the cylinder has not moved yet.
    const Answers a = feed(engine, frame("RV"));
    EXPECT_EQ(a.count, 1u);
    EXPECT_EQ(a.bytes, c.expected);
    EXPECT_EQ(a.bytes.size(), c.status28 ? 28u : 24u);
    // QS (relay test) is answered with the same status.
    EXPECT_EQ(feed(engine, frame("QS01")).bytes, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    SimCases, SimStatusReply,
    ::testing::Values(
        // Retracted, both reeds off, zone 0, temperature bit set.
        StatusCase{"Home", false, 0, 0,
                   frame("0000"
                         "0000"
                         "0000"
                         "00000000"
                         "10")},
        // Angle 200: both reeds on after two edges; past switch position 1 (20480): zone 1.
        StatusCase{"BothReedsZone1", false, 0, 20480 + 200,
                   frame("C102"
                         "00C8"
                         "0000"
                         "000050C8"
                         "10")},
        // Angle 100: Reed1 alone on; 28 bytes carry 0x50C8 >> 10 = 20 turns before the inputs.
        StatusCase{"TurnCount", true, 0, 20480 + 100,
                   frame("8101"
                         "0064"
                         "0000"
                         "00005064"
                         "0014"
                         "10")},
        // -1: angle 1023 after the last edge (state back to 0), turns FFFF.
        StatusCase{"MinusOne", true, 0, -1,
                   frame("0000"
                         "03FF"
                         "0000"
                         "FFFFFFFF"
                         "FFFF"
                         "10")},
        // 600 RPM is the raw speed 1024.
        StatusCase{"Speed", false, 600, 0,
                   frame("0000"
                         "0000"
                         "0400"
                         "00000000"
                         "10")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimProtocol, SensorWordsAreTheEightReedEdges) {
    ProtocolEngine engine(standing());
    const Answers a = feed(engine, frame("RX"));
    EXPECT_EQ(a.bytes, frame("0040"
                             "0140"
                             "0240"
                             "0340"
                             "00C0"
                             "01C0"
                             "02C0"
                             "03C0"));
    EXPECT_EQ(a.bytes.size(), 34u);
}

TEST(SimProtocol, ParameterBlockHoldsTheWordsThenBothCalibrationPoints) {
    ProtocolEngine engine(standing());
    const std::string expected = frame("0000"
                                       "03E8"
                                       "03E8"
                                       "0000"
                                       "000A"
                                       "0001"
                                       "0002"
                                       "0004"
                                       "0008"
                                       "0010"
                                       "0000"
                                       "0000"
                                       "0000"
                                       "0000"
                                       "0A0A"
                                       "2555"
                                       "0000"
                                       "0000"
                                       "9000"
                                       "0001"
                                       "5000"
                                       "0000"
                                       "A000"
                                       "0000"
                                       "F000"
                                       "0000"
                                       "4000"
                                       "0001"
                                       "FFFF"
                                       "FFFF"
                                       "FFFF"
                                       "FFFF"
                                       "FFFF"
                                       "FFFF"
                                       "FFFF"
                                       "FFFF"
                                       "03E8"
                                       "00C8");
    EXPECT_EQ(expected.size(), 74u + 4 * 20);
    EXPECT_EQ(feed(engine, frame("PV")).bytes, expected);
    EXPECT_EQ(feed(engine, frame("PX")).bytes, expected);
}

TEST(SimProtocol, ParameterBlockGrowsWithTheExtraWords) {
    SimOptions o = standing();
    o.extraWords = 21;
    ProtocolEngine engine(o);
    engine.model().setWord(36, 0x8000);
    const std::string reply = feed(engine, frame("PV")).bytes;
    ASSERT_EQ(reply.size(), 78u + 4 * 20);
    EXPECT_EQ(reply.substr(1 + 4 * 36, 12), "800003E800C8");
}

TEST(SimProtocol, WritesAreStoredAndAcknowledged) {
    ProtocolEngine engine(standing());
    EXPECT_EQ(feed(engine, frame("SP0500C8")).bytes, "\x05");
    EXPECT_EQ(engine.model().word(5), 0x00C8);
    EXPECT_EQ(feed(engine, frame("SP00FFE0")).bytes, "\x05");
    EXPECT_EQ(engine.model().word(0), 0xFFE0);
    EXPECT_EQ(feed(engine, frame("SP3203E8") + frame("SP330000")).bytes, "\x05\x05");
    EXPECT_EQ(engine.model().word(0x32), 1000);
    EXPECT_EQ(engine.model().word(0x33), 0);
    const std::string block = feed(engine, frame("PV")).bytes;
    EXPECT_EQ(block.substr(block.size() - 9), "03E80000\x03");
    // SA carries the angle and the turns; the 0x00 after it is no request.
    EXPECT_EQ(feed(engine, frame("SA3FFFFFF") + std::string(1, '\0')).bytes, "\x05");
    EXPECT_EQ(engine.model().position(), -1);
    EXPECT_EQ(feed(engine, frame("SA1230005") + std::string(1, '\0')).bytes, "\x05");
    EXPECT_EQ(engine.model().position(), 5 * 1024 + 0x123);
    EXPECT_EQ(engine.model().status().reedTurns, 5);
}

TEST(SimProtocol, MalformedRequestsAreIgnored) {
    ProtocolEngine engine(standing());
    const std::uint16_t before = engine.model().word(5);
    const std::int32_t at = engine.model().position();
    for (const std::string& bad :
         {frame("SP05G0C8"), frame("SP0500C"), frame("SA4000000"), frame("SA3FF-001"), frame("QS"),
          frame("ZZ"), frame("RVRVRVRVRVRV"), std::string("RV\x03")}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(feed(engine, bad).count, 0u);
    }
    EXPECT_EQ(engine.model().word(5), before);
    EXPECT_EQ(engine.model().position(), at);
    EXPECT_EQ(engine.requestCount(), 0u);
}

TEST(SimProtocol, FramingSurvivesPiecesNoiseAndRestarts) {
    ProtocolEngine engine(standing());
    EXPECT_EQ(feed(engine, "\x02R").count, 0u);
    EXPECT_EQ(feed(engine, "V\x03").count, 1u);
    // Noise in front, an STX that restarts a broken frame, two requests in one piece.
    EXPECT_EQ(feed(engine, "\xF0\x7F\x02SP05\x02RV\x03").bytes.size(), 24u);
    const Answers two = feed(engine, frame("SP0100FA") + frame("RX"));
    EXPECT_EQ(two.count, 2u);
    EXPECT_EQ(two.bytes.size(), 1u + 34u);
    EXPECT_EQ(engine.model().word(1), 0xFA);
    const std::vector<std::string> expected{"RV", "RV", "SP0100FA", "RX"};
    EXPECT_EQ(std::vector<std::string>(engine.requests().begin(), engine.requests().end()),
              expected);
}

TEST(SimProtocol, TestDataLinesCountStrokesAndReset) {
    SimOptions o;
    o.rpm = 600; // 10240 counts per second; the stroke is 102400 counts
    ProtocolEngine engine(o);
    feed(engine, frame("RV"), t0);
    EXPECT_EQ(feed(engine, frame("RE"), t0 + std::chrono::seconds(35)).bytes,
              "STRK03\rOVLD00\rTMAX41\rZUVO SIM\r");
    EXPECT_EQ(feed(engine, frame("RE"), t0 + std::chrono::seconds(36)).bytes,
              "STRK00\rOVLD00\rTMAX41\rZUVO SIM\r");
}

TEST(SimProtocol, CylinderTravelsBetweenZeroAndItsStroke) {
    SimOptions o;
    o.rpm = 600;
    ProtocolEngine engine(o);
    ControllerModel& m = engine.model();
    m.advanceTo(t0);
    struct Step {
        int ms;
        std::int32_t position;
    } steps[] = {
        {1000, 10240}, {10000, 102400},        {11000, 92160}, {20000, 0},
        {20500, 5120}, {1000000 + 20500, 5120}}; // long gaps: whole round trips change nothing
    for (const Step& s : steps) {
        m.advanceTo(t0 + std::chrono::milliseconds(s.ms));
        EXPECT_EQ(m.position(), s.position) << s.ms << " ms";
    }
    // A shorter stroke: the cylinder stops at the new end and turns there.
    m.setWord(2, 10); // one turn
    m.advanceTo(t0 + std::chrono::milliseconds(1000000 + 20600));
    EXPECT_GE(m.position(), 0);
    EXPECT_LE(m.position(), 1024);
}

TEST(SimProtocol, ZoneFollowsTheSetSwitchPositions) {
    ProtocolEngine engine(standing());
    ControllerModel& m = engine.model();
    struct Case {
        std::int32_t position;
        int zone;
    } cases[] = {{-5, 0}, {20479, 0}, {20480, 1}, {61440, 3}, {81920, 4}, {2000000, 4}};
    for (const Case& c : cases) {
        m.setPosition(c.position);
        EXPECT_EQ(m.zone(), c.zone) << c.position;
        EXPECT_EQ(m.status().status & 0x0F, c.zone);
    }
    // A position that is not set ends the count even when later ones are set.
    m.setWord(23, 0xFFFF);
    m.setPosition(61440);
    EXPECT_EQ(m.zone(), 1);
}

TEST(SimProtocol, FlashModeHandsTheLineToTheBootloader) {
    ProtocolEngine engine(standing());
    EXPECT_EQ(feed(engine, frame("FL")).bytes, "C");
    EXPECT_TRUE(engine.bootloader().active());
    // Polls between blocks mean the program gave up: back to normal service.
    EXPECT_EQ(feed(engine, frame("RV")).bytes.size(), 24u);
    EXPECT_FALSE(engine.bootloader().active());
}

TEST(SimProtocol, UnsolicitedFrames) {
    EXPECT_EQ(text(versionFrame(60)), "\x02V<\x03");
    EXPECT_EQ(versionFrame(-112), (Bytes{0x02, 'V', 0x90, 0x03}));
    EXPECT_EQ(text(captionLine("#ZUVO")), "#ZUVO\r");
}
