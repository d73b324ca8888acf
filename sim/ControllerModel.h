#pragma once
// The actuator as its controller sees it: a cylinder travelling back and forth over its stroke,
// the absolute position sensor, the reed switches, the inputs and the parameter words.
// Time is passed in, so the model is deterministic.

#include "ReedModel.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace zuvo::sim {

using Clock = std::chrono::steady_clock;

struct StatusFields {
    std::uint8_t status = 0;    // bit 7 reed1, bit 6 reed2, bits 4..5 warning, bits 0..3 zone
    std::uint8_t reedState = 0; // 0..7
    std::uint16_t angle = 0;    // 0..1023
    std::uint16_t speed = 0;    // raw speed word
    std::int32_t position = 0;  // sensor counts
    std::uint16_t reedTurns = 0;
    std::uint8_t inputs = 0;
};

class ControllerModel {
public:
    ControllerModel(int rpm, bool misaligned, int extraWords, std::uint8_t inputs);

    // Moves the cylinder to where it is at `now` (the first call only notes the time).
    void advanceTo(Clock::time_point now);

    StatusFields status() const;
    // The speed as firmware before version 60 counts it (RPM = word x 10000 / 1024); status()
    // gives the later unit (RPM = word x 600 / 1024).
    std::uint16_t oldSpeedWord() const;
    std::int32_t position() const;
    // The controller's edge angles of the reed switches, as sent after RX.
    std::array<std::uint16_t, 8> sensorWords() const { return reeds_.sensorWords(); }

    // Controller parameters by index (00..FF); 0x32 and 0x33 are the analog calibration points.
    std::uint16_t word(int index) const { return words_.at(static_cast<std::size_t>(index)); }
    void setWord(int index, std::uint16_t value) {
        words_.at(static_cast<std::size_t>(index)) = value;
    }
    int extraWords() const { return extraWords_; }

    // A write by the program (SP): stored as sent, except at the corrupted index, where the value
    // plus one is stored (the acknowledge still goes out).
    void storeWrittenWord(int index, std::uint16_t value);
    void setCorruptWord(std::optional<int> index) { corruptWord_ = index; }
    // Whether a parameter-block read (PV, PX) is answered at all.
    bool answersBlockRead() const { return answersBlockRead_; }
    void setAnswersBlockRead(bool on) { answersBlockRead_ = on; }

    // Sets the absolute position (module replacement); the cylinder goes on moving from there.
    void setPosition(std::int32_t counts);
    void setRpm(int rpm) { rpm_ = rpm; }
    void setInputs(std::uint8_t inputs) { inputs_ = inputs; }
    void setSensorWarning(std::uint8_t bits) { warning_ = bits & 0x3; }

    // Test data lines, each ending in CR; reading resets the counters.
    std::string takeTestData();

    // Stroke length in sensor counts (turns x 1024), from parameter word 2.
    std::int64_t strokeCounts() const;
    // Number of leading switch positions (words 20..35) that the position has passed.
    int zone() const;

private:
    std::array<std::uint16_t, 256> words_{};
    ReedModel reeds_;
    int extraWords_;
    int rpm_;
    std::uint8_t inputs_;
    std::uint8_t warning_ = 0;
    std::optional<int> corruptWord_;
    bool answersBlockRead_ = true;
    double travel_ = 0; // counts from the retracted end
    int direction_ = 1;
    std::int64_t offset_ = 0;
    long strokes_ = 0;
    std::optional<Clock::time_point> last_;
};

} // namespace zuvo::sim
