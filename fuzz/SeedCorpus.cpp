// Writes the seed corpus of the receive engine's fuzz target: whole replies of every kind in the
// fuzz target's input layout, some split, some behind garbage.
// Usage: receive-engine-seeds <folder>
#include "ReceiveEngineReplay.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace zuvo;
using namespace zuvo::replay;

// Raw mode: flags, turns, stroke (two bytes), the chunk plan, the stream.
Bytes rawSeed(std::uint8_t flags, const std::vector<std::uint8_t>& chunkSizes,
              const std::vector<Bytes>& frames) {
    Bytes seed{flags, 100, 0x03, 0xE8, static_cast<std::uint8_t>(chunkSizes.size() - 1)};
    for (auto size : chunkSizes) {
        seed.push_back(static_cast<std::uint8_t>(size - 1));
    }
    for (const auto& frame : frames) {
        seed.insert(seed.end(), frame.begin(), frame.end());
    }
    return seed;
}

Bytes join(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const Bytes status = statusReply({.statusByte = 0xC3,
                                      .reedState = 4,
                                      .angle = 0x13FF,
                                      .speed = 700,
                                      .position = -1,
                                      .inputs = 0x15});
    const Bytes status28 =
        statusReply({.statusByte = 0x05, .position = 4096, .withTurnCount = true, .turnCount = 9});
    const Bytes sensorWords = sensorWordsReply({900, 30, 0xFFFF, 512, 7, 1023, 400, 0});
    const Bytes block154 = parameterBlockReply(20);
    const Bytes block158 = parameterBlockReply(21, 0x0200);
    const Bytes garbage(150, 'x');

    const std::pair<const char*, Bytes> seeds[] = {
        {"status-whole", rawSeed(0x00, {255}, {status})},
        {"status-10-14", rawSeed(0x00, {10, 14}, {status})},
        {"status-28-bytewise", rawSeed(0x08, {1}, {status28})},
        {"sensor-words-recording", rawSeed(0x04, {17}, {sensorWords})},
        {"blocks-grow-e", rawSeed(0x00, {154, 158, 154}, {block154, block158, block154})},
        {"ack-version-caption",
         rawSeed(0x00, {1, 4, 7}, {Bytes{kAcknowledge}, versionFrame(0x90), textLine("#ready")})},
        {"test-values-text", rawSeed(0x02, {5}, {textLine("Cycles: 12"), textLine("Errors: 0")})},
        {"garbage-then-status", rawSeed(0x00, {160, 14}, {garbage, status})},
        {"flood-then-version", rawSeed(0x20, {200}, {join(garbage, versionFrame(0x3C))})},
        // A controller that has just started: its version frame glued to its first reply.
        {"version-glued-to-status", rawSeed(0x00, {28}, {versionFrame(0x3C), status})},
        {"version-glued-to-block", rawSeed(0x00, {3, 155}, {versionFrame(0x3C), block154})},
        {"frames-mode",
         join(Bytes{0x01, 100, 0x03, 0xE8}, Bytes(sensorWords.begin() + 1, sensorWords.end() - 1))},
    };
    for (const auto& [name, bytes] : seeds) {
        const std::string path = std::string(argv[1]) + "/" + name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
