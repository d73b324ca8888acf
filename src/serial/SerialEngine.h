// The background side of the serial component: a reader, a writer and a dispatcher thread
// around one open device, the receive ring and the send queue. While nothing waits, the reader
// passes bytes on itself and put() writes itself, so a request and its reply cross as few
// threads as they can. Knows nothing about Qt; the component turns its callbacks into events on
// the main thread.
#pragma once

#include "serial/ByteRing.h"
#include "serial/SerialDevice.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zuvo {

class SerialEngine {
public:
    static constexpr std::size_t ReceiveSize = 8192;
    static constexpr std::size_t ReaderQueueSize = 65536;
    static constexpr std::chrono::milliseconds HandlerWait{3000};

    struct Callbacks {
        // A notification is due; called on the reader or the dispatcher thread, at most once
        // until the notification has ended (see beginNotification/endNotification).
        std::function<void()> availDue;
        // The driver counted a receive line error; called on the reader thread.
        std::function<void(LineError)> lineError;
        // The device went away (read of 0 bytes, EIO, hang-up); called once, on the thread
        // that noticed it.
        std::function<void()> deviceGone;
    };

    // Takes an open, configured device.
    SerialEngine(std::unique_ptr<SerialDevice> device, std::size_t sendQueueSize, Callbacks cb);
    ~SerialEngine();
    SerialEngine(const SerialEngine&) = delete;
    SerialEngine& operator=(const SerialEngine&) = delete;

    void start();
    // Stops and joins the threads; the device stays open. Never waits for the main thread.
    void stop();
    SerialDevice& device() { return *device_; }
    // True once the device went away (read of 0 bytes, EIO, hang-up).
    bool deviceGone() const { return gone_.load(); }

    // Main-thread side of the receive ring.
    bool take(void* out, std::size_t len);
    void flushInput();
    // Starts a posted notification: moves the mark and returns the bytes waiting now, or
    // nothing when no notification was pending.
    std::optional<std::size_t> beginNotification();
    void endNotification();

    // Main-thread side of the send queue. put() writes at once what an idle driver takes.
    bool put(const void* data, std::size_t len);
    std::size_t outFree() const;
    void flushOutput();
    // True when the writer has handed every queued byte to the driver.
    bool sendQueueEmpty() const;

private:
    enum class Notify { Idle, Posted, Running };

    void readerLoop();
    void writerLoop();
    void dispatcherLoop();
    void requestStop();
    void deviceLost();
    bool notificationDue() const;
    // With rxMutex_ held: moves the reader's bytes into the ring while it has room and posts the
    // notification when one is due. True when it posted.
    bool passOnLocked();
    bool waitForPoll(short events);

    std::unique_ptr<SerialDevice> device_;
    Callbacks cb_;
    int stopFd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<bool> gone_{false};
    LineCounts baseCounts_; // taken before the threads start
    bool counted_ = false;

    // Reader queue, receive ring, notification mark and state.
    std::mutex rxMutex_;
    std::condition_variable rxCv_;
    ByteRing readerQueue_{ReaderQueueSize};
    ByteRing ring_{ReceiveSize};
    std::uint64_t received_ = 0; // bytes moved into the ring since opening
    std::uint64_t mark_ = 0;     // received_ when the program was last notified
    Notify notify_ = Notify::Idle;
    std::chrono::steady_clock::time_point handlerDeadline_;

    // Send queue.
    mutable std::mutex txMutex_;
    std::condition_variable txCv_;
    ByteRing sendQueue_;

    std::thread reader_;
    std::thread writer_;
    std::thread dispatcher_;
};

} // namespace zuvo
