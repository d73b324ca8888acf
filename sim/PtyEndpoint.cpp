#include "PtyEndpoint.h"

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace zuvo::sim {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

PtyEndpoint::PtyEndpoint() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) {
        fail("posix_openpt");
    }
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0) {
        const int e = errno;
        ::close(master_);
        errno = e;
        fail("pseudo-terminal setup");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        const int e = errno;
        ::close(master_);
        errno = e;
        fail("open slave");
    }
    // Raw from the start: an echoing line discipline would hand our own replies back to us
    // before the program has opened and configured the port.
    termios t{};
    if (tcgetattr(slave_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
    }
    closeWatch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (closeWatch_ >= 0 &&
        inotify_add_watch(closeWatch_, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        ::close(closeWatch_);
        closeWatch_ = -1;
    }
}

void PtyEndpoint::releaseClosed() {
    if (closeWatch_ < 0) {
        return;
    }
    alignas(inotify_event) char events[4096];
    while (::read(closeWatch_, events, sizeof events) > 0) {
    }
    if (slave_ >= 0) {
        ioctl(slave_, TIOCNXCL);
    }
}

PtyEndpoint::~PtyEndpoint() {
    hangUp();
}

long PtyEndpoint::readSome(std::uint8_t* data, std::size_t size) {
    if (master_ < 0) {
        return -1;
    }
    const ssize_t n = ::read(master_, data, size);
    if (n > 0) {
        return n;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return 0;
    }
    return -1;
}

long PtyEndpoint::writeSome(const std::uint8_t* data, std::size_t size) {
    if (master_ < 0) {
        return -1;
    }
    const ssize_t n = ::write(master_, data, size);
    if (n >= 0) {
        return n;
    }
    if (errno == EAGAIN || errno == EINTR) {
        return 0;
    }
    return -1;
}

void PtyEndpoint::hangUp() {
    if (closeWatch_ >= 0) {
        ::close(closeWatch_);
        closeWatch_ = -1;
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

} // namespace zuvo::sim
