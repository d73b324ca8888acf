#include "device/ReceiveEngine.h"

#include <algorithm>
#include <cstring>

namespace zuvo {

bool ReceiveOutcome::empty() const {
    return !sensorWords && !status && !parameterBlock && !acknowledged && !caption &&
           !leadingVersion && !version;
}

void appendReceived(ReceiveFields& rx, std::span<const std::uint8_t> bytes,
                    const ReceiveContext& context) {
    std::uint8_t* const buffer = rx.RxBuffer.data();
    const std::size_t held = std::min<std::size_t>(rx.RxCount, kRxBufferSize);
    if (bytes.size() <= kRxBufferSize - held) {
        std::copy(bytes.begin(), bytes.end(), buffer + held);
        rx.RxCount = static_cast<std::uint32_t>(held + bytes.size());
        return;
    }
    if (context.testValuesTabShown) {
        // The test data are collected from their first line on: keep them whole and in order and
        // drop what does not fit. The count then stops growing, which ends the collection.
        const std::size_t room = kRxBufferSize - held;
        std::copy_n(bytes.begin(), room, buffer + held);
    } else {
        // Data this long without a frame end is dropped by the 1192-byte limit anyway; a reply or
        // an acknowledge can only end in the newest bytes, so those are the ones kept.
        if (bytes.size() >= kRxBufferSize) {
            std::copy(bytes.end() - kRxBufferSize, bytes.end(), buffer);
        } else {
            const std::size_t keepOld = kRxBufferSize - bytes.size();
            std::memmove(buffer, buffer + held - keepOld, keepOld);
            std::copy(bytes.begin(), bytes.end(), buffer + keepOld);
        }
    }
    rx.RxCount = static_cast<std::uint32_t>(kRxBufferSize);
}

namespace {

// The live status of a status reply, and what of it the device state keeps.
LiveStatus receiveStatus(const std::uint8_t* data, std::size_t size, LinkState& state,
                         const ReceiveContext& context) {
    const StatusBasis basis{
        state.ZoneIndex, state.FirmwareVersion, state.WinkelFromPosition, context.sensorOnMotorAxis,
        context.turns,   context.strokeMm,      context.turnCountShown};
    LiveStatus status = liveStatus(decodeStatusReply(data, size), basis);
    if (status.zoneToDraw) {
        state.ZoneIndex = *status.zoneToDraw;
    }
    state.FirmwareVersion = status.firmwareVersion;
    if (status.position) {
        state.LastPositionCounts = status.position->counts;
        state.PositionMm = status.position->mm;
    }
    return status;
}

void emptyBuffer(ReceiveFields& rx) {
    rx.RxCount = 0;
}

// Drops data that ends a frame or has grown too long; keeps a reply that is still incomplete by
// moving its STX to the front once more than the longest reply is held.
void endOrResynchronise(ReceiveFields& rx, std::uint8_t extraWordCount,
                        const ReceiveContext& context) {
    const std::uint8_t* data = rx.RxBuffer.data();
    const std::size_t size = rx.RxCount;
    if (endsWithEtx(data, size) || (size > kUnframedDataLimit && !context.testValuesTabShown)) {
        emptyBuffer(rx);
        return;
    }
    if (size <= resyncThreshold(extraWordCount)) {
        return;
    }
    if (const auto p = lastStxAfterStart(data, size)) {
        std::memmove(rx.RxBuffer.data(), data + *p, size - *p);
        rx.RxCount = static_cast<std::uint32_t>(size - *p);
    }
}

} // namespace

ReceiveOutcome receiveBytes(ReceiveFields& rx, LinkState& state,
                            std::span<const std::uint8_t> bytes, const ReceiveContext& context) {
    appendReceived(rx, bytes, context);
    ReceiveOutcome out;
    const std::uint8_t* data = rx.RxBuffer.data();

    if (const auto version = versionInFront(data, rx.RxCount, state.ExtraWordCount)) {
        // Taken first, so that the reply behind it decodes with this version's speed unit.
        state.FirmwareVersion = *version;
        out.leadingVersion = version;
        rx.RxCount -= kVersionFrameLength;
        std::memmove(rx.RxBuffer.data(), data + kVersionFrameLength, rx.RxCount);
    }

    if (isSensorWordsReply(data, rx.RxCount)) {
        // Any reply answers the poll; a malformed one leaves the tables as they were.
        state.ReplyPending = false;
        if (const auto words = decodeSensorWords(data, rx.RxCount)) {
            state.SensorWords = *words;
            out.sensorWords =
                SensorWordsReceived{*words, context.recordingViewShown ? kSensorWordsRecordingPollMs
                                                                       : kSensorWordsPollMs};
        }
    }

    if (isStatusReply(data, rx.RxCount)) {
        state.ReplyPending = false;
        out.status = receiveStatus(data, rx.RxCount, state, context);
    }

    if (auto block = decodeParameterBlockReply(data, rx.RxCount, state.ExtraWordCount)) {
        state.ExtraWordCount = block->extraWordCount;
        state.ParamReadPending = false;
        state.ReplyPending = false;
        out.parameterBlock = std::move(*block);
    }

    if (endsWithAcknowledge(data, rx.RxCount)) {
        rx.AckReceived = true;
        out.acknowledged = true;
        emptyBuffer(rx);
    }

    // While the test values are shown, text lines are collected for them instead.
    if (!context.testValuesTabShown && endsWithTextLine(data, rx.RxCount)) {
        out.caption = captionText(data, rx.RxCount);
        emptyBuffer(rx);
    }

    if (const auto version = versionAtEnd(data, rx.RxCount)) {
        state.FirmwareVersion = *version;
        out.version = version;
        emptyBuffer(rx);
    }

    endOrResynchronise(rx, state.ExtraWordCount, context);
    return out;
}

} // namespace zuvo
