// Types shared by the serial port component, its device layer and its callers.
#pragma once

#include <QtGlobal>
#include <stdexcept>
#include <string>

namespace zuvo {

enum class TParity { pNone, pOdd, pEven, pMark, pSpace };

// Every failure of the serial component is raised as this exception; its message is the text
// the callers compare against (see the constants below). A failure of a system call also keeps
// its errno, so that the port doctor can tell a refused permission from a busy device.
class ESerialError : public std::runtime_error {
public:
    explicit ESerialError(const char* what, int systemError = 0)
        : std::runtime_error(what), systemError_(systemError) {}
    explicit ESerialError(const std::string& what, int systemError = 0)
        : std::runtime_error(what), systemError_(systemError) {}
    // The errno behind the failure; 0 when it was not a system call's.
    int systemError() const { return systemError_; }

private:
    int systemError_ = 0;
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
