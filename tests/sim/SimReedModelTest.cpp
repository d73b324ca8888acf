// The simulated reed switches against the program's own sector check: the default placement
// passes, the misaligned one fails, from the controller's edge words and from a live turn alike.
#include "device/DisplayState.h"
#include "device/ReedEdges.h"
#include "device/SectorCheck.h"
#include "device/SectorStrip.h"
#include "sim/ControllerModel.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zuvo::sim;

namespace {

ControllerModel standingModel(bool misaligned) {
    return ControllerModel(0, misaligned, 20, 0x10);
}

zuvo::SectorCheck checkFromSensorWords(const ControllerModel& model) {
    std::array<std::uint16_t, 8> words = model.sensorWords();
    std::sort(words.begin(), words.end());
    zuvo::EdgeTable reed1{}, reed2{};
    zuvo::edgesFromSensorWords(words, reed1, reed2);
    return zuvo::checkSectors(reed1, reed2);
}

struct LiveTurn {
    std::optional<std::uint32_t> lastRing;
    bool anyFailure = false; // a red ring from the state rules before the tables were complete
    bool anyStateSkipped = false;
};

// One revolution in small steps, each status as the dispatcher would see it.
LiveTurn turnOnce(ControllerModel& model) {
    zuvo::DisplayState state;
    LiveTurn turn;
    int previousReedState = 0;
    state.PrevWinkelDigit = 1;
    for (int angle = 1; angle < 1024; angle += 3) {
        model.setPosition(angle);
        const StatusFields s = model.status();
        const bool reed1 = s.status & 0x80;
        const bool reed2 = s.status & 0x40;
        turn.anyStateSkipped |= zuvo::isReedStateSkipped(s.reedState, previousReedState);
        previousReedState = s.reedState;
        const zuvo::SectorStatusStep step =
            zuvo::sectorStatusStep(state, reed1, reed2, s.angle, s.reedState);
        for (const auto& edge : {step.reed1, step.reed2}) {
            if (edge && edge->ring) {
                turn.lastRing = edge->ring;
                turn.anyFailure |= !edge->check.complete && *edge->ring == zuvo::kRingFailed;
            }
        }
        state.PrevWinkelDigit = s.angle;
        state.PrevReed1 = reed1;
        state.PrevReed2 = reed2;
    }
    return turn;
}

} // namespace

TEST(SimReedModel, SensorWordsPassTheSectorCheckUnlessMisaligned) {
    const zuvo::SectorCheck aligned = checkFromSensorWords(standingModel(false));
    ASSERT_TRUE(aligned.complete);
    EXPECT_TRUE(aligned.passed) << aligned.table.join("\n").toStdString();

    const zuvo::SectorCheck misaligned = checkFromSensorWords(standingModel(true));
    ASSERT_TRUE(misaligned.complete);
    EXPECT_FALSE(misaligned.passed);
}

TEST(SimReedModel, LiveTurnPassesTheCheckUnlessMisaligned) {
    ControllerModel aligned = standingModel(false);
    const LiveTurn good = turnOnce(aligned);
    EXPECT_FALSE(good.anyFailure);
    EXPECT_FALSE(good.anyStateSkipped);
    EXPECT_EQ(good.lastRing, zuvo::kRingPassed);

    ControllerModel misaligned = standingModel(true);
    const LiveTurn bad = turnOnce(misaligned);
    EXPECT_FALSE(bad.anyStateSkipped);
    EXPECT_EQ(bad.lastRing, zuvo::kRingFailed);
}

TEST(SimReedModel, BothSwitchesOffOnlyInTheRestStates) {
    for (bool misaligned : {false, true}) {
        const ReedModel reeds = misaligned ? ReedModel::misaligned() : ReedModel::aligned();
        for (int angle = 0; angle < 1024; ++angle) {
            const ReedReading r = reeds.at(static_cast<std::uint16_t>(angle));
            if (!r.reed1 && !r.reed2) {
                EXPECT_TRUE(r.state == 0 || r.state == 4) << angle << " state " << r.state;
            }
        }
    }
}
