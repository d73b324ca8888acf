#include "params/ParameterTransfer.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "device/RequestFrames.h"
#include "params/EditorMapping.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <vector>

namespace zuvo {

namespace {

QString notSent(const QString& reasons) {
    return QStringLiteral("The Parameter-Block was not sent: ") + reasons + QLatin1Char('.');
}

} // namespace

ParameterTransfer::ParameterTransfer(TForm1& form) : form_(form) {
    QObject::connect(form_.ui->SaveParam, &QPushButton::clicked, &form_,
                     [this] { SaveParamClick(); });
    QObject::connect(form_.ui->ReadParam, &QPushButton::clicked, &form_,
                     [this] { ReadParamClick(); });
}

void ParameterTransfer::setPanel1Color(std::uint32_t color) {
    QFrame* panel = form_.ui->Panel1;
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, tcolor(color));
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
}

void ParameterTransfer::SaveParamClick() {
    // Another exchange (this send, clicked again during its waits, or another command) owns the
    // link: a second send inside it would interleave its frames.
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Send Parameter-Block"));
    if (!exchange) {
        return;
    }
    // A block arriving now would change the words under the send and the pages sent from.
    exchange->holdBlockReplies();
    exchange->resumeWith(kAfterSendPollMs);
    Ui::TForm1& ui = *form_.ui;
    ParameterBlock& block = form_.Params;
    ui.ReadParam->setEnabled(false);
    exchange->quiet();

    const int last = lastSentWord(form_.State.ExtraWordCount);
    const ParameterBlock before = block;
    block.clearSentWords(form_.State.ExtraWordCount);
    const bool ready = form_.editorMapping().SetVars();
    if (ready) {
        setPanel1Color(tc::White);
        // The words as they stand now go out, whatever arrives during the waits.
        const std::vector<std::uint16_t> words(block.Slots.begin() + 1,
                                               block.Slots.begin() + last + 1);
        for (int n = 1; n <= last; ++n) {
            const Frame frame = writeWordFrame(static_cast<std::uint8_t>(n),
                                               words[static_cast<std::size_t>(n - 1)]);
            if (exchange->sendAndWaitForAck(frame) != LinkResult::Acknowledged) {
                form_.pollCycle().showNoResponse();
                setPanel1Color(tc::Red);
                break; // the words after n are not sent
            }
        }
    } else {
        block = before; // nothing was sent, so nothing of the block is lost
    }

    ui.ReadParam->setEnabled(true);
    exchange.reset();
    if (!ready) {
        prompts.message(notSent(form_.editorMapping().refusalText()));
    }
}

void ParameterTransfer::ReadParamClick() {
    form_.State.ParamReadPending = true;
    // A command that owns the link resumes polling itself when it ends; the read follows then.
    form_.pollCycle().ResumePolling(kAfterReadPollMs);
}

} // namespace zuvo
