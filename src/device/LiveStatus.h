#pragma once
// One status reply as the live display shows it, worked out once when the reply arrives, for the
// window's controls and for zuvoctl status alike. The fields are taken in the reply's order and
// the first one that does not convert ends the reply: every value after it stays empty, so the
// window keeps what the controls of the later fields showed and zuvoctl leaves them out.

#include "device/LinkState.h"
#include "device/ReplyFrames.h"
#include "device/StatusDecoding.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zuvo {

// The reed state is shown as that many steps of 45 degrees.
inline constexpr int kDegreesPerReedState = 45;

// What besides the reply decides what it shows.
struct StatusBasis {
    std::uint8_t zoneDrawn = kNoZone; // the zone picture drawn last
    std::uint8_t firmwareVersion = 0; // decides the unit of the speed
    bool winkelFromPosition = false;  // the service toggle: the angle digit from the position
    bool sensorOnMotorAxis = false;   // speeds in steps of 5 RPM
    int turns = 0;                    // sensor revolutions over the stroke; below 1 when unknown
    double strokeMm = 0.0;
    // The reed turn count is shown: a long reply whose count does not convert ends there.
    bool turnCountShown = false;
};

struct LivePosition {
    std::int32_t counts = 0;
    std::int32_t revolutions = 0; // whole sensor revolutions, rounded towards minus infinity
    double strokeFraction = 0.0;  // 0 while the turns are unknown
    double mm = 0.0;
    int strokePercent = 0; // the position bar: 0..100, nothing below the zero position

    friend bool operator==(const LivePosition&, const LivePosition&) = default;
};

// What the sector analysis takes from a reply: the angle digit and the reed switches.
struct ReedSample {
    std::uint32_t winkelDigit = 0;
    bool reed1 = false;
    bool reed2 = false;
    std::uint8_t reedState = 0;

    friend bool operator==(const ReedSample&, const ReedSample&) = default;
};

struct LiveStatus {
    std::size_t length = 0; // kStatusReplyWithTurnCountLength: the form with the reed turn count
    std::optional<StatusBits> bits;
    std::optional<std::uint8_t> zoneToDraw; // a valid zone other than the one drawn last
    std::optional<std::uint8_t> reedState;
    std::optional<int> reedStateDegrees;
    // From the angle field, or together with the position while the service toggle asks for it.
    std::optional<std::uint32_t> winkelDigit;
    std::optional<int> rpm;
    std::optional<LivePosition> position;
    std::optional<ReedSample> reeds;            // with the position
    std::optional<std::uint16_t> reedTurnCount; // only the long form carries it
    std::optional<InputStates> inputs;
    // The version to keep from this reply on: a speed only the fine unit can give proves 60.
    std::uint8_t firmwareVersion = 0;

    // Every field converted; polling speeds up after such a reply.
    bool complete() const { return inputs.has_value(); }

    friend bool operator==(const LiveStatus&, const LiveStatus&) = default;
};

LiveStatus liveStatus(const StatusReply& reply, const StatusBasis& basis);

// Width of the bar under the drawn cylinder: `fraction` of `fullWidth`, never wider, nothing at
// or below the zero position.
int strokeBarWidth(double fraction, int fullWidth);

} // namespace zuvo
