// Pseudo-terminal pairs and small helpers for the serial component's tests.
#pragma once

#include "serial/PortMap.h"
#include "serial/PosixSerialDevice.h"
#include "serial/TSerialComPort.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zuvo::test {

// A pseudo-terminal: the test holds the master, the component opens the slave by its path.
class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
            return;
        }
        char name[128] = {};
        ::ptsname_r(master_, name, sizeof name);
        slave_ = QString::fromLocal8Bit(name);
        termios t{};
        ::tcgetattr(master_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master_, TCSANOW, &t);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const QString& slavePath() const { return slave_; }
    int master() const { return master_; }

    void write(const QByteArray& bytes) const {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p{master_, POLLOUT, 0};
                ::poll(&p, 1, 1000);
            } else {
                ADD_FAILURE() << "write to the pty master failed: " << std::strerror(errno);
                return;
            }
        }
    }

    // Reads until n bytes came or nothing more arrives within timeoutMs.
    QByteArray read(qsizetype n, int timeoutMs = 2000) const {
        QByteArray out;
        char buf[4096];
        while (out.size() < n) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) {
                break;
            }
            const ssize_t got =
                ::read(master_, buf, size_t(std::min<qsizetype>(n - out.size(), sizeof buf)));
            if (got <= 0) {
                break;
            }
            out.append(buf, got);
        }
        return out;
    }

    void closeMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

private:
    int master_ = -1;
    QString slave_;
};

inline bool waitFor(const std::function<bool()>& pred, int ms = 3000) {
    return QTest::qWaitFor(pred, ms);
}

inline int threadCount() {
    return int(QDir(QStringLiteral("/proc/self/task"))
                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                   .size());
}

inline QByteArray allByteValues(int repeat = 1) {
    QByteArray out;
    for (int r = 0; r < repeat; ++r) {
        for (int b = 0; b < 256; ++b) {
            out.append(char(b));
        }
    }
    return out;
}

// The message of the ESerialError that f raises, or "<no error>".
inline std::string failure(const std::function<void()>& f) {
    try {
        f();
    } catch (const ESerialError& e) {
        return e.what();
    }
    return "<no error>";
}

// The kind of the serial error `f` raises; nothing when it raises none.
inline std::optional<SerialErrorKind> failureKind(const std::function<void()>& f) {
    try {
        f();
    } catch (const ESerialError& e) {
        return e.kind();
    }
    return std::nullopt;
}

// What a spying device saw, shared with the test (its methods run on the component's threads).
struct DeviceLog {
    std::mutex mutex;
    std::vector<LineSettings> applied;
    std::vector<std::size_t> writtenAtApply;
    std::atomic<std::size_t> written{0};
    qint32 refuseBaud = -1;
    bool counted = false;
    LineCounts counts;
};

// A real pty device that records what it is asked and can refuse a speed or report line errors.
class SpyDevice : public PosixSerialDevice {
public:
    explicit SpyDevice(std::shared_ptr<DeviceLog> log) : log_(std::move(log)) {}

    int applyLine(const LineSettings& s) override {
        {
            std::lock_guard lock(log_->mutex);
            log_->applied.push_back(s);
            log_->writtenAtApply.push_back(log_->written.load());
            if (s.baud == log_->refuseBaud) {
                return EINVAL;
            }
        }
        return PosixSerialDevice::applyLine(s);
    }
    ssize_t write(const void* buf, size_t len) override {
        const ssize_t n = PosixSerialDevice::write(buf, len);
        if (n > 0) {
            log_->written += std::size_t(n);
        }
        return n;
    }
    bool lineCounts(LineCounts& out) override {
        std::lock_guard lock(log_->mutex);
        out = log_->counts;
        return log_->counted;
    }

private:
    std::shared_ptr<DeviceLog> log_;
};

inline TSerialComPort::DeviceFactory spyFactory(const std::shared_ptr<DeviceLog>& log) {
    return [log] { return std::make_unique<SpyDevice>(log); };
}

// A component on port ComNo pointed at a fresh pseudo-terminal.
class SerialPortFixture : public ::testing::Test {
protected:
    static constexpr quint16 ComNo = 41;

    void SetUp() override {
        // A sanitizer starts its own helper thread with the first thread of the process; let
        // that happen before a test takes its thread-count baseline.
        std::thread([] {}).join();
        PortMap::global().setOverride(ComNo, pty.slavePath());
        port.setComNumber(ComNo);
    }
    void TearDown() override { PortMap::global().clearOverrides(); }

    PtyPair pty;
    TSerialComPort port;
};

} // namespace zuvo::test
