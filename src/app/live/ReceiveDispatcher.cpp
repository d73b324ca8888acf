#include "app/live/ReceiveDispatcher.h"

#include "app/TForm1.h"
#include "app/live/LiveDisplay.h"
#include "app/live/SectorAnalysis.h"
#include "app/pages/EditorMapping.h"
#include "app/service/PositionRecording.h"
#include "device/ReceiveEngine.h"
#include "device/StatusDecoding.h"
#include "ui_TForm1.h"

namespace zuvo {

ReceiveDispatcher::ReceiveDispatcher(TForm1& form) : form_(form) {
    Link& link = form_.link();
    LiveDisplay& display = form_.liveDisplay();
    QObject::connect(&link, &Link::bytesArrived, &form_, [&display] { display.bytesArrived(); });
    QObject::connect(&link, &Link::replyRecognised, &form_,
                     [&display] { display.replyRecognised(); });
    QObject::connect(&link, &Link::sensorWordsReceived, &form_,
                     [this](const SensorWordsReceived& reply) {
                         form_.sectorAnalysis().sensorWordsReply(reply.words);
                     });
    QObject::connect(&link, &Link::statusReceived, &form_,
                     [this](const StatusReceived& status) { applyStatus(status); });
    QObject::connect(&link, &Link::blockReceived, &form_,
                     [this](const ParameterBlockReply& block) { applyBlock(block); });
    QObject::connect(&link, &Link::captionReceived, &form_,
                     [&display](const std::string& caption) { display.showCaption(caption); });
    QObject::connect(&link, &Link::versionReceived, &form_,
                     [&display](std::uint8_t version) { display.showVersion(version); });

    // What decoding needs follows the controls it comes from.
    Ui::TForm1& ui = *form_.ui;
    const auto push = [this] { pushDecodingInputs(); };
    QObject::connect(ui.Turns, &QLineEdit::textChanged, &form_, push);
    QObject::connect(ui.Laenge, &QLineEdit::textChanged, &form_, push);
    QObject::connect(ui.AnlaufS, &RadioGroup::itemIndexChanged, &form_, push);
    QObject::connect(&form_.serviceMode(), &ServiceMode::toggled, &form_, push);
    form_.views().setShownHook(push);
    pushDecodingInputs();
}

void ReceiveDispatcher::pushDecodingInputs() {
    const Ui::TForm1& ui = *form_.ui;
    LiveDisplay& display = form_.liveDisplay();
    Link& link = form_.link();
    link.setGeometry({.strokeMm = display.strokeMm(),
                      .turns = display.turns(),
                      .sensorOnMotorAxis = ui.AnlaufS->itemIndex() == 0});
    // A long reply in service mode shows the turn count; from then on it must convert.
    link.setShownParts(
        {.testValuesTab = display.testValuesTabShown(),
         .recordingView = form_.views().current() == View::Recording,
         .turnCount = display.revolutionIndicatorsShown() || form_.serviceMode().isOn()});
}

void ReceiveDispatcher::applyBlock(const ParameterBlockReply& block) {
    form_.Params.storeReceivedWords(block.words);
    form_.ui->Kali_10V->setValue(block.kali10V);
    form_.ui->Kali_4mA->setValue(block.kali4mA);
    form_.editorMapping().ShowReceivedBlock();
}

void ReceiveDispatcher::applyStatus(const StatusReceived& status) {
    if (status.fields.length == kStatusReplyWithTurnCountLength && form_.serviceMode().isOn()) {
        form_.liveDisplay().showRevolutionIndicators();
    }
    showStatusFields(status, form_.link().snapshot().state.WinkelFromPosition);
}

// The fields in their order; the first one that did not convert ends the display of this
// reply, and the controls of the later ones keep what they showed.
void ReceiveDispatcher::showStatusFields(const StatusReceived& status, bool winkelFromPosition) {
    LiveDisplay& display = form_.liveDisplay();
    const StatusReply& f = status.fields;
    if (!f.statusByte) {
        return;
    }
    display.showStatusByte(*f.statusByte);
    if (status.zoneToDraw) {
        display.drawZone(*status.zoneToDraw);
    }
    if (!f.reedState) {
        return;
    }
    display.showReedState(*f.reedState);
    if (!f.angleField) {
        return;
    }
    if (!winkelFromPosition && status.winkelDigit) {
        display.showWinkel(*status.winkelDigit);
    }
    if (!status.rpm) {
        return;
    }
    display.showSpeed(*status.rpm);
    if (!f.position || !status.strokeFraction || !status.positionMm || !status.winkelDigit) {
        return;
    }
    display.showRevolutions(*f.position);
    if (winkelFromPosition) {
        display.showWinkel(*status.winkelDigit);
    }
    display.showPosition(*status.positionMm);

    const StatusBits bits = decodeStatusBits(*f.statusByte);
    form_.sectorAnalysis().statusReply(static_cast<int>(*status.winkelDigit), bits.reed1,
                                       bits.reed2, *f.reedState);
    if (form_.positionRecording().isRecording()) {
        form_.positionRecording().takeSample(*f.position, *status.strokeFraction);
    }
    display.showStrokeFraction(*status.strokeFraction);
    display.showMemoryHighlight();

    if (display.revolutionIndicatorsShown()) {
        // Only the long reply carries the turn count; a short one still gives its inputs.
        if (f.reedTurnCount) {
            display.showReedTurnCount(*f.reedTurnCount);
        } else if (f.length == kStatusReplyWithTurnCountLength) {
            return;
        }
    }
    if (!f.inputs) {
        return;
    }
    display.showInputs(*f.inputs);
}

} // namespace zuvo
