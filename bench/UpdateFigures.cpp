// The firmware update against the simulated bootloader, and the recording view's cost per sample.
#include "BenchFigure.h"
#include "UpdateImage.h"

#include "app/AppStartup.h"
#include "app/TForm1.h"
#include "app/service/FirmwareUpdate.h"
#include "app/service/PositionRecording.h"
#include "session/EventWait.h"
#include "tests/gui/SimulatedLink.h"

#include <QFile>

#include <chrono>
#include <cmath>
#include <cstdio>

namespace zuvo::bench {

namespace {

using Clock = std::chrono::steady_clock;

// The procedure's own pauses: the settle before the file is chosen, and 200 ms after every
// acknowledged block. The final wait ends with the bootloader's answer to EOT.
constexpr double SettleMs = 200;
constexpr double PauseFloorMs = SettleMs + Pages * AckPauseMs;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One update of a 64 KiB image; false when the image did not arrive whole.
bool runUpdate(test::SimulatedLink& link, double& ms) {
    const QString path = link.folder.filePath(QStringLiteral("bench.BIN"));
    const QByteArray image = benchImage();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
        std::fprintf(stderr, "update: cannot write %s\n", qPrintable(path));
        return false;
    }
    file.close();

    QStringList messages;
    TForm1 form;
    form.appStartup().FormCreate({});
    FirmwareUpdate::Hooks hooks;
    hooks.confirm = [](const QString&) { return true; };
    hooks.chooseFile = [&] { return path; };
    hooks.message = [&](const QString& text) { messages << text; };
    form.firmwareUpdate().setHooks(hooks);
    const auto start = Clock::now();
    form.firmwareUpdate().FlashUpdate1Click();
    ms = msSince(start);
    const auto received = link.sim.receivedImage();
    const bool whole = isBenchImage(received);
    if (!whole || !messages.isEmpty()) {
        std::fprintf(stderr, "update: image %s, messages: %s\n", whole ? "whole" : "NOT whole",
                     qPrintable(messages.join('|')));
        return false;
    }
    return true;
}

void updateAtOnce() {
    test::SimulatedLink link;
    double ms = 0;
    if (!runUpdate(link, ms)) {
        return;
    }
    std::printf("  update %.0f ms, pauses %.0f ms (%d pages)\n", ms, PauseFloorMs, Pages);
    printFigure("update / pauses", ms / PauseFloorMs, "", 1.03);
}

void updatePaced() {
    sim::SimOptions options;
    options.pace = true;
    test::SimulatedLink link(options);
    double ms = 0;
    if (!runUpdate(link, ms)) {
        return;
    }
    // The simulator paces both directions ('C', one ACK a block, the ACK of EOT, and every
    // byte of the program's blocks), so the update is measured whole.
    const double floor = PauseFloorMs + UpdateWireMs;
    std::printf("  floor: pauses %.0f ms + wire %.0f ms (%d pages)\n", PauseFloorMs, UpdateWireMs,
                Pages);
    printFloorFigure("paced update", ms, floor, 1.03);
}

void recordingSample() {
    constexpr int Samples = 20000;
    TForm1 form;
    form.show();
    handlePendingEvents();
    form.serviceMode().setOn(true);
    PositionRecording& recording = form.positionRecording();
    recording.enter();
    recording.Button6Click();
    handlePendingEvents();
    const auto start = Clock::now();
    for (int n = 0; n < Samples; ++n) {
        // A cylinder moving to and fro over 40 turns.
        const double phase = std::sin(n * 0.01);
        const auto counts = static_cast<std::int32_t>((phase + 1) * 20 * 1024);
        recording.takeSample(counts, (phase + 1) / 2);
        // The picture is repainted between samples, as between two status replies.
        handlePendingEvents();
    }
    const double perSample = msSince(start) / Samples;
    std::printf("  %d samples with a repaint after each\n", Samples);
    printFigure("recording cost per sample", perSample, "ms", 0.2);
}

RegisterFigure atOnceFigure{"update-64k",
                            "firmware update of 64 KiB, bootloader answering at once: total time "
                            "against the procedure's pauses",
                            updateAtOnce};
RegisterFigure pacedFigure{"update-64k-paced",
                           "firmware update of 64 KiB at 9600 baud: total time against the pauses "
                           "plus the time on the wire",
                           updatePaced};
RegisterFigure recordingFigure{"recording-sample", "recording view: one sample drawn and repainted",
                               recordingSample};

} // namespace

} // namespace zuvo::bench
