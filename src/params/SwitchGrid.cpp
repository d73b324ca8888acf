#include "params/SwitchGrid.h"

namespace zuvo {

SwitchGridValues gridValues(const std::array<std::uint8_t, GridSegments>& outputs,
                            const std::array<std::int32_t, PositionCount>& states) {
    SwitchGridValues values{};
    for (int c = 1; c <= GridSegments; ++c) {
        const unsigned mask = outputs[static_cast<std::size_t>(c - 1)];
        // Entry c of the position table is switch position c - 1, the segment's start.
        const int greyed = c >= 2 ? states[static_cast<std::size_t>(c)] : 0;
        for (int r = 1; r <= GridOutputs; ++r) {
            values[r - 1][c - 1] = static_cast<int>((mask >> (r - 1)) & 1) + greyed;
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
