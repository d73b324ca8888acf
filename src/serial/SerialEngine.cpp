#include "serial/SerialEngine.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zuvo {

namespace {

constexpr std::size_t ChunkSize = 256;

bool transient(int err) {
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
}

} // namespace

SerialEngine::SerialEngine(std::unique_ptr<SerialDevice> device, std::size_t sendQueueSize,
                           Callbacks cb)
    : device_(std::move(device)), cb_(std::move(cb)), sendQueue_(sendQueueSize) {
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd_ < 0) {
        throw ESerialError(std::strerror(errno));
    }
}

SerialEngine::~SerialEngine() {
    stop();
    ::close(stopFd_);
}

void SerialEngine::start() {
    // Errors counted before the port opened are not this opening's.
    counted_ = device_->lineCounts(baseCounts_);
    reader_ = std::thread([this] { readerLoop(); });
    writer_ = std::thread([this] { writerLoop(); });
    dispatcher_ = std::thread([this] { dispatcherLoop(); });
    // Named so that a debugger or top shows whose threads they are.
    pthread_setname_np(reader_.native_handle(), "serial-reader");
    pthread_setname_np(writer_.native_handle(), "serial-writer");
    pthread_setname_np(dispatcher_.native_handle(), "serial-dispatch");
}

void SerialEngine::requestStop() {
    {
        std::lock_guard lock(rxMutex_);
        stop_ = true;
    }
    rxCv_.notify_all();
    {
        // Taken so that a writer between its check and its wait cannot miss the wake-up.
        std::lock_guard lock(txMutex_);
    }
    txCv_.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(stopFd_, &one, sizeof one);
}

void SerialEngine::stop() {
    requestStop();
    for (auto* t : {&reader_, &writer_, &dispatcher_}) {
        if (t->joinable()) {
            t->join();
        }
    }
}

void SerialEngine::deviceLost() {
    const bool first = !gone_.exchange(true);
    requestStop();
    if (first && cb_.deviceGone) {
        cb_.deviceGone();
    }
}

// Waits until the device is ready for events or the engine is told to stop. Returns the
// device's revents, or 0 when stopping.
static short pollDevice(int deviceFd, int stopFd, short events) {
    std::array<pollfd, 2> fds{{{deviceFd, events, 0}, {stopFd, POLLIN, 0}}};
    for (;;) {
        const int r = ::poll(fds.data(), fds.size(), -1);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 || fds[1].revents != 0) {
            return 0;
        }
        return fds[0].revents;
    }
}

void SerialEngine::readerLoop() {
    LineCounts counts = baseCounts_;
    while (!stop_) {
        {
            // While the queue is full the bytes wait in the driver; none are dropped here.
            std::unique_lock lock(rxMutex_);
            rxCv_.wait(lock, [this] { return stop_ || !readerQueue_.full(); });
        }
        const short revents = pollDevice(device_->fd(), stopFd_, POLLIN);
        if (revents == 0) {
            break;
        }
        ssize_t n = 0;
        int err = 0;
        bool forDispatcher = false; // bytes left in the queue for the dispatcher to move
        if (revents & POLLIN) {
            // Reading under the lock keeps a flush from slipping between read and queueing.
            std::lock_guard lock(rxMutex_);
            std::array<std::byte, ChunkSize> chunk;
            n = device_->read(chunk.data(), std::min(chunk.size(), readerQueue_.freeSpace()));
            err = errno;
            if (n > 0) {
                readerQueue_.push(chunk.data(), std::size_t(n));
                // With no notification under way the reader hands the bytes on itself: a reply
                // then reaches the program without waking the dispatcher first.
                if (notify_ == Notify::Idle) {
                    passOnLocked();
                }
                forDispatcher = !readerQueue_.empty();
            }
        }
        if (n > 0) {
            // Bytes the reader handed on need no dispatcher: waking it would only put it back
            // to sleep.
            if (forDispatcher) {
                rxCv_.notify_all();
            }
            LineCounts now;
            if (counted_ && device_->lineCounts(now)) {
                for (const auto& e : lineErrorsBetween(counts, now)) {
                    cb_.lineError(e);
                }
                counts = now;
            }
            continue;
        }
        if ((revents & POLLIN) && n < 0 && transient(err)) {
            continue;
        }
        // Zero bytes, EIO, hang-up: the device is gone (an unplugged adapter).
        deviceLost();
        break;
    }
}

void SerialEngine::writerLoop() {
    std::unique_lock lock(txMutex_);
    while (!stop_) {
        txCv_.wait(lock, [this] { return stop_ || !sendQueue_.empty(); });
        if (stop_) {
            break;
        }
        const auto part = sendQueue_.front();
        // Non-blocking, so holding the lock is short; a flush cannot race a half-sent chunk.
        const ssize_t n = device_->write(part.data(), part.size());
        if (n > 0) {
            sendQueue_.drop(std::size_t(n));
            if (sendQueue_.empty()) {
                txCv_.notify_all();
            }
            continue;
        }
        if (n < 0 && transient(errno)) {
            lock.unlock();
            const short revents = pollDevice(device_->fd(), stopFd_, POLLOUT);
            lock.lock();
            if (revents == 0) {
                break;
            }
            if (revents & POLLOUT) {
                continue;
            }
        }
        lock.unlock();
        deviceLost();
        return;
    }
}

bool SerialEngine::notificationDue() const {
    return notify_ == Notify::Idle && !ring_.empty() && received_ > mark_;
}

void SerialEngine::dispatcherLoop() {
    using clock = std::chrono::steady_clock;
    std::unique_lock lock(rxMutex_);
    while (!stop_) {
        const bool waitingForHandler = notify_ != Notify::Idle && clock::now() < handlerDeadline_;
        if (waitingForHandler) {
            // The bytes a running handler sees stay as they are until it returns (or the
            // wait runs out); a notification not begun by then stays posted and reports the
            // count current when it runs.
            rxCv_.wait_until(lock, handlerDeadline_,
                             [this] { return stop_ || notify_ == Notify::Idle; });
            continue;
        }
        if (passOnLocked()) {
            continue;
        }
        rxCv_.wait(lock, [this] {
            return stop_ || (!readerQueue_.empty() && !ring_.full()) || notificationDue();
        });
    }
}

bool SerialEngine::passOnLocked() {
    if (!readerQueue_.empty() && !ring_.full()) {
        // Only a full queue keeps the reader waiting.
        const bool readerWaits = readerQueue_.full();
        received_ += ring_.moveFrom(readerQueue_);
        if (readerWaits) {
            rxCv_.notify_all();
        }
    }
    if (!notificationDue()) {
        return false;
    }
    notify_ = Notify::Posted;
    handlerDeadline_ = std::chrono::steady_clock::now() + HandlerWait;
    cb_.availDue();
    return true;
}

bool SerialEngine::take(void* out, std::size_t len) {
    std::lock_guard lock(rxMutex_);
    if (!ring_.take(out, len)) {
        return false;
    }
    rxCv_.notify_all();
    return true;
}

void SerialEngine::flushInput() {
    {
        std::lock_guard lock(rxMutex_);
        device_->flush(true, false);
        readerQueue_.clear();
        ring_.clear();
        mark_ = received_;
    }
    rxCv_.notify_all();
}

std::optional<std::size_t> SerialEngine::beginNotification() {
    std::lock_guard lock(rxMutex_);
    if (notify_ != Notify::Posted) {
        return std::nullopt;
    }
    notify_ = Notify::Running;
    mark_ = received_;
    return ring_.size();
}

void SerialEngine::endNotification() {
    {
        std::lock_guard lock(rxMutex_);
        notify_ = Notify::Idle;
    }
    rxCv_.notify_all();
}

bool SerialEngine::put(const void* data, std::size_t len) {
    {
        std::lock_guard lock(txMutex_);
        if (sendQueue_.freeSpace() < len) {
            return false;
        }
        // An idle line takes the bytes at once: a request need not wait for the writer thread
        // to wake. The write is non-blocking and under the lock the writer writes under, so the
        // order stays; what is left, and any error, is the writer's as before.
        if (sendQueue_.empty() && !stop_) {
            const ssize_t n = device_->write(data, len);
            if (n > 0) {
                data = static_cast<const std::byte*>(data) + n;
                len -= static_cast<std::size_t>(n);
            }
            if (len == 0) {
                return true;
            }
        }
        sendQueue_.push(data, len);
    }
    txCv_.notify_all();
    return true;
}

std::size_t SerialEngine::outFree() const {
    std::lock_guard lock(txMutex_);
    return sendQueue_.freeSpace();
}

void SerialEngine::flushOutput() {
    std::lock_guard lock(txMutex_);
    sendQueue_.clear();
    device_->flush(false, true);
}

bool SerialEngine::sendQueueEmpty() const {
    std::lock_guard lock(txMutex_);
    return sendQueue_.empty();
}

} // namespace zuvo
