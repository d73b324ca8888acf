#include "device/SectorCheck.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

const EdgeTable kReed1 = {20, 110, 200, 290};
const EdgeTable kReed2 = {60, 150, 240, 330};

TEST(SectorCheck, WellPlacedSwitchesPassWithTheFullTable) {
    const SectorCheck check = checkSectors(kReed1, kReed2);
    ASSERT_TRUE(check.complete);
    EXPECT_TRUE(check.passed);
    const QStringList expected = {
        QStringLiteral("Anfang: \t\t20° "),     QString(),
        QStringLiteral("Vorlauf1: \t\t40° "),   QStringLiteral("Überschneidung1: \t50° "),
        QStringLiteral("Nachlauf1: \t40° "),    QString(),
        QStringLiteral("Zwischenraum: \t50° "), QString(),
        QStringLiteral("Vorlauf2: \t\t40° "),   QStringLiteral("Überschneidung2: \t50° "),
        QStringLiteral("Nachlauf2: \t40° "),    QString(),
        QStringLiteral("Ende : \t\t30° "),
    };
    EXPECT_EQ(check.table, expected);
    // Characters, not the bytes of some encoding.
    EXPECT_EQ(check.table[3].front(), QChar(0x00DC));
    EXPECT_EQ(check.table[0].at(check.table[0].size() - 2), QChar(0x00B0));
    // Every A value is marked (rows 20, 110, 200, 290 degrees x 100 / 140).
    EXPECT_EQ(check.markRows, (std::vector<int>{14, 78, 142, 207}));
}

TEST(SectorCheck, EdgesStoredInAnyOrderGiveTheSameResult) {
    const SectorCheck forward = checkSectors(kReed1, kReed2);
    const SectorCheck backward = checkSectors({290, 200, 110, 20}, {330, 60, 240, 150});
    EXPECT_EQ(backward.table, forward.table);
    EXPECT_EQ(backward.markRows, forward.markRows);
    EXPECT_TRUE(backward.passed);
}

TEST(SectorCheck, VerdictAndFlagAtTheLimit) {
    struct Case {
        const char* name;
        EdgeTable reed1;
        EdgeTable reed2;
        bool passed;
        int line; // index into the table
        QString text;
    };
    const Case cases[] = {
        // Exactly 15 is not flagged but fails.
        {"lead 15", kReed1, {35, 150, 240, 330}, false, 2, QStringLiteral("Vorlauf1: \t\t15° ")},
        {"lead 16", kReed1, {36, 150, 240, 330}, true, 2, QStringLiteral("Vorlauf1: \t\t16° ")},
        {"lead 14",
         kReed1,
         {34, 150, 240, 330},
         false,
         2,
         QStringLiteral("Vorlauf1: \t\t14° !!!!!")},
        {"start 15", {15, 110, 200, 290}, kReed2, false, 0, QStringLiteral("Anfang: \t\t15° ")},
        {"start 10",
         {10, 110, 200, 290},
         kReed2,
         false,
         0,
         QStringLiteral("Anfang: \t\t10° !!!!!")},
        {"end 15", kReed1, {60, 150, 240, 345}, false, 12, QStringLiteral("Ende : \t\t15° ")},
        {"end 16", kReed1, {60, 150, 240, 344}, true, 12, QStringLiteral("Ende : \t\t16° ")},
        {"gap 15", {20, 110, 165, 290}, kReed2, false, 6, QStringLiteral("Zwischenraum: \t15° ")},
        {"overlap 2 of 15",
         {20, 110, 200, 255},
         kReed2,
         false,
         9,
         QStringLiteral("Überschneidung2: \t15° ")},
        {"trail 2 negative",
         {20, 110, 200, 335},
         kReed2,
         false,
         10,
         QStringLiteral("Nachlauf2: \t-5° !!!!!")},
    };
    for (const auto& c : cases) {
        const SectorCheck check = checkSectors(c.reed1, c.reed2);
        ASSERT_TRUE(check.complete) << c.name;
        EXPECT_EQ(check.passed, c.passed) << c.name;
        ASSERT_EQ(check.table.size(), 13) << c.name;
        EXPECT_EQ(check.table[c.line], c.text) << c.name;
    }
}

TEST(SectorCheck, AnEmptySlotLeavesEverythingAlone) {
    for (std::size_t slot = 0; slot < 4; ++slot) {
        EdgeTable reed1 = kReed1;
        EdgeTable reed2 = kReed2;
        reed1[slot] = 0;
        EXPECT_FALSE(checkSectors(reed1, kReed2).complete) << slot;
        reed2[slot] = 0;
        const SectorCheck check = checkSectors(kReed1, reed2);
        EXPECT_FALSE(check.complete) << slot;
        EXPECT_FALSE(check.passed);
        EXPECT_TRUE(check.table.isEmpty());
        EXPECT_TRUE(check.markRows.empty());
    }
}

TEST(SectorCheck, SortingCountsEqualValuesOnce) {
    EXPECT_EQ(sortedEdges({200, 20, 110, 20}),
              (std::array<std::int32_t, 5>{20, 110, 200, kMissingEdge, kMissingEdge}));
    EXPECT_EQ(sortedEdges({50, 50, 50, 50}), (std::array<std::int32_t, 5>{50, 999, 999, 999, 999}));
    EXPECT_EQ(sortedEdges({-5, 30, 20, 10}), (std::array<std::int32_t, 5>{10, 20, 30, 999, 999}));
    // Angles from sensor words beyond one revolution are edges like any other, 999 included;
    // 999 stands in only for a pick that finds nothing, and the next pick goes on from it.
    EXPECT_EQ(sortedEdges({1500, 20, 999, 23039}),
              (std::array<std::int32_t, 5>{20, 999, 1500, 23039, 999}));
    EXPECT_EQ(sortedEdges({20, 2000, 2000, 2000}),
              (std::array<std::int32_t, 5>{20, 2000, 999, 2000, 999}));

    // All eight slots alike (sensor words all equal): a table full of failures, no crash.
    const SectorCheck check = checkSectors({50, 50, 50, 50}, {50, 50, 50, 50});
    ASSERT_TRUE(check.complete);
    EXPECT_FALSE(check.passed);
    EXPECT_EQ(check.table[2], QStringLiteral("Vorlauf1: \t\t0° !!!!!"));
    EXPECT_EQ(check.table[12], QStringLiteral("Ende : \t\t-639° !!!!!"));
}

TEST(SectorCheck, MarksFollowTheirOwnOrderTest) {
    struct Case {
        const char* name;
        EdgeTable reed1;
        EdgeTable reed2;
        std::vector<int> rows;
    };
    const Case cases[] = {
        // Reed2 leading: the order B0 < A0 < B1 ... that the marks look for holds; none drawn.
        {"reed2 first", kReed2, kReed1, {}},
        // Both tests true at p = 0: the A mark comes before the B mark.
        {"both at p 0", {100, 200, 280, 340}, {95, 105, 210, 290}, {71, 75}},
        // Only B(p+1) too close after A(p).
        {"B close after A", {100, 200, 260, 330}, {50, 105, 205, 265}, {75, 146, 189}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkSectors(c.reed1, c.reed2).markRows, c.rows) << c.name;
    }
}

} // namespace
} // namespace zuvo
