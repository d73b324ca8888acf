// Only the kernel's termios2 view is used here; <termios.h> must not be included in this file.
#include "serial/TermiosLine.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <cstdlib>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace zuvo {

namespace {

bool sizeFlag(quint16 dataBits, tcflag_t& out) {
    switch (dataBits) {
    case 5:
        out = CS5;
        return true;
    case 6:
        out = CS6;
        return true;
    case 7:
        out = CS7;
        return true;
    case 8:
        out = CS8;
        return true;
    default:
        return false;
    }
}

tcflag_t parityFlags(TParity parity) {
    switch (parity) {
    case TParity::pOdd:
        return PARENB | PARODD;
    case TParity::pEven:
        return PARENB;
    case TParity::pMark:
        return PARENB | PARODD | CMSPAR;
    case TParity::pSpace:
        return PARENB | CMSPAR;
    case TParity::pNone:
        break;
    }
    return 0;
}

} // namespace

bool speedTaken(qint32 asked, qint32 reported) {
    if (asked <= 0 || reported <= 0) {
        return false;
    }
    return std::llabs(qint64(reported) - asked) * 100 <= qint64(asked) * 3;
}

int applyTermiosLine(int fd, const LineSettings& s) {
    tcflag_t size = 0;
    if (s.baud <= 0 || !sizeFlag(s.dataBits, size) || (s.stopBits != 1 && s.stopBits != 2)) {
        return EINVAL;
    }
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return errno;
    }
    // Raw binary: no translation, no echo, no signals; received parity is not checked.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IUCLC | IMAXBEL);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &=
        ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= size | parityFlags(s.parity) | (s.stopBits == 2 ? CSTOPB : 0) | CLOCAL | CREAD |
                 BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = speed_t(s.baud);
    t.c_ospeed = speed_t(s.baud);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &t) != 0) {
        return errno;
    }
    // A driver may quietly fall back to another rate; only the speed is checked, since a
    // pseudo-terminal drops parity and character size by design.
    termios2 back{};
    if (ioctl(fd, TCGETS2, &back) != 0) {
        return errno;
    }
    if (!speedTaken(s.baud, qint32(back.c_ospeed))) {
        return EINVAL;
    }
    return 0;
}

} // namespace zuvo
