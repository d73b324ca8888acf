#pragma once
// The program's end of the simulator's pseudo-terminal, with plain POSIX calls.

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <termios.h>
#include <unistd.h>

namespace zuvo::sim::test {

class PtyClient {
public:
    explicit PtyClient(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) {
            termios t{};
            tcgetattr(fd_, &t);
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~PtyClient() { close(); }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    bool send(std::string_view bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until `count` bytes have arrived, the line is gone or the timeout passes.
    std::string read(std::size_t count, std::chrono::milliseconds timeout) {
        std::string out;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (out.size() < count && !gone_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() < 0) {
                break;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            char buffer[512];
            const std::size_t want = std::min(sizeof buffer, count - out.size());
            const ssize_t n = ::read(fd_, buffer, want);
            if (n > 0) {
                out.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                gone_ = true;
            }
        }
        return out;
    }

    // Everything that arrives within `window`.
    std::string readFor(std::chrono::milliseconds window) { return read(1 << 16, window); }

    bool gone() const { return gone_; }

private:
    int fd_ = -1;
    bool gone_ = false;
};

inline std::string frame(const std::string& payload) {
    return "\x02" + payload + "\x03";
}

} // namespace zuvo::sim::test
