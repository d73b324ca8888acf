// "Send Parameter-Block" against the simulator: the program's own time per word, and a paced
// send against its time on the wire. The send reads the block back after its last word, so
// both count that read too.
#include "BenchFigure.h"

#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "app/pages/ParameterTransfer.h"
#include "device/RequestFrames.h"
#include "session/EventWait.h"
#include "session/Link.h"
#include "tests/gui/SimulatedLink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace zuvo::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Words = 36;
constexpr int Rounds = 20;
// 10 bits a byte at 9600 baud; per word 10 frame bytes and the acknowledge byte.
constexpr double ByteMs = 10 * 1000.0 / 9600;
constexpr double WireMsPerWord = 11 * ByteMs;
// The read-back: the PV request (4 bytes) and the reply of 36 words and two calibration values.
constexpr int ReadBackBytes = 4 + 2 + 4 * Words + 8;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The simulator's share: the same 36 SP frames written and acknowledged on a bare descriptor,
// without the window, and the block read back.
double bareExchangesMs(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror("bare exchange: open");
        return 0;
    }
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    const auto start = Clock::now();
    for (int n = 1; n <= Words; ++n) {
        const Frame frame = writeWordFrame(static_cast<std::uint8_t>(n), 0x1234);
        if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
            std::perror("bare exchange: write");
            break;
        }
        pollfd p{fd, POLLIN, 0};
        std::uint8_t ack = 0;
        if (::poll(&p, 1, 3456) != 1 || ::read(fd, &ack, 1) != 1) {
            std::fprintf(stderr, "bare exchange: no acknowledge for word %d\n", n);
            break;
        }
    }
    const Frame read = pollFrame('P', 'V');
    if (::write(fd, read.data(), read.size()) == static_cast<ssize_t>(read.size())) {
        std::uint8_t reply[ReadBackBytes];
        std::size_t got = 0;
        pollfd p{fd, POLLIN, 0};
        while (got < ReadBackBytes - 4 && ::poll(&p, 1, 2000) == 1) {
            const ssize_t n = ::read(fd, reply + got, sizeof reply - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
    }
    const double ms = msSince(start);
    ::close(fd);
    return ms;
}

// One send from a window on the simulator; nothing else on the line meanwhile.
double sendMs(TForm1& form, sim::Simulator& sim) {
    // Between an answered poll and the next tick: the send finds nothing on its way.
    waitUntil([&form] { return !form.link().snapshot().state.ReplyPending; }, QDeadlineTimer(5000));
    sim.clearLog();
    const auto start = Clock::now();
    form.parameterTransfer().SaveParamClick();
    const double ms = msSince(start);
    std::size_t writes = 0;
    for (const std::string& r : sim.requests()) {
        writes += r.starts_with("SP") ? 1 : 0;
    }
    if (writes != Words) {
        std::fprintf(stderr, "send: %zu of %d words written\n", writes, Words);
    }
    return ms;
}

void ownTimePerWord() {
    test::SimulatedLink link;
    double bare = 0;
    for (int i = 0; i < Rounds; ++i) {
        bare += bareExchangesMs(link.sim.slavePath());
    }
    double total = 0;
    {
        TForm1 form;
        form.appStartup().FormCreate({});
        // The pages keep their start values: the block is not read.
        form.link().stopAskingForBlock();
        for (int i = 0; i < Rounds; ++i) {
            total += sendMs(form, link.sim);
        }
    }
    std::printf("  send %.2f ms, bare exchanges %.2f ms (36 words, mean of %d)\n", total / Rounds,
                bare / Rounds, Rounds);
    printFigure("own time per word", (total - bare) / Rounds / Words, "ms", 0.5);
}

void pacedSend() {
    sim::SimOptions options;
    options.pace = true;
    test::SimulatedLink link(options);
    TForm1 form;
    form.appStartup().FormCreate({});
    form.link().stopAskingForBlock();
    constexpr int PacedRounds = 5;
    double total = 0;
    for (int i = 0; i < PacedRounds; ++i) {
        total += sendMs(form, link.sim);
    }
    // The simulator paces both directions, so the send is measured whole: every frame reaches
    // the controller model a byte time per byte after it left, and every acknowledge as late.
    const double wire = Words * WireMsPerWord + ReadBackBytes * ByteMs;
    std::printf("  mean of %d sends, floor: 36 x 11 bytes and the read-back's %d on the wire\n",
                PacedRounds, ReadBackBytes);
    printFloorFigure("paced send", total / PacedRounds, wire, 1.1);
}

RegisterFigure ownTimeFigure{"send-block-own",
                             "Send Parameter-Block of 36 words, simulator acknowledging at once: "
                             "the program's time per word",
                             ownTimePerWord};
RegisterFigure pacedFigure{"send-block-paced",
                           "Send Parameter-Block of 36 words at 9600 baud against 36 x 11 bytes "
                           "and the read-back on the wire",
                           pacedSend};

} // namespace

} // namespace zuvo::bench
