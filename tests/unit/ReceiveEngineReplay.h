#pragma once
// Reply frames as the controller sends them, and a replay that feeds a stream of them to the
// receive engine in pieces. Shared by the receive engine's tests and its fuzz target.

#include "device/FrameBytes.h"
#include "device/HexField.h"
#include "device/LinkState.h"
#include "device/ReceiveEngine.h"
#include "device/ReceiveFields.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace zuvo::replay {

using Bytes = std::vector<std::uint8_t>;

// Sized at once and filled in place: GCC 12 at -O2 and above takes growing a one-byte vector by
// insert() for an out-of-bounds copy (-Warray-bounds).
inline Bytes framed(const std::string& payload) {
    Bytes bytes(payload.size() + 2);
    bytes.front() = kStx;
    std::copy(payload.begin(), payload.end(), bytes.begin() + 1);
    bytes.back() = kEtx;
    return bytes;
}

inline Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

struct StatusFields {
    std::uint8_t statusByte = 0x00;
    std::uint8_t reedState = 0;
    std::uint16_t angle = 0;
    std::uint16_t speed = 0;
    std::int32_t position = 0;
    std::uint8_t inputs = 0;
    bool withTurnCount = false; // the 28-byte form
    std::uint16_t turnCount = 0;
};

inline Bytes statusReply(const StatusFields& f) {
    std::string payload = hexField(f.statusByte, 2) + hexField(f.reedState, 2) +
                          hexField(f.angle, 4) + hexField(f.speed, 4) +
                          hexField(static_cast<std::uint32_t>(f.position), 8);
    if (f.withTurnCount) {
        payload += hexField(f.turnCount, 4);
    }
    return framed(payload + hexField(f.inputs, 2));
}

inline Bytes sensorWordsReply(const std::array<std::uint16_t, 8>& words) {
    std::string payload;
    for (auto w : words) {
        payload += hexField(w, 4);
    }
    return framed(payload);
}

// 16 + E words (word i = first + i), then the two calibration points.
inline Bytes parameterBlockReply(std::uint8_t extraWordCount, std::uint16_t first = 0x0100,
                                 std::uint16_t kali10V = 1000, std::uint16_t kali4mA = 200) {
    std::string payload;
    for (std::size_t i = 0; i < 16u + extraWordCount; ++i) {
        payload += hexField(static_cast<std::uint16_t>(first + i), 4);
    }
    return framed(payload + hexField(kali10V, 4) + hexField(kali4mA, 4));
}

inline Bytes versionFrame(std::uint8_t v) {
    return Bytes{kStx, 'V', v, kEtx};
}

inline Bytes textLine(const std::string& text) {
    Bytes bytes = bytesOf(text);
    bytes.push_back(kCarriageReturn);
    return bytes;
}

// The receiving side: the receive fields and the device state, fed piece by piece.
struct Receiver {
    ReceiveFields rx;
    LinkState state;
    ReceiveContext context;
    std::vector<ReceiveOutcome> outcomes; // every notification that recognised something

    void feed(std::span<const std::uint8_t> piece) {
        ReceiveOutcome outcome = receiveBytes(rx, state, piece, context);
        if (!outcome.empty()) {
            outcomes.push_back(std::move(outcome));
        }
    }
};

// Feeds each frame in pieces: cutsPerFrame[i] lists the offsets inside frame i where a new
// notification starts (out-of-range and repeated offsets are ignored).
inline void feedInPieces(Receiver& receiver, const std::vector<Bytes>& frames,
                         const std::vector<std::vector<std::size_t>>& cutsPerFrame) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const Bytes& frame = frames[i];
        std::vector<std::size_t> cuts =
            i < cutsPerFrame.size() ? cutsPerFrame[i] : std::vector<std::size_t>{};
        cuts.push_back(0);
        cuts.push_back(frame.size());
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (std::size_t k = 0; k + 1 < cuts.size() && cuts[k] < frame.size(); ++k) {
            const std::size_t end = std::min(cuts[k + 1], frame.size());
            receiver.feed(std::span(frame).subspan(cuts[k], end - cuts[k]));
        }
    }
}

// The engine-written part of the link state, for comparing two runs.
inline auto engineWrittenState(const Receiver& r) {
    const LinkState& s = r.state;
    return std::tuple(s.ReplyPending, s.ParamReadPending, s.ExtraWordCount, s.FirmwareVersion,
                      s.LastPositionCounts, s.PositionMm, s.ZoneIndex, s.SensorWords,
                      r.rx.AckReceived, r.rx.RxCount);
}

// One whole frame of a well-behaved controller, its kind and contents drawn from `next(bound)`
// (a number below bound). `extraWordCount` follows the blocks it makes the receiver accept.
// Text lines only when `withText` (the Test-Values tab keeps them otherwise). Payloads never
// hold a frame end (ETX, 0x05, CR), and a version byte is never one either: a frame holding one
// ends early when it arrives in pieces, which no receiver can tell from a frame end.
template <typename Next>
Bytes wholeFrame(Next&& next, std::uint8_t& extraWordCount, bool withText) {
    const auto printable = [&](std::size_t length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text.push_back(static_cast<char>(0x20 + next(0x5F)));
        }
        return text;
    };
    const auto word = [&] { return static_cast<std::uint16_t>(next(0x10000)); };
    switch (next(withText ? 10 : 9)) {
    case 0: {
        StatusFields f;
        f.statusByte = static_cast<std::uint8_t>(next(256));
        f.reedState = static_cast<std::uint8_t>(next(8));
        f.angle = word();
        f.speed = static_cast<std::uint16_t>(next(2) != 0 ? next(1200) : word());
        f.position = static_cast<std::int32_t>(std::uint32_t{word()} << 16 | word());
        f.inputs = static_cast<std::uint8_t>(next(256));
        f.withTurnCount = next(2) != 0;
        f.turnCount = word();
        return statusReply(f);
    }
    case 1: { // any length the status reply may have, hex or not
        std::string payload;
        const std::size_t length = 20 + next(7);
        const bool hex = next(2) != 0;
        for (std::size_t i = 0; i < length; ++i) {
            payload += hex ? hexField(next(16), 1) : printable(1);
        }
        return framed(payload);
    }
    case 2: {
        std::array<std::uint16_t, 8> words{};
        for (auto& w : words) {
            w = word();
        }
        Bytes frame = sensorWordsReply(words);
        if (next(4) == 0) { // a field that is not hexadecimal
            frame[1 + next(32)] = static_cast<std::uint8_t>(0x20 + next(0x5F));
        }
        return frame;
    }
    case 3:
        return parameterBlockReply(extraWordCount, word(), word(), word());
    case 4: { // one word longer: E grows, while it may
        Bytes frame = parameterBlockReply(extraWordCount + 1, word());
        if (extraWordCount < kMaxExtraWordCount) {
            ++extraWordCount;
        }
        return frame;
    }
    case 5:
        return Bytes{kAcknowledge};
    case 6: {
        std::uint8_t v = static_cast<std::uint8_t>(next(256));
        if (v == kEtx || v == kAcknowledge || v == kCarriageReturn) {
            v = 0x3C;
        }
        return versionFrame(v);
    }
    case 7: // unknown, or an old block length: dropped at its ETX
        return framed(printable(next(400)));
    case 8:
        return parameterBlockReply(static_cast<std::uint8_t>(extraWordCount - next(2)));
    default:
        return textLine(printable(next(80)));
    }
}

} // namespace zuvo::replay
