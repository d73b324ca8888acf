// Types shared by the serial port component, its device layer and its callers.
#pragma once

#include <QtGlobal>
#include <cerrno>
#include <stdexcept>
#include <string>

namespace zuvo {

enum class TParity { pNone, pOdd, pEven, pMark, pSpace };

// What a failure of the serial component comes to, for callers that answer each differently.
enum class SerialErrorKind {
    InUse,        // another program holds the device
    NoSuchDevice, // nothing is there (unplugged, or a number that reaches no device)
    Permission,   // this user may not open it
    Other,
};

// The kind of a failed system call's errno.
inline SerialErrorKind serialErrorKind(int systemError) {
    switch (systemError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return SerialErrorKind::NoSuchDevice;
    case EBUSY:
    case EWOULDBLOCK:
        return SerialErrorKind::InUse;
    case EACCES:
    case EPERM:
        return SerialErrorKind::Permission;
    default:
        return SerialErrorKind::Other;
    }
}

// Every failure of the serial component is raised as this exception; its message is the
// component's text (see the constants below). A failure of a system call also keeps its errno,
// so that the port doctor can tell a refused permission from a busy device, and callers switch
// on its kind.
class ESerialError : public std::runtime_error {
public:
    explicit ESerialError(const char* what, int systemError = 0)
        : std::runtime_error(what), systemError_(systemError), kind_(serialErrorKind(systemError)) {
    }
    explicit ESerialError(const std::string& what, int systemError = 0)
        : std::runtime_error(what), systemError_(systemError), kind_(serialErrorKind(systemError)) {
    }
    // A failure that no system call reported, of a known kind.
    ESerialError(const char* what, SerialErrorKind kind) : std::runtime_error(what), kind_(kind) {}
    // The errno behind the failure; 0 when it was not a system call's.
    int systemError() const { return systemError_; }
    SerialErrorKind kind() const { return kind_; }

private:
    int systemError_ = 0;
    SerialErrorKind kind_ = SerialErrorKind::Other;
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
