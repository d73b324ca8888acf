#include "device/ReedEdges.h"

#include <cstdlib>

namespace zuvo {

namespace {
constexpr std::int32_t kSlotCatchDegrees = 20;

// An angle difference as a percentage of half a revolution.
std::int32_t halfTurnPercent(std::int32_t degrees) {
    return degrees * 200 / 360;
}
} // namespace

std::int32_t angleDegrees(std::int32_t counts) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(counts) * 360 / 1024);
}

bool isRevolutionWrap(std::uint32_t digit, std::uint32_t previousDigit) {
    return (digit > 800 && previousDigit < 200) || (digit < 200 && previousDigit > 800);
}

void resetEdges(DisplayState& state) {
    state.Reed1Edges = {};
    state.Reed2Edges = {};
    state.LastReed1EdgeAngle = 0;
    state.LastReed2EdgeAngle = 0;
}

void storeEdge(EdgeTable& table, std::int32_t degrees) {
    for (auto& slot : table) {
        if (degrees - kSlotCatchDegrees < slot && slot < degrees + kSlotCatchDegrees) {
            slot = degrees;
            return;
        }
    }
    for (auto& slot : table) {
        if (slot == 0) {
            slot = degrees;
            return;
        }
    }
}

bool isReedStateSkipped(int state, int previousState) {
    return (state > previousState + 1 && previousState != 0) ||
           (state < previousState - 1 && previousState != 7);
}

bool isRestStateWrong(bool reed1On, bool reed2On, int state) {
    return !reed1On && !reed2On && state != 0 && state != 4;
}

QString edgeLogLine(bool nowOn, std::int32_t degrees, std::int32_t ownLast, bool otherOn,
                    std::int32_t otherLast) {
    QString line =
        (nowOn ? QStringLiteral("An  ") : QStringLiteral("Aus ")) + QString::number(degrees);
    if (ownLast != 0) {
        const std::int32_t span = std::abs(degrees - ownLast);
        line += QStringLiteral(" (") + QString::number(span) + QStringLiteral("°)");
        if (!nowOn) {
            line += QStringLiteral("  ") + QString::number(halfTurnPercent(span)) +
                    QStringLiteral("%") +
                    (otherOn ? QStringLiteral("  Über:") : QStringLiteral("  Nach:")) +
                    QString::number(halfTurnPercent(std::abs(degrees - otherLast))) +
                    QStringLiteral("%");
        }
    }
    return line;
}

ReedEdge reedEdge(DisplayState& state, ReedSwitch which, bool reed1On, bool reed2On,
                  std::uint32_t digit, std::uint8_t reedState) {
    const bool first = which == ReedSwitch::Reed1;
    EdgeTable& ownTable = first ? state.Reed1Edges : state.Reed2Edges;
    std::int32_t& ownLast = first ? state.LastReed1EdgeAngle : state.LastReed2EdgeAngle;
    const std::int32_t otherLast = first ? state.LastReed2EdgeAngle : state.LastReed1EdgeAngle;
    const bool nowOn = first ? reed1On : reed2On;
    const bool otherOn = first ? reed2On : reed1On;
    const std::int32_t degrees = angleDegrees(static_cast<std::int32_t>(digit));

    ReedEdge edge;
    storeEdge(ownTable, degrees);
    edge.check = checkSectors(state.Reed1Edges, state.Reed2Edges);
    if (edge.check.complete) {
        edge.ring = edge.check.passed ? kRingPassed : kRingFailed;
    }
    if (isRestStateWrong(reed1On, reed2On, reedState) ||
        isReedStateSkipped(reedState, state.ReedState)) {
        edge.ring = kRingFailed;
    }
    state.ReedState = reedState;
    edge.logLine = edgeLogLine(nowOn, degrees, ownLast, otherOn, otherLast);
    ownLast = degrees;
    return edge;
}

SectorStatusStep sectorStatusStep(DisplayState& state, bool reed1On, bool reed2On,
                                  std::uint32_t digit, std::uint8_t reedState) {
    SectorStatusStep step;
    if (isRevolutionWrap(digit, state.PrevWinkelDigit)) {
        resetEdges(state);
        step.wrapped = true;
    }
    if (reed1On != state.PrevReed1) {
        step.reed1 = reedEdge(state, ReedSwitch::Reed1, reed1On, reed2On, digit, reedState);
    }
    if (reed2On != state.PrevReed2) {
        step.reed2 = reedEdge(state, ReedSwitch::Reed2, reed1On, reed2On, digit, reedState);
    }
    return step;
}

} // namespace zuvo
