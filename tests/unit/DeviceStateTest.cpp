#include "device/DisplayState.h"
#include "device/LinkState.h"
#include "device/ReceiveFields.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zuvo {
namespace {

TEST(LinkState, StartsAsBeforeAnyReply) {
    const LinkState s;
    EXPECT_TRUE(s.ReplyPending);
    EXPECT_TRUE(s.ParamReadPending);
    EXPECT_TRUE(s.SensorCheckPhase);
    EXPECT_TRUE(s.AutoReadParams);
    EXPECT_EQ(s.ExtraWordCount, 20);
    EXPECT_EQ(s.ZoneIndex, 10);

    EXPECT_EQ(s.SensorPollCounter, 0);
    EXPECT_EQ(s.MissedPolls, 0);
    EXPECT_EQ(s.PollSelector, 0);
    EXPECT_FALSE(s.SectorAnalysisOn);
    EXPECT_FALSE(s.WinkelFromPosition);
    EXPECT_EQ(s.FirmwareVersion, 0);
    EXPECT_EQ(s.LastPositionCounts, 0);
    EXPECT_EQ(s.PositionMm, 0.0);
    EXPECT_TRUE(
        std::all_of(s.SensorWords.begin(), s.SensorWords.end(), [](auto w) { return w == 0; }));
}

TEST(DisplayState, StartsAsBeforeAnyReply) {
    const DisplayState s;
    EXPECT_EQ(s.MemoryPositionCounts, -99999);
    EXPECT_EQ(s.PrevWinkelDigit, 0u);
    EXPECT_FALSE(s.PrevReed1);
    EXPECT_FALSE(s.PrevReed2);
    EXPECT_TRUE(
        std::all_of(s.Reed1Edges.begin(), s.Reed1Edges.end(), [](auto e) { return e == 0; }));
    EXPECT_TRUE(
        std::all_of(s.Reed2Edges.begin(), s.Reed2Edges.end(), [](auto e) { return e == 0; }));
    EXPECT_EQ(s.LastReed1EdgeAngle, 0);
    EXPECT_EQ(s.LastReed2EdgeAngle, 0);
    EXPECT_EQ(s.ReedState, 0);
}

TEST(ReceiveFields, StartEmptyWithRoomForATerminator) {
    const ReceiveFields rx;
    EXPECT_EQ(rx.RxCount, 0u);
    EXPECT_FALSE(rx.AckReceived);
    EXPECT_EQ(rx.RxBuffer.size(), 8192u + 1u);
}

} // namespace
} // namespace zuvo
