#pragma once
// The live side of the sector analysis: every status reply may wrap the revolution and switch a
// reed switch; each switching edge lands in its switch's edge table, adds a line to its log and
// runs the sector check. The drawing of the strips is the window's job.

#include "device/DisplayState.h"
#include "device/SectorCheck.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace zuvo {

// Whole degrees of a sensor angle (1024 counts per revolution), truncated.
std::int32_t angleDegrees(std::int32_t counts);

// The angle passed zero between two status replies.
bool isRevolutionWrap(std::uint32_t digit, std::uint32_t previousDigit);

// Empties both edge tables and forgets both last edge angles.
void resetEdges(DisplayState& state);

// Puts an edge into a table: it replaces the first slot strictly within 20 degrees of it, else
// fills the first empty slot; with neither it is dropped.
void storeEdge(EdgeTable& table, std::int32_t degrees);

// A reed state was skipped between two edges; the wrap between 7 and 0 is allowed.
bool isReedStateSkipped(int state, int previousState);

// With both switches off only the states 0 and 4 are plausible.
bool isRestStateWrong(bool reed1On, bool reed2On, int state);

// The log line of an edge at `degrees`; `ownLast` and `otherLast` are the last edge angles of
// this switch and of the other one (0 = none).
QString edgeLogLine(bool nowOn, std::int32_t degrees, std::int32_t ownLast, bool otherOn,
                    std::int32_t otherLast);

enum class ReedSwitch { Reed1, Reed2 };

struct ReedEdge {
    QString logLine;   // for the switch's own log
    SectorCheck check; // the sector check run after the edge was stored
    // The ring colour this edge leaves, when it sets one: the check's verdict when the tables are
    // complete, overridden by red for an implausible reed state.
    std::optional<std::uint32_t> ring;
};

// One switching edge of `which` at the compass digit `digit`, with the reed state `state` of the
// same reply. Updates the switch's table and last edge angle and `ReedState`; reads but does not
// update the Prev* fields.
ReedEdge reedEdge(DisplayState& state, ReedSwitch which, bool reed1On, bool reed2On,
                  std::uint32_t digit, std::uint8_t reedState);

struct SectorStatusStep {
    bool wrapped = false; // tables emptied: clear both logs, ring kRingReset
    std::optional<ReedEdge> reed1;
    std::optional<ReedEdge> reed2;
};

// The analysis' part of one status reply: the revolution wrap, then Reed1's edge, then Reed2's,
// against `PrevWinkelDigit`, `PrevReed1` and `PrevReed2` (which the caller updates afterwards).
SectorStatusStep sectorStatusStep(DisplayState& state, bool reed1On, bool reed2On,
                                  std::uint32_t digit, std::uint8_t reedState);

} // namespace zuvo
