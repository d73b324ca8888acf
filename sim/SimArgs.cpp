#include "SimArgs.h"

#include <charconv>
#include <optional>

namespace zuvo::sim {

namespace {

std::optional<int> number(const std::string& text, int low, int high, int base = 10) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

} // namespace

const char* simHelpText() {
    return "Usage: zuvo-sim [options]\n"
           "Runs the simulated ZUVO actuator on a pseudo-terminal until interrupted.\n"
           "\n"
           "  --status28          28-byte status replies (with the reed turn count)\n"
           "  --pace              both directions at the speed of a 9600-baud line (1.04 ms\n"
           "                      per byte)\n"
           "  --rpm N             sensor revolutions per minute (default 60, 0: standing)\n"
           "  --misaligned        reed switches placed so that the sector check fails\n"
           "  --extra-words E     parameter words beyond 16 in the block (0..33, default 20)\n"
           "  --inputs HEX        inputs byte of the status reply (default 10: temperature ok)\n"
           "  --version V         version frame after the first request (-128..127, default\n"
           "                      60; 'off' sends none); below 60 the speed is sent in the\n"
           "                      older firmware's unit\n"
           "  --just-started      a controller that has just started: the version frame\n"
           "                      comes in front of the first reply, in the same write\n"
           "  --caption TEXT      caption line after the first request (its first character\n"
           "                      is replaced by a blank in the window title)\n"
           "  --corrupt-word N    store every value written to parameter word N (decimal,\n"
           "                      0..255) plus one, so that reading the block back differs\n"
           "  --no-block          never answer a parameter-block read (PV, PX)\n"
           "  --silent            receive everything, answer nothing\n"
           "  --drop N            drop every N-th reply\n"
           "  --delay MS          send every reply MS milliseconds late\n"
           "  --ack-delay MS      send acknowledges MS milliseconds late (default: --delay)\n"
           "  --garbage N         send N bytes of line noise in front of every reply\n"
           "  --noise-frames      the noise also holds STX, ETX, 0x05 and CR\n"
           "  --angle-turn-bits   the angle field carries turn-count bits above its ten bits\n"
           "  --nak-block N       firmware update: reject block N once with NAK (repeatable)\n"
           "  --restart-block N   firmware update: answer block N once with 'C', the\n"
           "                      bootloader starting over (repeatable)\n"
           "  --restart-always N  firmware update: answer block N and every later block\n"
           "                      with 'C', a bootloader that never gets past it\n"
           "  --sticky-bootloader the bootloader stays after a cancelled or failed update\n"
           "                      until the line is closed\n"
           "  --hangup-after MS   close the line MS milliseconds after the start\n"
           "  -h, --help          show this text\n";
}

SimArgs parseSimArgs(const std::vector<std::string>& args) {
    SimArgs out;
    SimOptions& o = out.options;
    o.version = 60;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // Options with a value take it from the next argument.
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        auto numeric = [&](int low, int high, int base = 10) -> std::optional<int> {
            const auto v = value();
            return v ? number(*v, low, high, base) : std::nullopt;
        };
        std::optional<int> n;
        bool ok = true;
        if (a == "-h" || a == "--help") {
            out.help = true;
        } else if (a == "--status28") {
            o.status28 = true;
        } else if (a == "--pace") {
            o.pace = true;
        } else if (a == "--misaligned") {
            o.misaligned = true;
        } else if (a == "--just-started") {
            o.justStarted = true;
        } else if (a == "--no-block") {
            o.noBlock = true;
        } else if (a == "--corrupt-word") {
            ok = (n = numeric(0, 0xFF)).has_value();
            o.corruptWord = n;
        } else if (a == "--silent") {
            o.faults.silent = true;
        } else if (a == "--noise-frames") {
            o.faults.noiseLooksLikeFrames = true;
        } else if (a == "--angle-turn-bits") {
            o.angleTurnBits = true;
        } else if (a == "--sticky-bootloader") {
            o.stickyBootloader = true;
        } else if (a == "--rpm") {
            ok = (n = numeric(0, 30000)).has_value();
            o.rpm = n.value_or(0);
        } else if (a == "--extra-words") {
            ok = (n = numeric(0, kMaxExtraWords)).has_value();
            o.extraWords = n.value_or(0);
        } else if (a == "--inputs") {
            ok = (n = numeric(0, 0xFF, 16)).has_value();
            o.inputs = static_cast<std::uint8_t>(n.value_or(0));
        } else if (a == "--version") {
            const auto v = value();
            if (v && *v == "off") {
                o.version.reset();
            } else {
                ok = v && (n = number(*v, -128, 127)).has_value();
                o.version = n;
            }
        } else if (a == "--caption") {
            const auto v = value();
            ok = v.has_value();
            o.caption = v;
        } else if (a == "--drop") {
            ok = (n = numeric(1, 1000000)).has_value();
            o.faults.dropEvery = n.value_or(0);
        } else if (a == "--delay") {
            ok = (n = numeric(0, 600000)).has_value();
            o.faults.delayMs = n.value_or(0);
        } else if (a == "--ack-delay") {
            ok = (n = numeric(0, 600000)).has_value();
            o.faults.ackDelayMs = n;
        } else if (a == "--garbage") {
            ok = (n = numeric(1, 4096)).has_value();
            o.faults.garbageBytes = n.value_or(0);
        } else if (a == "--nak-block") {
            ok = (n = numeric(1, 1000000)).has_value();
            if (ok) {
                ++o.faults.nakBlocks[*n];
            }
        } else if (a == "--restart-block") {
            ok = (n = numeric(1, 1000000)).has_value();
            if (ok) {
                o.faults.restartBlocks.insert(*n);
            }
        } else if (a == "--restart-always") {
            ok = (n = numeric(1, 1000000)).has_value();
            o.faults.restartAlwaysFrom = n.value_or(0);
        } else if (a == "--hangup-after") {
            ok = (n = numeric(0, 86400000)).has_value();
            out.hangUpAfterMs = n.value_or(-1);
        } else {
            out.error = "unknown option: " + a;
            return out;
        }
        if (!ok) {
            out.error = "missing or bad value for " + a;
            return out;
        }
    }
    return out;
}

} // namespace zuvo::sim
