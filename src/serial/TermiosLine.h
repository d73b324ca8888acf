// Line settings through termios2, so that any speed (also 128000 bit/s) can be set. Kept in its
// own file because the kernel's termios2 header clashes with <termios.h>.
#pragma once

#include "serial/SerialTypes.h"

namespace zuvo {

// Applies the settings in raw mode and reads the speed back; returns 0 or an errno value
// (EINVAL when the driver did not take the speed).
int applyTermiosLine(int fd, const LineSettings& settings);

// True when the speed the driver reports is close enough to the one asked for: a UART frame
// tolerates a few percent of rate error.
bool speedTaken(qint32 asked, qint32 reported);

} // namespace zuvo
