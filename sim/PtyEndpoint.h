#pragma once
// The controller's end of a pseudo-terminal. The program opens the slave path as its serial
// device. We keep a handle on the slave ourselves, so that the program can close and reopen
// the port without the master seeing a hang-up; we never read from that handle.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zuvo::sim {

class PtyEndpoint {
public:
    PtyEndpoint(); // throws std::system_error
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }
    bool open() const { return master_ >= 0; }

    // Non-blocking transfers: the byte count, 0 when nothing can be done now, -1 when the
    // line is gone.
    long readSome(std::uint8_t* data, std::size_t size);
    long writeSome(const std::uint8_t* data, std::size_t size);

    // Closes both ends: the program sees the device vanish.
    void hangUp();

    // Readable when the program has closed the slave. Our own handle keeps the terminal alive,
    // so an exclusive flag the program set would outlive its close and refuse its next open
    // (for anyone but root): releaseClosed() clears it.
    int closeWatchFd() const { return closeWatch_; }
    void releaseClosed();

private:
    int master_ = -1;
    int slave_ = -1;
    int closeWatch_ = -1;
    std::string slavePath_;
};

} // namespace zuvo::sim
