#include "session/EventWait.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <ctime>

namespace {

qint64 threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TEST(EventWait, ReturnsWhenATimerMakesThePredicateTrue) {
    bool flag = false;
    QTimer::singleShot(60, [&flag] { flag = true; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(zuvo::waitUntil([&flag] { return flag; }, QDeadlineTimer(5000)));
    EXPECT_GE(clock.elapsed(), 55);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(EventWait, GivesUpAtTheDeadlineAndRunsHandlersMeanwhile) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(zuvo::waitUntil([] { return false; }, QDeadlineTimer(200)));
    EXPECT_GE(clock.elapsed(), 195);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_GE(ticks, 3);
}

TEST(EventWait, SleepsInsteadOfSpinning) {
    const qint64 cpuBefore = threadCpuMs();
    QElapsedTimer clock;
    clock.start();
    zuvo::pauseFor(300);
    const qint64 wall = clock.elapsed();
    const qint64 cpu = threadCpuMs() - cpuBefore;
    EXPECT_GE(wall, 295);
    EXPECT_LT(cpu, 30) << "the wait burned " << cpu << " ms of CPU in " << wall << " ms";
}

TEST(EventWait, AlreadyTrueReturnsAtOnceEvenAfterTheDeadline) {
    int rounds = 0;
    EXPECT_TRUE(zuvo::waitUntil([] { return true; }, QDeadlineTimer(0), [&rounds] { ++rounds; }));
    EXPECT_EQ(rounds, 0);
}

// The shut-down wait: handle events until the one-shot timer is off, stopping the poll timer on
// every round, so that at most a tick already due gets through.
TEST(EventWait, WaitsWhileAOneShotTimerRunsAndRunsTheRoundCallback) {
    QTimer poll;
    int polls = 0;
    QObject::connect(&poll, &QTimer::timeout, [&polls] { ++polls; });
    poll.start(5);

    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5 % early
    timeout.start(150);
    int rounds = 0;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(zuvo::waitWhileActive(timeout, [&] {
        ++rounds;
        poll.stop();
    }));
    EXPECT_GE(clock.elapsed(), 145);
    EXPECT_FALSE(timeout.isActive());
    EXPECT_GE(rounds, 1);
    EXPECT_LE(polls, 1);
}

TEST(EventWait, EndsEarlyWhenAHandlerStopsTheTimer) {
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.start(3000);
    QTimer::singleShot(50, &timeout, &QTimer::stop);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(zuvo::waitWhileActive(timeout));
    EXPECT_LT(clock.elapsed(), 1500);

    timeout.start(3000);
    EXPECT_FALSE(zuvo::waitWhileActive(timeout, {}, QDeadlineTimer(100)));
    EXPECT_TRUE(timeout.isActive());
    timeout.stop();
}

} // namespace
