#pragma once
// The controller's side of the frame protocol: bytes from the program in, answers out.
// Pure: no I/O, time passed in.

#include "Bootloader.h"
#include "ControllerModel.h"
#include "SimOptions.h"
#include "SimProtocol.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zuvo::sim {

// Frames the controller sends on its own.
Bytes versionFrame(std::int8_t version);
Bytes captionLine(const std::string& text);

class ProtocolEngine {
public:
    explicit ProtocolEngine(const SimOptions& options);

    // Takes bytes as they arrive; returns the answers, one entry per reply.
    std::vector<Bytes> receive(const std::uint8_t* data, std::size_t size, Clock::time_point now);
    // Answers that fall due with time alone (the bootloader's).
    std::vector<Bytes> tick(Clock::time_point now);
    std::optional<Clock::time_point> deadline() const { return bootloader_.deadline(); }

    ControllerModel& model() { return model_; }
    const ControllerModel& model() const { return model_; }
    Bootloader& bootloader() { return bootloader_; }
    const Bootloader& bootloader() const { return bootloader_; }

    void setStatus28(bool on) { status28_ = on; }

    // The requests understood so far, as the text between STX and ETX ("RV", "SP0500C8"),
    // the oldest dropped beyond a few thousand; and, entry for entry, the moment their ETX
    // arrived.
    const std::deque<std::string>& requests() const { return requests_; }
    const std::deque<Clock::time_point>& requestTimes() const { return requestTimes_; }
    std::size_t requestCount() const { return requestCount_; }
    void clearRequests() {
        requests_.clear();
        requestTimes_.clear();
    }

private:
    void takeByte(std::uint8_t byte, Clock::time_point now, std::vector<Bytes>& out);
    std::optional<Bytes> answer(const std::string& request, Clock::time_point now);
    Bytes statusReply() const;
    Bytes sensorWordsReply() const;
    Bytes parameterReply() const;

    ControllerModel model_;
    Bootloader bootloader_;
    bool status28_;
    bool inFrame_ = false;
    std::string frame_;
    std::deque<std::string> requests_;
    std::deque<Clock::time_point> requestTimes_;
    bool oldSpeedUnit_;
    bool angleTurnBits_;
    std::size_t requestCount_ = 0;
};

} // namespace zuvo::sim
