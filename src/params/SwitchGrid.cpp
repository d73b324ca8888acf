#include "params/SwitchGrid.h"

namespace zuvo {

SwitchGridValues gridValues(const ParameterBlock& block) {
    SwitchGridValues values{};
    for (int c = 1; c <= GridSegments; ++c) {
        const std::uint16_t mask = block.Slots[Word::segmentMask(c)];
        // Entry c of the position table is switch position c - 1, the segment's start.
        const int greyed = c >= 2 ? block.SwitchPositionState[c] : 0;
        for (int r = 1; r <= GridOutputs; ++r) {
            values[r - 1][c - 1] = ((mask >> (r - 1)) & 1) + greyed;
        }
    }
    return values;
}

std::array<std::uint16_t, GridSegments> segmentMasks(const SwitchGridValues& values) {
    std::array<std::uint16_t, GridSegments> masks{};
    for (int c = 1; c <= GridSegments; ++c) {
        unsigned mask = 0;
        for (int r = 1; r <= GridOutputs; ++r) {
            mask += static_cast<unsigned>(values[r - 1][c - 1] & 1) << (r - 1);
        }
        masks[c - 1] = static_cast<std::uint16_t>(mask);
    }
    return masks;
}

} // namespace zuvo
