#include "ControllerModel.h"

#include <cmath>
#include <cstdio>

namespace zuvo::sim {

namespace {

// A plausible factory setting: 1000 mm over 100 sensor revolutions, switch positions at 200,
// 400, 600 and 800 mm (the others not set), one output per segment, 1400 RPM thrust limit.
void loadDefaults(std::array<std::uint16_t, 256>& w) {
    w[1] = 1000; // stroke, mm
    w[2] = 1000; // turns x 10
    w[4] = 10;   // hysteresis, counts
    for (int c = 0; c < 5; ++c) {
        w[5 + c] = static_cast<std::uint16_t>(1u << c);
    }
    w[14] = 0x0A0A; // rush-in delays 1.0 s each
    w[15] = 9557;   // thrust-limit speed word of 1400 RPM
    const std::int32_t analogMax = 102400;
    w[18] = static_cast<std::uint16_t>(analogMax & 0xFFFF);
    w[19] = static_cast<std::uint16_t>(analogMax >> 16);
    for (int k = 0; k < 8; ++k) {
        const std::int32_t counts = k < 4 ? (k + 1) * 20480 : -1;
        const auto u = static_cast<std::uint32_t>(counts);
        w[20 + 2 * k] = static_cast<std::uint16_t>(u & 0xFFFF);
        w[21 + 2 * k] = static_cast<std::uint16_t>(u >> 16);
    }
    w[0x32] = 1000; // analog calibration, 10 V point
    w[0x33] = 200;  // analog calibration, 4 mA point
}

} // namespace

ControllerModel::ControllerModel(int rpm, bool misaligned, int extraWords, std::uint8_t inputs)
    : reeds_(misaligned ? ReedModel::misaligned() : ReedModel::aligned()), extraWords_(extraWords),
      rpm_(rpm), inputs_(inputs) {
    loadDefaults(words_);
}

void ControllerModel::storeWrittenWord(int index, std::uint16_t value) {
    setWord(index, index == corruptWord_ ? static_cast<std::uint16_t>(value + 1) : value);
}

std::int64_t ControllerModel::strokeCounts() const {
    const int turns10 = words_[2] == 0 ? 10 : words_[2];
    return static_cast<std::int64_t>(turns10) * 1024 / 10;
}

void ControllerModel::advanceTo(Clock::time_point now) {
    if (!last_ || now <= *last_) {
        if (!last_) {
            last_ = now;
        }
        return;
    }
    const double seconds = std::chrono::duration<double>(now - *last_).count();
    last_ = now;
    const double stroke = static_cast<double>(strokeCounts());
    // A stroke changed to less than where the cylinder stands: it stops at the new end.
    if (travel_ > stroke) {
        travel_ = stroke;
    }
    double distance = std::abs(rpm_) / 60.0 * 1024.0 * seconds;
    if (distance <= 0 || stroke <= 0) {
        return;
    }
    // Whole round trips change nothing but the stroke count.
    const double trips = std::floor(distance / (2 * stroke));
    strokes_ += 2 * static_cast<long>(trips);
    distance -= trips * 2 * stroke;
    while (distance > 0) {
        const double room = direction_ > 0 ? stroke - travel_ : travel_;
        if (distance < room) {
            travel_ += direction_ * distance;
            break;
        }
        travel_ = direction_ > 0 ? stroke : 0;
        distance -= room;
        direction_ = -direction_;
        ++strokes_;
    }
}

std::int32_t ControllerModel::position() const {
    const std::int64_t p = offset_ + std::llround(travel_);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p));
}

void ControllerModel::setPosition(std::int32_t counts) {
    offset_ = counts - std::llround(travel_);
}

int ControllerModel::zone() const {
    const std::int32_t p = position();
    int z = 0;
    for (int k = 0; k < 8; ++k) {
        const auto u = static_cast<std::uint32_t>(words_[20 + 2 * k]) |
                       (static_cast<std::uint32_t>(words_[21 + 2 * k]) << 16);
        const auto at = static_cast<std::int32_t>(u);
        if (at < 0 || p < at) {
            break;
        }
        ++z;
    }
    return z;
}

StatusFields ControllerModel::status() const {
    StatusFields s;
    s.position = position();
    s.angle = static_cast<std::uint16_t>(s.position & 0x3FF);
    const ReedReading r = reeds_.at(s.angle);
    s.status = static_cast<std::uint8_t>((r.reed1 ? 0x80 : 0) | (r.reed2 ? 0x40 : 0) |
                                         (warning_ << 4) | zone());
    s.reedState = static_cast<std::uint8_t>(r.state);
    s.speed = static_cast<std::uint16_t>(std::abs(rpm_) * 1024 / 600);
    s.reedTurns = static_cast<std::uint16_t>(s.position >> 10);
    s.inputs = inputs_;
    return s;
}

std::uint16_t ControllerModel::oldSpeedWord() const {
    return static_cast<std::uint16_t>(std::lround(std::abs(rpm_) * 1024.0 / 10000.0));
}

std::string ControllerModel::takeTestData() {
    char line[32];
    std::string text;
    std::snprintf(line, sizeof line, "STRK%02ld\r", strokes_ % 100);
    text += line;
    text += "OVLD00\r";
    text += "TMAX41\r";
    text += "ZUVO SIM\r";
    strokes_ = 0;
    return text;
}

} // namespace zuvo::sim
