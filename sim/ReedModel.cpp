#include "ReedModel.h"

namespace zuvo::sim {

namespace {

// On in [on0, off0) and [on1, off1).
bool isOn(const std::array<std::uint16_t, 4>& edges, std::uint16_t angle) {
    return (angle >= edges[0] && angle < edges[1]) || (angle >= edges[2] && angle < edges[3]);
}

} // namespace

ReedModel::ReedModel(std::array<std::uint16_t, 4> reed1, std::array<std::uint16_t, 4> reed2)
    : reed1_(reed1), reed2_(reed2) {}

ReedModel ReedModel::aligned() {
    return ReedModel({64, 320, 576, 832}, {192, 448, 704, 960});
}

ReedModel ReedModel::misaligned() {
    return ReedModel({64, 320, 576, 832}, {92, 348, 604, 860});
}

ReedReading ReedModel::at(std::uint16_t angle) const {
    angle &= 0x3FF;
    ReedReading r;
    r.reed1 = isOn(reed1_, angle);
    r.reed2 = isOn(reed2_, angle);
    int passed = 0;
    for (int i = 0; i < 4; ++i) {
        passed += angle >= reed1_[i] ? 1 : 0;
        passed += angle >= reed2_[i] ? 1 : 0;
    }
    r.state = passed % 8;
    return r;
}

std::array<std::uint16_t, 8> ReedModel::sensorWords() const {
    return {reed1_[0], reed1_[1], reed1_[2], reed1_[3], reed2_[0], reed2_[1], reed2_[2], reed2_[3]};
}

} // namespace zuvo::sim
