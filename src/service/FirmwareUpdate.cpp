#include "service/FirmwareUpdate.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "device/RequestFrames.h"
#include "session/BlockTransfer.h"
#include "session/EventWait.h"
#include "session/Link.h"
#include "ui_TForm1.h"
#include "widgets/TColor.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <vector>

namespace zuvo {

namespace {

constexpr int kSettleMs = 200;
constexpr int kBootloaderRoundMs = 1000;
constexpr int kBlockRoundMs = 800;
constexpr int kFinalWaitMs = 1000;
// No controller's flash comes near this; a larger file is the wrong file, not an image.
constexpr qint64 kMaxImageSize = 16 * 1024 * 1024;

void setStatus(Ui::TForm1& ui, const QString& text) {
    ui.StatusBar1->showMessage(text);
}

void setStatusRed(Ui::TForm1& ui, const QString& text) {
    QPalette palette = ui.StatusBar1->palette();
    palette.setColor(QPalette::Window, tcolor(tc::Red));
    ui.StatusBar1->setPalette(palette);
    setStatus(ui, text);
}

} // namespace

FirmwareUpdate::FirmwareUpdate(TForm1& form) : form_(form) {
    QObject::connect(form_.ui->FlashUpdate1, &QAction::triggered, &form_,
                     [this] { FlashUpdate1Click(); });
    QObject::connect(form_.ui->Button5, &QPushButton::clicked, &form_, [this] { Button5Click(); });
}

QString FirmwareUpdate::confirmationText() {
    return QStringLiteral(
        "ACHTUNG:  Bitte alle Ausgänge abklemmen/ausstecken, um unkontrolliertes Fahren zu "
        "vermeiden! \n"
        "Sind sie sicher das sie eine Update durchführen möchten? \n"
        "\n"
        " Caution:  please disconnect all outputs to make shure, that no unwanted move is "
        "possible! \n"
        " Do you really want to execute the flash update?");
}

void FirmwareUpdate::FlashUpdate1Click() {
    if (running_) {
        return;
    }
    // One exchange with the controller at a time; the update holds the link from start to end.
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Flash Update"));
    if (!exchange) {
        return;
    }
    exchange_ = &*exchange;
    // Polling restarts at the end whatever the timer did before.
    exchange_->resumeWith(form_.Timer2.interval());
    running_ = true;
    cancelled_ = false;
    lockWindow(true);
    run();
    backToNormal();
    lockWindow(false);
    exchange_ = nullptr;
    running_ = false;
}

void FirmwareUpdate::Button5Click() {
    if (!running_) {
        return;
    }
    cancelled_ = true;
    transferOn_ = false;
    if (!flashMode_) {
        // Still waiting for the bootloader: the window is back at once, the wait ends with it.
        form_.views().show(View::Normal);
    }
    flashMode_ = false;
}

void FirmwareUpdate::run() {
    handlePendingEvents();
    if (!confirm(confirmationText())) {
        return;
    }
    // A poll reply still on its way is not taken for the bootloader's.
    pause(kSettleMs);
    flashMode_ = false;
    transferOn_ = true;

    const QString path = chooseFile();
    if (path.isEmpty() || !readImage(path) || !backUpBlock()) {
        return;
    }

    form_.views().show(View::Update);
    form_.ui->ProgressBar1->setValue(0);

    // From here on every byte received is the bootloader's: none of its answers is a frame.
    exchange_->setReceiveMode(ReceiveMode::Raw);
    clearReceived();
    if (exchange_->setParity(TParity::pOdd) == LinkResult::PortLost) {
        loseLink();
    }
    handlePendingEvents();

    const Frame frame = bootloaderFrame();
    if (send(frame.data(), frame.size()) == Sent::BufferFull) {
        message(QStringLiteral(" Error connecting Port "));
    }
    form_.ui->Label25->setText(QStringLiteral("Enter Flash-Mode.."));

    if (!waitForBootloader()) {
        return;
    }
    if (transfer()) {
        endTransfer();
    }
}

bool FirmwareUpdate::readImage(const QString& path) {
    QFile file(path);
    QString problem;
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
    } else if (file.size() > kMaxImageSize) {
        problem = QStringLiteral("The file is larger than %1 bytes.").arg(kMaxImageSize);
    } else {
        // The whole image is read now, so the controller gets the file as it was chosen even if
        // it changes or vanishes during the transfer.
        image_ = file.readAll();
        if (file.error() != QFileDevice::NoError || image_.size() != file.size()) {
            problem = file.errorString();
        }
    }
    if (problem.isEmpty()) {
        return true;
    }
    image_.clear();
    message(QStringLiteral(" Firmware file cannot be read: ") + path + QStringLiteral("\n") +
            problem);
    return false;
}

bool FirmwareUpdate::waitForBootloader() {
    for (unsigned round = 0; round < limits_.rounds && !flashMode_; ++round) {
        form_.ui->Label25->setText(enterFlashModeLabel(round));
        clearReceived();
        handlePendingEvents();
        // A cancel ends the wait at the end of this round, not at once: a ready sign in the
        // same round still gets its EOT.
        waitForBytes(kBootloaderRoundMs, [this] { return isBootloaderWaitOver(received()); });
        if (portLost()) {
            return false;
        }
        if (isBootloaderReady(received())) {
            flashMode_ = true;
            return true;
        }
        if (cancelled_) {
            return false;
        }
        if (isLastRound(round, limits_)) {
            message(bootloaderGiveUpMessage(received()));
            return false;
        }
    }
    return flashMode_;
}

bool FirmwareUpdate::transfer() {
    handlePendingEvents();
    clearReceived();
    const auto size = static_cast<std::uint64_t>(image_.size());
    const std::uint64_t pages = xmodemPageCount(size);
    const std::uint64_t shownPages = xmodemProgressMaximum(size);
    QProgressBar& bar = *form_.ui->ProgressBar1;
    // A maximum of 0 would turn the bar into a busy indicator.
    bar.setMaximum(static_cast<int>(std::clamp<std::uint64_t>(shownPages, 1, INT_MAX)));
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
        bar.setValue(static_cast<int>(std::min<std::uint64_t>(pageNumber + 1, bar.maximum())));

        for (unsigned round = 0;; ++round) {
            form_.ui->Label25->setText(pageLabel(pageNumber, shownPages, round));
            clearReceived();
            handlePendingEvents();
            send(block.data(), block.size());
            handlePendingEvents();
            waitForBytes(kBlockRoundMs, [this] { return !received().empty(); });
            portLost();

            const BlockRound next = blockRound(received(), pageNumber, round, silentInRow, crc,
                                               cancelled_ || !transferOn_, limits_);
            silentInRow = next.silentInRow;
            if (!next.faultLabel.isEmpty()) {
                form_.ui->Label26->setText(next.faultLabel);
            }
            if (next.next == BlockNext::GiveUp) {
                message(next.giveUpMessage);
                return false;
            }
            if (next.next == BlockNext::FirstPage && restartsExhausted(++restarts, limits_)) {
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

void FirmwareUpdate::endTransfer() {
    clearReceived();
    if (form_.ComPort1.Open()) {
        const std::uint8_t eot[] = {kXmodemEot};
        if (exchange_->writeRaw(eot) == LinkResult::PortLost) {
            loseLink();
        }
    }
    clearReceived();
    // Whatever the bootloader answers ends the wait; no answer reports success.
    waitForBytes(kFinalWaitMs, [this] { return !received().empty(); });
}

void FirmwareUpdate::backToNormal() {
    flashMode_ = false;
    transferOn_ = false;
    image_.clear();
    // The bootloader's last bytes are no reply for the window. A closed port takes the parity
    // at its next opening.
    clearReceived();
    exchange_->setParity(TParity::pNone);
    // The link's end takes the frames again and resumes polling with the timer's interval.
    exchange_->end();
    handlePendingEvents();
    form_.views().show(View::Normal);
}

bool FirmwareUpdate::backUpBlock() {
    // A block read now is the controller's as it stands, not something to show on the pages.
    exchange_->holdBlockReplies();
    const BlockBackupResult backup = zuvo::backUpBlock(
        *exchange_, form_.link().blockOfThisOpening(), backupTargetOf(form_.link()));
    if (backup.ok()) {
        return true;
    }
    if (!backup.block && backup.readResult == LinkResult::NoReply) {
        // A controller whose firmware is broken may answer nothing but the update: it must stay
        // possible, but only when the user knows that its settings are not saved.
        return confirm(QStringLiteral("The controller's parameters could not be saved before the "
                                      "update: ") +
                       backup.problem +
                       QStringLiteral("\nUpdate anyway, without a backup of the parameters?"));
    }
    message(QStringLiteral("The update was not started: ") + backup.problem);
    return false;
}

bool FirmwareUpdate::confirm(const QString& text) {
    if (hooks_.confirm) {
        return hooks_.confirm(text);
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Confirmation"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, &form_);
    return box.exec() == QMessageBox::Ok;
}

QString FirmwareUpdate::chooseFile() {
    if (hooks_.chooseFile) {
        return hooks_.chooseFile();
    }
    if (form_.OpenDialog2->exec() != QDialog::Accepted) {
        return {};
    }
    return form_.OpenDialog2->selectedFiles().value(0);
}

void FirmwareUpdate::message(const QString& text) {
    if (hooks_.message) {
        hooks_.message(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, form_.windowTitle(), text, QMessageBox::Ok, &form_);
    box.exec();
}

void FirmwareUpdate::pause(int ms) {
    if (ms > 0) {
        waitForBytes(ms, [] { return false; });
    }
}

void FirmwareUpdate::waitForBytes(int ms, const std::function<bool()>& enough) {
    exchange_->waitFor(ms, enough);
}

ReceivedBytes FirmwareUpdate::received() const {
    return exchange_->received();
}

void FirmwareUpdate::clearReceived() {
    exchange_->clearReceived();
}

FirmwareUpdate::Sent FirmwareUpdate::send(const std::uint8_t* bytes, std::size_t size) {
    switch (exchange_->writeRaw(std::span<const std::uint8_t>(bytes, size))) {
    case LinkResult::QueueFull:
        setStatus(*form_.ui, QStringLiteral("USB waiting"));
        return Sent::BufferFull;
    case LinkResult::PortLost:
        loseLink();
        return Sent::PortLost;
    default:
        return Sent::Ok;
    }
}

bool FirmwareUpdate::portLost() {
    if (!exchange_->portGone()) {
        return false;
    }
    loseLink();
    return true;
}

void FirmwareUpdate::loseLink() {
    // Without a port every further round would fail alike; the poll cycle reopens it later.
    exchange_->closePort();
    transferOn_ = false;
    setStatusRed(*form_.ui, QStringLiteral("USB disconnected"));
}

void FirmwareUpdate::lockWindow(bool locked) {
    form_.ui->MainMenu1->setEnabled(!locked);
    form_.ui->ReadParam->setEnabled(!locked);
    form_.ui->SaveParam->setEnabled(!locked);
    // No view of the user's own (the recording view) while the update runs.
    form_.views().setLocked(locked);
}

} // namespace zuvo
