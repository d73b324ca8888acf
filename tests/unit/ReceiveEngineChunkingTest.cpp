// Whole frames give the same results however the serial component splits them into
// notifications.
#include "ReceiveEngineReplay.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace zuvo {
namespace {

using namespace replay;

struct Stream {
    std::vector<Bytes> frames;
    std::size_t recognisable = 0; // frames the receiver takes something from
};

// One frame of every kind the receiver knows, in an order that also grows E.
Stream everyKind() {
    Stream s;
    s.frames = {
        statusReply({.statusByte = 0xC3, .angle = 0x13FF, .speed = 700, .position = -1}),
        statusReply({.statusByte = 0x45, .position = 77, .withTurnCount = true, .turnCount = 9}),
        sensorWordsReply({900, 30, 0xFFFF, 512, 7, 1023, 400, 0}),
        parameterBlockReply(20),
        parameterBlockReply(21, 0x0200),
        parameterBlockReply(20), // no longer a block
        Bytes{kAcknowledge},
        textLine("#ready"),
        versionFrame(0x90),
        framed("nothing known"),
        parameterBlockReply(21, 0x0300),
    };
    s.recognisable = 9;
    return s;
}

Receiver wholeFrames(const std::vector<Bytes>& frames, const ReceiveContext& context) {
    Receiver r;
    r.context = context;
    feedInPieces(r, frames, {});
    return r;
}

void expectSameAs(const Receiver& whole, const Receiver& pieces) {
    EXPECT_EQ(pieces.outcomes, whole.outcomes);
    EXPECT_EQ(engineWrittenState(pieces), engineWrittenState(whole));
}

TEST(ReceiveEngineChunking, EverySplitOfEveryFrameGivesTheSameResults) {
    const Stream s = everyKind();
    const Receiver whole = wholeFrames(s.frames, {});
    ASSERT_EQ(whole.outcomes.size(), s.recognisable);

    for (std::size_t f = 0; f < s.frames.size(); ++f) {
        for (std::size_t cut = 1; cut < s.frames[f].size(); ++cut) {
            SCOPED_TRACE(testing::Message() << "frame " << f << " cut at " << cut);
            std::vector<std::vector<std::size_t>> cuts(s.frames.size());
            cuts[f] = {cut};
            Receiver pieces;
            feedInPieces(pieces, s.frames, cuts);
            expectSameAs(whole, pieces);
        }
    }

    Receiver byteByByte;
    std::vector<std::vector<std::size_t>> everyByte;
    for (const auto& frame : s.frames) {
        everyByte.emplace_back(frame.size());
        std::iota(everyByte.back().begin(), everyByte.back().end(), 0);
    }
    feedInPieces(byteByByte, s.frames, everyByte);
    expectSameAs(whole, byteByByte);
}

TEST(ReceiveEngineChunking, RandomStreamsInRandomPiecesGiveTheSameResults) {
    std::mt19937 random(20240531);
    const auto next = [&](std::uint32_t bound) {
        return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(random);
    };
    std::size_t recognised = 0;
    for (int round = 0; round < 200; ++round) {
        ReceiveContext context;
        context.testValuesTabShown = round % 4 == 3;
        context.recordingViewShown = round % 3 == 0;
        context.sensorOnMotorAxis = round % 2 == 0;
        context.turns = static_cast<int>(next(200));
        context.strokeMm = next(3000);

        std::vector<Bytes> frames;
        std::vector<std::vector<std::size_t>> cuts;
        std::uint8_t e = kStartExtraWordCount;
        for (int i = 0, n = static_cast<int>(next(30)); i < n; ++i) {
            frames.push_back(wholeFrame(next, e, !context.testValuesTabShown));
            cuts.emplace_back();
            for (std::uint32_t k = next(6); k > 0; --k) {
                cuts.back().push_back(next(static_cast<std::uint32_t>(frames.back().size())));
            }
        }
        SCOPED_TRACE(round);
        const Receiver whole = wholeFrames(frames, context);
        Receiver pieces;
        pieces.context = context;
        feedInPieces(pieces, frames, cuts);
        expectSameAs(whole, pieces);
        recognised += whole.outcomes.size();
    }
    EXPECT_GT(recognised, 1000u); // the streams did exercise the recognisers
}

} // namespace
} // namespace zuvo
