// SerialDevice on a Linux tty through termios.
#pragma once

#include "serial/SerialDevice.h"

namespace zuvo {

class PosixSerialDevice : public SerialDevice {
public:
    PosixSerialDevice() = default;
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    void open(const QString& path) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    int fd() const override { return fd_; }

    int setModemLines(bool dtr, bool rts) override;
    int applyLine(const LineSettings& settings) override;
    int unsentBytes() override;
    void flush(bool input, bool output) override;

    ssize_t read(void* buf, size_t len) override;
    ssize_t write(const void* buf, size_t len) override;

    bool lineCounts(LineCounts& out) override;

private:
    int fd_ = -1;
    bool countersMissing_ = false;
};

} // namespace zuvo
