#pragma once
// The thrust-limit speed: revolutions per minute against the controller's raw speed word.
//
// Both directions keep their value in single precision, rounded after every step (the arithmetic
// inside a step runs in extended precision), because the words stored in controllers and files were
// made that way; doing it in double would move some speeds by one unit.

#include <cstdint>

namespace zuvo {

// Where the speed sensor sits (bit 10 of the function flags).
enum class SpeedSensor { MotorAxis, GearUnit };

// Word of n RPM (the RPM edit's integer, 0 when it holds none); a speed beyond the word gives the
// largest word, which reads back as that speed's RPM shown from it.
std::uint16_t RpmToSpeedWord(std::int32_t rpm, SpeedSensor sensor);

// RPM of a speed word; on the motor axis rounded to a multiple of 5.
std::int32_t SpeedWordToRpm(std::uint16_t word, SpeedSensor sensor);

} // namespace zuvo
