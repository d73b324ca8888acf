#pragma once
// Window tests against the simulated actuator: the simulator on a pseudo-terminal that the port
// map calls COM1, a settings file and a runtime folder of the test's own, and a wait that keeps
// the window's event loop running.

#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "session/Link.h"
#include "sim/Simulator.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QtGlobal>

#include <functional>
#include <string>
#include <vector>

namespace zuvo::test {

class SimulatedLink {
public:
    explicit SimulatedLink(sim::SimOptions options = {}) : sim(std::move(options)) {
        sim.start();
        PortMap::global().clearOverrides();
        PortMap::global().setOverride(1, QString::fromStdString(sim.slavePath()));
        // Nothing else may be found by a probe of the other numbers.
        for (int n = 2; n <= 50; ++n) {
            PortMap::global().setOverride(n, folder.filePath(QStringLiteral("no-port-%1").arg(n)));
        }
        qputenv("ZUVO_SETTINGS", folder.filePath(QStringLiteral("ZUVO.conf")).toLocal8Bit());
        qputenv("ZUVO_RUNTIME_DIR", folder.filePath(QStringLiteral("run")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    }

    ~SimulatedLink() {
        PortMap::global().clearOverrides();
        qunsetenv("ZUVO_SETTINGS");
        qunsetenv("ZUVO_RUNTIME_DIR");
        qputenv("XDG_DATA_HOME", dataHomeBefore_);
    }

    SimulatedLink(const SimulatedLink&) = delete;
    SimulatedLink& operator=(const SimulatedLink&) = delete;

    QTemporaryDir folder;
    sim::Simulator sim;

private:
    // The backups of the test go to `folder`; the suite's own folder afterwards.
    const QByteArray dataHomeBefore_ = qgetenv("XDG_DATA_HOME");
};

// A cylinder that does not move, for tests that compare exact positions and frames.
inline sim::SimOptions standingStill() {
    sim::SimOptions options;
    options.rpm = 0;
    return options;
}

// The requests since the simulator's log was last cleared that start with `prefix`, in order.
inline std::vector<std::string> requestsStartingWith(const sim::Simulator& sim,
                                                     const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& r : sim.requests()) {
        if (r.starts_with(prefix)) {
            found.push_back(r);
        }
    }
    return found;
}

// Reads the controller's block as the window does at start-up, without showing it: commands that
// write the block then find it known and back it up without a read of their own.
inline bool readControllerBlock(Link& link) {
    std::optional<Exchange> exchange = link.begin(QStringLiteral("read"));
    if (!exchange) {
        return false;
    }
    exchange->holdBlockReplies();
    return exchange->readBlock(2000).value.has_value();
}

// A poll interval no test outlives: polling in effect stopped until a command resumes it.
inline constexpr int kParkedPollMs = 24 * 3600 * 1000;
inline void parkPolling(Link& link) {
    link.resumePolling(kParkedPollMs);
}

// Lets the event loop run (port notifications, timers) until `done` holds or `ms` pass.
inline bool runUntil(const std::function<bool()>& done, int ms) {
    return waitUntil(done, QDeadlineTimer(ms, Qt::PreciseTimer));
}

} // namespace zuvo::test
