#pragma once
// What only the window's displays keep between replies: the position memorised for module
// replacement and the sector analysis' edge tables and what the previous status reply showed.

#include <array>
#include <cstdint>

namespace zuvo {

// Position memory that holds no position yet.
inline constexpr std::int32_t kNoMemoryPosition = -99999;

struct DisplayState {
    // Positions in sensor counts (1024 per sensor revolution).
    std::int32_t MemoryPositionCounts = kNoMemoryPosition;

    // What the previous status reply showed.
    std::uint32_t PrevWinkelDigit = 0;
    bool PrevReed1 = false;
    bool PrevReed2 = false;

    // Sector analysis: edge angles in whole degrees (0 = empty).
    std::array<std::int32_t, 4> Reed1Edges{};
    std::array<std::int32_t, 4> Reed2Edges{};
    std::int32_t LastReed1EdgeAngle = 0;
    std::int32_t LastReed2EdgeAngle = 0;
    std::uint8_t ReedState = 0;
};

} // namespace zuvo
