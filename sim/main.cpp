// zuvo-sim: the simulated actuator, stand-alone, until SIGINT or SIGTERM.
#include "SimArgs.h"
#include "Simulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace zuvo::sim;
    const SimArgs args = parseSimArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (args.help) {
        std::fputs(simHelpText(), stdout);
        return 0;
    }
    if (!args.error.empty()) {
        std::fprintf(stderr, "zuvo-sim: %s\n\n%s", args.error.c_str(), simHelpText());
        return 2;
    }

    // Blocked before the simulator's thread starts, so that only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        Simulator sim(args.options);
        sim.start();
        std::printf("ZUVO simulator on %s\n", sim.slavePath().c_str());
        std::printf("ZUVO_PORTS=1=%s\n", sim.slavePath().c_str());
        std::fflush(stdout);

        if (args.hangUpAfterMs >= 0) {
            timespec wait{args.hangUpAfterMs / 1000, (args.hangUpAfterMs % 1000) * 1000000L};
            int got = -1;
            do {
                got = sigtimedwait(&stopSignals, nullptr, &wait);
            } while (got < 0 && errno == EINTR);
            if (got < 0) {
                sim.hangUp();
                std::printf("line closed\n");
                std::fflush(stdout);
            } else {
                return 0;
            }
        }
        int signal = 0;
        sigwait(&stopSignals, &signal);
        sim.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zuvo-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
