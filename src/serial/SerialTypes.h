// Types shared by the serial port component, its device layer and its callers.
#pragma once

#include <QtGlobal>
#include <stdexcept>

namespace zuvo {

enum class TParity { pNone, pOdd, pEven, pMark, pSpace };

// Every failure of the serial component is raised as this exception; its message is the text
// the callers compare against (see the constants below).
class ESerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace serial_text {
inline constexpr const char* NotSet =
    "The ComNumber property of the TSerialComPort has not been set";
inline constexpr const char* BadId = "ie_BadId - Specified comport doesn't exist";
inline constexpr const char* InUse = "ie_Open - device already open";
inline constexpr const char* NotOpen = "ie_NOpen - device not open";
inline constexpr const char* BufferEmpty = "Buffer is empty";
inline constexpr const char* OutputTooSmall = "Output buffer too small for block";
} // namespace serial_text

// The line settings applied to an open device.
struct LineSettings {
    qint32 baud = 19200;
    TParity parity = TParity::pNone;
    quint16 dataBits = 8;
    quint16 stopBits = 1;
};

} // namespace zuvo
