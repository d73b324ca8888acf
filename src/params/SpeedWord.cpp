#include "params/SpeedWord.h"

#include <algorithm>
#include <cmath>

namespace zuvo {

std::uint16_t RpmToSpeedWord(std::int32_t rpm, SpeedSensor sensor) {
    const std::int64_t n = rpm;
    auto s = static_cast<float>(static_cast<long double>(n * 1024) / 600);
    if (sensor == SpeedSensor::GearUnit) {
        s = static_cast<float>(static_cast<long double>(s) * 16);
        // One unit more when the scaled speed falls below the RPM rounded to tens.
        const std::int64_t rounded = (n + 5) / 10 * 10;
        if (static_cast<long double>(s) * 60 * 0.125L / 1024 < rounded) {
            s = static_cast<float>(static_cast<long double>(s) + 1);
        }
    } else {
        s = static_cast<float>(static_cast<long double>(s) * 4);
    }
    // A speed beyond the word saturates: its low bits would be a much lower speed (9600 RPM on
    // the motor axis would become 0), and the largest word reads back as the speed shown.
    const auto word = static_cast<std::int64_t>(std::trunc(s));
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(word, 0, 0xFFFF));
}

std::int32_t SpeedWordToRpm(std::uint16_t word, SpeedSensor sensor) {
    auto v = static_cast<float>(static_cast<long double>(word * 600) / 1024);
    if (sensor == SpeedSensor::GearUnit) {
        v = static_cast<float>(std::trunc(static_cast<long double>(v) * 0.0625L + 0.5L));
        return static_cast<std::int32_t>(v);
    }
    v = static_cast<float>(std::trunc(static_cast<long double>(v) * 0.25L));
    const auto whole = static_cast<std::int32_t>(std::trunc(static_cast<long double>(v) + 2.5L));
    return whole / 5 * 5;
}

} // namespace zuvo
