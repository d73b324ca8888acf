#include "ReplyFaults.h"

#include "ProtocolEngine.h"

namespace zuvo::sim {

void ReplyFaults::configure(const FaultConfig& faults) {
    faults_ = faults;
    replies_ = 0;
}

std::vector<std::uint8_t> ReplyFaults::noise(int count) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i) {
        seed_ = seed_ * 1664525u + 1013904223u; // fixed sequence: runs are repeatable
        out.push_back(static_cast<std::uint8_t>(0x80 + (seed_ >> 24) % 0x7F));
    }
    return out;
}

std::optional<ReplyFaults::Shaped> ReplyFaults::shape(std::vector<std::uint8_t> reply) {
    if (faults_.silent) {
        return std::nullopt;
    }
    ++replies_;
    if (faults_.dropEvery > 0 && replies_ % faults_.dropEvery == 0) {
        return std::nullopt;
    }
    Shaped s;
    if (faults_.garbageBytes > 0) {
        s.bytes = noise(faults_.garbageBytes);
    }
    s.bytes.insert(s.bytes.end(), reply.begin(), reply.end());
    const bool acknowledge = reply.size() == 1 && reply.front() == kAckByte;
    const int delayMs = acknowledge && faults_.ackDelayMs ? *faults_.ackDelayMs : faults_.delayMs;
    s.delay = std::chrono::milliseconds(delayMs > 0 ? delayMs : 0);
    return s;
}

} // namespace zuvo::sim
