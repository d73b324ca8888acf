#pragma once
// Settings of the simulated actuator and the faults it can be told to show.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace zuvo::sim {

// Faults of the link and of the bootloader. Block numbers count the image's blocks from 1.
struct FaultConfig {
    bool silent = false;               // receive everything, answer nothing
    int dropEvery = 0;                 // drop every n-th reply (0: none)
    int delayMs = 0;                   // hold every reply back this long
    std::optional<int> ackDelayMs;     // hold acknowledges back this long instead of delayMs
    int garbageBytes = 0;              // line noise sent in front of every reply
    bool noiseLooksLikeFrames = false; // the noise also holds STX, ETX, 0x05 and CR
    std::map<int, int> nakBlocks;      // block -> how many times it is rejected with NAK
    std::set<int> restartBlocks;       // blocks answered once with 'C' (bootloader starts over)
    int restartAlwaysFrom = 0; // from this block on every block is answered with 'C' (0: off)
};

struct SimOptions {
    bool status28 = false;      // status replies with the reed turn count (28 bytes)
    bool pace = false;          // send at the speed of a 9600-baud line
    bool misaligned = false;    // reed switches placed so that the sector check fails
    int rpm = 60;               // sensor revolutions per minute while moving; 0 stands still
    int extraWords = 20;        // parameter words beyond 16 in the parameter block
    std::uint8_t inputs = 0x10; // inputs byte of the status reply (bit 4: temperature ok)
    std::optional<int> version; // version frame sent after the first request; below 60 the
                                // speed field is in the older firmware's unit
    // A controller that has just started: the version frame comes in front of the first reply,
    // in the same write, instead of after it.
    bool justStarted = false;
    bool angleTurnBits = false;    // the angle field carries turn-count bits above its ten bits
    bool stickyBootloader = false; // the bootloader stays after a cancelled or failed update
                                   // until the program closes the line
    std::optional<std::string> caption; // caption line sent after the first request
    // Controller faults: an acknowledged write of this parameter index stores a wrong value; the
    // parameter block is never sent.
    std::optional<int> corruptWord;
    bool noBlock = false;
    FaultConfig faults;
};

// Highest number of extra words: the block must stay below the calibration indices 0x32/0x33.
inline constexpr int kMaxExtraWords = 33;

} // namespace zuvo::sim
