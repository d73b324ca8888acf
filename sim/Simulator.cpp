#include "Simulator.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <system_error>
#include <unistd.h>

namespace zuvo::sim {

namespace {

constexpr std::size_t kReceivedLogLimit = 1 << 20;
constexpr std::size_t kLineLogLimit = 1 << 18;
// Unsolicited frames keep this distance from the replies around them.
constexpr auto kUnsolicitedGap = std::chrono::milliseconds(20);

const SimOptions& checked(const SimOptions& options) {
    if (options.extraWords < 0 || options.extraWords > kMaxExtraWords) {
        throw std::invalid_argument("extra words out of range");
    }
    return options;
}

timespec toTimespec(Clock::duration d) {
    const auto ns =
        std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

} // namespace

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)), engine_(checked(options_)) {
    faults_.configure(options_.faults);
    silent_ = options_.faults.silent;
    versionGlueDue_ = options_.justStarted && options_.version.has_value();
    queue_.setPaced(options_.pace);
    inbound_.setPaced(options_.pace);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
}

Simulator::~Simulator() {
    stop();
    ::close(wakeFd_);
}

void Simulator::start() {
    if (!thread_.joinable()) {
        stopping_ = false;
        thread_ = std::thread(&Simulator::run, this);
    }
}

void Simulator::stop() {
    if (thread_.joinable()) {
        stopping_ = true;
        wake();
        thread_.join();
    }
}

void Simulator::wake() const {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

std::string Simulator::slavePath() const {
    return pty_.slavePath();
}

void Simulator::signalProgress() {
    std::lock_guard lock(progressMutex_);
    ++generation_;
    progress_.notify_all();
}

bool Simulator::waitUntil(const std::function<bool()>& pred,
                          std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    std::unique_lock lock(progressMutex_);
    for (;;) {
        const std::uint64_t seen = generation_;
        lock.unlock();
        if (pred()) {
            return true;
        }
        lock.lock();
        if (!progress_.wait_until(lock, deadline, [&] { return generation_ != seen; })) {
            lock.unlock();
            return pred();
        }
    }
}

void Simulator::run() {
    // The line's byte times are about a millisecond: the default slack of 50 us on every
    // wake-up would be a twentieth of one.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
    std::array<std::uint8_t, 4096> buffer;
    while (!stopping_) {
        // The wake-up, the program's closes, the master; unused entries have fd -1.
        pollfd fds[3] = {{wakeFd_, POLLIN, 0}, {-1, POLLIN, 0}, {-1, 0, 0}};
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        bool hungUp = false;
        {
            std::lock_guard lock(mutex_);
            if (hangUpWanted_ && pty_.open()) {
                pty_.hangUp();
                queue_.clear();
                inbound_.clear();
                unwritten_.clear();
                hungUp = true;
            }
            if (pty_.open()) {
                const short out = unwritten_.empty() ? 0 : POLLOUT;
                fds[1].fd = pty_.closeWatchFd();
                fds[2] = {pty_.masterFd(), static_cast<short>(POLLIN | out), 0};
            }
            std::optional<Clock::time_point> due = engine_.deadline();
            if (const auto next = queue_.nextDue(); next && unwritten_.empty()) {
                due = due ? std::min(*due, *next) : *next;
            }
            if (const auto next = inbound_.nextDue()) {
                due = due ? std::min(*due, *next) : *next;
            }
            if (due) {
                timeout = toTimespec(*due - Clock::now());
                timeoutPtr = &timeout;
            }
        }
        if (hungUp) {
            signalProgress(); // hangUp() waits for this; nothing else may wake the loop now
        }
        if (ppoll(fds, 3, timeoutPtr, nullptr) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t value;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &value, sizeof value);
        }
        // Only this thread closes the master, so reading it outside the lock is safe.
        long got = 0;
        if (fds[2].fd >= 0 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
            got = pty_.readSome(buffer.data(), buffer.size());
        }
        {
            std::lock_guard lock(mutex_);
            const Clock::time_point now = Clock::now();
            if (fds[1].fd >= 0 && (fds[1].revents & POLLIN)) {
                pty_.releaseClosed();
                engine_.bootloader().lineClosed();
            }
            if (got > 0) {
                const auto n = static_cast<std::size_t>(got);
                bytesReceived_ += n;
                if (received_.size() + n > kReceivedLogLimit) {
                    received_.erase(received_.begin(),
                                    received_.begin() + static_cast<long>(received_.size() / 2));
                }
                received_.insert(received_.end(), buffer.begin(), buffer.begin() + got);
                // Paced, each byte takes a byte time on its way, after the one before it.
                inbound_.push({buffer.begin(), buffer.begin() + got}, now);
            } else if (got < 0) {
                pty_.hangUp(); // the line is gone; with our own slave handle this is a fault
            }
            takeArrived(now);
            queueReplies(engine_.tick(now), now);
            flushDue(now);
        }
        signalProgress();
    }
}

void Simulator::takeArrived(Clock::time_point now) {
    const std::vector<std::uint8_t> arrived = inbound_.takeDue(now);
    if (arrived.empty()) {
        return;
    }
    // A controller answers as its last byte comes in: on a paced line the reply starts when that
    // byte was due, not when this thread happened to wake.
    const Clock::time_point at = options_.pace ? inbound_.lastDue() : now;
    logChunk(at, true, arrived.data(), arrived.size());
    std::vector<Bytes> replies = engine_.receive(arrived.data(), arrived.size(), now);
    if (versionGlueDue_ && !replies.empty()) {
        // Just started: the version frame and the first reply leave in one piece.
        Bytes glued = versionFrame(static_cast<std::int8_t>(*options_.version));
        glued.insert(glued.end(), replies.front().begin(), replies.front().end());
        replies.front() = std::move(glued);
        versionGlueDue_ = false;
    }
    queueReplies(std::move(replies), at);
    if (!announced_ && engine_.requestCount() > 0) {
        announced_ = true;
        if (options_.version && !options_.justStarted) {
            queueUnsolicited(versionFrame(static_cast<std::int8_t>(*options_.version)), now);
        }
        if (options_.caption) {
            queueUnsolicited(captionLine(*options_.caption), now);
        }
    }
}

void Simulator::logChunk(Clock::time_point at, bool fromProgram, const std::uint8_t* data,
                         std::size_t size) {
    if (lineLog_.size() >= kLineLogLimit) {
        lineLog_.erase(lineLog_.begin(), lineLog_.begin() + kLineLogLimit / 2);
    }
    lineLog_.push_back({at, fromProgram, {data, data + size}});
}

void Simulator::queueReplies(std::vector<Bytes> replies, Clock::time_point now) {
    for (Bytes& reply : replies) {
        if (auto shaped = faults_.shape(std::move(reply))) {
            queue_.push(std::move(shaped->bytes), now + shaped->delay);
        }
    }
}

void Simulator::queueUnsolicited(Bytes bytes, Clock::time_point now) {
    if (!silent_) {
        queue_.push(std::move(bytes), queue_.endTime(now) + kUnsolicitedGap);
    }
}

void Simulator::flushDue(Clock::time_point now) {
    const std::vector<std::uint8_t> due = queue_.takeDue(now);
    unwritten_.insert(unwritten_.end(), due.begin(), due.end());
    if (unwritten_.empty()) {
        return;
    }
    const long n = pty_.writeSome(unwritten_.data(), unwritten_.size());
    if (n < 0) {
        unwritten_.clear();
    } else {
        logChunk(now, false, unwritten_.data(), static_cast<std::size_t>(n));
        unwritten_.erase(unwritten_.begin(), unwritten_.begin() + n);
    }
}

void Simulator::setFault(const FaultConfig& faults) {
    std::lock_guard lock(mutex_);
    faults_.configure(faults);
    engine_.bootloader().setFaults(faults.nakBlocks, faults.restartBlocks,
                                   faults.restartAlwaysFrom);
    silent_ = faults.silent;
}

void Simulator::hangUp() {
    if (!thread_.joinable()) {
        std::lock_guard lock(mutex_);
        pty_.hangUp();
        return;
    }
    {
        std::lock_guard lock(mutex_);
        hangUpWanted_ = true;
    }
    wake();
    waitUntil(
        [this] {
            std::lock_guard lock(mutex_);
            return !pty_.open();
        },
        std::chrono::milliseconds(2000));
}

void Simulator::sendVersionFrame(std::int8_t version) {
    {
        std::lock_guard lock(mutex_);
        queueUnsolicited(versionFrame(version), Clock::now());
    }
    wake();
}

void Simulator::sendCaption(const std::string& text) {
    {
        std::lock_guard lock(mutex_);
        queueUnsolicited(captionLine(text), Clock::now());
    }
    wake();
}

void Simulator::sendRaw(const std::vector<std::uint8_t>& bytes) {
    {
        std::lock_guard lock(mutex_);
        queue_.push(bytes, Clock::now());
    }
    wake();
}

void Simulator::setStatus28(bool on) {
    std::lock_guard lock(mutex_);
    engine_.setStatus28(on);
}

void Simulator::setRpm(int rpm) {
    std::lock_guard lock(mutex_);
    engine_.model().advanceTo(Clock::now());
    engine_.model().setRpm(rpm);
}

void Simulator::setInputs(std::uint8_t inputs) {
    std::lock_guard lock(mutex_);
    engine_.model().setInputs(inputs);
}

void Simulator::setSensorWarning(std::uint8_t bits) {
    std::lock_guard lock(mutex_);
    engine_.model().setSensorWarning(bits);
}

void Simulator::setPosition(std::int32_t counts) {
    std::lock_guard lock(mutex_);
    engine_.model().advanceTo(Clock::now());
    engine_.model().setPosition(counts);
}

void Simulator::setParameterWord(int index, std::uint16_t value) {
    std::lock_guard lock(mutex_);
    engine_.model().setWord(index, value);
}

void Simulator::setAnswersBlockRead(bool on) {
    std::lock_guard lock(mutex_);
    engine_.model().setAnswersBlockRead(on);
}

void Simulator::setCorruptWord(std::optional<int> index) {
    std::lock_guard lock(mutex_);
    engine_.model().setCorruptWord(index);
}

std::uint16_t Simulator::parameterWord(int index) const {
    std::lock_guard lock(mutex_);
    return engine_.model().word(index);
}

std::int32_t Simulator::position() const {
    std::lock_guard lock(mutex_);
    return engine_.model().position();
}

bool Simulator::inBootloader() const {
    std::lock_guard lock(mutex_);
    return engine_.bootloader().active();
}

std::vector<std::uint8_t> Simulator::receivedImage() const {
    std::lock_guard lock(mutex_);
    return engine_.bootloader().image();
}

int Simulator::completedUpdates() const {
    std::lock_guard lock(mutex_);
    return engine_.bootloader().completedTransfers();
}

std::size_t Simulator::bytesReceived() const {
    std::lock_guard lock(mutex_);
    return bytesReceived_;
}

std::vector<std::uint8_t> Simulator::receivedBytes() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> Simulator::requests() const {
    std::lock_guard lock(mutex_);
    return {engine_.requests().begin(), engine_.requests().end()};
}

std::vector<Simulator::TimedRequest> Simulator::timedRequests() const {
    std::lock_guard lock(mutex_);
    std::vector<TimedRequest> timed;
    for (std::size_t i = 0; i < engine_.requests().size(); ++i) {
        timed.push_back({engine_.requests()[i], engine_.requestTimes()[i]});
    }
    return timed;
}

std::vector<Simulator::LineChunk> Simulator::lineLog() const {
    std::lock_guard lock(mutex_);
    return lineLog_;
}

std::size_t Simulator::requestCount() const {
    std::lock_guard lock(mutex_);
    return engine_.requestCount();
}

void Simulator::clearLog() {
    std::lock_guard lock(mutex_);
    received_.clear();
    lineLog_.clear();
    engine_.clearRequests();
}

} // namespace zuvo::sim
