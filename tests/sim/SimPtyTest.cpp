// The simulator on a real pseudo-terminal: answers, reopening, pacing, faults, hang-up, and a
// whole firmware update.
#include "PtyClient.h"
#include "sim/SimProtocol.h"
#include "sim/Simulator.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

using namespace zuvo::sim;
using namespace zuvo::sim::test;
using namespace std::chrono_literals;

namespace {

SimOptions standing() {
    SimOptions o;
    o.rpm = 0;
    return o;
}

std::string xmodemBlock(std::uint8_t number, const std::string& data) {
    std::string b{'\x01', static_cast<char>(number), static_cast<char>(255 - number)};
    b += data;
    const auto crc = bootloaderCrc(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    b += static_cast<char>(crc >> 8);
    b += static_cast<char>(crc & 0xFF);
    return b;
}

} // namespace

TEST(SimPty, AnswersRequestsAndLogsThem) {
    Simulator sim(standing());
    sim.start();
    PtyClient port(sim.slavePath());
    ASSERT_TRUE(port.isOpen());
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 2s), frame("0000"
                                       "0000"
                                       "0000"
                                       "00000000"
                                       "10"));
    ASSERT_TRUE(port.send(frame("SP0500C8")));
    EXPECT_EQ(port.read(1, 2s), "\x05");
    EXPECT_EQ(sim.parameterWord(5), 0x00C8);
    EXPECT_EQ(sim.bytesReceived(), 14u);
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"RV", "SP0500C8"}));
    const std::string raw = frame("RV") + frame("SP0500C8");
    EXPECT_EQ(sim.receivedBytes(), std::vector<std::uint8_t>(raw.begin(), raw.end()));
}

TEST(SimPty, ProgramMayCloseAndReopenThePort) {
    Simulator sim(standing());
    sim.start();
    for (int round = 0; round < 3; ++round) {
        PtyClient port(sim.slavePath());
        ASSERT_TRUE(port.isOpen()) << round;
        ASSERT_TRUE(port.send(frame("RX")));
        EXPECT_EQ(port.read(34, 2s).size(), 34u) << round;
        EXPECT_FALSE(port.gone());
    }
    // A request left unanswered when the port closes does not wedge the simulator.
    {
        PtyClient port(sim.slavePath());
        port.send(frame("PV"));
    }
    PtyClient port(sim.slavePath());
    ASSERT_TRUE(sim.waitUntil([&] { return sim.requestCount() == 4; }, 2000ms));
    port.readFor(100ms); // whatever of the block was still queued
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 2s).size(), 24u);
}

TEST(SimPty, PacedRepliesTakeTheLineTime) {
    SimOptions o = standing();
    o.pace = true;
    Simulator sim(o);
    sim.start();
    PtyClient port(sim.slavePath());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.send(frame("PV")));
    EXPECT_EQ(port.read(154, 3s).size(), 154u);
    // 153 byte times after the first byte: at least 159 ms.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 159ms);
}

TEST(SimPty, SilentSimulatorHearsButDoesNotAnswer) {
    SimOptions o = standing();
    o.faults.silent = true;
    Simulator sim(o);
    sim.start();
    PtyClient port(sim.slavePath());
    ASSERT_TRUE(port.send(frame("RV")));
    ASSERT_TRUE(sim.waitUntil([&] { return sim.bytesReceived() == 4; }, 2000ms));
    EXPECT_EQ(port.readFor(300ms), "");
    // Faults can be switched off while running.
    sim.setFault({});
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 2s).size(), 24u);
}

TEST(SimPty, EveryNthReplyIsDropped) {
    FaultConfig f;
    f.dropEvery = 2;
    Simulator sim(standing());
    sim.setFault(f);
    sim.start();
    PtyClient port(sim.slavePath());
    for (int i = 1; i <= 4; ++i) {
        ASSERT_TRUE(port.send(frame("SP0100" + std::to_string(10 + i))));
        EXPECT_EQ(port.read(1, i % 2 ? 2000ms : 300ms), i % 2 ? "\x05" : "") << i;
    }
    // Dropped or not, every write was stored.
    EXPECT_EQ(sim.parameterWord(1), 0x14);
}

TEST(SimPty, RepliesAreDelayed) {
    FaultConfig f;
    f.delayMs = 300;
    Simulator sim(standing());
    sim.setFault(f);
    sim.start();
    PtyClient port(sim.slavePath());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 3s).size(), 24u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

TEST(SimPty, GarbageComesInFrontOfTheReply) {
    FaultConfig f;
    f.garbageBytes = 5;
    Simulator sim(standing());
    sim.setFault(f);
    sim.start();
    PtyClient port(sim.slavePath());
    ASSERT_TRUE(port.send(frame("RV")));
    const std::string got = port.read(29, 2s);
    ASSERT_EQ(got.size(), 29u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_GE(static_cast<unsigned char>(got[static_cast<std::size_t>(i)]), 0x80u);
    }
    EXPECT_EQ(got.substr(5), frame("0000"
                                   "0000"
                                   "0000"
                                   "00000000"
                                   "10"));
}

TEST(SimPty, HangUpMakesTheDeviceVanish) {
    Simulator sim(standing());
    sim.start();
    const std::string path = sim.slavePath();
    PtyClient port(path);
    ASSERT_TRUE(port.isOpen());
    sim.hangUp();
    port.read(1, 2s);
    EXPECT_TRUE(port.gone());
    PtyClient again(path);
    EXPECT_FALSE(again.isOpen());
}

TEST(SimPty, UnsolicitedFramesFollowTheReplyApart) {
    SimOptions o = standing();
    o.version = 60;
    o.caption = "#ZUVO";
    Simulator sim(o);
    sim.start();
    PtyClient port(sim.slavePath());
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 2s).size(), 24u);
    // The version frame comes on its own, after a pause, then the caption line.
    EXPECT_EQ(port.read(4, 5ms), "");
    EXPECT_EQ(port.read(4, 2s), "\x02V<\x03");
    EXPECT_EQ(port.read(6, 2s), "#ZUVO\r");
    // Only once.
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 2s).size(), 24u);
    EXPECT_EQ(port.readFor(200ms), "");
    sim.sendVersionFrame(-112);
    EXPECT_EQ(port.read(4, 2s), std::string("\x02V\x90\x03"));
}

TEST(SimPty, AJustStartedControllerGluesItsVersionFrameToItsFirstReply) {
    SimOptions o = standing();
    o.version = 60;
    o.justStarted = true;
    Simulator sim(o);
    sim.start();
    PtyClient port(sim.slavePath());
    ASSERT_TRUE(port.send(frame("PV")));
    const std::string first = port.read(4 + 154, 2s);
    ASSERT_EQ(first.size(), 158u);
    EXPECT_EQ(first.substr(0, 5), "\x02V<\x03\x02");
    EXPECT_EQ(first.back(), '\x03');
    // In one write, as a real controller's buffer leaves at its start.
    const auto log = sim.lineLog();
    const auto sent =
        std::find_if(log.begin(), log.end(), [](const auto& c) { return !c.fromProgram; });
    ASSERT_NE(sent, log.end());
    EXPECT_EQ(sent->bytes.size(), 158u);
    // Once only, and no version frame of its own after it.
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 2s).size(), 24u);
    EXPECT_EQ(port.readFor(200ms), "");
}

TEST(SimPty, FirmwareUpdateOverTheLine) {
    FaultConfig f;
    f.nakBlocks = {{2, 1}};
    SimOptions o = standing();
    o.faults = f;
    Simulator sim(o);
    sim.start();
    PtyClient port(sim.slavePath());
    ASSERT_TRUE(port.send(frame("FL")));
    EXPECT_EQ(port.read(1, 2s), "C");
    EXPECT_TRUE(sim.inBootloader());
    const std::string page1(128, 'a'), page2 = std::string(1, 'b') + std::string(127, '\xFF');
    ASSERT_TRUE(port.send(xmodemBlock(1, page1)));
    EXPECT_EQ(port.read(1, 2s), "\x06");
    ASSERT_TRUE(port.send(xmodemBlock(2, page2)));
    EXPECT_EQ(port.read(1, 2s), "\x15");
    ASSERT_TRUE(port.send(xmodemBlock(2, page2)));
    EXPECT_EQ(port.read(1, 2s), "\x06");
    ASSERT_TRUE(port.send("\x04"));
    EXPECT_EQ(port.read(1, 2s), "\x06");
    const std::string image = page1 + page2;
    EXPECT_EQ(sim.receivedImage(), std::vector<std::uint8_t>(image.begin(), image.end()));
    EXPECT_EQ(sim.completedUpdates(), 1);
    EXPECT_FALSE(sim.inBootloader());
    ASSERT_TRUE(port.send(frame("RV")));
    EXPECT_EQ(port.read(24, 2s).size(), 24u);
}

TEST(SimPty, ExclusiveFlagDoesNotOutliveTheProgramsClose) {
    Simulator sim(standing());
    sim.start();
    const std::string path = sim.slavePath();
    auto exclusive = [&] {
        PtyClient probe(path);
        int flag = 0;
        return probe.isOpen() && ioctl(probe.fd(), TIOCGEXCL, &flag) == 0 && flag != 0;
    };
    {
        PtyClient port(path);
        ASSERT_EQ(ioctl(port.fd(), TIOCEXCL), 0);
        ASSERT_TRUE(exclusive()); // we are root: the flag does not keep us out
    }
    // Without the release a user's next open would fail with EBUSY.
    EXPECT_TRUE(sim.waitUntil([&] { return !exclusive(); }, 2000ms));
}
