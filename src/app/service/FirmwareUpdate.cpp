#include "app/service/FirmwareUpdate.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "params/BackupFile.h"
#include "service/Xmodem.h"
#include "session/BlockTransfer.h"
#include "session/EventWait.h"
#include "session/Link.h"
#include "ui_TForm1.h"
#include "widgets/TColor.h"

#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <climits>

namespace zuvo {

namespace {

constexpr int kSettleMs = 200;

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
    // Closing the window during the update cancels it, as Cancel does; the window then goes.
    QObject::connect(&form_.link(), &Link::closingDuringExchange, &form_,
                     [this] { Button5Click(); });
}

void FirmwareUpdate::FlashUpdate1Click() {
    if (running_) {
        return;
    }
    // One exchange with the controller at a time; the update holds the link from start to end.
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Flash Update"), ExchangeKind::Writes);
    if (!exchange) {
        return;
    }
    exchange_ = &*exchange;
    // Polling restarts at the end whatever the timer did before.
    exchange_->resumeWith(form_.link().snapshot().pollIntervalMs);
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
    if (transfer_ == nullptr || !transfer_->inFlashMode()) {
        // Still waiting for the bootloader: the window is back at once, the wait ends with it.
        form_.views().show(View::Normal);
    }
    if (transfer_ != nullptr) {
        transfer_->cancel();
    }
}

void FirmwareUpdate::run() {
    handlePendingEvents();
    // The file comes first, so that the confirmation names what is sent and where, and a file
    // that is no image is refused before the user is asked.
    const QString path = chooseFile();
    if (path.isEmpty() || cancelled_) {
        return;
    }
    const FirmwareImage image = readFirmwareImage(path);
    if (!image.problem.isEmpty()) {
        message(QLatin1Char(' ') + image.problem.left(1).toUpper() + image.problem.mid(1) +
                QLatin1Char(' '));
        return;
    }
    if (!confirm(updateConfirmationText({path, static_cast<std::uint64_t>(image.bytes.size()),
                                         portName(form_.link().snapshot().portNumber)}))) {
        return;
    }
    // A poll reply still on its way is not taken for the bootloader's.
    exchange_->pause(kSettleMs);
    if (cancelled_) {
        return;
    }
    if (!backUpBlock()) {
        return;
    }

    form_.views().show(View::Update);
    Ui::TForm1& ui = *form_.ui;
    FirmwareTransfer::Observer observer;
    observer.stageLabel = [&ui](const QString& text) { ui.Label25->setText(text); };
    observer.faultLabel = [&ui](const QString& text) { ui.Label26->setText(text); };
    // The bar counts the pages rounded to the nearest whole number and runs one page ahead.
    const std::uint64_t shown =
        xmodemProgressMaximum(static_cast<std::uint64_t>(image.bytes.size()));
    // A maximum of 0 would turn the bar into a busy indicator.
    const int maximum = static_cast<int>(std::clamp<std::uint64_t>(shown, 1, INT_MAX));
    observer.progress = [&ui, maximum](std::uint64_t page, std::uint64_t) {
        ui.ProgressBar1->setMaximum(maximum);
        ui.ProgressBar1->setValue(
            page == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(page + 1, maximum)));
    };
    observer.queueFull = [&ui] { setStatus(ui, QStringLiteral("USB waiting")); };
    observer.portLost = [&ui] { setStatusRed(ui, QStringLiteral("USB disconnected")); };
    observer.message = [this](const QString& text) { message(text); };
    FirmwareTransfer transfer(*exchange_, image.bytes, limits_, std::move(observer));
    transfer_ = &transfer;
    transfer.run();
    transfer_ = nullptr;
}

void FirmwareUpdate::backToNormal() {
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
    // The window is closing: the update is not started, and nobody is left to tell.
    if (backup.readResult == LinkResult::Closing) {
        return false;
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

void FirmwareUpdate::lockWindow(bool locked) {
    form_.ui->MainMenu1->setEnabled(!locked);
    form_.ui->ReadParam->setEnabled(!locked);
    form_.ui->SaveParam->setEnabled(!locked);
    // No view of the user's own (the recording view) while the update runs.
    form_.views().setLocked(locked);
}

} // namespace zuvo
