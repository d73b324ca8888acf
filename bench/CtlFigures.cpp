// zuvoctl as a production line runs it: a whole process against the simulated actuator, from its
// start to its printed result.
#include "BenchFigure.h"
#include "UpdateImage.h"

#include "sim/Simulator.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace zuvo::bench {

namespace {

using Clock = std::chrono::steady_clock;

sim::SimOptions paced() {
    sim::SimOptions options;
    options.pace = true;
    return options;
}

// Runs zuvoctl with COM1 on the simulator; the time from its start to its end, or a negative
// value when it failed.
double runZuvoctl(const sim::Simulator& sim, const QTemporaryDir& folder,
                  const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZUVO_PORTS",
                       QStringLiteral("1=") + QString::fromStdString(sim.slavePath()));
    environment.insert("ZUVO_SETTINGS", folder.filePath("ZUVO.conf"));
    environment.insert("XDG_DATA_HOME", folder.filePath("data"));
    process.setProcessEnvironment(environment);
    const auto start = Clock::now();
    process.start(QStringLiteral(ZUVOCTL), arguments);
    if (!process.waitForFinished(10 * 60 * 1000) || process.exitCode() != 0) {
        std::fprintf(stderr, "zuvoctl %s: %s\n", qPrintable(arguments.join(' ')),
                     process.readAllStandardError().constData());
        return -1;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void statusFigure() {
    sim::Simulator sim(paced());
    sim.start();
    QTemporaryDir folder;
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double ms = runZuvoctl(sim, folder, {"status"});
        if (ms < 0) {
            return;
        }
        best = std::min(best, ms);
    }
    std::printf("  best of 5, the simulator at 9600 baud (block read and one status reply)\n");
    printFigure("zuvoctl status", best, "ms", 500);
}

void flashFigure() {
    sim::Simulator sim(paced());
    sim.start();
    QTemporaryDir folder;
    const QByteArray image = benchImage();
    const QString path = folder.filePath("bench.BIN");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
        return;
    }
    file.close();
    const double ms = runZuvoctl(sim, folder, {"flash", path, "--yes"});
    const bool whole = isBenchImage(sim.receivedImage());
    if (ms < 0 || !whole) {
        std::fprintf(stderr, "zuvoctl flash: image %s\n", whole ? "whole" : "NOT whole");
        return;
    }
    // zuvoctl polls nothing before the update, so it needs no settle.
    const double pauses = Pages * AckPauseMs;
    std::printf("  floor: pauses %.0f ms + wire %.0f ms (%d pages), process start included\n",
                pauses, UpdateWireMs, Pages);
    printFloorFigure("zuvoctl flash", ms, pauses + UpdateWireMs, 1.02);
}

RegisterFigure statusRegistration{"zuvoctl-status",
                                  "zuvoctl status: process start to printed result", statusFigure};
RegisterFigure flashRegistration{"zuvoctl-flash-64k",
                                 "zuvoctl flash of 64 KiB at 9600 baud: total time against the "
                                 "pauses plus the time on the wire",
                                 flashFigure};

} // namespace

} // namespace zuvo::bench
