// What the backup before a send and the read-back after it cost: a 36-word send at 9600 baud with
// and without them, on the link alone (no window), the controller's block already known (as after
// start-up or a verified send).
#include "BenchFigure.h"

#include "device/RequestFrames.h"
#include "params/BackupStore.h"
#include "params/BlockVerify.h"
#include "serial/PortMap.h"
#include "session/BlockTransfer.h"
#include "session/Link.h"
#include "sim/Simulator.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace zuvo::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Extra = 20;
constexpr int Rounds = 5;
constexpr quint16 Com = 41;
// 10 bits a byte at 9600 baud.
constexpr double ByteMs = 10 * 1000.0 / 9600;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One block read on the wire: the PV request and the reply of 16 + E words and the two
// calibration values between STX and ETX.
double blockReadWireMs() {
    const std::size_t request = pollFrame('P', 'V').size();
    const std::size_t reply = 2 + 4 * (16 + Extra) + 2 * 4;
    return double(request + reply) * ByteMs;
}

void backupAndVerification() {
    sim::SimOptions options;
    options.pace = true;
    options.rpm = 0;
    sim::Simulator sim(options);
    sim.start();
    QTemporaryDir folder;
    PortMap::global().setOverride(Com, QString::fromStdString(sim.slavePath()));
    Link link;
    if (!link.openPort(Com).opened) {
        std::printf("backup and verification: the port did not open\n");
        return;
    }

    WordsToSend send{sentWordRange(Extra), {}};
    for (int n = send.range.first; n <= send.range.last; ++n) {
        send.words.push_back(static_cast<std::uint16_t>(0x0100 + n));
    }
    BackupTarget target{folder.filePath(QStringLiteral("backups")), Com,
                        QString::fromStdString(sim.slavePath()), 60};

    double plain = 0;
    double full = 0;
    int failures = 0;
    // The block as the last read-back found it. The plain sends write the same words, so it
    // stays what the controller holds (the link itself forgets it after any write).
    std::optional<ParameterBlockReply> known;
    for (int i = 0; i < Rounds; ++i) {
        {
            std::optional<Exchange> exchange = link.begin(QStringLiteral("plain send"));
            const auto start = Clock::now();
            failures += sendWords(*exchange, send).complete() ? 0 : 1;
            plain += msSince(start);
        }
        {
            std::optional<Exchange> exchange = link.begin(QStringLiteral("send"));
            exchange->holdBlockReplies();
            const auto start = Clock::now();
            const TransferResult result = transferBlock(*exchange, known, target, send);
            full += msSince(start);
            known = result.readBack;
            // The first round reads the block before the send: it only warms up.
            if (i == 0) {
                full = 0;
                plain = 0;
            }
            failures += result.outcome == TransferOutcome::Verified ? 0 : 1;
        }
    }
    PortMap::global().clearOverrides();
    if (failures > 0) {
        std::fprintf(stderr, "backup and verification: %d sends did not end verified\n", failures);
    }
    const int measured = Rounds - 1;
    plain /= measured;
    full /= measured;
    const double floor = blockReadWireMs();
    std::printf("  plain send %.1f ms, with backup and verification %.1f ms (mean of %d): "
                "ratio %.3f to the plain send; its floor is one block read on the wire, "
                "%.1f ms (%zu bytes), ratio %.3f\n",
                plain, full, measured, full / plain, floor,
                pollFrame('P', 'V').size() + 2 + 4 * (16 + Extra) + 8, (plain + floor) / plain);
    printFloorFigure("added by backup and verification", full - plain, floor, 1.1);
}

RegisterFigure figure{"send-verify-added",
                      "Backup and read-back added to a 36-word send at 9600 baud, against one "
                      "block read on the wire",
                      backupAndVerification};

} // namespace

} // namespace zuvo::bench
