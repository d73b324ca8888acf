#pragma once
// The controller's parameter block: the table of 16-bit parameter words, the ten positions in
// sensor counts that words 16..35 carry, and the names of the words.

#include "device/ReplyFrames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zuvo {

// Indices of the parameter words.
namespace Word {
inline constexpr std::size_t ZeroWord = 0;          // zero angle (bits 5..14), direction (bit 15)
inline constexpr std::size_t Stroke = 1;            // maximum stroke, mm
inline constexpr std::size_t GearTurns = 2;         // sensor revolutions over the stroke x 10
inline constexpr std::size_t FunctionFlags = 3;     // see WordFields.h
inline constexpr std::size_t Hysteresis = 4;        // switching hysteresis, counts
inline constexpr std::size_t SegmentMask1 = 5;      // ..SegmentMask9 = 13: outputs per segment
inline constexpr std::size_t RushInDelays = 14;     // see WordFields.h
inline constexpr std::size_t ThrustLimitSpeed = 15; // raw speed units
inline constexpr std::size_t AnalogMinCounts = 16;  // low word; the high word follows
inline constexpr std::size_t AnalogMaxCounts = 18;
inline constexpr std::size_t SwitchPosition1Counts = 20; // ..SwitchPosition8Counts = 34
inline constexpr std::size_t Direction = 36;             // 0x8000 = counter-clockwise

// Word of segment c (1..9).
constexpr std::size_t segmentMask(int segment) {
    return SegmentMask1 + static_cast<std::size_t>(segment - 1);
}
// Low word of position entry j (0..9); the high word is the next one.
constexpr std::size_t positionLow(int entry) {
    return AnalogMinCounts + 2 * static_cast<std::size_t>(entry);
}
} // namespace Word

inline constexpr std::uint16_t DirectionCounterClockwise = 0x8000;

// Entries of the position table.
inline constexpr int PositionCount = 10;
inline constexpr int AnalogMinEntry = 0;
inline constexpr int AnalogMaxEntry = 1;
// Entry of switch position k (1..8).
constexpr int switchPositionEntry(int k) {
    return k + 1;
}

// States of a position entry. The numbers matter: the switch grid adds the state of a segment to
// its buttons' values.
inline constexpr std::int32_t PositionSet = 0;
inline constexpr std::int32_t PositionNotSet = 2;

// Blocks on the wire have 16 + E words; the controller may report a larger E than the table can
// hold, so E is bounded where the block is read or sent: words 0..16+E must all fit the table.
inline constexpr int BlockBaseWords = 16;
inline constexpr int StartExtraWordCount = 20;

// One position split into the two words that carry it (only its low 32 bits).
struct PositionWords {
    std::uint16_t low = 0;
    std::uint16_t high = 0;
    bool operator==(const PositionWords&) const = default;
};

PositionWords splitPosition(std::int64_t counts);

// A position joined from its two words, sign-extended from 32 bits. A negative position means
// "not set": it becomes -1 with state PositionNotSet.
struct JoinedPosition {
    std::int64_t counts = 0;
    std::int32_t state = PositionSet;
    bool operator==(const JoinedPosition&) const = default;
};

JoinedPosition joinPosition(PositionWords words);

// Switch positions 1..8 of a position table (entries 2..9): a negative entry, and every entry
// after it, becomes -1 and not set; the others are set. The analog entries are left alone.
void updateSwitchPositionStates(std::array<std::int64_t, PositionCount>& counts,
                                std::array<std::int32_t, PositionCount>& states);

struct ParameterBlock {
    static constexpr std::size_t SlotCount = kParameterSlotCount;
    // Largest E for which a send (words 1..16+E) stays inside the table; the receive side stops
    // growing E at the same bound.
    static constexpr int MaxExtraWordCount = kMaxExtraWordCount;
    static_assert(MaxExtraWordCount == static_cast<int>(SlotCount) - BlockBaseWords - 1);

    std::array<std::uint16_t, SlotCount> Slots{};
    std::array<std::int64_t, PositionCount> SwitchPositionCounts{};
    std::array<std::int32_t, PositionCount> SwitchPositionState{};

    // Words 16..35 := the ten positions, low word first.
    void splitPositions();
    // The ten positions and their states := words 16..35.
    void joinPositions();

    // Stores a received block (words 0..n-1) and joins its positions. Words beyond the table
    // are dropped; returns how many were stored.
    std::size_t storeReceivedWords(std::span<const std::uint16_t> words);

    // Before a send: words 1..16+E := 0, E bounded to the table.
    void clearSentWords(int extraWordCount);

    // updateSwitchPositionStates of the block's table.
    void updateSwitchPositionStates();
};

// E bounded to 0..MaxExtraWordCount.
int boundedExtraWordCount(int extraWordCount);
// Words a read fills (0..15+E) and the last word a send writes (16+E), with E bounded.
int receivedWordCount(int extraWordCount);
int lastSentWord(int extraWordCount);

} // namespace zuvo
