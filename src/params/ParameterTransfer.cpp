#include "params/ParameterTransfer.h"

#include "app/TForm1.h"
#include "device/RequestFrames.h"
#include "params/EditorMapping.h"
#include "serial/PollCycle.h"
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
    PollCycle& link = form_.pollCycle();
    // Another exchange (this send, clicked again during its waits, or another command) owns the
    // link: a second send inside it would interleave its frames and restart polling under it.
    if (!link.tryBeginExchange()) {
        return;
    }
    sending_ = true;
    Ui::TForm1& ui = *form_.ui;
    ParameterBlock& block = form_.Params;
    ui.ReadParam->setEnabled(false);
    link.QuietLink(true);

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
            if (!link.SendAndWaitForAck(writeWordFrame(static_cast<std::uint8_t>(n),
                                                       words[static_cast<std::size_t>(n - 1)]))) {
                link.showNoResponse();
                setPanel1Color(tc::Red);
                break; // the words after n are not sent
            }
        }
    } else {
        block = before; // nothing was sent, so nothing of the block is lost
    }

    ui.ReadParam->setEnabled(true);
    link.ResumePolling(kAfterSendPollMs);
    sending_ = false;
    link.endExchange();
    if (!ready) {
        prompts.message(notSent(form_.editorMapping().refusalText()));
    }
}

void ParameterTransfer::ReadParamClick() {
    PollCycle& link = form_.pollCycle();
    form_.State.ParamReadPending = true;
    // A command that owns the link resumes polling itself when it ends; the read follows then.
    if (!link.exchangeRunning()) {
        link.ResumePolling(kAfterReadPollMs);
    }
}

} // namespace zuvo
