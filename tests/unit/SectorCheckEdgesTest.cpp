#include "device/ReedEdges.h"
#include "device/SectorStrip.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

// The smallest compass digit that shows `degrees`.
std::uint32_t digitFor(int degrees) {
    return static_cast<std::uint32_t>((degrees * 1024 + 359) / 360);
}

TEST(SectorCheckEdges, AngleOfADigitIsTruncated) {
    EXPECT_EQ(angleDegrees(0), 0);
    EXPECT_EQ(angleDegrees(3), 1); // 1.05
    EXPECT_EQ(angleDegrees(1023), 359);
    for (int degrees : {20, 60, 100, 105, 110, 359}) {
        EXPECT_EQ(angleDegrees(static_cast<std::int32_t>(digitFor(degrees))), degrees);
    }
}

TEST(SectorCheckEdges, StoringAnEdge) {
    struct Case {
        const char* name;
        EdgeTable before;
        std::int32_t degrees;
        EdgeTable after;
    };
    const Case cases[] = {
        {"near slot replaced", {20, 110, 0, 0}, 105, {20, 105, 0, 0}},
        {"first near slot wins", {100, 110, 0, 0}, 105, {105, 110, 0, 0}},
        {"20 apart is not near", {20, 130, 0, 0}, 110, {20, 130, 110, 0}},
        {"19 apart is near", {20, 129, 0, 0}, 110, {20, 110, 0, 0}},
        {"first empty slot", {20, 0, 200, 0}, 300, {20, 300, 200, 0}},
        {"full table drops it", {20, 110, 200, 290}, 250, {20, 110, 200, 290}},
        {"edge at 0 stays empty", {0, 0, 0, 0}, 0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EdgeTable table = c.before;
        storeEdge(table, c.degrees);
        EXPECT_EQ(table, c.after) << c.name;
    }
}

TEST(SectorCheckEdges, RevolutionWrap) {
    struct Case {
        std::uint32_t digit, previous;
        bool wrap;
    };
    const Case cases[] = {
        {10, 1000, true},  {1000, 10, true},  {199, 801, true}, {801, 199, true},
        {200, 801, false}, {199, 800, false}, {500, 10, false}, {1000, 900, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isRevolutionWrap(c.digit, c.previous), c.wrap)
            << c.digit << " after " << c.previous;
    }
}

TEST(SectorCheckEdges, ReedStateRules) {
    struct Case {
        int previous, state;
        bool skipped;
    };
    const Case cases[] = {
        {1, 2, false}, {2, 1, false}, {1, 3, true},  {3, 1, true},
        {2, 2, false}, {7, 0, false}, {0, 7, false}, // the wrap between 7 and 0 is allowed
        {6, 0, true},  {1, 7, true},  {4, 9, true},  // a state above 7 is just another skip
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isReedStateSkipped(c.state, c.previous), c.skipped)
            << c.previous << "->" << c.state;
    }
    EXPECT_FALSE(isRestStateWrong(false, false, 0));
    EXPECT_FALSE(isRestStateWrong(false, false, 4));
    EXPECT_TRUE(isRestStateWrong(false, false, 2));
    EXPECT_FALSE(isRestStateWrong(true, false, 2));
}

TEST(SectorCheckEdges, LogLines) {
    struct Case {
        bool nowOn;
        std::int32_t degrees, ownLast;
        bool otherOn;
        std::int32_t otherLast;
        QString line;
    };
    const Case cases[] = {
        {false, 100, 40, true, 70, QStringLiteral("Aus 100 (60°)  33%  Über:16%")},
        {false, 100, 40, false, 70, QStringLiteral("Aus 100 (60°)  33%  Nach:16%")},
        {false, 40, 100, false, 0, QStringLiteral("Aus 40 (60°)  33%  Nach:22%")},
        {true, 100, 40, true, 70, QStringLiteral("An  100 (60°)")},
        {true, 100, 0, false, 70, QStringLiteral("An  100")},
        {false, 100, 0, true, 70, QStringLiteral("Aus 100")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(edgeLogLine(c.nowOn, c.degrees, c.ownLast, c.otherOn, c.otherLast), c.line)
            << c.line.toStdString();
    }
}

// Drives status replies through the analysis as the receiver does.
struct StatusDriver {
    DisplayState state;
    SectorStatusStep reply(int degrees, bool reed1, bool reed2, std::uint8_t reedState) {
        const std::uint32_t digit = digitFor(degrees);
        SectorStatusStep step = sectorStatusStep(state, reed1, reed2, digit, reedState);
        state.PrevWinkelDigit = digit;
        state.PrevReed1 = reed1;
        state.PrevReed2 = reed2;
        return step;
    }
};

TEST(SectorCheckEdges, ALiveRevolutionPassesAtItsLastEdge) {
    StatusDriver driver;
    driver.state.PrevWinkelDigit = digitFor(5);
    QStringList log1, log2;
    std::optional<std::uint32_t> ring;
    const struct {
        int degrees;
        bool reed1, reed2;
        std::uint8_t reedState;
    } replies[] = {
        {10, false, false, 0}, {20, true, false, 1},   {60, true, true, 2},   {110, false, true, 3},
        {130, false, true, 3}, {150, false, false, 4}, {200, true, false, 5}, {240, true, true, 6},
        {290, false, true, 7}, {330, false, false, 0},
    };
    for (const auto& r : replies) {
        const SectorStatusStep step = driver.reply(r.degrees, r.reed1, r.reed2, r.reedState);
        EXPECT_FALSE(step.wrapped);
        for (const auto* edge :
             {step.reed1 ? &*step.reed1 : nullptr, step.reed2 ? &*step.reed2 : nullptr}) {
            if (edge && edge->ring) {
                ring = edge->ring;
            }
        }
        if (step.reed1) {
            log1 << step.reed1->logLine;
        }
        if (step.reed2) {
            log2 << step.reed2->logLine;
        }
    }
    EXPECT_EQ(driver.state.Reed1Edges, (EdgeTable{20, 110, 200, 290}));
    EXPECT_EQ(driver.state.Reed2Edges, (EdgeTable{60, 150, 240, 330}));
    EXPECT_EQ(ring, kRingPassed);
    EXPECT_EQ(log1, (QStringList{"An  20", "Aus 110 (90°)  50%  Über:27%", "An  200 (90°)",
                                 "Aus 290 (90°)  50%  Über:27%"}));
    EXPECT_EQ(log2.last(), QStringLiteral("Aus 330 (90°)  50%  Nach:22%"));
    EXPECT_EQ(driver.state.ReedState, 0);
}

TEST(SectorCheckEdges, ASkippedStateTurnsTheRingRedEvenWhenTheCheckPasses) {
    StatusDriver driver;
    driver.state.Reed1Edges = {20, 110, 200, 290};
    driver.state.Reed2Edges = {60, 150, 240, 0};
    driver.state.PrevWinkelDigit = digitFor(320);
    driver.state.PrevReed2 = true;
    driver.state.ReedState = 5; // 5 -> 0 skips 6 and 7
    const SectorStatusStep step = driver.reply(330, false, false, 0);
    ASSERT_TRUE(step.reed2);
    EXPECT_TRUE(step.reed2->check.passed);
    EXPECT_EQ(step.reed2->ring, kRingFailed);
    EXPECT_EQ(driver.state.ReedState, 0);
}

TEST(SectorCheckEdges, IncompleteTablesLeaveTheRingAlone) {
    StatusDriver driver;
    driver.state.PrevWinkelDigit = digitFor(15);
    driver.state.ReedState = 0;
    const SectorStatusStep step = driver.reply(20, true, false, 1);
    ASSERT_TRUE(step.reed1);
    EXPECT_FALSE(step.reed1->check.complete);
    EXPECT_FALSE(step.reed1->ring.has_value());
    EXPECT_FALSE(step.reed2.has_value());
}

TEST(SectorCheckEdges, TheWrapEmptiesTheTablesBeforeTheEdgeOfTheSameReply) {
    StatusDriver driver;
    driver.state.Reed1Edges = {20, 110, 200, 290};
    driver.state.Reed2Edges = {60, 150, 240, 330};
    driver.state.LastReed1EdgeAngle = 290;
    driver.state.LastReed2EdgeAngle = 330;
    driver.state.PrevWinkelDigit = 1000;
    driver.state.ReedState = 0;
    const SectorStatusStep step = driver.reply(4, true, false, 1); // digit 12
    EXPECT_TRUE(step.wrapped);
    ASSERT_TRUE(step.reed1);
    EXPECT_EQ(step.reed1->logLine, QStringLiteral("An  4")); // no span: the last angle is gone
    EXPECT_EQ(driver.state.Reed1Edges, (EdgeTable{4, 0, 0, 0}));
    EXPECT_EQ(driver.state.Reed2Edges, (EdgeTable{}));
    EXPECT_EQ(driver.state.LastReed2EdgeAngle, 0);
}

TEST(SectorCheckEdges, StripFromTheSensorWords) {
    const SensorWords words = {57, 171, 313, 427, 569, 683, 825, 939};
    const SectorStrip clockwise = sectorStrip(words, true);
    EXPECT_EQ(clockwise.first[0].fromRow, 171 / 4);
    EXPECT_EQ(clockwise.first[0].toRow, 427 / 4);
    EXPECT_EQ(clockwise.first[1].fromRow, 683 / 4);
    EXPECT_EQ(clockwise.first[1].toRow, 939 / 4);
    EXPECT_EQ(clockwise.second[0].fromRow, 57 / 4);
    EXPECT_EQ(clockwise.second[1].toRow, 825 / 4);
    const SectorStrip counter = sectorStrip(words, false);
    EXPECT_EQ(counter.first[0].fromRow, 57 / 4);
    EXPECT_EQ(counter.second[1].toRow, 939 / 4);

    // Words above the sensor's range stay inside the picture.
    const SectorStrip wild = sectorStrip({0, 0, 0, 0, 1023, 4000, 40000, 65535}, true);
    EXPECT_EQ(wild.first[1].fromRow, kStripRows);
    EXPECT_EQ(wild.first[1].toRow, kStripRows);
    EXPECT_EQ(wild.second[1].fromRow, 255);

    EdgeTable reed1{}, reed2{};
    edgesFromSensorWords(words, reed1, reed2);
    EXPECT_EQ(reed1, (EdgeTable{20, 110, 200, 290}));
    EXPECT_EQ(reed2, (EdgeTable{60, 150, 240, 330}));
    EXPECT_TRUE(checkSectors(reed1, reed2).passed);
}

TEST(SectorCheckEdges, WhenTheStripIsTakenAndTheTraceHeld) {
    struct Case {
        bool analysisOn, checkPhase;
        std::uint32_t digit;
        bool reed1, reed2;
        bool shown, held;
    };
    const Case cases[] = {
        {true, true, 128, false, false, true, true},
        {true, true, 896, false, false, true, true},
        {true, true, 129, false, false, false, false},
        {true, true, 895, false, false, false, false},
        {true, true, 0, true, false, false, false},
        {true, true, 1000, false, true, false, false},
        {true, false, 0, false, false, true, false},
        {false, true, 0, false, false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isSectorStripShown(c.analysisOn, c.digit, c.reed1, c.reed2), c.shown) << c.digit;
        EXPECT_EQ(isLiveTraceHeld(c.analysisOn, c.checkPhase, c.digit, c.reed1, c.reed2), c.held)
            << c.digit;
    }
}

} // namespace
} // namespace zuvo
