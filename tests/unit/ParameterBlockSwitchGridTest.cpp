#include "params/SwitchGrid.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

// The grid of a block's segment masks (words 5..13) and position states.
SwitchGridValues gridOf(const ParameterBlock& block) {
    std::array<std::uint8_t, GridSegments> outputs{};
    for (int c = 1; c <= GridSegments; ++c) {
        outputs[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint8_t>(block.Slots[Word::segmentMask(c)]);
    }
    return gridValues(outputs, block.SwitchPositionState);
}

TEST(SwitchGrid, ReceivedNotSetPositionGreysEverySegmentAfterIt) {
    ParameterBlock block;
    block.Slots[Word::segmentMask(1)] = 0x22; // outputs 2 and 6
    block.Slots[Word::segmentMask(2)] = 0x3F;
    block.Slots[20] = 0xFFFF; // switch position 1 not set
    block.Slots[21] = 0xFFFF;
    block.Slots[22] = 0x7800; // switch position 2 at 30720 counts
    block.Slots[23] = 0x0000;
    block.joinPositions();
    block.updateSwitchPositionStates();

    const SwitchGridValues grid = gridOf(block);
    for (int r = 1; r <= GridOutputs; ++r) {
        EXPECT_EQ(grid[r - 1][0], (r == 2 || r == 6) ? 1 : 0) << "segment 1, output " << r;
        EXPECT_EQ(grid[r - 1][1], 3) << "segment 2, output " << r;
        for (int c = 3; c <= GridSegments; ++c) {
            EXPECT_EQ(grid[r - 1][c - 1], 2) << "segment " << c << ", output " << r;
        }
    }
}

TEST(SwitchGrid, GreyingFollowsTheStateOfTheSegmentsStart) {
    ParameterBlock block;
    block.SwitchPositionCounts = {-1, -1, 100, 200, 300, -1, -1, -1, -1, -1};
    block.SwitchPositionState = {2, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    block.updateSwitchPositionStates();
    const SwitchGridValues grid = gridOf(block);
    // Switch positions 1..3 are set: segments 1..4 show pictures; 4 is not: 5..9 are greyed.
    for (int c = 1; c <= GridSegments; ++c) {
        EXPECT_EQ(gridButtonGreyed(grid[0][c - 1]), c >= 5) << "segment " << c;
    }
}

TEST(SwitchGrid, MasksCountOnlyTheFunctionBit) {
    SwitchGridValues values{};
    values[1][0] = 1; // D21
    values[5][0] = 1; // D61
    values[0][1] = 3; // on, greyed
    values[2][1] = 2; // off, greyed
    const auto masks = segmentMasks(values);
    EXPECT_EQ(masks[0], 0x22);
    EXPECT_EQ(masks[1], 0x01);
    for (int c = 3; c <= GridSegments; ++c) {
        EXPECT_EQ(masks[c - 1], 0) << c;
    }
}

TEST(SwitchGrid, MasksRoundTripThroughTheGrid) {
    ParameterBlock block;
    for (int c = 1; c <= GridSegments; ++c) {
        block.Slots[Word::segmentMask(c)] = static_cast<std::uint16_t>((c * 7) & 0x3F);
    }
    block.SwitchPositionCounts.fill(-1);
    block.updateSwitchPositionStates(); // everything greyed: the masks must survive it
    const auto masks = segmentMasks(gridOf(block));
    for (int c = 1; c <= GridSegments; ++c) {
        EXPECT_EQ(masks[c - 1], block.Slots[Word::segmentMask(c)]) << c;
    }
}

TEST(SwitchGrid, ToggleFlipsOnlyTheFunctionBit) {
    const std::pair<int, int> cases[] = {{0, 1}, {1, 0}, {2, 3}, {3, 2}};
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(toggledGridButton(before), after);
        EXPECT_EQ(gridButtonGreyed(after), gridButtonGreyed(before));
        EXPECT_NE(gridButtonOn(after), gridButtonOn(before));
    }
}

} // namespace
} // namespace zuvo
