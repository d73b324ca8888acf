#pragma once
// The widget-free core of the receive notification: appends the bytes of one notification to the
// receive buffer, recognises what the buffer holds in a fixed order (a version frame in front of a
// reply, sensor words, status reply, parameter block, acknowledge, caption text, version frame,
// frame end and resynchronisation),
// each step looking at the buffer as the earlier ones left it, and updates the device state
// fields that need no control. The window applies the outcome to its controls in the same order.

#include "device/LinkState.h"
#include "device/LiveStatus.h"
#include "device/ReceiveFields.h"
#include "device/ReplyFrames.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zuvo {

// What the window tells the engine about its controls at the time of the notification.
struct ReceiveContext {
    // The Test-Values page is shown as a tab: text lines stay in the buffer for the test data,
    // and unframed data is not dropped at the 1192-byte limit.
    bool testValuesTabShown = false;
    bool recordingViewShown = false; // polls follow sensor words faster while recording
    bool sensorOnMotorAxis = false;  // the speed is shown in steps of 5 RPM
    int turns = 0;                   // sensor revolutions over the stroke; below 1 when unknown
    double strokeMm = 0.0;           // stroke length
    // The reed turn count is shown, or will be with the first long reply (service mode).
    bool turnCountShown = false;
};

struct SensorWordsReceived {
    SensorWords words; // sorted ascending, as stored in LinkState::SensorWords
    int pollIntervalMs = 0;

    friend bool operator==(const SensorWordsReceived&, const SensorWordsReceived&) = default;
};

// Everything one notification recognised, in the order of the steps; usually one of them.
struct ReceiveOutcome {
    // A sensor-words reply; empty also when one arrived with a field that is not hexadecimal
    // (it is dropped then, and only answers the poll).
    std::optional<SensorWordsReceived> sensorWords;
    std::optional<LiveStatus> status;
    std::optional<ParameterBlockReply> parameterBlock; // E in LinkState has grown with it
    bool acknowledged = false;
    std::optional<std::string> caption; // the window's new caption
    // A version frame in front of the reply (taken before it, so that the reply decodes with
    // it), and one at the end of the data; the later one is what LinkState keeps.
    std::optional<std::uint8_t> leadingVersion;
    std::optional<std::uint8_t> version;

    bool empty() const;
    friend bool operator==(const ReceiveOutcome&, const ReceiveOutcome&) = default;
};

// Poll intervals after a sensor-words reply.
inline constexpr int kSensorWordsPollMs = 10;
inline constexpr int kSensorWordsRecordingPollMs = 5;

// Appends one notification's bytes; never holds more than kRxBufferSize.
void appendReceived(ReceiveFields& rx, std::span<const std::uint8_t> bytes,
                    const ReceiveContext& context);

// Appends the bytes, then runs the recognition steps on the buffer.
ReceiveOutcome receiveBytes(ReceiveFields& rx, LinkState& state,
                            std::span<const std::uint8_t> bytes, const ReceiveContext& context);

} // namespace zuvo
