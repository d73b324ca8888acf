#include "service/UpdateRounds.h"
#include "service/Xmodem.h"

#include <gtest/gtest.h>

#include <vector>

namespace zuvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(XmodemRounds, BootloaderReadySigns) {
    struct Case {
        const char* name;
        Bytes received;
        bool ready;
        bool waitOver;
    };
    const Case cases[] = {
        {"nothing", {}, false, false},
        {"C", {'C'}, true, true},
        {"NAK", {0x15}, true, true},
        {"C first", {'C', 'x'}, true, false},
        {"garbage", {'x', 'y'}, false, false},
        {"four bytes", {1, 2, 3, 4}, false, false},
        {"exactly five of any value", {1, 2, 3, 4, 5}, true, true},
        {"six with C sixth", {1, 2, 3, 4, 5, 'C'}, true, true},
        {"seven with C sixth", {1, 2, 3, 4, 5, 'C', 7}, true, true},
        {"six without C", {1, 2, 3, 4, 5, 6}, false, true},
        {"ACK is no ready sign", {0x06}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isBootloaderReady(c.received), c.ready) << c.name;
        EXPECT_EQ(isBootloaderWaitOver(c.received), c.waitOver) << c.name;
    }
}

TEST(XmodemRounds, WaitingTexts) {
    EXPECT_EQ(enterFlashModeLabel(0), QStringLiteral("Enter Flash-Mode..1"));
    EXPECT_EQ(enterFlashModeLabel(999), QStringLiteral("Enter Flash-Mode..1000"));
    EXPECT_EQ(bootloaderGiveUpMessage({}), QStringLiteral(" no response from µC (5) 0"));
    EXPECT_EQ(bootloaderGiveUpMessage(Bytes{0xFF}), QStringLiteral(" Wrong response from µC 1:-1"));
    EXPECT_EQ(bootloaderGiveUpMessage(Bytes{1, 2, 'A'}),
              QStringLiteral(" Wrong response from µC 3:65"));
}

TEST(XmodemRounds, TheLastByteDecidesABlocksFate) {
    struct Case {
        Bytes received;
        BlockAnswer answer;
    };
    const Case cases[] = {
        {{}, BlockAnswer::Silent},
        {{0x06}, BlockAnswer::Accepted},
        {{'C'}, BlockAnswer::Restarted},
        {{0x15}, BlockAnswer::Rejected},
        {{0x06, 0x15}, BlockAnswer::Rejected},
        {{0x15, 0x06}, BlockAnswer::Accepted},
        {{0x00}, BlockAnswer::Rejected},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(blockAnswer(c.received), c.answer) << c.received.size();
    }
}

TEST(XmodemRounds, TransferTexts) {
    EXPECT_EQ(pageLabel(1, 2, 0), QStringLiteral("Page: 1/2"));
    EXPECT_EQ(pageLabel(3, 10, 1), QStringLiteral("Page: 3/10 : 2"));
    EXPECT_EQ(rejectedLabel(Bytes{0x15}), QStringLiteral("CRC 21"));
    EXPECT_EQ(rejectedLabel(Bytes{0x06, 0xC8}), QStringLiteral("CRC -56"));
    EXPECT_EQ(rejectedGiveUpMessage(Bytes{0x41, 0x90, 0x15}, 0x31C3),
              QStringLiteral(" CRC-µC: 21 -112   PC :195 49"));
    // A second byte that never came reads as 0, not as what an earlier round left.
    EXPECT_EQ(rejectedGiveUpMessage(Bytes{0x15}, 0x0102),
              QStringLiteral(" CRC-µC: 21 0   PC :2 1"));
    EXPECT_EQ(silentGiveUpMessage({}), QStringLiteral(" No response from µC! (1) 0"));
    EXPECT_EQ(silentGiveUpMessage({}).at(18), QChar(0x00B5)); // the micro sign as one character
}

TEST(XmodemRounds, SilentRounds) {
    const UpdateLimits shortLimits{10, 3};
    struct Case {
        const char* name;
        std::uint64_t page;
        unsigned round, silentInRow;
        bool show, giveUp;
    };
    const Case cases[] = {
        {"page 1 says so at once", 1, 0, 1, true, false},
        {"page 2 too", 2, 4, 1, true, false},
        {"a later page waits", 3, 1, 2, false, false},
        {"until enough silent rounds in a row", 3, 5, 3, true, false},
        {"page 1 gives up at the last round", 1, 9, 10, true, true},
        {"a later page too", 7, 9, 2, false, true},
    };
    for (const auto& c : cases) {
        const SilentRound r = silentRound(c.page, c.round, c.silentInRow, shortLimits);
        EXPECT_EQ(r.showNoResponse, c.show) << c.name;
        EXPECT_EQ(r.giveUp, c.giveUp) << c.name;
    }
    const UpdateLimits limits;
    EXPECT_FALSE(silentRound(3, 998, 99, limits).giveUp);
    EXPECT_FALSE(silentRound(3, 998, 99, limits).showNoResponse);
    EXPECT_TRUE(silentRound(3, 999, 100, limits).giveUp);
    EXPECT_TRUE(silentRound(3, 999, 100, limits).showNoResponse);
    EXPECT_FALSE(isLastRound(998, limits));
    EXPECT_TRUE(isLastRound(999, limits));
}

} // namespace
} // namespace zuvo
