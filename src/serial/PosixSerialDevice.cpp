#include "serial/PosixSerialDevice.h"

#include "serial/TermiosLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zuvo {

namespace {

quint32 grew(quint32 before, quint32 after) {
    return after - before;
}

} // namespace

std::vector<LineError> lineErrorsBetween(const LineCounts& before, const LineCounts& after) {
    std::vector<LineError> out;
    if (grew(before.bufOverrun, after.bufOverrun) != 0) {
        out.push_back({1, false});
    }
    if (grew(before.overrun, after.overrun) != 0) {
        out.push_back({2, false});
    }
    if (grew(before.frame, after.frame) != 0) {
        out.push_back({4, false});
    }
    if (grew(before.brk, after.brk) != 0) {
        out.push_back({9, true});
    }
    return out;
}

QString openErrorText(int err) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QString::fromLatin1(serial_text::BadId);
    case EBUSY:
    case EWOULDBLOCK:
    case EACCES:
    case EPERM:
        return QString::fromLatin1(serial_text::InUse);
    default:
        return QString::fromLocal8Bit(std::strerror(err));
    }
}

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

void PosixSerialDevice::open(const QString& path) {
    close();
    if (path.isEmpty()) {
        throw ESerialError(serial_text::BadId, SerialErrorKind::NoSuchDevice);
    }
    const int fd =
        ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        throw ESerialError(openErrorText(err).toStdString(), err);
    }
    // TIOCEXCL keeps other users out, but root ignores it; the lock also holds against root.
    int err = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        err = errno;
    } else if (::ioctl(fd, TIOCEXCL) != 0) {
        err = errno;
    }
    if (err != 0) {
        ::close(fd);
        throw ESerialError(openErrorText(err).toStdString(), err);
    }
    fd_ = fd;
    countersMissing_ = false;
}

void PosixSerialDevice::close() {
    if (fd_ < 0) {
        return;
    }
    // Another holder of the tty (a simulator keeping its end open) must be able to reopen it.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

int PosixSerialDevice::setModemLines(bool dtr, bool rts) {
    int raise = (dtr ? TIOCM_DTR : 0) | (rts ? TIOCM_RTS : 0);
    int lower = (dtr ? 0 : TIOCM_DTR) | (rts ? 0 : TIOCM_RTS);
    for (auto [request, bits] : {std::pair{TIOCMBIS, raise}, std::pair{TIOCMBIC, lower}}) {
        // A pseudo-terminal has no modem lines; that is not a failure.
        if (bits != 0 && ::ioctl(fd_, request, &bits) != 0 && errno != ENOTTY && errno != EINVAL) {
            return errno;
        }
    }
    return 0;
}

int PosixSerialDevice::applyLine(const LineSettings& settings) {
    return applyTermiosLine(fd_, settings);
}

int PosixSerialDevice::unsentBytes() {
    int queued = 0;
    return ::ioctl(fd_, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

void PosixSerialDevice::flush(bool input, bool output) {
    if (input || output) {
        ::tcflush(fd_, input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH);
    }
}

ssize_t PosixSerialDevice::read(void* buf, size_t len) {
    return ::read(fd_, buf, len);
}

ssize_t PosixSerialDevice::write(const void* buf, size_t len) {
    return ::write(fd_, buf, len);
}

bool PosixSerialDevice::lineCounts(LineCounts& out) {
    if (countersMissing_) {
        return false;
    }
    serial_icounter_struct c{};
    if (::ioctl(fd_, TIOCGICOUNT, &c) != 0) {
        countersMissing_ = true; // a pseudo-terminal keeps none
        return false;
    }
    out = {quint32(c.frame), quint32(c.overrun), quint32(c.parity), quint32(c.brk),
           quint32(c.buf_overrun)};
    return true;
}

} // namespace zuvo
