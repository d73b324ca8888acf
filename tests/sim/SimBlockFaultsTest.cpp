// The controller faults that make verification fail: a word stored wrongly, a block never sent.
#include "sim/ProtocolEngine.h"
#include "sim/SimArgs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace zuvo::sim;

namespace {

const Clock::time_point t0{};

std::string ask(ProtocolEngine& engine, const std::string& payload) {
    const std::string frame = "\x02" + payload + "\x03";
    std::string answer;
    for (const Bytes& reply :
         engine.receive(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size(), t0)) {
        answer.append(reply.begin(), reply.end());
    }
    return answer;
}

std::string writeFrame(int index, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "SP%02X%04X", index, value);
    return text;
}

// Word i of a parameter-block reply (4 hex digits at 1 + 4i).
unsigned replyWord(const std::string& reply, int i) {
    return static_cast<unsigned>(
        std::stoul(reply.substr(1 + 4 * static_cast<std::size_t>(i), 4), nullptr, 16));
}

SimOptions standing() {
    SimOptions o;
    o.rpm = 0;
    return o;
}

} // namespace

TEST(SimBlockFaults, ACorruptedWordIsAcknowledgedButReadsBackDifferent) {
    SimOptions o = standing();
    o.corruptWord = 5;
    ProtocolEngine engine(o);
    const struct {
        int index;
        unsigned sent, stored;
    } cases[] = {{5, 0x00C8, 0x00C9}, {5, 0xFFFF, 0x0000}, {4, 0x00C8, 0x00C8}, {1, 750, 750}};
    for (const auto& c : cases) {
        EXPECT_EQ(ask(engine, writeFrame(c.index, c.sent)), "\x05") << c.index;
        const std::string block = ask(engine, "PV");
        ASSERT_EQ(block.size(), 154u);
        EXPECT_EQ(replyWord(block, c.index), c.stored) << c.index << " " << c.sent;
    }
    // The program's own setter is not a write over the line and stores what it is given.
    engine.model().setWord(5, 42);
    EXPECT_EQ(engine.model().word(5), 42);
}

TEST(SimBlockFaults, WithoutBlockAnswersTheReadIsLoggedButUnanswered) {
    SimOptions o = standing();
    o.noBlock = true;
    ProtocolEngine engine(o);
    EXPECT_EQ(ask(engine, "PV"), "");
    EXPECT_EQ(ask(engine, "PX"), "");
    EXPECT_EQ(ask(engine, "RV").size(), 24u); // everything else is answered
    EXPECT_EQ(ask(engine, writeFrame(1, 500)), "\x05");
    EXPECT_EQ(engine.model().word(1), 500);
    EXPECT_EQ(engine.requests(), (std::deque<std::string>{"PV", "PX", "RV", "SP0101F4"}));

    engine.model().setAnswersBlockRead(true);
    EXPECT_EQ(ask(engine, "PV").size(), 154u);
}

TEST(SimBlockFaults, CommandLineAndHelp) {
    const SimArgs a = parseSimArgs({"--corrupt-word", "36", "--no-block"});
    ASSERT_EQ(a.error, "");
    EXPECT_EQ(a.options.corruptWord, 36);
    EXPECT_TRUE(a.options.noBlock);
    const SimArgs none = parseSimArgs({});
    EXPECT_EQ(none.options.corruptWord, std::nullopt);
    EXPECT_FALSE(none.options.noBlock);
    for (const auto& args : std::vector<std::vector<std::string>>{{"--corrupt-word"},
                                                                  {"--corrupt-word", "256"},
                                                                  {"--corrupt-word", "-1"},
                                                                  {"--corrupt-word", "0x05"}}) {
        EXPECT_NE(parseSimArgs(args).error, "") << args.back();
    }
    const std::string help = simHelpText();
    EXPECT_NE(help.find("--corrupt-word N"), std::string::npos);
    EXPECT_NE(help.find("--no-block"), std::string::npos);
}
