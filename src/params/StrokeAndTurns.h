#pragma once
// The stroke and turns the pages can use, their spinners and the turns edit's upper bound.

#include <QString>

#include <cstdint>

namespace zuvo {

inline constexpr std::int64_t StrokeStepMm = 100;
inline constexpr std::int64_t MinSpunStrokeMm = 100;
inline constexpr std::int64_t MaxSpunStrokeMm = 10000;
inline constexpr std::int64_t MinSpunTurns = 5;
inline constexpr std::int64_t MaxTurns = 6000; // typing never puts more into the turns edit

// A stroke of 1..65535 mm (word 1 is 16 bits wide) and 1..6000 turns; anything else would
// divide by zero, give every position 0 counts or not fit its word.
bool strokeUsable(std::int64_t strokeMm);
bool turnsUsable(std::int64_t turns);

// What a refused stroke or turns must be, for the user.
QString strokeRuleText();
QString turnsRuleText();

// The stroke after one step of its spinner: 100 mm up to at most 10000, or 100 mm down to at
// least 100 (150 steps down to 100, not 50).
std::int64_t strokeAfterSpin(std::int64_t strokeMm, bool up);

// The turns after one step of their spinner: 1 up to at most 6000, or 1 down to at least 5.
std::int64_t turnsAfterSpin(std::int64_t turns, bool up);

// Typed turns above 6000 become 6000.
std::int64_t boundedTurns(std::int64_t turns);

} // namespace zuvo
