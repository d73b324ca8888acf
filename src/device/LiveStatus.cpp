#include "device/LiveStatus.h"

#include <algorithm>
#include <cmath>

namespace zuvo {

namespace {

int strokePercent(double fraction) {
    if (!(fraction >= 0.0)) {
        return 0;
    }
    return static_cast<int>(std::trunc(std::min(fraction * 100.0, 100.0)));
}

} // namespace

LiveStatus liveStatus(const StatusReply& reply, const StatusBasis& basis) {
    LiveStatus out;
    out.length = reply.length;
    out.firmwareVersion = basis.firmwareVersion;
    if (!reply.statusByte) {
        return out;
    }
    const StatusBits bits = decodeStatusBits(*reply.statusByte);
    out.bits = bits;
    out.zoneToDraw = zoneToDraw(bits, basis.zoneDrawn);
    if (!reply.reedState) {
        return out;
    }
    out.reedState = reply.reedState;
    out.reedStateDegrees = *reply.reedState * kDegreesPerReedState;
    if (!reply.angleField) {
        return out;
    }
    if (!basis.winkelFromPosition) {
        out.winkelDigit = winkelDigit(*reply.angleField, 0, false);
    }
    if (!reply.speedRaw) {
        return out;
    }
    const SpeedReading speed =
        speedRpm(*reply.speedRaw, basis.firmwareVersion, basis.sensorOnMotorAxis);
    out.rpm = speed.rpm;
    out.firmwareVersion = speed.firmwareVersion;
    if (!reply.position) {
        return out;
    }
    const std::int32_t counts = *reply.position;
    if (basis.winkelFromPosition) {
        out.winkelDigit = winkelDigit(0, counts, true);
    }
    LivePosition& position = out.position.emplace();
    position.counts = counts;
    position.revolutions = sensorRevolutions(counts);
    position.strokeFraction = strokeFraction(counts, basis.turns);
    position.mm = positionMm(counts, basis.turns, basis.strokeMm);
    position.strokePercent = strokePercent(position.strokeFraction);
    out.reeds = ReedSample{*out.winkelDigit, bits.reed1, bits.reed2, *reply.reedState};

    const bool longForm = reply.length == kStatusReplyWithTurnCountLength;
    if (longForm && reply.reedTurnCount) {
        out.reedTurnCount = reply.reedTurnCount;
    } else if (longForm && basis.turnCountShown) {
        return out;
    }
    if (reply.inputs) {
        out.inputs = decodeInputs(*reply.inputs);
    }
    return out;
}

int strokeBarWidth(double fraction, int fullWidth) {
    if (!(fraction > 0.0)) {
        return 0;
    }
    const double width = fullWidth * fraction;
    return width > fullWidth ? fullWidth : static_cast<int>(std::trunc(width));
}

} // namespace zuvo
