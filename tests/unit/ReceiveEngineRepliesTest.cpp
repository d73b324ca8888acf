// What the receive engine takes from each reply into the device state and hands to the window.
#include "ReceiveEngineReplay.h"

#include <gtest/gtest.h>

namespace zuvo {
namespace {

using namespace replay;

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

ReceiveOutcome receiveWhole(Receiver& r, const Bytes& bytes) {
    return receiveBytes(r.rx, r.state, bytes, r.context);
}

TEST(ReceiveEngineStatus, DerivesSpeedAngleAndPosition) {
    struct Case {
        const char* name;
        StatusFields fields;
        std::uint8_t firmwareBefore;
        bool winkelFromPosition;
        ReceiveContext context;
        int rpm;
        std::uint8_t firmwareAfter;
        std::uint32_t winkel;
        double positionMm;
    };
    const Case cases[] = {
        {"S 700 proves the fine unit",
         {.angle = 0x13FF, .speed = 700, .position = 2048},
         0,
         false,
         {.turns = 100, .strokeMm = 1000},
         410,
         60,
         0x3FF,
         1000 * 2048 / 102400.0},
        {"S 500 on old firmware, sensor on the motor axis",
         {.speed = 500},
         0,
         false,
         {.sensorOnMotorAxis = true},
         4880,
         0,
         0,
         0},
        {"S 500 on old firmware, sensor on the gear", {.speed = 500}, 0, false, {}, 4882, 0, 0, 0},
        {"S 6 is standstill", {.speed = 6}, 60, false, {}, 0, 60, 0, 0},
        {"position -1",
         {.angle = 0x0010, .position = -1},
         60,
         false,
         {.turns = 100, .strokeMm = 1000},
         0,
         60,
         0x010,
         -1000 / 102400.0},
        {"angle digit from the position",
         {.angle = 0x0010, .position = 0x12345},
         60,
         true,
         {.turns = 0, .strokeMm = 1000},
         0,
         60,
         0x345,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver r;
        r.context = c.context;
        r.state.FirmwareVersion = c.firmwareBefore;
        r.state.WinkelFromPosition = c.winkelFromPosition;
        const ReceiveOutcome out = receiveWhole(r, statusReply(c.fields));
        ASSERT_TRUE(out.status);
        EXPECT_EQ(out.status->rpm, c.rpm);
        EXPECT_EQ(out.status->winkelDigit, c.winkel);
        ASSERT_TRUE(out.status->position);
        EXPECT_DOUBLE_EQ(out.status->position->mm, c.positionMm);
        EXPECT_EQ(r.state.FirmwareVersion, c.firmwareAfter);
        EXPECT_EQ(r.state.LastPositionCounts, c.fields.position);
        EXPECT_DOUBLE_EQ(r.state.PositionMm, c.positionMm);
        EXPECT_FALSE(r.state.ReplyPending);
        EXPECT_EQ(r.rx.RxCount, 0u);
    }
}

// A field that does not convert ends the decoding there: what came before it is kept.
TEST(ReceiveEngineStatus, StopsAtTheFirstFieldThatIsNotHex) {
    const Bytes good = statusReply(
        {.statusByte = 0x05, .angle = 0x0200, .speed = 700, .position = 4096, .inputs = 0x10});
    struct Case {
        std::size_t badOffset;
        bool zone, winkel, speed, position;
    };
    const Case cases[] = {
        {1, false, false, false, false}, // status byte
        {3, true, false, false, false},  // reed state
        {7, true, false, false, false},  // angle
        {10, true, true, false, false},  // speed
        {20, true, true, true, false},   // position
        {21, true, true, true, true},    // inputs: for the window to stop at
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.badOffset);
        Bytes bytes = good;
        bytes[c.badOffset] = 'G';
        Receiver r;
        r.state.LastPositionCounts = -7;
        const ReceiveOutcome out = receiveWhole(r, bytes);
        ASSERT_TRUE(out.status);
        EXPECT_EQ(out.status->zoneToDraw.has_value(), c.zone);
        EXPECT_EQ(r.state.ZoneIndex, c.zone ? 5 : kNoZone);
        EXPECT_EQ(out.status->winkelDigit.has_value(), c.winkel);
        EXPECT_EQ(out.status->rpm.has_value(), c.speed);
        EXPECT_EQ(r.state.FirmwareVersion, c.speed ? 60 : 0);
        EXPECT_EQ(out.status->position.has_value(), c.position);
        EXPECT_EQ(r.state.LastPositionCounts, c.position ? 4096 : -7);
        EXPECT_FALSE(out.status->complete());
        EXPECT_FALSE(r.state.ReplyPending);
        EXPECT_EQ(r.rx.RxCount, 0u);
    }
}

TEST(ReceiveEngineStatus, DrawsAZoneOnlyWhenItIsNewAndValid) {
    Receiver r;
    EXPECT_EQ(receiveWhole(r, statusReply({.statusByte = 0xC3})).status->zoneToDraw, 3);
    EXPECT_FALSE(receiveWhole(r, statusReply({.statusByte = 0x03})).status->zoneToDraw);
    EXPECT_FALSE(receiveWhole(r, statusReply({.statusByte = 0x09})).status->zoneToDraw);
    EXPECT_EQ(r.state.ZoneIndex, 3);
    EXPECT_EQ(receiveWhole(r, statusReply({.statusByte = 0x08})).status->zoneToDraw, 8);
}

TEST(ReceiveEngineSensorWords, AreSortedIntoTheStateUnlessAFieldIsNotHex) {
    const std::array<std::uint16_t, 8> unsorted{900, 30, 0xFFFF, 512, 7, 1023, 400, 0};
    const SensorWords sorted{0, 7, 30, 400, 512, 900, 1023, 0xFFFF};
    for (bool recording : {false, true}) {
        Receiver r;
        r.context.recordingViewShown = recording;
        const ReceiveOutcome out = receiveWhole(r, sensorWordsReply(unsorted));
        ASSERT_TRUE(out.sensorWords);
        EXPECT_EQ(out.sensorWords->words, sorted);
        EXPECT_EQ(out.sensorWords->pollIntervalMs, recording ? 5 : 10);
        EXPECT_EQ(r.state.SensorWords, sorted);
        EXPECT_FALSE(r.state.ReplyPending);
    }

    Bytes malformed = sensorWordsReply(unsorted);
    malformed[30] = 'z';
    Receiver r;
    r.state.SensorWords = sorted;
    const ReceiveOutcome out = receiveWhole(r, malformed);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(r.state.SensorWords, sorted);
    EXPECT_FALSE(r.state.ReplyPending); // it still answered the poll
    EXPECT_EQ(r.rx.RxCount, 0u);
}

// E grows with a block one word longer and never shrinks: the old length is dropped at its ETX.
TEST(ReceiveEngineParameterBlock, TakesBothLengthsAndOnlyGrowsE) {
    struct Step {
        std::uint8_t wordsBeyond16; // of the reply
        std::uint16_t first;        // its words count up from here
        bool taken;
        std::uint8_t extraWordsAfter;
    };
    const Step steps[] = {
        {20, 0x0100, true, 20}, // 154 bytes
        {21, 0x0200, true, 21}, // 158 bytes
        {20, 0x0300, false, 21}, {21, 0x0400, true, 21},
        {23, 0x0500, false, 21}, // two words longer
    };
    Receiver r;
    for (const auto& step : steps) {
        const Bytes reply = parameterBlockReply(step.wordsBeyond16, step.first, 1000, 200);
        SCOPED_TRACE(reply.size());
        r.state.ParamReadPending = r.state.ReplyPending = true;
        const ReceiveOutcome out = receiveWhole(r, reply);
        EXPECT_EQ(out.parameterBlock.has_value(), step.taken);
        EXPECT_EQ(r.state.ExtraWordCount, step.extraWordsAfter);
        EXPECT_EQ(r.state.ParamReadPending, !step.taken);
        EXPECT_EQ(r.state.ReplyPending, !step.taken);
        EXPECT_EQ(r.rx.RxCount, 0u);
        if (out.parameterBlock) {
            const auto& words = out.parameterBlock->words;
            ASSERT_EQ(words.size(), 16u + step.extraWordsAfter);
            EXPECT_EQ(words.front(), step.first);
            EXPECT_EQ(words.back(), step.first + words.size() - 1);
            EXPECT_EQ(out.parameterBlock->kali10V, 1000);
            EXPECT_EQ(out.parameterBlock->kali4mA, 200);
        }
    }
}

TEST(ReceiveEngineParameterBlock, IsTakenWithFurtherBytesBehindIt) {
    const Bytes block = parameterBlockReply(20, 0x0100, 1000, 200);
    Bytes withTail = block;
    withTail.insert(withTail.end(), {'1', '2'});
    Receiver r;
    ASSERT_TRUE(receiveWhole(r, withTail).parameterBlock);
    EXPECT_EQ(r.rx.RxCount, withTail.size()); // no frame end yet

    // A version frame right behind a block: 158 bytes, but not a longer block.
    Bytes withVersion = block;
    const Bytes version = versionFrame(0x3C);
    withVersion.insert(withVersion.end(), version.begin(), version.end());
    Receiver v;
    const ReceiveOutcome out = receiveWhole(v, withVersion);
    ASSERT_TRUE(out.parameterBlock);
    EXPECT_EQ(out.parameterBlock->words.size(), 36u);
    EXPECT_EQ(v.state.ExtraWordCount, 20);
    EXPECT_EQ(out.version, 0x3C);
}

TEST(ReceiveEngineVersion, IsTakenAtTheEndOfTheData) {
    struct Case {
        Bytes bytes;
        std::uint8_t version;
    };
    const Case cases[] = {
        {versionFrame(0x3C), 0x3C},
        {versionFrame(0x90), 0x90},
        {Bytes{'a', 'b', kStx, 'V', 0x41, kEtx}, 0x41},
    };
    for (const auto& c : cases) {
        Receiver r;
        const ReceiveOutcome out = receiveWhole(r, c.bytes);
        EXPECT_EQ(out.version, c.version);
        EXPECT_EQ(r.state.FirmwareVersion, c.version);
        EXPECT_EQ(r.rx.RxCount, 0u);
    }
    EXPECT_EQ(versionCaption(0x90), "V-112");
}

// A controller that has just started sends its version frame and its first reply in one go. Both
// are taken, the version first: the reply decodes exactly as it would after the version alone.
TEST(ReceiveEngineVersion, InFrontOfAReplyIsTakenBeforeIt) {
    const Bytes status =
        statusReply({.statusByte = 0x05, .angle = 0x0123, .speed = 500, .position = 4096});
    const Bytes status28 = statusReply(
        {.angle = 0x0200, .speed = 700, .position = -5, .withTurnCount = true, .turnCount = 3});
    struct Case {
        const char* name;
        std::uint8_t version;
        Bytes reply;
        std::uint8_t extraBefore;
        std::vector<std::size_t> cuts; // where notifications start inside version + reply
        bool taken;
    };
    const Case cases[] = {
        {"status", 0x3C, status, 20, {}, true},
        {"status of older firmware", 59, status, 20, {}, true},
        {"28-byte status", 0x3C, status28, 20, {}, true},
        {"block with E = 20", 0x3C, parameterBlockReply(20), 20, {}, true},
        {"block with E = 21", 0x3D, parameterBlockReply(21, 0x0200), 21, {}, true},
        {"block one word longer", 0x3C, parameterBlockReply(21, 0x0300), 20, {}, true},
        {"sensor words",
         0x3C,
         sensorWordsReply({900, 30, 0xFFFF, 512, 7, 1023, 400, 0}),
         20,
         {},
         true},
        {"acknowledge", 0x3C, Bytes{kAcknowledge}, 20, {}, true},
        {"version split across reads", 0x3C, status, 20, {3}, true},
        {"block split across reads", 0x3C, parameterBlockReply(20), 20, {2, 104}, true},
        // Not one whole reply behind it: handled as before.
        {"block with bytes behind it",
         0x3C,
         concat(parameterBlockReply(20), bytesOf("12")),
         20,
         {},
         false},
        {"block two words longer", 0x3C, parameterBlockReply(22), 20, {}, false},
        {"unknown frame", 0x3C, framed("nothing known"), 20, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver glued;
        glued.state.ExtraWordCount = c.extraBefore;
        feedInPieces(glued, {concat(versionFrame(c.version), c.reply)}, {c.cuts});
        if (!c.taken) {
            EXPECT_TRUE(glued.outcomes.empty());
            EXPECT_EQ(glued.state.FirmwareVersion, 0);
            EXPECT_EQ(glued.state.ExtraWordCount, c.extraBefore);
            continue;
        }
        Receiver alone;
        alone.state.ExtraWordCount = c.extraBefore;
        alone.feed(versionFrame(c.version));
        alone.feed(c.reply);
        ASSERT_EQ(alone.outcomes.size(), 2u);

        ASSERT_EQ(glued.outcomes.size(), 1u);
        ReceiveOutcome out = glued.outcomes.front();
        EXPECT_EQ(out.leadingVersion, c.version);
        out.leadingVersion.reset();
        EXPECT_EQ(out, alone.outcomes.back());
        EXPECT_EQ(engineWrittenState(glued), engineWrittenState(alone));
        EXPECT_EQ(glued.rx.RxCount, 0u);
    }

    // The values themselves, not a 28-byte status or a longer block made of both.
    Receiver r;
    const ReceiveOutcome out = receiveWhole(r, concat(versionFrame(0x3C), status));
    ASSERT_TRUE(out.status);
    EXPECT_EQ(out.status->length, 24u);
    ASSERT_TRUE(out.status->position);
    EXPECT_EQ(out.status->position->counts, 4096);
    EXPECT_EQ(out.status->winkelDigit, 0x0123u);
    EXPECT_EQ(out.status->rpm, 292); // 500 x 600 / 1024 in the unit of version 60
    Receiver old;
    EXPECT_EQ(receiveWhole(old, concat(versionFrame(59), status)).status->rpm, 4882);
    Receiver b;
    const ReceiveOutcome block =
        receiveWhole(b, concat(versionFrame(0x3C), parameterBlockReply(20)));
    ASSERT_TRUE(block.parameterBlock);
    EXPECT_EQ(block.parameterBlock->words.size(), 36u);
    EXPECT_EQ(block.parameterBlock->words.front(), 0x0100);
    EXPECT_EQ(b.state.ExtraWordCount, 20);
}

} // namespace
} // namespace zuvo
