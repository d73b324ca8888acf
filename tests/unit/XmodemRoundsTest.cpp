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

TEST(XmodemRounds, WhatARoundLeadsTo) {
    const UpdateLimits limits{10, 3};
    struct Case {
        const char* name;
        Bytes received;
        std::uint64_t page;
        unsigned round, silentBefore;
        bool cancelled;
        BlockNext next;
        QString faultLabel;
        int pauseMs;
        unsigned silentInRow;
        QString giveUp;
    };
    const Case cases[] = {
        {"ACK", {0x06}, 3, 0, 2, false, BlockNext::NextPage, "", 200, 0, ""},
        {"C restarts after 50 + 200 ms",
         {'C'},
         5,
         2,
         0,
         false,
         BlockNext::FirstPage,
         "",
         250,
         0,
         ""},
        {"NAK resent after 50 ms",
         {0x15},
         1,
         0,
         0,
         false,
         BlockNext::SendAgain,
         "CRC 21",
         50,
         0,
         ""},
        {"NAK at the last round",
         {0x15},
         4,
         9,
         0,
         false,
         BlockNext::GiveUp,
         "CRC 21",
         0,
         0,
         " CRC-µC: 21 0   PC :195 49"},
        {"silent page 2", {}, 2, 0, 0, false, BlockNext::SendAgain, "No Response", 0, 1, ""},
        {"silent page 3, not yet said", {}, 3, 1, 1, false, BlockNext::SendAgain, "", 0, 2, ""},
        {"silent page 3, said", {}, 3, 2, 2, false, BlockNext::SendAgain, "No Response", 0, 3, ""},
        {"silent page 1 at the last round",
         {},
         1,
         9,
         9,
         false,
         BlockNext::GiveUp,
         "No Response",
         0,
         10,
         " No response from µC! (1) 0"},
        {"silent page 3 at the last round",
         {},
         3,
         9,
         0,
         false,
         BlockNext::GiveUp,
         "",
         0,
         1,
         " No response from µC! (1) 0"},
        // Cancel: the round in progress decides how the transfer ends.
        {"cancel, ACK", {0x06}, 3, 0, 0, true, BlockNext::NextPage, "", 200, 0, ""},
        {"cancel, silent later page", {}, 3, 0, 0, true, BlockNext::EndRounds, "", 0, 1, ""},
        {"cancel, silent page 2",
         {},
         2,
         0,
         0,
         true,
         BlockNext::GiveUp,
         "No Response",
         0,
         1,
         " No response from µC! (1) 0"},
        {"cancel, NAK",
         {0x15},
         3,
         0,
         0,
         true,
         BlockNext::GiveUp,
         "CRC 21",
         0,
         0,
         " CRC-µC: 21 0   PC :195 49"},
    };
    for (const auto& c : cases) {
        const BlockRound r =
            blockRound(c.received, c.page, c.round, c.silentBefore, 0x31C3, c.cancelled, limits);
        EXPECT_EQ(r.next, c.next) << c.name;
        EXPECT_EQ(r.faultLabel, c.faultLabel) << c.name;
        EXPECT_EQ(r.pauseMs, c.pauseMs) << c.name;
        EXPECT_EQ(r.silentInRow, c.silentInRow) << c.name;
        EXPECT_EQ(r.giveUpMessage, c.giveUp) << c.name;
    }
}

} // namespace
} // namespace zuvo
