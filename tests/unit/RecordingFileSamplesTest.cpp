#include "service/PositionRecord.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

constexpr ChartScale kChart{5, 100, 10}; // 5 columns, 100 rows, divider 10

bool sameSegment(const TraceSegment& a, const TraceSegment& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

TEST(RecordingFileSamples, EachSweepStartsWithoutDrawing) {
    PositionRecord record;
    // Turns 1: 1024 counts are the full stroke, so 512 counts lie at half height.
    EXPECT_FALSE(record.take(0, 1, kChart)); // first sample: x = 1, nothing to join
    const auto second = record.take(512, 1, kChart);
    ASSERT_TRUE(second);
    // The count grows by 512: the change is drawn above the middle line (50 - 512 / 10).
    EXPECT_TRUE(sameSegment(second->difference, {2, 50, 2, -1}));
    EXPECT_TRUE(sameSegment(second->position, {1, 100, 2, 50}));

    const auto third = record.take(256, 1, kChart);
    ASSERT_TRUE(third);
    EXPECT_TRUE(sameSegment(third->difference, {3, -1, 3, 75}));
    EXPECT_TRUE(sameSegment(third->position, {2, 50, 3, 75}));
    ASSERT_TRUE(record.take(256, 1, kChart)); // x = 4

    // Sample number W reaches x = 0: a new sweep, the previous difference forgotten.
    EXPECT_FALSE(record.take(1024, 1, kChart));
    const auto sixth = record.take(0, 1, kChart);
    ASSERT_TRUE(sixth);
    EXPECT_TRUE(sameSegment(sixth->difference, {1, 50, 1, 152}));
    EXPECT_TRUE(sameSegment(sixth->position, {0, 0, 1, 100}));
    EXPECT_EQ(record.count(), 6);
}

TEST(RecordingFileSamples, ClearStartsOverAndNoTurnsKeepTheTraceAtTheBottom) {
    PositionRecord record;
    record.take(100, 1, kChart);
    record.take(200, 1, kChart);
    record.clear();
    EXPECT_EQ(record.count(), 0);
    EXPECT_FALSE(record.take(5000, 0, kChart));
    const auto second = record.take(6024, 0, kChart);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->position.y1, 100);
    EXPECT_EQ(second->position.y2, 100);
    EXPECT_EQ(record.plotHeight(1), 0);
    EXPECT_EQ(record.hundredths(1), 588); // the positions are recorded all the same
}

TEST(RecordingFileSamples, TheIndexWrapsAfterTwentyThousandSamples) {
    PositionRecord record;
    const ChartScale wide{30000, 100, 100};
    for (int i = 0; i < PositionRecord::kCapacity - 1; ++i) {
        record.take(i, 100, wide);
    }
    EXPECT_EQ(record.count(), PositionRecord::kCapacity - 1);
    EXPECT_FALSE(record.take(7, 100, wide)); // n wraps to 0
    EXPECT_EQ(record.count(), 0);
    EXPECT_FALSE(record.take(8, 100, wide)); // n = 1
    EXPECT_TRUE(record.take(9, 100, wide));
}

TEST(RecordingFileSamples, WildInputStaysFinite) {
    PositionRecord record;
    const ChartScale noDivider{5, 100, 0}; // a divider below 1 counts as 1
    record.take(INT32_MAX, 1, noDivider);
    const auto far = record.take(INT32_MIN, 1, noDivider);
    ASSERT_TRUE(far);
    EXPECT_GT(far->difference.y2, 1'000'000);
    EXPECT_GT(far->position.y2, 1'000'000); // far below the chart, clipped when drawn
    EXPECT_LT(far->position.y1, -1'000'000);

    const ChartScale noWidth{0, 100, 10};
    EXPECT_FALSE(record.take(1, 1, noWidth));
    EXPECT_FALSE(record.take(2, 1, noWidth));
}

TEST(RecordingFileSamples, StopStartCaptions) {
    bool recording = true;
    recording = !recording;
    EXPECT_EQ(recordButtonCaption(recording), QStringLiteral("START"));
    recording = !recording;
    EXPECT_EQ(recordButtonCaption(recording), QStringLiteral("STOP"));
}

} // namespace
} // namespace zuvo
