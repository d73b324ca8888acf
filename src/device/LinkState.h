#pragma once
// What the link knows about the connection and the connected controller: the poll cycle's
// flags, the two display switches it acts on and what the receive engine learns from replies.
// The link owns the one record and starts it with these values; front ends read a copy.

#include <array>
#include <cstdint>

namespace zuvo {

// Zone index that matches no zone, so that the first valid zone is always drawn.
inline constexpr std::uint8_t kNoZone = 10;
// Parameter words beyond the first 16 that the controller's block carries at first.
inline constexpr std::uint8_t kStartExtraWordCount = 20;

struct LinkState {
    // Link flags.
    bool ReplyPending = true;     // a poll is unanswered
    bool ParamReadPending = true; // polls ask for the parameter block (first letter P)
    bool SensorCheckPhase = true; // every 11th poll asks for the sensor words (second letter X)
    std::uint8_t SensorPollCounter = 0; // polls counted towards the 11th
    std::int32_t MissedPolls = 0;       // consecutive ticks that found the last poll unanswered
    std::int8_t PollSelector = 0;       // 1 or 2: relay test to send with the next poll
    bool AutoReadParams = true;         // read the block again after an unanswered poll

    // Display switches the link acts on: the tick ends the sector analysis with the sensor
    // check, and decoding takes the angle digit from the position.
    bool SectorAnalysisOn = false;
    bool WinkelFromPosition = false;

    std::uint8_t FirmwareVersion = 0;
    std::uint8_t ExtraWordCount = kStartExtraWordCount; // only grows

    // Position of the last status reply, in sensor counts (1024 per sensor revolution) and mm.
    std::int32_t LastPositionCounts = 0;
    double PositionMm = 0.0;
    // The zone the last status reply drew.
    std::uint8_t ZoneIndex = kNoZone;
    // The last sensor-words reply, sorted ascending.
    std::array<std::uint16_t, 8> SensorWords{};
};

} // namespace zuvo
