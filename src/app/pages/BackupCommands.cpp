#include "app/pages/BackupCommands.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/live/ReceiveDispatcher.h"
#include "params/BackupStore.h"
#include "app/pages/ComparisonDialog.h"
#include "params/EditorText.h"
#include "params/ParameterBlock.h"
#include "app/pages/ParameterTransfer.h"
#include "session/BlockTransfer.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace zuvo {

namespace {

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace

QString restoreQuestion(const QString& fileName, const BackupSummary& summary, int toPort) {
    return QStringLiteral("Restore the backup %1 to the controller on %2?\n\n"
                          "Saved:\t%3\n"
                          "Port:\t%4\n"
                          "Firmware:\t%5\n"
                          "Stroke:\t%6 mm\n"
                          "Turns:\t%7\n\n"
                          "Its %8 words are sent exactly as they were saved and then read back.")
        .arg(fileName, portName(toPort), QLocale().toString(summary.time, QLocale::LongFormat),
             portName(summary.port))
        .arg(summary.firmwareVersion)
        .arg(summary.strokeMm)
        .arg(summary.turns)
        .arg(summary.wordCount);
}

BackupCommands::BackupCommands(TForm1& form) : form_(form) {
    QObject::connect(form_.ui->RestoreBackup1, &QAction::triggered, &form_,
                     [this] { RestoreBackupClick(); });
    QObject::connect(form_.ui->CompareWithFile1, &QAction::triggered, &form_,
                     [this] { CompareWithFileClick(); });
    showComparison = [this](const std::vector<ComparisonRow>& rows, const QString& fileName) {
        ComparisonDialog dialog(rows, fileName, &form_);
        dialog.exec();
    };
}

void BackupCommands::RestoreBackupClick() {
    const QString folder = defaultBackupFolder();
    QFileDialog dialog(&form_, QStringLiteral("Restore Backup"),
                       QFileInfo(folder).isDir() ? folder : QDir::homePath(),
                       QStringLiteral("Backups (*.ZDF);;All files (*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QString path = prompts.chooseFile(dialog);
    if (!path.isEmpty()) {
        restore(path);
    }
}

void BackupCommands::CompareWithFileClick() {
    const QString path = prompts.chooseFile(*form_.OpenDialog1);
    if (!path.isEmpty()) {
        compareWith(path);
    }
}

bool BackupCommands::restore(const QString& path) {
    const int extra = form_.State.ExtraWordCount;
    const IniFile ini(path);
    const BlockSectionRead read =
        ini.loadState() == IniFile::LoadState::Loaded
            ? readBlockSection(ini, receivedWordCount(extra))
            : BlockSectionRead{std::nullopt, QStringLiteral("the file cannot be read")};
    const std::optional<WordsToSend> send = read ? restoreSend(*read.backup, extra) : std::nullopt;
    if (!send) {
        prompts.message(QStringLiteral("The backup %1 cannot be restored: %2. Nothing was sent.")
                            .arg(fileNameOf(path), read.problem));
        return false;
    }
    const int port = form_.ComPort1.ComNumber();
    if (!prompts.confirm(restoreQuestion(fileNameOf(path), summarizeBackup(*read.backup), port),
                         QStringLiteral("Restore Backup"))) {
        return false;
    }

    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Restore Backup"), ExchangeKind::Writes);
    if (!exchange) {
        return false;
    }
    exchange->holdBlockReplies();
    exchange->resumeWith(ParameterTransfer::kAfterSendPollMs);
    form_.ui->ReadParam->setEnabled(false);
    exchange->quiet();
    ParameterTransfer& transfer = form_.parameterTransfer();
    const TransferResult result = transferBlock(
        *exchange, form_.link().blockOfThisOpening(), backupTargetOf(form_.link()), *send,
        {.verify = true,
         .beforeFirstWord = [&transfer] { transfer.setPanel1Color(tc::White); },
         .stop = {}});
    transfer.showOutcome(result);
    form_.ui->ReadParam->setEnabled(true);
    exchange.reset();
    // The pages show what the controller holds now.
    if (result.readBack) {
        form_.receiveDispatcher().applyBlock(*result.readBack);
    }
    if (result.outcome != TransferOutcome::Verified) {
        prompts.message(result.text);
    }
    return result.outcome != TransferOutcome::NotSent;
}

void BackupCommands::compareWith(const QString& path) {
    const FileValues file = parameterFileValues(IniFile(path));
    if (!file.values) {
        prompts.message(
            QStringLiteral("%1 cannot be compared: %2.").arg(fileNameOf(path), file.problem));
        return;
    }
    std::optional<ParameterBlockReply> block = form_.link().blockOfThisOpening();
    if (!block) {
        std::optional<Exchange> exchange =
            form_.pollCycle().beginCommand(QStringLiteral("Compare with File"));
        if (!exchange) {
            return;
        }
        // The block read for the comparison does not replace what the pages show.
        exchange->holdBlockReplies();
        exchange->quiet();
        LinkAnswer<ParameterBlockReply> read = exchange->readBlock(kBlockReadMs);
        block = std::move(read.value);
        if (!block) {
            exchange.reset();
            prompts.message(
                read.result == LinkResult::PortLost
                    ? QStringLiteral("The port was lost while the controller's block was read; "
                                     "nothing was compared.")
                    : QStringLiteral("The controller did not answer the read of its block; "
                                     "nothing was compared."));
            return;
        }
    }
    showComparison(
        compareParameters(blockValues(block->words), *file.values, systemDecimalSeparator()),
        fileNameOf(path));
}

} // namespace zuvo
