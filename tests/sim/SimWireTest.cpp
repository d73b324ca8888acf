// The simulator's own wire rules, checked against literal bytes: its CRC, its hexadecimal
// fields, the older firmware's speed unit, the angle field's upper bits, line noise that looks
// like frame ends, and the bootloader that stays until the line is closed.
#include "sim/ProtocolEngine.h"
#include "sim/ReplyFaults.h"
#include "sim/SimProtocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>

using namespace zuvo::sim;

namespace {

const Clock::time_point t0{};

std::string answers(ProtocolEngine& engine, const std::string& input) {
    std::string out;
    for (const Bytes& reply :
         engine.receive(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), t0)) {
        out.append(reply.begin(), reply.end());
    }
    return out;
}

TEST(SimWire, TheBootloaderCrcHasItsCheckValues) {
    const std::string digits = "123456789";
    EXPECT_EQ(bootloaderCrc(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()),
              0x31C3);
    const Bytes filler(128, 0xFF);
    EXPECT_EQ(bootloaderCrc(filler.data(), filler.size()), 0xEDA9);
    Bytes counting(128);
    std::iota(counting.begin(), counting.end(), std::uint8_t{0});
    EXPECT_EQ(bootloaderCrc(counting.data(), counting.size()), 0xE80A);
    EXPECT_EQ(bootloaderCrc(nullptr, 0), 0);
}

TEST(SimWire, HexFieldsBothWays) {
    struct Case {
        std::uint32_t value;
        int width;
        const char* digits;
    } cases[] = {{0xABC, 4, "0ABC"}, {0x1F, 2, "1F"}, {0x12345, 4, "2345"}, {0, 8, "00000000"}};
    for (const Case& c : cases) {
        Bytes out;
        appendHexDigits(out, c.value, c.width);
        EXPECT_EQ(std::string(out.begin(), out.end()), c.digits);
    }
    EXPECT_EQ(hexDigitsValue("00fF"), 0xFFu);
    EXPECT_EQ(hexDigitsValue("FFFFFFFF"), 0xFFFFFFFFu);
    for (const char* bad : {"", "0G", " 1", "-1", "123456789"}) {
        EXPECT_EQ(hexDigitsValue(bad), std::nullopt) << bad;
    }
}

// Firmware before version 60 sends the speed in its older unit (RPM = word x 10000 / 1024).
TEST(SimWire, OlderFirmwareSendsItsOwnSpeedUnit) {
    struct Case {
        std::optional<int> version;
        const char* speed;
    } cases[] = {{std::nullopt, "0400"}, {60, "0400"}, {59, "003D"}, {-112, "003D"}};
    for (const Case& c : cases) {
        SimOptions o;
        o.rpm = 600;
        o.version = c.version;
        ProtocolEngine engine(o);
        EXPECT_EQ(answers(engine, "\x02RV\x03").substr(9, 4), c.speed) << c.version.value_or(0);
    }
}

TEST(SimWire, TheAngleFieldCanCarryTurnBits) {
    SimOptions o;
    o.rpm = 0;
    o.angleTurnBits = true;
    ProtocolEngine engine(o);
    engine.model().setPosition(5 * 1024 + 100);
    // Reed1 on at angle 100 (state 1), zone 0, 5 turns in the bits above the angle.
    EXPECT_EQ(answers(engine, "\x02RV\x03"), "\x02"
                                             "8001"
                                             "1464"
                                             "0000"
                                             "00001464"
                                             "10\x03");
    engine.model().setPosition(-1);
    EXPECT_EQ(answers(engine, "\x02RV\x03").substr(5, 4), "FFFF");
}

TEST(SimWire, NoiseCanLookLikeFrameEnds) {
    FaultConfig faults;
    faults.garbageBytes = 40;
    ReplyFaults plain;
    plain.configure(faults);
    const Bytes quiet = plain.noise(40);
    EXPECT_TRUE(std::all_of(quiet.begin(), quiet.end(), [](std::uint8_t b) { return b >= 0x80; }));

    faults.noiseLooksLikeFrames = true;
    ReplyFaults wild;
    wild.configure(faults);
    for (int burst = 0; burst < 5; ++burst) {
        const Bytes noise = wild.noise(40);
        ASSERT_EQ(noise.size(), 40u);
        for (std::uint8_t b : {0x02, 0x03, 0x05, 0x0D}) {
            EXPECT_NE(std::find(noise.begin(), noise.end(), b), noise.end())
                << "burst " << burst << " byte " << int(b);
        }
    }
}

// A literal block: number 1, 128 bytes 0xFF, CRC ED A9.
TEST(SimWire, TheBootloaderTakesALiteralBlockAndRefusesABadCrc) {
    Bytes good{0x01, 0x01, 0xFE};
    good.insert(good.end(), 128, 0xFF);
    good.push_back(0xED);
    good.push_back(0xA9);
    Bytes bad = good;
    bad.back() = 0xAA;

    ProtocolEngine engine(SimOptions{});
    EXPECT_EQ(answers(engine, "\x02"
                              "FL\x03"),
              "C");
    EXPECT_EQ(answers(engine, std::string(bad.begin(), bad.end())), "\x15");
    EXPECT_EQ(answers(engine, std::string(good.begin(), good.end())), "\x06");
    EXPECT_EQ(engine.bootloader().blocksAccepted(), 1);
    EXPECT_EQ(answers(engine, "\x04"), "\x06");
    EXPECT_FALSE(engine.bootloader().active());
}

// A cancelled update: the program polls again, but a real controller stays in its bootloader
// and ignores the frames until the line is closed; one that is not sticky leaves at once.
TEST(SimWire, AStickyBootloaderStaysUntilTheLineIsClosed) {
    for (bool sticky : {false, true}) {
        SimOptions o;
        o.rpm = 0;
        o.stickyBootloader = sticky;
        ProtocolEngine engine(o);
        ASSERT_EQ(answers(engine, "\x02"
                                  "FL\x03"),
                  "C");
        const std::string poll = answers(engine, "\x02RV\x03");
        EXPECT_EQ(poll.empty(), sticky);
        EXPECT_EQ(engine.bootloader().active(), sticky);
        engine.bootloader().lineClosed();
        EXPECT_FALSE(engine.bootloader().active());
        EXPECT_EQ(answers(engine, "\x02RV\x03").size(), 24u) << sticky;
    }
}

} // namespace
