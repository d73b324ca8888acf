#include "params/ParameterBlock.h"

#include "device/ReplyFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace zuvo {
namespace {

TEST(ParameterBlock, SplitsPositionsIntoLowAndHighWords) {
    const std::pair<std::int64_t, PositionWords> cases[] = {
        {102400, {0x9000, 0x0001}}, // the analog maximum of 1000 mm at T = 100, L = 1000
        {30720, {0x7800, 0x0000}},
        {0, {0x0000, 0x0000}},
        {-1, {0xFFFF, 0xFFFF}},
        {-101, {0xFF9B, 0xFFFF}},
        {0x1'2345'6789, {0x6789, 0x2345}}, // only the low 32 bits are sent
    };
    for (const auto& [counts, words] : cases) {
        EXPECT_EQ(splitPosition(counts), words) << counts;
    }
}

TEST(ParameterBlock, JoinsWordsIntoSignedPositions) {
    const std::pair<PositionWords, JoinedPosition> cases[] = {
        {{0x9000, 0x0001}, {102400, PositionSet}},
        {{0x7800, 0x0000}, {30720, PositionSet}},
        {{0x0000, 0x0000}, {0, PositionSet}},
        {{0xFFFF, 0x7FFF}, {0x7FFF'FFFF, PositionSet}},
        {{0xFFFF, 0xFFFF}, {-1, PositionNotSet}},
        {{0xFF9B, 0xFFFF}, {-1, PositionNotSet}}, // every negative position becomes -1
        {{0x0000, 0x8000}, {-1, PositionNotSet}},
    };
    for (const auto& [words, joined] : cases) {
        EXPECT_EQ(joinPosition(words), joined) << words.high << ":" << words.low;
    }
}

TEST(ParameterBlock, PositionTableRoundTripsThroughWords16To35) {
    ParameterBlock block;
    block.SwitchPositionCounts = {0, 102400, 10240, 20480, -1, -1, -1, -1, -1, 30720};
    block.Slots[15] = 0x1111;
    block.Slots[36] = 0x8000;
    block.splitPositions();
    EXPECT_EQ(block.Slots[18], 0x9000);
    EXPECT_EQ(block.Slots[19], 0x0001);
    EXPECT_EQ(block.Slots[Word::positionLow(9)], 0x7800);
    EXPECT_EQ(block.Slots[35], 0x0000);
    EXPECT_EQ(block.Slots[24], 0xFFFF);
    EXPECT_EQ(block.Slots[15], 0x1111); // neighbours untouched
    EXPECT_EQ(block.Slots[36], 0x8000);

    ParameterBlock received;
    received.Slots = block.Slots;
    received.joinPositions();
    EXPECT_EQ(received.SwitchPositionCounts, block.SwitchPositionCounts);
    const std::array<std::int32_t, PositionCount> states = {0, 0, 0, 0, 2, 2, 2, 2, 2, 0};
    EXPECT_EQ(received.SwitchPositionState, states);
}

TEST(ParameterBlock, StoresAReceivedBlockWithinTheTable) {
    std::vector<std::uint16_t> words(150);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<std::uint16_t>(i + 1);
    }
    words[20] = 0xFFFF; // switch position 1
    words[21] = 0xFFFF;
    ParameterBlock block;
    EXPECT_EQ(block.storeReceivedWords(words), ParameterBlock::SlotCount);
    EXPECT_EQ(block.Slots.back(), 100);
    EXPECT_EQ(block.SwitchPositionCounts[2], -1);
    EXPECT_EQ(block.SwitchPositionState[2], PositionNotSet);
    EXPECT_EQ(block.SwitchPositionCounts[0], 17 + (18 << 16)); // words 16, 17 hold 17, 18

    ParameterBlock small;
    EXPECT_EQ(small.storeReceivedWords(std::span(words).first(36)), 36u);
    EXPECT_EQ(small.Slots[35], 36);
    EXPECT_EQ(small.Slots[36], 0);
}

TEST(ParameterBlock, BlockSizeIsBoundedByTheTable) {
    struct Case {
        int extra;
        int received; // words 0..received-1 are read
        int lastSent; // words 1..lastSent are sent
    };
    const Case cases[] = {
        {20, 36, 36}, {21, 37, 37},   {0, 16, 16},  {83, 99, 99},
        {84, 99, 99}, {1000, 99, 99}, {-3, 16, 16},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(receivedWordCount(c.extra), c.received) << "E = " << c.extra;
        EXPECT_EQ(lastSentWord(c.extra), c.lastSent) << "E = " << c.extra;
        EXPECT_LT(lastSentWord(c.extra), static_cast<int>(ParameterBlock::SlotCount));
    }
}

TEST(ParameterBlock, ClearsTheWordsASendWrites) {
    struct Case {
        int extra;
        int lastCleared;
    };
    for (const Case c : {Case{20, 36}, Case{21, 37}, Case{500, 99}}) {
        ParameterBlock block;
        block.Slots.fill(0xAAAA);
        block.clearSentWords(c.extra);
        EXPECT_EQ(block.Slots[0], 0xAAAA) << "word 0 is never sent";
        for (int i = 1; i < static_cast<int>(ParameterBlock::SlotCount); ++i) {
            EXPECT_EQ(block.Slots[i], i <= c.lastCleared ? 0 : 0xAAAA)
                << "E = " << c.extra << ", word " << i;
        }
    }
}

TEST(ParameterBlock, OnceASwitchPositionIsNotSetAllLaterOnesAreNot) {
    ParameterBlock block;
    block.SwitchPositionCounts = {-1,    102400, 10240, 20480, 30720,
                                  40960, 51200,  61440, 71680, 81920};
    block.SwitchPositionState[0] = PositionNotSet;

    block.SwitchPositionCounts[4] = -301; // switch position 3 typed as -3 mm
    block.updateSwitchPositionStates();
    const std::array<std::int64_t, PositionCount> afterNotSet = {-1, 102400, 10240, 20480, -1,
                                                                 -1, -1,     -1,    -1,    -1};
    const std::array<std::int32_t, PositionCount> statesNotSet = {2, 0, 0, 0, 2, 2, 2, 2, 2, 2};
    EXPECT_EQ(block.SwitchPositionCounts, afterNotSet);
    EXPECT_EQ(block.SwitchPositionState, statesNotSet) << "analog entries keep their states";

    // Setting switch position 3 again frees it, but the later ones stay at -1 until edited.
    block.SwitchPositionCounts[4] = 40960;
    block.updateSwitchPositionStates();
    const std::array<std::int32_t, PositionCount> statesBack = {2, 0, 0, 0, 0, 2, 2, 2, 2, 2};
    EXPECT_EQ(block.SwitchPositionState, statesBack);
    EXPECT_EQ(block.SwitchPositionCounts[5], -1);
}

} // namespace
} // namespace zuvo
