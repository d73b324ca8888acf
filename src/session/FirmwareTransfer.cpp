#include "session/FirmwareTransfer.h"

#include "device/RequestFrames.h"
#include "params/InputFileCheck.h"
#include "service/FirmwareImageCheck.h"
#include "service/Xmodem.h"
#include "session/EventWait.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace zuvo {

FirmwareImage readFirmwareImage(const QString& path) {
    FirmwareImage image;
    const QString what = QStringLiteral("firmware file");
    const auto unreadable = [&](const InputFileCheck& check) {
        image.problem = unreadableFileText(what, path, check);
        return image;
    };
    if (const InputFileCheck check = checkInputFile(path); !check.ok()) {
        return unreadable(check);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return unreadable({InputFileCheck::Problem::Unreadable, file.errorString()});
    }
    const qint64 size = file.size();
    QByteArray bytes;
    // A file larger than the flash is refused by its size; it is not read.
    if (size <= kControllerFlashBytes) {
        bytes = file.read(kControllerFlashBytes + 1);
        if (file.error() != QFileDevice::NoError || bytes.size() != size) {
            return unreadable({InputFileCheck::Problem::Unreadable,
                               file.error() != QFileDevice::NoError
                                   ? file.errorString()
                                   : QStringLiteral("it changed while it was read")});
        }
    }
    if (const FirmwareImageProblem refused = checkFirmwareImage(size, bytes);
        refused != FirmwareImageProblem::None) {
        image.problem =
            QStringLiteral("the %1 %2 is not sent: %3")
                .arg(what, QDir::toNativeSeparators(path), firmwareImageReason(refused, size));
        return image;
    }
    image.bytes = std::move(bytes);
    return image;
}

FirmwareTransfer::FirmwareTransfer(Exchange& exchange, const QByteArray& image,
                                   const UpdateLimits& limits, Observer observer)
    : exchange_(exchange), image_(image), limits_(limits), observer_(std::move(observer)) {}

void FirmwareTransfer::cancel() {
    cancelled_ = true;
    transferOn_ = false;
    flashMode_ = false;
}

FirmwareOutcome FirmwareTransfer::run() {
    if (observer_.progress) {
        observer_.progress(0, xmodemPageCount(static_cast<std::uint64_t>(image_.size())));
    }
    // From here on every byte received is the bootloader's: none of its answers is a frame.
    exchange_.setReceiveMode(ReceiveMode::Raw);
    exchange_.clearReceived();
    if (exchange_.setParity(TParity::pOdd) == LinkResult::PortLost) {
        loseLink();
    }
    handlePendingEvents();

    const Frame frame = bootloaderFrame();
    if (send(frame) == Sent::QueueFull) {
        message(QStringLiteral(" Error connecting Port "));
    }
    if (observer_.stageLabel) {
        observer_.stageLabel(QStringLiteral("Enter Flash-Mode.."));
    }
    if (waitForBootloader() && sendBlocks()) {
        sendEot();
    }
    finish();
    if (lost_) {
        return FirmwareOutcome::PortLost;
    }
    if (cancelled_) {
        return FirmwareOutcome::Cancelled;
    }
    return gaveUp_ || !eotSent_ ? FirmwareOutcome::GaveUp : FirmwareOutcome::Delivered;
}

bool FirmwareTransfer::waitForBootloader() {
    for (unsigned round = 0; round < limits_.rounds && !flashMode_; ++round) {
        if (observer_.stageLabel) {
            observer_.stageLabel(enterFlashModeLabel(round));
        }
        exchange_.clearReceived();
        handlePendingEvents();
        // A cancel ends the wait at the end of this round, not at once: a ready sign in the
        // same round still gets its EOT.
        exchange_.waitFor(kBootloaderRoundMs,
                          [this] { return isBootloaderWaitOver(exchange_.received()); });
        if (checkPortLost()) {
            return false;
        }
        if (isBootloaderReady(exchange_.received())) {
            flashMode_ = true;
            return true;
        }
        if (cancelled_) {
            return false;
        }
        if (isLastRound(round, limits_)) {
            gaveUp_ = true;
            message(bootloaderGiveUpMessage(exchange_.received()));
            return false;
        }
    }
    return flashMode_;
}

bool FirmwareTransfer::sendBlocks() {
    handlePendingEvents();
    exchange_.clearReceived();
    const auto size = static_cast<std::uint64_t>(image_.size());
    const std::uint64_t pages = xmodemPageCount(size);
    const std::uint64_t shownPages = xmodemProgressMaximum(size);
    const auto* data = reinterpret_cast<const std::uint8_t*>(image_.constData());

    std::uint64_t index = 0;
    unsigned silentInRow = 0;
    unsigned restarts = 0;
    while (index < pages && transferOn_) {
        const std::uint64_t offset = index * kXmodemPageSize;
        const std::span<const std::uint8_t> page(
            data + offset, std::min<std::uint64_t>(kXmodemPageSize, size - offset));
        const XmodemBlock block = xmodemBlock(xmodemBlockNumber(index), page);
        const std::uint16_t crc = xmodemBlockCrc(block);
        const std::uint64_t pageNumber = index + 1;
        if (observer_.progress) {
            observer_.progress(pageNumber, pages);
        }

        for (unsigned round = 0;; ++round) {
            if (observer_.stageLabel) {
                observer_.stageLabel(pageLabel(pageNumber, shownPages, round));
            }
            exchange_.clearReceived();
            handlePendingEvents();
            send(block);
            handlePendingEvents();
            exchange_.waitFor(kBlockRoundMs, [this] { return !exchange_.received().empty(); });
            checkPortLost();

            const BlockRound next = blockRound(exchange_.received(), pageNumber, round, silentInRow,
                                               crc, cancelled_ || !transferOn_, limits_);
            silentInRow = next.silentInRow;
            if (!next.faultLabel.isEmpty() && observer_.faultLabel) {
                observer_.faultLabel(next.faultLabel);
            }
            if (next.next == BlockNext::GiveUp) {
                gaveUp_ = true;
                message(next.giveUpMessage);
                return false;
            }
            if (next.next == BlockNext::FirstPage && restartsExhausted(++restarts, limits_)) {
                gaveUp_ = true;
                message(restartGiveUpMessage(restarts));
                return false;
            }
            pause(next.pauseMs);
            if (next.next == BlockNext::SendAgain) {
                // Cancel during the pause: no further block, the transfer ends with EOT.
                if (cancelled_ || !transferOn_) {
                    transferOn_ = false;
                    break;
                }
                continue;
            }
            if (next.next == BlockNext::NextPage) {
                ++index;
            } else if (next.next == BlockNext::FirstPage) {
                index = 0;
            } else {
                transferOn_ = false;
            }
            break;
        }
    }
    return true;
}

void FirmwareTransfer::sendEot() {
    exchange_.clearReceived();
    if (!exchange_.portGone()) {
        const std::uint8_t eot[] = {kXmodemEot};
        const LinkResult result = exchange_.writeRaw(eot);
        if (result == LinkResult::PortLost) {
            loseLink();
        } else {
            eotSent_ = result == LinkResult::Sent;
        }
    }
    exchange_.clearReceived();
    // Whatever the bootloader answers ends the wait; no answer reports success.
    exchange_.waitFor(kFinalWaitMs, [this] { return !exchange_.received().empty(); });
}

void FirmwareTransfer::finish() {
    flashMode_ = false;
    transferOn_ = false;
    // The bootloader's last bytes are no reply. A closed port takes the parity at its next
    // opening.
    exchange_.clearReceived();
    exchange_.setParity(TParity::pNone);
}

FirmwareTransfer::Sent FirmwareTransfer::send(std::span<const std::uint8_t> bytes) {
    switch (exchange_.writeRaw(bytes)) {
    case LinkResult::QueueFull:
        if (observer_.queueFull) {
            observer_.queueFull();
        }
        return Sent::QueueFull;
    case LinkResult::PortLost:
        loseLink();
        return Sent::PortLost;
    default:
        return Sent::Ok;
    }
}

bool FirmwareTransfer::checkPortLost() {
    if (!exchange_.portGone()) {
        return false;
    }
    loseLink();
    return true;
}

void FirmwareTransfer::loseLink() {
    // Without a port every further round would fail alike; whoever polls reopens it later.
    exchange_.closePort();
    transferOn_ = false;
    lost_ = true;
    if (observer_.portLost) {
        observer_.portLost();
    }
}

void FirmwareTransfer::message(const QString& text) {
    if (observer_.message) {
        observer_.message(text);
    }
}

void FirmwareTransfer::pause(int ms) {
    if (ms > 0) {
        exchange_.waitFor(ms, [] { return false; });
    }
}

} // namespace zuvo
