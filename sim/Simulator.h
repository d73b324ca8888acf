#pragma once
// The simulated actuator on a pseudo-terminal: a thread that answers the program's requests
// through the protocol engine, with the configured link faults and optional 9600-baud pacing
// of both directions (a byte from the program reaches the controller model one byte time after
// the one before it, as on a real line). Every public call is thread-safe.

#include "OutputQueue.h"
#include "ProtocolEngine.h"
#include "PtyEndpoint.h"
#include "ReplyFaults.h"
#include "SimOptions.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zuvo::sim {

class Simulator {
public:
    explicit Simulator(SimOptions options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    void start();
    void stop();

    // The device path the program opens.
    std::string slavePath() const;

    void setFault(const FaultConfig& faults);
    // Closes the line: the program sees the device vanish. The simulator stays stopped.
    void hangUp();

    // Frames the controller sends on its own; they go out 20 ms after the last reply, so that
    // they reach the program as data of their own.
    void sendVersionFrame(std::int8_t version);
    void sendCaption(const std::string& text);
    void sendRaw(const std::vector<std::uint8_t>& bytes);

    // The model.
    void setStatus28(bool on);
    void setRpm(int rpm);
    void setInputs(std::uint8_t inputs);
    void setSensorWarning(std::uint8_t bits);
    void setPosition(std::int32_t counts);
    void setParameterWord(int index, std::uint16_t value);
    std::uint16_t parameterWord(int index) const;
    // The controller faults of SimOptions (noBlock, corruptWord), changed while running.
    void setAnswersBlockRead(bool on);
    void setCorruptWord(std::optional<int> index);
    std::int32_t position() const;

    // The bootloader.
    bool inBootloader() const;
    std::vector<std::uint8_t> receivedImage() const;
    int completedUpdates() const;

    // What the program sent: raw bytes (the oldest dropped beyond 1 MiB) and the requests.
    std::size_t bytesReceived() const;
    std::vector<std::uint8_t> receivedBytes() const;
    std::vector<std::string> requests() const;
    // The same with the moment each request's ETX reached the controller model.
    struct TimedRequest {
        std::string text;
        Clock::time_point at;
    };
    std::vector<TimedRequest> timedRequests() const;
    std::size_t requestCount() const;

    // Both directions as the controller saw them, for timing checks: bytes from the program
    // at the moment they reached the model, bytes to it at the moment they were written.
    struct LineChunk {
        Clock::time_point at;
        bool fromProgram;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<LineChunk> lineLog() const;
    void clearLog();

    // Blocks until pred() holds or the timeout passes; pred is checked again whenever the
    // simulator has received or sent something. Returns the last result of pred.
    bool waitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) const;

private:
    void run();
    void wake() const;
    void queueReplies(std::vector<Bytes> replies, Clock::time_point now);
    void queueUnsolicited(Bytes bytes, Clock::time_point now);
    void flushDue(Clock::time_point now);
    void takeArrived(Clock::time_point now);
    void logChunk(Clock::time_point at, bool fromProgram, const std::uint8_t* data,
                  std::size_t size);
    void signalProgress();

    const SimOptions options_;
    mutable std::mutex mutex_; // guards everything below up to the thread
    PtyEndpoint pty_;
    ProtocolEngine engine_;
    ReplyFaults faults_;
    OutputQueue queue_;
    OutputQueue inbound_; // bytes from the program on their way to the model
    std::vector<LineChunk> lineLog_;
    std::vector<std::uint8_t> unwritten_; // taken from the queue, refused by the pty so far
    std::vector<std::uint8_t> received_;
    std::size_t bytesReceived_ = 0;
    bool silent_ = false;
    bool hangUpWanted_ = false;
    bool announced_ = false;
    bool versionGlueDue_ = false; // the first reply still carries the version frame in front

    std::thread thread_;
    std::atomic<bool> stopping_{false};
    int wakeFd_ = -1;

    mutable std::mutex progressMutex_;
    mutable std::condition_variable progress_;
    std::uint64_t generation_ = 0;
};

} // namespace zuvo::sim
