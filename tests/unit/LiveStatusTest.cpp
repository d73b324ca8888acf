// What one status reply shows, worked out once for the window and zuvoctl: the fields in their
// order up to the first that did not convert, and the values derived from them.

#include "device/LiveStatus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zuvo {
namespace {

// A whole 28-byte reply, as decoded.
StatusReply wholeLongReply() {
    StatusReply r;
    r.length = kStatusReplyWithTurnCountLength;
    r.statusByte = 0x85; // Reed1, zone 5
    r.reedState = 3;
    r.angleField = 0x1201;
    r.speedRaw = 700;
    r.position = -5000;
    r.reedTurnCount = 42;
    r.inputs = 0x01;
    return r;
}

TEST(LiveStatus, EndsAtTheFirstFieldThatDidNotConvert) {
    struct Case {
        const char* name;
        std::optional<std::uint8_t> StatusReply::*byteField;
        std::optional<std::uint16_t> StatusReply::*wordField;
        bool positionMissing;
        // How many of these are there: bits, reed state, angle, speed, position, turn count,
        // inputs.
        int shownUpTo;
    };
    const Case cases[] = {
        {"status byte", &StatusReply::statusByte, nullptr, false, 0},
        {"reed state", &StatusReply::reedState, nullptr, false, 1},
        {"angle", nullptr, &StatusReply::angleField, false, 2},
        {"speed", nullptr, &StatusReply::speedRaw, false, 3},
        {"position", nullptr, nullptr, true, 4},
        {"turn count while shown", nullptr, &StatusReply::reedTurnCount, false, 5},
        {"inputs", &StatusReply::inputs, nullptr, false, 6},
        {"nothing missing", nullptr, nullptr, false, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StatusReply reply = wholeLongReply();
        if (c.byteField != nullptr) {
            (reply.*c.byteField).reset();
        }
        if (c.wordField != nullptr) {
            (reply.*c.wordField).reset();
        }
        if (c.positionMissing) {
            reply.position.reset();
        }
        const LiveStatus s = liveStatus(reply, {.turnCountShown = true});
        EXPECT_EQ(s.length, 28u);
        EXPECT_EQ(s.bits.has_value(), c.shownUpTo >= 1);
        EXPECT_EQ(s.zoneToDraw.has_value(), c.shownUpTo >= 1);
        EXPECT_EQ(s.reedState.has_value(), c.shownUpTo >= 2);
        EXPECT_EQ(s.winkelDigit.has_value(), c.shownUpTo >= 3);
        EXPECT_EQ(s.rpm.has_value(), c.shownUpTo >= 4);
        EXPECT_EQ(s.position.has_value(), c.shownUpTo >= 5);
        EXPECT_EQ(s.reeds.has_value(), c.shownUpTo >= 5);
        EXPECT_EQ(s.reedTurnCount.has_value(), c.shownUpTo >= 6);
        EXPECT_EQ(s.inputs.has_value(), c.shownUpTo >= 7);
        EXPECT_EQ(s.complete(), c.shownUpTo == 7);
    }
}

TEST(LiveStatus, ATurnCountThatIsNotShownDoesNotHoldBackTheInputs) {
    StatusReply reply = wholeLongReply();
    reply.reedTurnCount.reset();
    const LiveStatus hidden = liveStatus(reply, {.turnCountShown = false});
    EXPECT_FALSE(hidden.reedTurnCount);
    EXPECT_TRUE(hidden.complete());
    EXPECT_FALSE(liveStatus(reply, {.turnCountShown = true}).complete());
    // A short reply has no turn count to wait for, shown or not.
    reply.length = 24;
    EXPECT_TRUE(liveStatus(reply, {.turnCountShown = true}).complete());
}

TEST(LiveStatus, DerivedValues) {
    const LiveStatus s = liveStatus(wholeLongReply(), {.zoneDrawn = 5,
                                                       .firmwareVersion = 0,
                                                       .turns = 100,
                                                       .strokeMm = 1000,
                                                       .turnCountShown = true});
    ASSERT_TRUE(s.complete());
    EXPECT_FALSE(s.zoneToDraw); // zone 5 is drawn already
    EXPECT_TRUE(s.bits->reed1);
    EXPECT_EQ(s.reedStateDegrees, 135);
    EXPECT_EQ(s.winkelDigit, 0x201u);
    EXPECT_EQ(s.rpm, 410);
    EXPECT_EQ(s.firmwareVersion, 60); // 700 proves the fine unit
    EXPECT_EQ(s.position->counts, -5000);
    EXPECT_EQ(s.position->revolutions, -5);
    EXPECT_DOUBLE_EQ(s.position->mm, -5000 * 1000 / 102400.0);
    EXPECT_EQ(s.position->strokePercent, 0);
    EXPECT_EQ(s.reeds, (ReedSample{0x201, true, false, 3}));
    EXPECT_EQ(s.reedTurnCount, 42);
    EXPECT_TRUE(s.inputs->pushButtonS1);

    // The service toggle takes the digit from the position, which only a whole position gives.
    const LiveStatus fromPosition =
        liveStatus(wholeLongReply(), {.winkelFromPosition = true, .turnCountShown = true});
    EXPECT_EQ(fromPosition.winkelDigit, static_cast<std::uint32_t>(-5000) & 0x3FFu);
    EXPECT_EQ(fromPosition.reeds->winkelDigit, *fromPosition.winkelDigit);
    StatusReply noPosition = wholeLongReply();
    noPosition.position.reset();
    EXPECT_FALSE(liveStatus(noPosition, {.winkelFromPosition = true}).winkelDigit);
}

TEST(LiveStatus, StrokeBars) {
    struct Case {
        std::int32_t counts;
        int percent;
        int barWidth; // of 450
    };
    const Case cases[] = {
        {153600, 100, 450}, // past the set stroke
        {51200, 50, 225},   {1024, 1, 4}, {0, 0, 0}, {-1024, 0, 0},
    };
    for (const Case& c : cases) {
        StatusReply reply = wholeLongReply();
        reply.position = c.counts;
        const LiveStatus s = liveStatus(reply, {.turns = 100, .strokeMm = 1000});
        EXPECT_EQ(s.position->strokePercent, c.percent) << c.counts;
        EXPECT_EQ(strokeBarWidth(s.position->strokeFraction, 450), c.barWidth) << c.counts;
    }
    EXPECT_EQ(strokeBarWidth(std::numeric_limits<double>::quiet_NaN(), 450), 0);
}

} // namespace
} // namespace zuvo
