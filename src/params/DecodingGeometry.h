#pragma once
// What decoding the controller's positions and speeds needs of the pages: the stroke and turns
// as they stand (turns below 1 when they are no usable number) and where the speed sensor sits.

namespace zuvo {

struct DecodingGeometry {
    double strokeMm = 1000;
    int turns = 100;
    bool sensorOnMotorAxis = true;

    bool operator==(const DecodingGeometry&) const = default;
};

} // namespace zuvo
