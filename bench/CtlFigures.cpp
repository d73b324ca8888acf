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
#include <optional>

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
    // zuvoctl polls nothing before the update, so it needs no settle. The backup's block read
    // (the PV request and its 154-byte reply) is on the wire too.
    const double pauses = Pages * AckPauseMs;
    const double backupRead = (4 + 154) * (10 * 1000.0 / 9600);
    std::printf("  floor: pauses %.0f ms + wire %.0f ms (%d pages) + the backup's block read "
                "%.0f ms, process start included\n",
                pauses, UpdateWireMs, Pages, backupRead);
    printFloorFigure("zuvoctl flash", ms, pauses + UpdateWireMs + backupRead, 1.02);
}

// A parameter file of the window, written by zuvoctl: its words, their acknowledges and the
// read-back are the floor. The backup's block read before and the process start come on top and
// are shown apart.
void writeFigure() {
    sim::Simulator sim(paced());
    sim.start();
    QTemporaryDir folder;
    const QString path = folder.filePath("bench.ZDF");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("[ZYLINDER]\nLENGTH=500\nGEAR=60\nDIRECTION=1\n[OUTPUT]\nHYSTERESIS=0.25\n"
                   "Funktion1=1\n[ANALOG]\nFunktion=517\n[ANLAUF]\nFunktion1=3082\n"
                   "Funktion2=9557\n[POSITION]\nPos1=100\nAnalog2=500\n") < 0) {
        return;
    }
    file.close();
    constexpr int Words = 36;
    constexpr double ByteMs = 10 * 1000.0 / 9600;
    // Per word 10 frame bytes and the acknowledge; the read-back is the PV request and the reply
    // of 36 words and two calibration values.
    constexpr int WordBytes = 11;
    constexpr int FrameBytes = 10;
    constexpr int ReadBytes = 4 + 2 + 4 * Words + 8;
    const double floorMs = (Words * WordBytes + ReadBytes) * ByteMs;

    constexpr int Rounds = 5;
    double span = 0;
    double whole = 0;
    for (int round = 0; round < Rounds; ++round) {
        sim.clearLog();
        const double ms = runZuvoctl(sim, folder, {"write", path});
        if (ms < 0) {
            return;
        }
        whole += ms;
        // From the first word frame's first byte on the line to the read-back's last byte.
        std::optional<Clock::time_point> firstWord;
        for (const auto& request : sim.timedRequests()) {
            if (request.text.size() == 8 && request.text.starts_with("SP01")) {
                firstWord = request.at - std::chrono::microseconds(
                                             static_cast<long>(FrameBytes * ByteMs * 1000));
                break;
            }
        }
        const std::vector<sim::Simulator::LineChunk> line = sim.lineLog();
        if (!firstWord || line.empty()) {
            std::fprintf(stderr, "zuvoctl write: no word frame on the line\n");
            return;
        }
        span += std::chrono::duration<double, std::milli>(line.back().at - *firstWord).count();
    }
    std::printf("  mean of %d writes, floor: 36 x %d bytes and the read-back's %d on the wire;\n"
                "  the whole process took %.1f ms (start, the block read for the backup, the\n"
                "  backup file and the write)\n",
                Rounds, WordBytes, ReadBytes, whole / Rounds);
    printFloorFigure("zuvoctl write, first word to read-back", span / Rounds, floorMs, 1.02);
}

RegisterFigure statusRegistration{"zuvoctl-status",
                                  "zuvoctl status: process start to printed result", statusFigure};
RegisterFigure writeRegistration{"zuvoctl-write",
                                 "zuvoctl write of a 36-word block at 9600 baud against the words, "
                                 "acknowledges and read-back on the wire",
                                 writeFigure};
RegisterFigure flashRegistration{"zuvoctl-flash-64k",
                                 "zuvoctl flash of 64 KiB at 9600 baud: total time against the "
                                 "pauses plus the time on the wire",
                                 flashFigure};

} // namespace

} // namespace zuvo::bench
