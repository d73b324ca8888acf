// The receive buffer through a notification: pieces, garbage, frame ends, resynchronisation and
// the size limits.
#include "ReceiveEngineReplay.h"

#include <gtest/gtest.h>

#include <numeric>

namespace zuvo {
namespace {

using namespace replay;

const Bytes kStatus = statusReply({.statusByte = 0x83, .angle = 0x0123, .position = 5000});

Bytes garbage(std::size_t n) {
    return Bytes(n, 'x');
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + from, bytes.begin() + to);
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes held(const Receiver& r) {
    return Bytes(r.rx.RxBuffer.begin(), r.rx.RxBuffer.begin() + r.rx.RxCount);
}

// Each notification in turn, with what the buffer holds and whether a status reply was decoded.
TEST(ReceiveEngineBuffer, PiecesGarbageAndResynchronisation) {
    struct Step {
        Bytes piece;
        bool statusDecoded;
        Bytes heldAfter;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"status reply as 10 + 14 bytes",
         {{slice(kStatus, 0, 10), false, slice(kStatus, 0, 10)},
          {slice(kStatus, 10, 24), true, {}}}},
        {"30 garbage bytes, then a status reply as 12 + 12: no known length, ETX empties",
         {{garbage(30), false, garbage(30)},
          {slice(kStatus, 0, 12), false, concat(garbage(30), slice(kStatus, 0, 12))},
          {slice(kStatus, 12, 24), false, {}}}},
        {"150 garbage bytes and 10 of a status reply: cut to the reply's STX, then completed",
         {{concat(garbage(150), slice(kStatus, 0, 10)), false, slice(kStatus, 0, 10)},
          {slice(kStatus, 10, 24), true, {}}}},
        {"158 bytes held are not cut: a block of that length may still be arriving",
         {{concat(garbage(148), slice(kStatus, 0, 10)), false,
           concat(garbage(148), slice(kStatus, 0, 10))}}},
        {"more than 158 bytes without another STX stay", {{garbage(400), false, garbage(400)}}},
        {"the last STX wins",
         {{concat(concat(garbage(100), slice(kStatus, 0, 5)), concat(garbage(60), {kStx, '1'})),
           false, Bytes{kStx, '1'}}}},
        {"a reply followed by more bytes is not one",
         {{concat(kStatus, garbage(3)), false, concat(kStatus, garbage(3))}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver r;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const ReceiveOutcome out = receiveBytes(r.rx, r.state, c.steps[i].piece, r.context);
            EXPECT_EQ(out.status.has_value(), c.steps[i].statusDecoded);
            EXPECT_EQ(held(r), c.steps[i].heldAfter);
        }
    }
}

TEST(ReceiveEngineBuffer, AcknowledgeAtTheEndSetsTheFlagAndEmpties) {
    const Bytes cases[] = {{kAcknowledge}, concat(garbage(7), {kAcknowledge})};
    for (const auto& bytes : cases) {
        Receiver r;
        const ReceiveOutcome out = receiveBytes(r.rx, r.state, bytes, r.context);
        EXPECT_TRUE(out.acknowledged);
        EXPECT_TRUE(r.rx.AckReceived);
        EXPECT_EQ(r.rx.RxCount, 0u);
    }
    Receiver r; // an acknowledge inside the data is no acknowledge
    receiveBytes(r.rx, r.state, Bytes{kAcknowledge, 'x'}, r.context);
    EXPECT_FALSE(r.rx.AckReceived);
    EXPECT_EQ(r.rx.RxCount, 2u);
}

TEST(ReceiveEngineBuffer, UnframedDataIsDroppedBeyond1192BytesOnlyWhileTestValuesAreHidden) {
    struct Case {
        std::size_t bytes;
        bool testValuesShown;
        std::uint32_t heldAfter;
    };
    const Case cases[] = {
        {1192, false, 1192},
        {1193, false, 0},
        {1193, true, 1193},
        {5000, true, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        Receiver r;
        r.context.testValuesTabShown = c.testValuesShown;
        // In two notifications, so that the limit applies to what is held, not to one read.
        receiveBytes(r.rx, r.state, garbage(c.bytes - 1), r.context);
        receiveBytes(r.rx, r.state, garbage(1), r.context);
        EXPECT_EQ(r.rx.RxCount, c.heldAfter);
    }
}

TEST(ReceiveEngineBuffer, CaptionTextIsTakenUnlessTestValuesAreShown) {
    const Bytes line = textLine("#ZUVO controller ready");
    Receiver hidden;
    const ReceiveOutcome out = receiveBytes(hidden.rx, hidden.state, line, hidden.context);
    EXPECT_EQ(out.caption, " ZUVO controller ready");
    EXPECT_EQ(hidden.rx.RxCount, 0u);

    Receiver shown;
    shown.context.testValuesTabShown = true;
    receiveBytes(shown.rx, shown.state, line, shown.context);
    const ReceiveOutcome second =
        receiveBytes(shown.rx, shown.state, textLine("Cycles: 12"), shown.context);
    EXPECT_TRUE(second.empty());
    EXPECT_EQ(held(shown), concat(line, textLine("Cycles: 12")));
}

Bytes counting(std::size_t n, std::uint8_t first) {
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// More than fits: the test values keep their start, everything else keeps the newest bytes.
TEST(ReceiveEngineBuffer, AppendNeverGoesPast8192Bytes) {
    struct Case {
        const char* name;
        std::size_t heldBefore;
        std::size_t incoming;
        bool testValuesShown;
    };
    const Case cases[] = {
        {"fits exactly", 8000, 192, false},
        {"overflow, test values shown", 8000, 500, true},
        {"overflow, test values hidden", 8000, 500, false},
        {"one read larger than the buffer, shown", 100, 65535, true},
        {"one read larger than the buffer, hidden", 100, 65535, false},
        {"full buffer, shown", 8192, 10, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiveFields rx;
        ReceiveContext context;
        context.testValuesTabShown = c.testValuesShown;
        const Bytes before = counting(c.heldBefore, 0);
        const Bytes incoming = counting(c.incoming, 7);
        appendReceived(rx, before, context);
        appendReceived(rx, incoming, context);

        Bytes all = concat(before, incoming);
        if (all.size() > kRxBufferSize) {
            all = c.testValuesShown ? slice(all, 0, kRxBufferSize)
                                    : slice(all, all.size() - kRxBufferSize, all.size());
        }
        ASSERT_LE(rx.RxCount, kRxBufferSize);
        EXPECT_EQ(Bytes(rx.RxBuffer.begin(), rx.RxBuffer.begin() + rx.RxCount), all);
    }
}

TEST(ReceiveEngineBuffer, AHugeReadStillEndsInItsReply) {
    const Bytes flood = concat(garbage(20000), versionFrame(0x3C));
    Receiver r;
    const ReceiveOutcome out = receiveBytes(r.rx, r.state, flood, r.context);
    EXPECT_EQ(out.version, 0x3C);
    EXPECT_EQ(r.rx.RxCount, 0u);

    Receiver collecting; // the test values keep the start and drop the rest
    collecting.context.testValuesTabShown = true;
    receiveBytes(collecting.rx, collecting.state, flood, collecting.context);
    EXPECT_EQ(collecting.rx.RxCount, kRxBufferSize);
    EXPECT_NE(collecting.state.FirmwareVersion, 0x3C);
}

} // namespace
} // namespace zuvo
