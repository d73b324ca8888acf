#include "session/EventWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace zuvo {

bool waitUntil(const std::function<bool()>& done, QDeadlineTimer deadline,
               const std::function<void()>& eachRound) {
    // The wake-up timer only makes the dispatcher return at the deadline; without it a wait
    // with no other events would sleep past it.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        if (!deadline.isForever()) {
            const qint64 left = deadline.remainingTime();
            wake.start(static_cast<int>(std::min<qint64>(left, std::numeric_limits<int>::max())));
        }
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (eachRound) {
            eachRound();
        }
    }
    return true;
}

bool waitWhileActive(const QTimer& timer, const std::function<void()>& eachRound,
                     QDeadlineTimer deadline) {
    return waitUntil([&timer] { return !timer.isActive(); }, deadline, eachRound);
}

void pauseFor(int ms) {
    waitUntil([] { return false; }, QDeadlineTimer(ms, Qt::PreciseTimer));
}

void handlePendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace zuvo
