#include "params/WordValues.h"

#include "params/WordFields.h"

#include <algorithm>
#include <limits>

namespace zuvo {

namespace {

// Range of the rush-in delay track bars.
constexpr int kMinRushIn = 3;
constexpr int kMaxRushIn = 30;

// A track bar's position: clamped to 0..maximum.
int barPosition(std::int64_t mm, std::int64_t maximum) {
    const std::int64_t top = std::clamp<std::int64_t>(maximum, 0, std::numeric_limits<int>::max());
    return static_cast<int>(std::clamp<std::int64_t>(mm, 0, top));
}

} // namespace

SpeedSensor speedSensorOf(const ParameterValues& values) {
    return values.sensorOnGearUnit ? SpeedSensor::GearUnit : SpeedSensor::MotorAxis;
}

void setFunctionFlags(ParameterValues& values, std::uint16_t word) {
    const FunctionFlags flags = FunctionFlags::fromWord(word).shown();
    values.analogFunction = flags.analogFunction;
    values.digitalOutput4 = flags.digitalOutput4;
    values.impulses = flags.impulses;
    values.externalReference = flags.externalReference;
    values.thrustOverload = flags.thrustOverload;
    values.sensorOnGearUnit = flags.sensorOnGearUnit;
}

void setRushInDelays(ParameterValues& values, std::uint16_t word) {
    const RushInDelays delays = RushInDelays::fromWord(word);
    values.rushInRetractTenths = std::clamp(delays.retract, kMinRushIn, kMaxRushIn);
    values.rushInExtendTenths = std::clamp(delays.extend, kMinRushIn, kMaxRushIn);
}

void setAnalogRange(ParameterValues& values, std::int64_t minimumMm, std::int64_t maximumMm,
                    std::int64_t barMaximum) {
    values.analogMinMm = barPosition(minimumMm, barMaximum);
    values.analogMaxMm = std::max(barPosition(maximumMm, barMaximum), values.analogMinMm);
}

} // namespace zuvo
