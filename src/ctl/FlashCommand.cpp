// zuvoctl flash: the firmware update of the window, confirmed on stdin unless --yes.

#include "ctl/CtlCommands.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlSession.h"
#include "service/UpdateRounds.h"
#include "service/Xmodem.h"
#include "session/BlockTransfer.h"
#include "session/FirmwareTransfer.h"

#include <QDir>

#include <cstdio>
#include <string>

namespace zuvo {

namespace {

// The window's confirmation, answered on stdin.
bool confirmed(const UpdateImageFacts& facts) {
    print(stderr, updateConfirmationText(facts) + QStringLiteral("\n\nType yes to update: "));
    char line[64] = {};
    if (std::fgets(line, sizeof line, stdin) == nullptr) {
        print(stderr, QStringLiteral("\n"));
        return false;
    }
    const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
    return answer == QLatin1String("yes") || answer == QLatin1String("y");
}

// The controller's block saved before its firmware changes, as the window saves it. A controller
// whose firmware is broken may answer nothing but the update: --no-backup lets it through.
std::optional<CtlFailure> backUpBeforeUpdate(CtlSession& session) {
    if (auto failure = session.readBlock()) {
        failure->text +=
            QStringLiteral("; the update was not started (give --no-backup to update a "
                           "controller that answers nothing else)");
        return failure;
    }
    const BlockBackupResult backup =
        backUpBlock(session.exchange(), session.block(), backupTargetOf(session.link()));
    if (!backup.ok()) {
        return CtlFailure{ExitUsage,
                          QStringLiteral("the update was not started: ") + oneLine(backup.problem)};
    }
    print(stdout, QStringLiteral("the block before the update is saved in %1\n")
                      .arg(QDir::toNativeSeparators(backup.path)));
    return std::nullopt;
}

} // namespace

int runFlash(const CtlArguments& arguments) {
    const QString path = arguments.operands.value(0);
    // Refused before the port is opened: nothing reaches the controller.
    const FirmwareImage image = readFirmwareImage(path);
    if (!image.problem.isEmpty()) {
        return fail(ExitUsage, image.problem);
    }
    CtlSession session;
    if (const auto failure = session.open(arguments)) {
        return fail(*failure);
    }
    if (!arguments.has(QStringLiteral("--yes")) &&
        !confirmed({path, static_cast<std::uint64_t>(image.bytes.size()), session.portName()})) {
        return fail(ExitNoAnswer, QStringLiteral("the update was not confirmed: nothing was sent"));
    }
    if (!arguments.has(QStringLiteral("--no-backup"))) {
        if (const auto failure = backUpBeforeUpdate(session)) {
            return fail(*failure);
        }
    }

    ProgressOutput progress(stdout);
    QString lastStage;
    FirmwareTransfer::Observer observer;
    observer.stageLabel = [&](const QString& text) {
        // Pages go into the bar; the waiting rounds are lines of their own.
        if (!text.startsWith(QLatin1String("Page")) && text != lastStage) {
            progress.line(text);
        }
        lastStage = text;
    };
    observer.faultLabel = [&](const QString& text) { progress.line(text.trimmed()); };
    // Pages done: the one being sent is not yet.
    observer.progress = [&](std::uint64_t page, std::uint64_t pages) {
        progress.update(page > 0 ? page - 1 : 0, pages, QStringLiteral("pages"));
    };
    observer.queueFull = [&] { progress.line(QStringLiteral("USB waiting")); };
    QString message;
    observer.message = [&](const QString& text) { message = oneLine(text); };

    FirmwareTransfer transfer(session.exchange(), image.bytes, UpdateLimits{}, observer);
    InterruptWatch interrupt([&transfer] { transfer.cancel(); });
    const FirmwareOutcome outcome = transfer.run();
    if (outcome == FirmwareOutcome::Delivered) {
        const std::uint64_t pages = xmodemPageCount(static_cast<std::uint64_t>(image.bytes.size()));
        progress.update(pages, pages, QStringLiteral("pages"));
    }
    progress.finish();
    session.endExchange();

    switch (outcome) {
    case FirmwareOutcome::Delivered:
        print(stdout, QStringLiteral("%1 bytes (%2 pages) delivered to the bootloader on %3\n")
                          .arg(image.bytes.size())
                          .arg(xmodemPageCount(static_cast<std::uint64_t>(image.bytes.size())))
                          .arg(session.portName()));
        return ExitDone;
    case FirmwareOutcome::Cancelled:
        return fail(ExitNoAnswer,
                    transfer.eotSent()
                        ? QStringLiteral("update cancelled: the transfer was ended with EOT, the "
                                         "image is incomplete, parity is back to none; run flash "
                                         "again before using the controller")
                        : QStringLiteral("update cancelled before the bootloader answered: no "
                                         "block was sent, parity is back to none"));
    case FirmwareOutcome::PortLost:
        return fail(ExitNoAnswer, QStringLiteral("the port %1 went away during the update: the "
                                                 "image is incomplete; reconnect and run flash "
                                                 "again")
                                      .arg(session.portName()));
    case FirmwareOutcome::GaveUp:
        break;
    }
    return fail(ExitNoAnswer,
                (message.isEmpty() ? QStringLiteral("the bootloader did not answer") : message) +
                    QStringLiteral(" (parity is back to none)"));
}

} // namespace zuvo
