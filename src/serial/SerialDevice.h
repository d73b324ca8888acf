// The few system calls the serial component makes, behind a small interface so that tests can
// inject what a pseudo-terminal cannot show (a refused speed, a line error).
#pragma once

#include "serial/SerialTypes.h"

#include <QString>
#include <sys/types.h>
#include <vector>

namespace zuvo {

// The driver's receive error counters (as kept by TIOCGICOUNT).
struct LineCounts {
    quint32 frame = 0;
    quint32 overrun = 0;
    quint32 parity = 0;
    quint32 brk = 0;
    quint32 bufOverrun = 0;
};

// One receive line error as reported to OnTriggerLineError.
struct LineError {
    quint16 error = 0; // 1 buffer overflow, 2 overrun, 4 framing, 9 break
    bool lineBreak = false;
    bool operator==(const LineError&) const = default;
};

// The errors that appeared between two counter readings, in a fixed order. Parity errors are
// left out: parity is not checked, so a mismatch is not an error.
std::vector<LineError> lineErrorsBetween(const LineCounts& before, const LineCounts& after);

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the device exclusively; throws ESerialError with the component's failure texts.
    virtual void open(const QString& path) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The descriptor the threads wait on in poll().
    virtual int fd() const = 0;

    // Each returns 0 or an errno value.
    virtual int setModemLines(bool dtr, bool rts) = 0;
    virtual int applyLine(const LineSettings& settings) = 0;
    // Bytes the driver still holds for sending (0 when it cannot tell). Never blocks: a
    // driver that never drains must not freeze the caller.
    virtual int unsentBytes() = 0;
    virtual void flush(bool input, bool output) = 0;

    // Like read(2)/write(2) on a non-blocking descriptor.
    virtual ssize_t read(void* buf, size_t len) = 0;
    virtual ssize_t write(const void* buf, size_t len) = 0;

    // False when the driver keeps no error counters.
    virtual bool lineCounts(LineCounts& out) = 0;
};

// The message for a failed open(2) or flock(2).
QString openErrorText(int err);

} // namespace zuvo
