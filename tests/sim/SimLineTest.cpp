// Pacing of the output and the link faults, without a pseudo-terminal.
#include "sim/OutputQueue.h"
#include "sim/ReplyFaults.h"
#include "sim/SimArgs.h"

#include <gtest/gtest.h>

using namespace zuvo::sim;
using namespace std::chrono_literals;

TEST(SimOutputQueue, UnpacedRepliesGoOutWholeWhenDue) {
    OutputQueue q;
    const Clock::time_point t0{};
    q.push({1, 2, 3}, t0 + 10ms);
    q.push({4}, t0);
    EXPECT_EQ(q.nextDue(), t0 + 10ms);
    EXPECT_TRUE(q.takeDue(t0 + 9ms).empty()); // in order: the later reply waits its turn
    EXPECT_EQ(q.takeDue(t0 + 10ms), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_TRUE(q.empty());
    EXPECT_EQ(q.nextDue(), std::nullopt);
}

TEST(SimOutputQueue, PacedBytesKeepTheirScheduleAndCatchUp) {
    OutputQueue q;
    q.setPaced(true);
    const Clock::time_point t0 = Clock::time_point{} + 1h;
    q.push({1, 2, 3, 4}, t0);
    EXPECT_EQ(q.endTime(t0), t0 + 4 * kByteTime9600);
    // Even the first byte takes its byte time on the line.
    EXPECT_TRUE(q.takeDue(t0).empty());
    EXPECT_EQ(q.takeDue(t0 + kByteTime9600), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(q.nextDue(), t0 + 2 * kByteTime9600);
    EXPECT_TRUE(q.takeDue(t0 + 2 * kByteTime9600 - 1ns).empty());
    // Woken late: the bytes that are due go out together, the rest stays on schedule.
    EXPECT_EQ(q.takeDue(t0 + 3 * kByteTime9600 + 1ns), (std::vector<std::uint8_t>{2, 3}));
    EXPECT_EQ(q.nextDue(), t0 + 4 * kByteTime9600);
    // A reply due later than the line is free starts at its own time.
    q.push({5}, t0 + 1s);
    EXPECT_EQ(q.takeDue(t0 + 4 * kByteTime9600), (std::vector<std::uint8_t>{4}));
    EXPECT_EQ(q.nextDue(), t0 + 1s + kByteTime9600);
}

TEST(SimReplyFaults, DropDelayGarbageSilence) {
    ReplyFaults faults;
    const std::vector<std::uint8_t> reply{0x02, 'A', 0x03};
    EXPECT_EQ(faults.shape(reply)->bytes, reply);

    FaultConfig f;
    f.dropEvery = 3;
    f.delayMs = 40;
    f.garbageBytes = 2;
    faults.configure(f);
    for (int i = 1; i <= 6; ++i) {
        const auto shaped = faults.shape(reply);
        if (i % 3 == 0) {
            EXPECT_FALSE(shaped) << i;
            continue;
        }
        ASSERT_TRUE(shaped) << i;
        EXPECT_EQ(shaped->delay, 40ms);
        ASSERT_EQ(shaped->bytes.size(), 5u);
        EXPECT_GE(shaped->bytes[0], 0x80);
        EXPECT_GE(shaped->bytes[1], 0x80);
        EXPECT_EQ(std::vector<std::uint8_t>(shaped->bytes.begin() + 2, shaped->bytes.end()), reply);
    }
    f.silent = true;
    faults.configure(f);
    EXPECT_FALSE(faults.shape(reply));
}

TEST(SimArgs, OptionsAndTheirValues) {
    const SimArgs a = parseSimArgs({"--status28",
                                    "--pace",
                                    "--misaligned",
                                    "--rpm",
                                    "0",
                                    "--extra-words",
                                    "21",
                                    "--inputs",
                                    "1f",
                                    "--version",
                                    "-112",
                                    "--caption",
                                    "#Demo",
                                    "--drop",
                                    "3",
                                    "--delay",
                                    "250",
                                    "--garbage",
                                    "7",
                                    "--nak-block",
                                    "2",
                                    "--nak-block",
                                    "2",
                                    "--restart-block",
                                    "5",
                                    "--hangup-after",
                                    "1000"});
    ASSERT_EQ(a.error, "");
    const SimOptions& o = a.options;
    EXPECT_TRUE(o.status28 && o.pace && o.misaligned);
    EXPECT_EQ(o.rpm, 0);
    EXPECT_EQ(o.extraWords, 21);
    EXPECT_EQ(o.inputs, 0x1F);
    EXPECT_EQ(o.version, -112);
    EXPECT_EQ(o.caption, "#Demo");
    EXPECT_EQ(o.faults.dropEvery, 3);
    EXPECT_EQ(o.faults.delayMs, 250);
    EXPECT_EQ(o.faults.garbageBytes, 7);
    EXPECT_EQ(o.faults.nakBlocks, (std::map<int, int>{{2, 2}}));
    EXPECT_EQ(o.faults.restartBlocks, (std::set<int>{5}));
    EXPECT_EQ(a.hangUpAfterMs, 1000);
    EXPECT_FALSE(a.help);

    const SimArgs defaults = parseSimArgs({});
    EXPECT_EQ(defaults.options.version, 60);
    EXPECT_FALSE(defaults.options.justStarted);
    EXPECT_TRUE(parseSimArgs({"--just-started"}).options.justStarted);
    EXPECT_EQ(parseSimArgs({"--version", "off"}).options.version, std::nullopt);
    EXPECT_TRUE(parseSimArgs({"--help"}).help);
}

TEST(SimArgs, RefusedCommandLines) {
    const std::vector<std::vector<std::string>> bad{
        {"--drop"},          {"--drop", "0"},         {"--delay", "-5"},
        {"--rpm", "12x"},    {"--extra-words", "34"}, {"--version", "128"},
        {"--inputs", "100"}, {"--frobnicate"}};
    for (const auto& args : bad) {
        EXPECT_NE(parseSimArgs(args).error, "") << args[0];
    }
}
