#include "service/FirmwareUpdate.h"

#include "app/EventWait.h"
#include "app/TForm1.h"
#include "device/ReceiveEngine.h"
#include "device/RequestFrames.h"
#include "serial/PollCycle.h"
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
    // One exchange with the controller at a time; the update holds the link from start to end.
    if (running_ || !form_.pollCycle().tryBeginExchange()) {
        return;
    }
    running_ = true;
    cancelled_ = false;
    lockWindow(true);
    run();
    backToNormal();
    lockWindow(false);
    form_.pollCycle().endExchange();
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
    form_.Timer2.stop();
    handlePendingEvents();
    if (!confirm()) {
        return;
    }
    form_.Timer2.stop();
    // A poll reply still on its way must not restart polling.
    pause(kSettleMs);
    flashMode_ = false;
    transferOn_ = true;

    const QString path = chooseFile();
    if (path.isEmpty() || !readImage(path)) {
        return;
    }

    form_.views().show(View::Update);
    form_.ui->ProgressBar1->setValue(0);

    // From here on every byte received is the bootloader's: none of its answers is a frame.
    form_.Rx.RxCount = 0;
    normalReceive_ = form_.ComPort1.OnTriggerAvail;
    form_.ComPort1.OnTriggerAvail = [this](TSerialComPort& port, quint16 count) {
        receiveRaw(port, count);
    };
    try {
        form_.ComPort1.setParity(TParity::pOdd);
    } catch (const ESerialError&) {
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
        form_.Rx.RxCount = 0;
        handlePendingEvents();
        waitForBytes(kBootloaderRoundMs,
                     [this] { return cancelled_ || isBootloaderWaitOver(received()); });
        if (cancelled_ || portLost()) {
            return false;
        }
        if (isBootloaderReady(received())) {
            flashMode_ = true;
            return true;
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
    form_.Rx.RxCount = 0;
    const auto size = static_cast<std::uint64_t>(image_.size());
    const std::uint64_t pages = xmodemPageCount(size);
    const std::uint64_t shownPages = xmodemProgressMaximum(size);
    QProgressBar& bar = *form_.ui->ProgressBar1;
    // A maximum of 0 would turn the bar into a busy indicator.
    bar.setMaximum(static_cast<int>(std::clamp<std::uint64_t>(shownPages, 1, INT_MAX)));
    const auto* data = reinterpret_cast<const std::uint8_t*>(image_.constData());

    std::uint64_t index = 0;
    unsigned silentInRow = 0;
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
            form_.Rx.RxCount = 0;
            form_.Rx.RxBuffer[0] = 0;
            handlePendingEvents();
            send(block.data(), block.size());
            handlePendingEvents();
            waitForBytes(kBlockRoundMs, [this] { return form_.Rx.RxCount > 0; });
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
            pause(next.pauseMs);
            if (next.next == BlockNext::SendAgain) {
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
    form_.Rx.RxCount = 0;
    if (form_.ComPort1.Open()) {
        try {
            form_.ComPort1.PutChar(kXmodemEot);
        } catch (const ESerialError&) {
            loseLink();
        }
    }
    form_.Rx.RxCount = 0;
    // Whatever the bootloader answers ends the wait; no answer reports success.
    waitForBytes(kFinalWaitMs, [this] { return form_.Rx.RxCount > 0; });
}

void FirmwareUpdate::backToNormal() {
    flashMode_ = false;
    transferOn_ = false;
    image_.clear();
    if (normalReceive_) {
        form_.ComPort1.OnTriggerAvail = std::move(normalReceive_);
        normalReceive_ = nullptr;
    }
    // The bootloader's last bytes are no reply for the window.
    form_.Rx.RxCount = 0;
    try {
        form_.ComPort1.setParity(TParity::pNone);
    } catch (const ESerialError&) {
        // A closed port takes the setting at its next opening.
    }
    form_.Timer2.stop();
    form_.Timer2.start();
    handlePendingEvents();
    form_.views().show(View::Normal);
}

bool FirmwareUpdate::confirm() {
    const QString text = confirmationText();
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
    waitUntil(enough, QDeadlineTimer(ms, Qt::PreciseTimer), [this] { form_.Timer2.stop(); });
}

ReceivedBytes FirmwareUpdate::received() const {
    return ReceivedBytes(form_.Rx.RxBuffer.data(),
                         std::min<std::size_t>(form_.Rx.RxCount, kRxBufferSize));
}

FirmwareUpdate::Sent FirmwareUpdate::send(const std::uint8_t* bytes, std::size_t size) {
    TSerialComPort& port = form_.ComPort1;
    try {
        if (port.GetOutBuffFree() < size) {
            setStatus(*form_.ui, QStringLiteral("USB waiting"));
            return Sent::BufferFull;
        }
        port.PutBlock(bytes, static_cast<quint16>(size));
        return Sent::Ok;
    } catch (const ESerialError&) {
        loseLink();
        return Sent::PortLost;
    }
}

bool FirmwareUpdate::portLost() {
    const TSerialComPort& port = form_.ComPort1;
    if (port.Open() && !port.DeviceGone()) {
        return false;
    }
    loseLink();
    return true;
}

void FirmwareUpdate::loseLink() {
    // Without a port every further round would fail alike; the poll cycle reopens it later.
    try {
        form_.ComPort1.setOpen(false);
    } catch (const ESerialError&) {
    }
    transferOn_ = false;
    setStatusRed(*form_.ui, QStringLiteral("USB disconnected"));
}

void FirmwareUpdate::lockWindow(bool locked) {
    form_.ui->MainMenu1->setEnabled(!locked);
    form_.ui->ReadParam->setEnabled(!locked);
    form_.ui->SaveParam->setEnabled(!locked);
}

void FirmwareUpdate::receiveRaw(TSerialComPort& port, quint16 count) {
    std::vector<std::uint8_t> bytes(count);
    try {
        port.GetBlock(bytes.data(), count);
    } catch (const ESerialError&) {
        return;
    }
    appendReceived(form_.Rx, bytes, ReceiveContext{});
}

} // namespace zuvo
