#include "app/service/ModuleReplacement.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/UserPrompts.h"
#include "app/pages/EditorMapping.h"
#include "app/pages/ParameterTransfer.h"
#include "device/RequestFrames.h"
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
    // The memory is kept in counts; the label's millimetres follow the cylinder it is shown for.
    QObject::connect(ui.Laenge, &QLineEdit::textChanged, &form_, [this] { relabel(); });
    QObject::connect(ui.Turns, &QLineEdit::textChanged, &form_, [this] { relabel(); });
}

void ModuleReplacement::relabel() {
    const std::optional<Geometry> geometry = form_.editorMapping().editedGeometry();
    if (!geometry || !labelGeometry_ || *geometry == *labelGeometry_ ||
        form_.displayState().MemoryPositionCounts == kNoMemoryPosition) {
        return;
    }
    labelGeometry_ = geometry;
    form_.ui->Label27->setText(
        memoryLabel(form_.displayState().MemoryPositionCounts, *geometry, decimalSeparator()));
}

// The label shows the memory position in mm, which takes the editor's stroke and turns; without
// them it would show a position that is not the one "Set Position" writes, so nothing is taken.
void ModuleReplacement::GetPosition1Click() {
    const std::optional<Geometry> geometry = form_.editorMapping().editedGeometry();
    if (!geometry) {
        messageBox_(kNoGeometryMessage);
        return;
    }
    DisplayState& state = form_.displayState();
    state.MemoryPositionCounts = form_.link().snapshot().state.LastPositionCounts;
    labelGeometry_ = geometry;
    form_.ui->Label27->setText(
        memoryLabel(state.MemoryPositionCounts, *geometry, decimalSeparator()));
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
    const MemoryInput input =
        readMemoryInput(*typed, form_.editorMapping().editedGeometry(), decimalSeparator());
    if (!input.counts) {
        messageBox_(input.message);
        return;
    }
    form_.displayState().MemoryPositionCounts = *input.counts;
    labelGeometry_ = form_.editorMapping().editedGeometry();
    form_.ui->Label27->setText(input.label);
}

void ModuleReplacement::SetPosiotn1Click() {
    // Writing the placeholder would move the new module's position to a value nobody chose.
    const std::int32_t memory = form_.displayState().MemoryPositionCounts;
    if (memory == kNoMemoryPosition) {
        messageBox_(noMemoryPositionMessage());
        return;
    }
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Set Position"), ExchangeKind::Writes);
    if (!exchange) {
        return;
    }
    exchange->resumeWith(kResumeMs);
    Ui::TForm1& ui = *form_.ui;
    ui.ReadParam->setEnabled(false);
    exchange->quiet();
    form_.parameterTransfer().setPanel1Color(tc::White);
    const LinkResult written = exchange->sendAndWaitForAck(setPositionFrame(memory));
    // A window that is closing did not ask the controller; there is nothing to say then.
    if (written != LinkResult::Acknowledged && written != LinkResult::Closing) {
        form_.pollCycle().showNoResponse();
        form_.parameterTransfer().setPanel1Color(tc::Red);
    }
    ui.ReadParam->setEnabled(true);
}

} // namespace zuvo
