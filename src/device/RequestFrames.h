#pragma once
// The requests the program sends to the controller, byte for byte: STX, two command letters,
// fixed-width upper-case hex fields, ETX.

#include "device/FrameBytes.h"

#include <cstdint>
#include <string_view>

namespace zuvo {

// STX, the two letters, the already formatted fields, ETX.
Frame requestFrame(std::string_view letters, std::string_view fields = {});

// RV, RX, PV or PX: first letter R or P, second letter V or X.
Frame pollFrame(char first, char second);

// QS with the relay test selector (1 or 2) as two hex digits.
Frame relayTestFrame(std::uint8_t selector);

// SP: write word `index` (two hex digits) with `value` (four hex digits).
Frame writeWordFrame(std::uint8_t index, std::uint16_t value);

// SP index of the zero position word, and of the two analog calibration points.
inline constexpr std::uint8_t kZeroWordIndex = 0x00;
inline constexpr std::uint8_t kCalibration10VIndex = 0x32;
inline constexpr std::uint8_t kCalibration4mAIndex = 0x33;

// The zero position word: the 10-bit sensor angle in bits 5..14, bit 15 for the
// counter-clockwise direction, bits 0..4 clear.
std::uint16_t zeroPositionWord(std::uint32_t angleDigit, bool counterClockwise);

// SA: set the absolute position of a replacement module to `memoryCounts`. The controller
// expects a 0x00 byte after the ETX, so the frame is 12 bytes.
Frame setPositionFrame(std::int32_t memoryCounts);

// RE: read (and reset) the test data.
Frame testDataFrame();

// FL: enter the bootloader.
Frame bootloaderFrame();

} // namespace zuvo
