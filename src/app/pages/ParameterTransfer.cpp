#include "app/pages/ParameterTransfer.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/pages/EditorMapping.h"
#include "device/RequestFrames.h"
#include "params/EditorModel.h"
#include "session/BlockTransfer.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <algorithm>

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
    std::optional<Exchange> exchange = form_.pollCycle().beginCommand(
        QStringLiteral("Send Parameter-Block"), ExchangeKind::Writes);
    if (!exchange) {
        return;
    }
    // A block arriving now would change the pages sent from; a read that was wanted follows.
    exchange->holdBlockReplies();
    exchange->resumeWith(kAfterSendPollMs);
    Ui::TForm1& ui = *form_.ui;
    ui.ReadParam->setEnabled(false);

    // The words are those of the pages when Send was pressed, made as a command-line write makes
    // them: what is edited or loaded during the waits does not reach them.
    EditorMapping& mapping = form_.editorMapping();
    const int extra = form_.State.ExtraWordCount;
    const std::optional<WordsToSend> words =
        mapping.checkPages() ? valuesSend(form_.editorModel().values(), extra) : std::nullopt;
    const QString refused = words ? QString() : mapping.refusalText();
    exchange->quiet();
    std::optional<TransferResult> result;
    if (words) {
        result = transferBlock(
            *exchange, form_.link().blockOfThisOpening(), backupTargetOf(form_.link()), *words,
            {.verify = true,
             .beforeFirstWord = [this] { setPanel1Color(tc::White); },
             .stop = {}}); // the window's send has no way out: it takes half a second
        // The program's block holds what the controller was given, once any of it was.
        if (result->outcome != TransferOutcome::NotSent) {
            std::copy(words->words.begin(), words->words.end(),
                      form_.Params.Slots.begin() + words->range.first);
        }
        showOutcome(*result);
    }

    ui.ReadParam->setEnabled(true);
    exchange.reset();
    if (!words) {
        prompts.message(notSent(refused));
    } else if (result->outcome != TransferOutcome::Verified) {
        prompts.message(result->text);
    }
}

void ParameterTransfer::showOutcome(const TransferResult& result) {
    PollCycle& poll = form_.pollCycle();
    switch (result.outcome) {
    case TransferOutcome::NotSent:
        break;
    case TransferOutcome::PartlySent:
        // A send stopped on purpose did not miss an acknowledge.
        if (result.sent.stopped) {
            poll.showStatus(QStringLiteral("Parameter-Block partly sent"));
        } else {
            poll.showNoResponse();
        }
        setPanel1Color(tc::Red);
        break;
    case TransferOutcome::NotVerified:
        poll.showStatus(QStringLiteral("Parameter-Block sent, not verified"));
        break;
    case TransferOutcome::Differs:
        poll.showStatus(
            QStringLiteral("Parameter-Block sent, the controller reports other values"));
        setPanel1Color(tc::Red);
        break;
    case TransferOutcome::Verified:
        poll.showStatus(verifiedText());
        break;
    case TransferOutcome::Sent:
        break;
    }
}

void ParameterTransfer::ReadParamClick() {
    form_.State.ParamReadPending = true;
    // A command that owns the link resumes polling itself when it ends; the read follows then.
    form_.pollCycle().ResumePolling(kAfterReadPollMs);
}

} // namespace zuvo
