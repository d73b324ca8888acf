#pragma once
// What the fields of a status reply mean: speed in RPM, position as a fraction of the stroke and
// in mm, the sensor angle digit, and the bits of the status and inputs bytes.

#include <cstdint>
#include <optional>

namespace zuvo {

// Firmware from this version on sends every speed in the fine unit.
inline constexpr std::uint8_t kFineSpeedFirmwareVersion = 60;

struct SpeedReading {
    int rpm = 0;
    std::uint8_t firmwareVersion = 0; // the version to keep from now on
};

// Older firmware sends speeds below 600 in a coarse unit (× 10000 / 1024 RPM) and faster ones in
// the fine unit (× 600 / 1024 RPM); a raw value above 600 therefore proves the fine unit and
// raises the version to 60 for good. Below 4 RPM the motor stands. A sensor directly on the
// motor axis gives a jittery reading, so it is shown in steps of 5 RPM.
SpeedReading speedRpm(std::uint16_t speedRaw, std::uint8_t firmwareVersion, bool sensorOnMotorAxis);

// Position as a fraction of the stroke: counts / (turns × 1024); 0 while the number of sensor
// revolutions over the stroke is not known (below 1).
double strokeFraction(std::int32_t positionCounts, int turns);

// Position in mm for a stroke of `strokeMm`.
double positionMm(std::int32_t positionCounts, int turns, double strokeMm);

// The compass digit 0..1023: the angle field's low 10 bits, or the position's when the service
// toggle asks for it.
std::uint32_t winkelDigit(std::uint16_t angleField, std::int32_t positionCounts, bool fromPosition);

// Whole sensor revolutions of a position (rounded towards minus infinity).
std::int32_t sensorRevolutions(std::int32_t positionCounts);

struct StatusBits {
    bool reed1 = false;            // bit 7
    bool reed2 = false;            // bit 6
    bool sensorMisaligned = false; // bit 4 or bit 5
    bool misalignedBit5 = false;   // bit 5: the warning's second colour
    std::uint8_t zone = 0;         // bits 0..3; only 0..8 are zones

    friend bool operator==(const StatusBits&, const StatusBits&) = default;
};

StatusBits decodeStatusBits(std::uint8_t statusByte);

// The zone to draw when the status byte shows a valid zone other than the one drawn last.
std::optional<std::uint8_t> zoneToDraw(const StatusBits& bits, std::uint8_t zoneDrawn);

struct InputStates {
    bool pushButtonS1 = false;   // bit 0
    bool pushButtonS2 = false;   // bit 1
    bool input1 = false;         // bit 2, time delay extend
    bool input3 = false;         // bit 3, external reference switch
    bool temperatureLed = false; // lit while bit 4 is clear
    bool input2 = false;         // bit 5, time delay retract
    bool panelWarning = false;   // bit 6 colours the position panel

    friend bool operator==(const InputStates&, const InputStates&) = default;
};

InputStates decodeInputs(std::uint8_t inputs);

} // namespace zuvo
