// Feeds the receive engine what a controller, a broken one included, may send, split into
// notifications as the serial component may split it.
//
// Input: a flags byte, then
//  - raw mode: a chunking plan (count, then one size per chunk, used in turn) and the byte
//    stream. The engine must never crash, never hold more than its buffer, and keep its promises
//    (an acknowledge sets the flag, a reply clears the pending poll, E never shrinks, unframed
//    data is bounded while the test values are hidden). The stream is also fed at once, repeated
//    into one notification larger than the buffer when asked.
//  - frames mode: numbers that choose whole frames of a well-behaved controller and the cuts
//    inside each. Fed frame by frame or in those pieces, the results must be the same.
#include "FuzzInput.h"
#include "ReceiveEngineReplay.h"

#include <cstdio>
#include <cstdlib>

namespace zuvo::fuzz {
namespace {

using replay::Bytes;
using replay::Receiver;

enum Flags : std::uint8_t {
    kFramesMode = 0x01,
    kTestValuesShown = 0x02,
    kRecordingShown = 0x04,
    kMotorAxis = 0x08,
    kWinkelFromPosition = 0x10,
    kFlood = 0x20,
};

void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "receive engine: %s\n", what);
        std::abort();
    }
}

ReceiveContext contextFrom(std::uint8_t flags, FuzzInput& in) {
    ReceiveContext context;
    context.testValuesTabShown = (flags & kTestValuesShown) != 0;
    context.recordingViewShown = (flags & kRecordingShown) != 0;
    context.sensorOnMotorAxis = (flags & kMotorAxis) != 0;
    context.turns = static_cast<int>(in.next(256));
    context.strokeMm = in.next(4096);
    return context;
}

void feedChecked(Receiver& r, std::span<const std::uint8_t> piece) {
    const std::uint8_t extraBefore = r.state.ExtraWordCount;
    const ReceiveOutcome out = receiveBytes(r.rx, r.state, piece, r.context);
    require(r.rx.RxCount <= kRxBufferSize, "buffer overrun");
    require(r.context.testValuesTabShown || r.rx.RxCount <= kUnframedDataLimit,
            "unframed data beyond its limit");
    require(r.state.ExtraWordCount >= extraBefore, "E shrank");
    require(r.state.ExtraWordCount <= kMaxExtraWordCount, "E beyond the parameter block");
    require(!out.acknowledged || r.rx.AckReceived, "acknowledge without the flag");
    require(!(out.status || out.sensorWords || out.parameterBlock) || !r.state.ReplyPending,
            "reply left the poll pending");
    require(!out.parameterBlock || !r.state.ParamReadPending, "block left the read pending");
    if (out.parameterBlock) {
        require(out.parameterBlock->words.size() == 16u + r.state.ExtraWordCount,
                "block word count differs from E");
    }
    if (out.status || out.sensorWords || out.leadingVersion || out.version || out.acknowledged ||
        out.caption) {
        require(r.rx.RxCount == 0, "a recognised frame stayed in the buffer");
    }
}

void rawStream(std::uint8_t flags, FuzzInput& in) {
    Receiver pieces;
    pieces.context = contextFrom(flags, in);
    pieces.state.WinkelFromPosition = (flags & kWinkelFromPosition) != 0;
    Receiver atOnce = pieces;

    std::vector<std::size_t> plan(1 + in.next(8));
    for (auto& size : plan) {
        size = 1 + in.next(256);
    }
    const std::span<const std::uint8_t> stream = in.rest();
    for (std::size_t at = 0, k = 0; at < stream.size(); k = (k + 1) % plan.size()) {
        const std::size_t n = std::min(plan[k], stream.size() - at);
        feedChecked(pieces, stream.subspan(at, n));
        at += n;
    }

    if ((flags & kFlood) == 0 || stream.empty()) {
        feedChecked(atOnce, stream);
        return;
    }
    // The component reports at most 65535 bytes at a time.
    Bytes flood;
    while (flood.size() <= kRxBufferSize) {
        flood.insert(flood.end(), stream.begin(), stream.end());
    }
    flood.resize(std::min<std::size_t>(flood.size(), 0xFFFF));
    feedChecked(atOnce, flood);
}

void wholeFrames(std::uint8_t flags, FuzzInput& in) {
    Receiver whole;
    whole.context = contextFrom(flags, in);
    whole.state.WinkelFromPosition = (flags & kWinkelFromPosition) != 0;
    Receiver pieces = whole;

    std::vector<Bytes> frames;
    std::vector<std::vector<std::size_t>> cuts;
    std::uint8_t e = kStartExtraWordCount;
    const auto next = [&](std::uint32_t bound) { return in.next(bound); };
    while (!in.exhausted() && frames.size() < 64) {
        frames.push_back(replay::wholeFrame(next, e, !whole.context.testValuesTabShown));
        cuts.emplace_back(in.next(8));
        for (auto& cut : cuts.back()) {
            cut = in.next(static_cast<std::uint32_t>(frames.back().size()));
        }
    }
    replay::feedInPieces(whole, frames, {});
    replay::feedInPieces(pieces, frames, cuts);
    require(whole.outcomes == pieces.outcomes, "pieces decoded differently");
    require(replay::engineWrittenState(whole) == replay::engineWrittenState(pieces),
            "pieces left a different state");
}

} // namespace
} // namespace zuvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zuvo::fuzz::FuzzInput in(data, size);
    const auto flags = static_cast<std::uint8_t>(in.next(256));
    if ((flags & zuvo::fuzz::kFramesMode) != 0) {
        zuvo::fuzz::wholeFrames(flags, in);
    } else {
        zuvo::fuzz::rawStream(flags, in);
    }
    return 0;
}
