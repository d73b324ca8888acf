#include "service/ModuleReplacement.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "device/RequestFrames.h"
#include "params/ParameterTransfer.h"
#include "params/UserPrompts.h"
#include "service/PositionInput.h"
#include "ui_TForm1.h"
#include "widgets/TColor.h"

#include <QInputDialog>
#include <QLocale>

namespace zuvo {

namespace {

QChar decimalSeparator() {
    return QLocale().decimalPoint().at(0);
}

} // namespace

ModuleReplacement::ModuleReplacement(TForm1& form) : form_(form) {
    inputBox_ = [this](const QString& title, const QString& prompt,
                       const QString& text) -> std::optional<QString> {
        bool ok = false;
        const QString typed =
            QInputDialog::getText(&form_, title, prompt, QLineEdit::Normal, text, &ok);
        return ok ? std::optional<QString>(typed) : std::nullopt;
    };
    messageBox_ = UserPrompts::showMessage;

    Ui::TForm1& ui = *form_.ui;
    QObject::connect(ui.GetPosition1, &QAction::triggered, &form_, [this] { GetPosition1Click(); });
    QObject::connect(ui.SetPosiotn1, &QAction::triggered, &form_, [this] { SetPosiotn1Click(); });
    QObject::connect(ui.Label27, &ClickLabel::pressed, &form_,
                     [this](Qt::MouseButton button, const QPoint&) { Label27MouseDown(button); });
}

// The editor's stroke and turns; a field that holds no number counts as 0, which the
// conversions take without dividing by it.
int ModuleReplacement::strokeMm() const {
    return form_.ui->Laenge->text().trimmed().toInt();
}

int ModuleReplacement::turns() const {
    return form_.ui->Turns->text().trimmed().toInt();
}

void ModuleReplacement::GetPosition1Click() {
    DeviceState& state = form_.State;
    state.MemoryPositionCounts = state.LastPositionCounts;
    form_.ui->Label27->setText(
        memoryLabel(state.MemoryPositionCounts, strokeMm(), turns(), decimalSeparator()));
    form_.ui->Label27->show();
}

void ModuleReplacement::Label27MouseDown(Qt::MouseButton button) {
    if (button != Qt::RightButton) {
        return;
    }
    const std::optional<QString> typed =
        inputBox_(QStringLiteral("Enter absolute Position"),
                  QStringLiteral("Position to set in zylinder [mm]: "), QStringLiteral("0,00"));
    if (!typed) {
        return;
    }
    const MemoryInput input = readMemoryInput(*typed, strokeMm(), turns(), decimalSeparator());
    if (!input.counts) {
        messageBox_(input.message);
        return;
    }
    form_.State.MemoryPositionCounts = *input.counts;
    form_.ui->Label27->setText(input.label);
}

void ModuleReplacement::SetPosiotn1Click() {
    // Writing the placeholder would move the new module's position to a value nobody chose.
    if (form_.State.MemoryPositionCounts == kNoMemoryPosition) {
        messageBox_(noMemoryPositionMessage());
        return;
    }
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Set Position"));
    if (!exchange) {
        return;
    }
    exchange->resumeWith(kResumeMs);
    Ui::TForm1& ui = *form_.ui;
    ui.ReadParam->setEnabled(false);
    exchange->quiet();
    form_.parameterTransfer().setPanel1Color(tc::White);
    if (exchange->sendAndWaitForAck(setPositionFrame(form_.State.MemoryPositionCounts)) !=
        LinkResult::Acknowledged) {
        form_.pollCycle().showNoResponse();
        form_.parameterTransfer().setPanel1Color(tc::Red);
    }
    ui.ReadParam->setEnabled(true);
}

} // namespace zuvo
