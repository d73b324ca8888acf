#include "app/OtherProcess.h"

#include "session/EventWait.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zuvo {

OtherProcess::OtherProcess(pid_t pid) : pid_(pid) {
    if (pid_ > 0 && pid_ != getpid()) {
        pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
        gone_ = pidfd_ < 0 && errno == ESRCH;
    }
}

OtherProcess::~OtherProcess() {
    if (pidfd_ >= 0) {
        close(pidfd_);
    }
}

OtherProcess::Wait OtherProcess::waitForEnd(int ms) {
    if (gone_) {
        return Wait::Ended;
    }
    if (pidfd_ < 0) {
        return Wait::CannotWait;
    }
    pollfd ready{pidfd_, POLLIN, 0};
    bool ended = poll(&ready, 1, 0) > 0;
    QSocketNotifier notifier(pidfd_, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&ended, &notifier] {
        ended = true;
        notifier.setEnabled(false);
    });
    waitUntil([&ended] { return ended; }, QDeadlineTimer(ms, Qt::PreciseTimer));
    return ended ? Wait::Ended : Wait::StillRunning;
}

void OtherProcess::kill() {
    if (pidfd_ >= 0) {
        syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0);
    }
}

} // namespace zuvo
