// The window's figure: from the last byte of a status reply on the line to the position readout
// showing the new position.
#include "BenchFigure.h"

#include "app/TForm1.h"
#include "device/HexField.h"
#include "serial/PortMap.h"
#include "service/MillimetreText.h"
#include "session/Link.h"
#include "sim/PtyEndpoint.h"

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zuvo::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr quint16 BenchCom = 51;
constexpr int WarmUpReplies = 50;
constexpr int Replies = 1000;
constexpr int Turns = 100;
constexpr double StrokeMm = 1000.0;

std::int32_t positionOf(int reply) {
    return (reply % 90 + 1) * 1024; // a new readout with every reply
}

std::vector<std::uint8_t> statusReply(std::int32_t position) {
    const std::string body = hexField(0x01, 2) + hexField(0, 2) + hexField(0x100, 4) +
                             hexField(0, 4) + hexField(static_cast<std::uint32_t>(position), 8) +
                             hexField(0x10, 2);
    std::vector<std::uint8_t> frame{0x02};
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(0x03);
    return frame;
}

void replyToDisplay() {
    sim::PtyEndpoint pty;
    PortMap::global().setOverride(BenchCom, QString::fromStdString(pty.slavePath()));
    TForm1 form;
    // The poll tick stays out of it: the replies come only from here.
    form.link().shutDown(0);
    form.findChild<QLineEdit*>("Turns")->setText(QString::number(Turns));
    form.findChild<QLineEdit*>("Laenge")->setText(QString::number(StrokeMm));
    auto* apos = form.findChild<QLabel*>("APos");
    form.show();
    if (!form.link().openPort(BenchCom).opened) {
        std::printf("reply to display: the port did not open\n");
        return;
    }

    std::mutex mutex;
    std::condition_variable cv;
    std::uint32_t held = 0; // bytes in the receive buffer after the last notification
    int shown = 0;          // replies whose position the readout shows
    std::atomic<qint64> lastByteAt{0};
    std::vector<double> latencies;
    latencies.reserve(Replies);
    QEventLoop loop;
    QString expected;
    const QChar separator = QLocale().decimalPoint().front();

    QObject::connect(&form.link(), &Link::notificationHandled, &form, [&](int) {
        const auto now = Clock::now().time_since_epoch().count();
        std::lock_guard lock(mutex);
        held = form.link().bytesHeld();
        if (apos->text() == expected) {
            if (++shown > WarmUpReplies) {
                latencies.push_back(double(now - lastByteAt.load()) / 1e6);
            }
            if (shown == WarmUpReplies + Replies) {
                loop.quit();
            }
            expected.clear();
        }
        cv.notify_all();
    });

    const auto write = [&pty](const std::uint8_t* data, std::size_t size) {
        for (std::size_t done = 0; done < size;) {
            const long n = pty.writeSome(data + done, size - done);
            if (n < 0) {
                return false;
            }
            done += std::size_t(n);
        }
        return true;
    };
    const auto giveUp = [&loop](const char* what, int reply) {
        std::fprintf(stderr, "reply %d %s\n", reply, what);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    };

    std::thread controller([&] {
        for (int i = 0; i < WarmUpReplies + Replies; ++i) {
            const std::int32_t position = positionOf(i);
            const auto frame = statusReply(position);
            {
                std::lock_guard lock(mutex);
                expected = millimetreText(position * StrokeMm / (Turns * 1024.0), separator) +
                           QStringLiteral("mm");
            }
            // All but the last byte first, taken into the buffer before the last one goes out.
            if (!write(frame.data(), frame.size() - 1)) {
                return giveUp("could not be written", i);
            }
            {
                std::unique_lock lock(mutex);
                if (!cv.wait_for(lock, std::chrono::seconds(5),
                                 [&] { return held == frame.size() - 1; })) {
                    return giveUp("was not taken", i);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            // Stamped before the write, so the handler can never see an older stamp.
            lastByteAt = Clock::now().time_since_epoch().count();
            if (!write(&frame.back(), 1)) {
                return giveUp("could not be finished", i);
            }
            std::unique_lock lock(mutex);
            if (!cv.wait_for(lock, std::chrono::seconds(5), [&] { return shown > i; })) {
                return giveUp("was never shown", i);
            }
        }
    });
    loop.exec();
    controller.join();
    form.link().closePort();
    PortMap::global().clearOverrides();

    if (latencies.size() < std::size_t(Replies)) {
        std::printf("reply to display: only %zu of %d replies shown\n", latencies.size(), Replies);
        return;
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies[std::size_t(q * double(latencies.size() - 1))];
    };
    std::printf("%d status replies, last byte written to the position readout showing it\n",
                Replies);
    printFigure("reply to display p50", at(0.50), "ms", 2);
    printFigure("reply to display p99", at(0.99), "ms", 2);
}

RegisterFigure displayFigure{"reply-to-display",
                             "last byte of a status reply to APos showing the new position",
                             replyToDisplay};

} // namespace

} // namespace zuvo::bench
