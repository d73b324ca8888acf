// The serial component's figures: receive latency to the main thread, and CPU while idle.
#include "BenchFigure.h"

#include "serial/PortMap.h"
#include "serial/TSerialComPort.h"
#include "sim/PtyEndpoint.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace zuvo::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr quint16 BenchCom = 50;
constexpr int FrameSize = 24;
constexpr int WarmUpFrames = 50;
constexpr int Frames = 2000;
constexpr auto FrameGap = std::chrono::milliseconds(2);
constexpr int IdleSeconds = 10;

double cpuSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// A component opened on a fresh pseudo-terminal.
struct OpenPort {
    sim::PtyEndpoint pty;
    TSerialComPort port;
    OpenPort() {
        PortMap::global().setOverride(BenchCom, QString::fromStdString(pty.slavePath()));
        port.setComNumber(BenchCom);
        port.setBaud(9600);
        port.setOpen(true);
    }
};

void receiveLatency() {
    OpenPort link;
    std::mutex mutex;
    std::condition_variable cv;
    int delivered = 0; // frames whose last byte reached the handler
    std::atomic<qint64> sentAt{0};
    std::vector<double> latencies;
    latencies.reserve(Frames);
    QEventLoop loop;

    int pending = 0;
    link.port.OnTriggerAvail = [&](TSerialComPort& cp, quint16 count) {
        const auto now = Clock::now().time_since_epoch().count();
        std::array<char, 8192> buf;
        cp.GetBlock(buf.data(), count);
        pending += count;
        if (pending < FrameSize) {
            return;
        }
        pending -= FrameSize;
        std::lock_guard lock(mutex);
        if (++delivered > WarmUpFrames) {
            latencies.push_back(double(now - sentAt.load()) / 1e6);
        }
        if (delivered == WarmUpFrames + Frames) {
            loop.quit();
        }
        cv.notify_all();
    };

    std::thread sender([&] {
        const std::array<std::uint8_t, FrameSize> frame{0x02, 'R', 'V', '0', '0', '1', '2', '3',
                                                        '4',  '5', '6', '7', '8', '9', 'A', 'B',
                                                        'C',  'D', 'E', 'F', '0', '1', '2', 0x03};
        for (int i = 0; i < WarmUpFrames + Frames; ++i) {
            std::this_thread::sleep_for(FrameGap);
            std::size_t done = 0;
            while (done < frame.size()) {
                // Stamped before the write, so the handler can never see an older stamp.
                sentAt = Clock::now().time_since_epoch().count();
                const long n = link.pty.writeSome(frame.data() + done, frame.size() - done);
                if (n < 0) {
                    return;
                }
                done += std::size_t(n);
            }
            std::unique_lock lock(mutex);
            if (!cv.wait_for(lock, std::chrono::seconds(5), [&] { return delivered > i; })) {
                std::fprintf(stderr, "frame %d never arrived\n", i);
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
                return;
            }
        }
    });
    loop.exec();
    sender.join();

    if (latencies.size() < std::size_t(Frames)) {
        std::printf("receive latency: only %zu of %d frames arrived\n", latencies.size(), Frames);
        return;
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies[std::size_t(q * double(latencies.size() - 1))];
    };
    std::printf("%d frames of %d bytes, last byte written to handler running\n", Frames, FrameSize);
    printFigure("latency p50", at(0.50), "ms", 2);
    printFigure("latency p99", at(0.99), "ms", 2);
}

void idleCpu() {
    OpenPort link;
    link.port.OnTriggerAvail = [](TSerialComPort&, quint16) {};
    QEventLoop loop;
    QTimer::singleShot(IdleSeconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    const double thread0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double process0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto wall0 = Clock::now();
    loop.exec();
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double thread = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
    const double process = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
    std::printf("open port idle for %.1f s\n", wall);
    printFigure("idle CPU main thread", thread / wall * 100, "%", 0.5);
    printFigure("idle CPU process", process / wall * 100, "%", 0.5);
}

RegisterFigure latencyFigure{"serial-latency",
                             "last byte at the pty master to OnTriggerAvail on the main thread",
                             receiveLatency};
RegisterFigure idleFigure{"serial-idle", "CPU of an open, idle port over 10 s", idleCpu};

} // namespace

} // namespace zuvo::bench
