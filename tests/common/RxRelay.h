#pragma once
// An independent XMODEM receiver for the firmware transfer: lrzsz's rx takes the image from the
// program over a pseudo-terminal, started by a relay when the program sends FL.

#include "sim/PtyEndpoint.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zuvo::test {

// Writes all of `data` to a non-blocking master, waiting for room as needed.
inline bool writeAll(sim::PtyEndpoint& pty, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const long n = pty.writeSome(data, size);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            pollfd p{pty.masterFd(), POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Sits between the program's port and rx: swallows everything up to FL, then starts rx on a
// second pseudo-terminal and copies bytes both ways until rx ends. The program may be a process
// of its own that opens programSide().
class RxRelay {
public:
    // rx writes `outFile` into `folder`: it refuses paths outside its working folder.
    RxRelay(std::string rxPath, std::string folder, std::string outFile)
        : rxPath_(std::move(rxPath)), folder_(std::move(folder)), outFile_(std::move(outFile)) {
        if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        thread_ = std::thread([this] { run(); });
    }
    ~RxRelay() {
        const char byte = 0;
        [[maybe_unused]] const auto n = ::write(stopPipe_[1], &byte, 1);
        thread_.join();
        if (pid_ > 0 && !finished_) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(stopPipe_[0]);
        ::close(stopPipe_[1]);
    }

    std::string programSide() const { return program_.slavePath(); }
    bool finished() const { return finished_; }
    int exitStatus() const { return status_; }

private:
    void start() {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder_.c_str());
        posix_spawn_file_actions_addopen(&actions, 0, rx_.slavePath().c_str(), O_RDWR, 0);
        posix_spawn_file_actions_adddup2(&actions, 0, 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::string c = "-c", b = "-b", q = "-q";
        char* argv[] = {rxPath_.data(), c.data(), b.data(), q.data(), outFile_.data(), nullptr};
        if (posix_spawn(&pid_, rxPath_.c_str(), &actions, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }

    void run() {
        std::vector<std::uint8_t> seen;
        std::uint8_t buffer[4096];
        for (;;) {
            pollfd fds[3] = {{stopPipe_[0], POLLIN, 0},
                             {program_.masterFd(), POLLIN, 0},
                             {rx_.masterFd(), POLLIN, 0}};
            const int waitMs = pid_ > 0 && !finished_ ? 20 : -1;
            ::poll(fds, pid_ > 0 ? 3 : 2, waitMs);
            if (fds[0].revents != 0) {
                return;
            }
            if (pid_ > 0 && !finished_) {
                int status = 0;
                if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                    status_ = status;
                    finished_ = true;
                }
            }
            if (fds[1].revents & POLLIN) {
                const long n = program_.readSome(buffer, sizeof buffer);
                if (n > 0 && pid_ <= 0) {
                    seen.insert(seen.end(), buffer, buffer + n);
                    const std::uint8_t fl[] = {0x02, 'F', 'L', 0x03};
                    if (std::search(seen.begin(), seen.end(), std::begin(fl), std::end(fl)) !=
                        seen.end()) {
                        start();
                    }
                } else if (n > 0 && !finished_) {
                    writeAll(rx_, buffer, static_cast<std::size_t>(n));
                }
            }
            if (pid_ > 0 && (fds[2].revents & POLLIN)) {
                const long n = rx_.readSome(buffer, sizeof buffer);
                if (n > 0) {
                    writeAll(program_, buffer, static_cast<std::size_t>(n));
                }
            }
        }
    }

    std::string rxPath_;
    std::string folder_;
    std::string outFile_;
    sim::PtyEndpoint program_;
    sim::PtyEndpoint rx_;
    int stopPipe_[2] = {-1, -1};
    pid_t pid_ = -1;
    std::atomic<bool> finished_{false};
    std::atomic<int> status_{-1};
    std::thread thread_;
};

} // namespace zuvo::test
