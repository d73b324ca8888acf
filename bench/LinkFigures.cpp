// The poll cycle's figures, measured on the real window (offscreen) against a device on a
// pseudo-terminal: poll cadence after a status reply, main-thread CPU while polling, and CPU
// while a command waits for an acknowledge that never comes.
#include "BenchFigure.h"

#include "app/AppStartup.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "device/RequestFrames.h"
#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "session/Link.h"
#include "session/Settings.h"
#include "sim/PtyEndpoint.h"
#include "sim/Simulator.h"

#include <QApplication>
#include <QTemporaryDir>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace zuvo::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int CadenceWarmUp = 20;
constexpr int CadenceSamples = 250;
constexpr int PollingSeconds = 10;
// Polling is under way once the block has been read and the first status replies came.
constexpr int PollingSettleMs = 3000;

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The window started as at program start, with the device at `path` as the stored port COM1
// and a settings file of its own.
class BenchWindow {
public:
    explicit BenchWindow(const std::string& path) {
        qputenv("ZUVO_SETTINGS", folder_.filePath("ZUVO.conf").toLocal8Bit());
        storeComPort("1");
        PortMap::global().setOverride(1, QString::fromStdString(path));
        // Should COM1 fail, the probe must not touch real adapters.
        for (int n = 2; n <= 8; ++n) {
            PortMap::global().setOverride(n, folder_.filePath(QStringLiteral("none-%1").arg(n)));
        }
        form.appStartup().FormCreate({});
        form.show();
    }
    ~BenchWindow() {
        form.link().shutDown(0);
        qunsetenv("ZUVO_SETTINGS");
    }

    QTemporaryDir folder_;
    TForm1 form;
};

// A status reply: no reed, angle 0x100, standing still, position 0, temperature fine.
const std::string StatusReply = "\x02"
                                "0000"
                                "0100"
                                "0000"
                                "00000000"
                                "10"
                                "\x03";

// Reads from the device until a whole request (up to its ETX) has come; false on silence.
bool readRequest(sim::PtyEndpoint& device, int timeoutMs) {
    std::uint8_t byte = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const long n = device.readSome(&byte, 1);
        if (n < 0) {
            return false;
        }
        if (n == 1) {
            if (byte == 0x03) {
                return true;
            }
            continue;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd fd{device.masterFd(), POLLIN, 0};
        ::poll(&fd, 1, int(left));
    }
}

bool writeAll(sim::PtyEndpoint& device, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long n = device.writeSome(reinterpret_cast<const std::uint8_t*>(bytes.data()) + done,
                                        bytes.size() - done);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            pollfd fd{device.masterFd(), POLLOUT, 0};
            ::poll(&fd, 1, 100);
        }
        done += std::size_t(n);
    }
    return true;
}

void pollCadence() {
    sim::PtyEndpoint device;
    BenchWindow window(device.slavePath());
    Link& link = window.form.link();
    // Status polls only: no block to read, no sensor check.
    link.pollStatusOnly();

    // When the poll tick starts, to split the cadence into the timer's share and the send's.
    std::atomic<Clock::rep> fired{0};
    QObject::connect(&link, &Link::ticked, &window.form,
                     [&fired] { fired = Clock::now().time_since_epoch().count(); });

    std::vector<double> deviations;
    std::vector<double> sendTimes;
    std::atomic<bool> finished{false};
    std::thread controller([&] {
        Clock::time_point replied{};
        for (int i = 0; i < CadenceWarmUp + CadenceSamples; ++i) {
            if (!readRequest(device, 2000)) {
                break;
            }
            const Clock::time_point polled = Clock::now();
            if (i > CadenceWarmUp) {
                const double ms =
                    std::chrono::duration<double, std::milli>(polled - replied).count();
                deviations.push_back(std::abs(ms - Link::kStatusPollMs));
                const Clock::time_point tick{Clock::duration(fired.load())};
                sendTimes.push_back(
                    std::chrono::duration<double, std::milli>(polled - tick).count());
            }
            if (!writeAll(device, StatusReply)) {
                break;
            }
            replied = Clock::now();
        }
        finished = true;
        QMetaObject::invokeMethod(
            qApp, [] {}, Qt::QueuedConnection);
    });
    link.resumePolling(10);
    waitUntil([&] { return finished.load(); },
              QDeadlineTimer(std::chrono::seconds(5 + CadenceSamples / 5)));
    controller.join();

    if (deviations.size() + 1 < std::size_t(CadenceSamples)) {
        std::printf("poll cadence: only %zu of %d polls came\n", deviations.size(), CadenceSamples);
        return;
    }
    std::sort(deviations.begin(), deviations.end());
    std::sort(sendTimes.begin(), sendTimes.end());
    std::printf("%zu polls, status reply written to next poll read, against %d ms; of it, "
                "timer fired to poll read: median %.3f ms\n",
                deviations.size(), Link::kStatusPollMs, sendTimes[sendTimes.size() / 2]);
    printFigure("cadence median deviation", deviations[deviations.size() / 2], "ms", 1.0);
}

void pollingCpu() {
    sim::Simulator device;
    device.start();
    BenchWindow window(device.slavePath());
    pauseFor(PollingSettleMs);
    const std::size_t before = device.requestCount();
    const double cpu = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    pauseFor(PollingSeconds * 1000);
    const double wall = secondsSince(start);
    const double used = threadCpuSeconds() - cpu;
    std::printf("%zu polls answered in %.1f s\n", device.requestCount() - before, wall);
    printFigure("polling CPU main thread", used / wall * 100, "%", 2.0);
}

void unansweredWaitCpu() {
    sim::PtyEndpoint device; // takes every byte, answers nothing
    BenchWindow window(device.slavePath());
    std::optional<Exchange> exchange = window.form.link().begin(QStringLiteral("bench"));
    exchange->quiet();
    const double cpu = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    const bool acknowledged =
        exchange->sendAndWaitForAck(writeWordFrame(1, 0)) == LinkResult::Acknowledged;
    const double wall = secondsSince(start);
    const double used = threadCpuSeconds() - cpu;
    std::printf("acknowledge %s after %.3f s (limit %.3f s)\n", acknowledged ? "came" : "missed",
                wall, Link::kAckWaitMs / 1000.0);
    printFigure("unanswered wait CPU", used / wall * 100, "%", 1.0);
}

RegisterFigure cadenceFigure{
    "poll-cadence", "status reply to next poll on the wire, deviation from 80 ms", pollCadence};
RegisterFigure pollingFigure{"polling-cpu",
                             "main-thread CPU while polling a healthy device for 10 s", pollingCpu};
RegisterFigure waitFigure{"wait-cpu", "CPU while a command waits 3.456 s for no acknowledge",
                          unansweredWaitCpu};

} // namespace

} // namespace zuvo::bench
