#include "ProtocolEngine.h"

namespace zuvo::sim {

namespace {

// Longest request: SA with seven digits between STX and ETX.
constexpr std::size_t kMaxFrame = 9;
constexpr std::size_t kRequestLogSize = 4096;

// The value of `width` hex digits at `offset` of the request text, or nullopt.
std::optional<std::uint32_t> field(const std::string& text, std::size_t offset, std::size_t width) {
    if (text.size() < offset + width) {
        return std::nullopt;
    }
    return hexDigitsValue(std::string_view(text).substr(offset, width));
}

} // namespace

Bytes versionFrame(std::int8_t version) {
    return {kStx, 'V', static_cast<std::uint8_t>(version), kEtx};
}

Bytes captionLine(const std::string& text) {
    Bytes out(text.begin(), text.end());
    out.push_back(kCr);
    return out;
}

ProtocolEngine::ProtocolEngine(const SimOptions& options)
    : model_(options.rpm, options.misaligned, options.extraWords, options.inputs),
      status28_(options.status28), oldSpeedUnit_(options.version && *options.version < 60),
      angleTurnBits_(options.angleTurnBits) {
    bootloader_.setFaults(options.faults.nakBlocks, options.faults.restartBlocks,
                          options.faults.restartAlwaysFrom);
    bootloader_.setSticky(options.stickyBootloader);
    model_.setCorruptWord(options.corruptWord);
    model_.setAnswersBlockRead(!options.noBlock);
}

std::vector<Bytes> ProtocolEngine::receive(const std::uint8_t* data, std::size_t size,
                                           Clock::time_point now) {
    std::vector<Bytes> out;
    model_.advanceTo(now);
    for (std::size_t i = 0; i < size; ++i) {
        takeByte(data[i], now, out);
    }
    return out;
}

void ProtocolEngine::takeByte(std::uint8_t byte, Clock::time_point now, std::vector<Bytes>& out) {
    if (bootloader_.active()) {
        std::optional<std::uint8_t> reply;
        if (bootloader_.receive(byte, now, reply) == Bootloader::Take::Consumed) {
            if (reply) {
                out.push_back({*reply});
            }
            return;
        }
    }
    if (byte == kStx) {
        inFrame_ = true;
        frame_.clear();
        return;
    }
    if (!inFrame_) {
        return; // the 0x00 after SA, noise
    }
    if (byte != kEtx) {
        frame_.push_back(static_cast<char>(byte));
        if (frame_.size() > kMaxFrame) {
            inFrame_ = false; // no request is this long: wait for the next STX
        }
        return;
    }
    inFrame_ = false;
    if (auto reply = answer(frame_, now)) {
        ++requestCount_;
        requests_.push_back(frame_);
        requestTimes_.push_back(now);
        if (requests_.size() > kRequestLogSize) {
            requests_.pop_front();
            requestTimes_.pop_front();
        }
        if (!reply->empty()) {
            out.push_back(std::move(*reply));
        }
    }
}

// nullopt: not a request this controller knows (no answer, not logged).
std::optional<Bytes> ProtocolEngine::answer(const std::string& r, Clock::time_point now) {
    if (r == "RV") {
        return statusReply();
    }
    if (r == "RX") {
        return sensorWordsReply();
    }
    if (r == "PV" || r == "PX") {
        // Without an answer the request is still logged: the program did ask.
        return model_.answersBlockRead() ? parameterReply() : Bytes{};
    }
    if (r == "RE") {
        const std::string text = model_.takeTestData();
        return Bytes(text.begin(), text.end());
    }
    if (r == "FL") {
        return Bytes{bootloader_.start(now)};
    }
    if (r.size() == 4 && r.starts_with("QS") && field(r, 2, 2)) {
        return statusReply(); // the relay pulses; the poll still gets its status
    }
    if (r.size() == 8 && r.starts_with("SP")) {
        const auto index = field(r, 2, 2);
        const auto value = field(r, 4, 4);
        if (!index || !value) {
            return std::nullopt;
        }
        model_.storeWrittenWord(static_cast<int>(*index), static_cast<std::uint16_t>(*value));
        return Bytes{kAckByte};
    }
    if (r.size() == 9 && r.starts_with("SA")) {
        const auto angle = field(r, 2, 3);
        const auto turns = field(r, 5, 4);
        if (!angle || !turns || *angle > 0x3FF) {
            return std::nullopt;
        }
        // Turns are the upper 22 bits cut to 16: sign-extend them back.
        const auto revolutions = static_cast<std::int16_t>(*turns);
        model_.setPosition(revolutions * 1024 + static_cast<std::int32_t>(*angle));
        return Bytes{kAckByte};
    }
    return std::nullopt;
}

Bytes ProtocolEngine::statusReply() const {
    const StatusFields s = model_.status();
    // Firmware before version 60 counts the speed in its older unit; the angle field of some
    // firmware carries the low bits of the turn count above the ten bits of the angle.
    const std::uint16_t speed = oldSpeedUnit_ ? model_.oldSpeedWord() : s.speed;
    const auto turnBits = static_cast<std::uint32_t>(s.position >> 10) << 10;
    const std::uint32_t angle = angleTurnBits_ ? (turnBits | s.angle) & 0xFFFF : s.angle;
    Bytes out{kStx};
    appendHexDigits(out, s.status, 2);
    appendHexDigits(out, s.reedState, 2);
    appendHexDigits(out, angle, 4);
    appendHexDigits(out, speed, 4);
    appendHexDigits(out, static_cast<std::uint32_t>(s.position), 8);
    if (status28_) {
        appendHexDigits(out, s.reedTurns, 4);
    }
    appendHexDigits(out, s.inputs, 2);
    out.push_back(kEtx);
    return out;
}

Bytes ProtocolEngine::sensorWordsReply() const {
    Bytes out{kStx};
    for (std::uint16_t w : model_.sensorWords()) {
        appendHexDigits(out, w, 4);
    }
    out.push_back(kEtx);
    return out;
}

Bytes ProtocolEngine::parameterReply() const {
    Bytes out{kStx};
    const int words = 16 + model_.extraWords();
    for (int i = 0; i < words; ++i) {
        appendHexDigits(out, model_.word(i), 4);
    }
    appendHexDigits(out, model_.word(0x32), 4);
    appendHexDigits(out, model_.word(0x33), 4);
    out.push_back(kEtx);
    return out;
}

std::vector<Bytes> ProtocolEngine::tick(Clock::time_point now) {
    std::vector<Bytes> out;
    if (auto b = bootloader_.tick(now)) {
        out.push_back({*b});
    }
    return out;
}

} // namespace zuvo::sim
