#include "device/StatusDecoding.h"

namespace zuvo {

namespace {
constexpr std::uint16_t kCoarseSpeedLimit = 600;
constexpr float kStandstillRpm = 4.0f;
constexpr int kMotorAxisRpmStep = 5;
constexpr double kCountsPerRevolution = 1024.0;
constexpr std::uint8_t kZoneCount = 9;

bool bit(std::uint8_t byte, int n) {
    return ((byte >> n) & 1u) != 0;
}
} // namespace

SpeedReading speedRpm(std::uint16_t speedRaw, std::uint8_t firmwareVersion,
                      bool sensorOnMotorAxis) {
    SpeedReading reading{0, firmwareVersion};
    const bool oldFirmware = firmwareVersion < kFineSpeedFirmwareVersion;
    // Single precision, rounded after every step.
    float f = 0.0f;
    if (oldFirmware && speedRaw < kCoarseSpeedLimit) {
        f = static_cast<float>(speedRaw * 10000.0);
    } else {
        f = static_cast<float>(speedRaw * 600.0);
        if (oldFirmware && speedRaw > kCoarseSpeedLimit) {
            reading.firmwareVersion = kFineSpeedFirmwareVersion;
        }
    }
    f = f / 1024.0f;
    if (f < kStandstillRpm) {
        f = 0.0f;
    }
    int rpm = static_cast<int>(f);
    if (sensorOnMotorAxis) {
        rpm = rpm / kMotorAxisRpmStep * kMotorAxisRpmStep;
    }
    reading.rpm = rpm;
    return reading;
}

double strokeFraction(std::int32_t positionCounts, int turns) {
    if (turns < 1) {
        return 0.0;
    }
    return positionCounts / (turns * kCountsPerRevolution);
}

double positionMm(std::int32_t positionCounts, int turns, double strokeMm) {
    return strokeMm * strokeFraction(positionCounts, turns);
}

std::uint32_t winkelDigit(std::uint16_t angleField, std::int32_t positionCounts,
                          bool fromPosition) {
    const std::uint32_t source =
        fromPosition ? static_cast<std::uint32_t>(positionCounts) : angleField;
    return source & 0x3FFu;
}

std::int32_t sensorRevolutions(std::int32_t positionCounts) {
    return positionCounts >> 10;
}

StatusBits decodeStatusBits(std::uint8_t statusByte) {
    StatusBits bits;
    bits.reed1 = bit(statusByte, 7);
    bits.reed2 = bit(statusByte, 6);
    bits.sensorMisaligned = bit(statusByte, 4) || bit(statusByte, 5);
    bits.misalignedBit5 = bit(statusByte, 5);
    bits.zone = statusByte & 0x0Fu;
    return bits;
}

std::optional<std::uint8_t> zoneToDraw(const StatusBits& bits, std::uint8_t zoneDrawn) {
    if (bits.zone >= kZoneCount || bits.zone == zoneDrawn) {
        return std::nullopt;
    }
    return bits.zone;
}

InputStates decodeInputs(std::uint8_t inputs) {
    InputStates states;
    states.pushButtonS1 = bit(inputs, 0);
    states.pushButtonS2 = bit(inputs, 1);
    states.input1 = bit(inputs, 2);
    states.input3 = bit(inputs, 3);
    states.temperatureLed = !bit(inputs, 4);
    states.input2 = bit(inputs, 5);
    states.panelWarning = bit(inputs, 6);
    return states;
}

} // namespace zuvo
