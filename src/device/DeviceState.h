#pragma once
// Everything the program knows about the link and the connected controller. One record for the
// whole program; the main window creates it with these start values and never resets it as a
// whole.

#include <array>
#include <cstdint>

namespace zuvo {

// Position memory that holds no position yet.
inline constexpr std::int32_t kNoMemoryPosition = -99999;
// Zone index that matches no zone, so that the first valid zone is always drawn.
inline constexpr std::uint8_t kNoZone = 10;
// Parameter words beyond the first 16 that the controller's block carries at first.
inline constexpr std::uint8_t kStartExtraWordCount = 20;

struct DeviceState {
    // Link flags.
    bool ReplyPending = true;     // a poll is unanswered
    bool ParamReadPending = true; // polls ask for the parameter block (first letter P)
    bool SensorCheckPhase = true; // every 11th poll asks for the sensor words (second letter X)
    std::uint8_t SensorPollCounter = 0; // polls counted towards the 11th
    std::int32_t MissedPolls = 0;       // consecutive ticks that found the last poll unanswered
    std::int8_t PollSelector = 0;       // 1 or 2: relay test to send with the next poll
    bool AutoReadParams = true;         // read the block again after an unanswered poll

    // Display switches.
    bool SectorAnalysisOn = false;
    bool WinkelFromPosition = false; // angle digit from the position's low 10 bits

    std::uint8_t FirmwareVersion = 0;
    std::uint8_t ExtraWordCount = kStartExtraWordCount; // only grows

    // Positions in sensor counts (1024 per sensor revolution) and in mm.
    std::int32_t LastPositionCounts = 0;
    std::int32_t MemoryPositionCounts = kNoMemoryPosition;
    double PositionMm = 0.0;

    // What the previous status reply showed.
    std::uint8_t ZoneIndex = kNoZone;
    std::uint32_t PrevWinkelDigit = 0;
    bool PrevReed1 = false;
    bool PrevReed2 = false;

    // Sector analysis: sensor words sorted ascending, edge angles in whole degrees (0 = empty).
    std::array<std::uint16_t, 8> SensorWords{};
    std::array<std::int32_t, 4> Reed1Edges{};
    std::array<std::int32_t, 4> Reed2Edges{};
    std::int32_t LastReed1EdgeAngle = 0;
    std::int32_t LastReed2EdgeAngle = 0;
    std::uint8_t ReedState = 0;
};

} // namespace zuvo
