#include "device/ReceiveDispatcher.h"

#include "app/TForm1.h"
#include "device/LiveDisplay.h"
#include "device/ReceiveEngine.h"
#include "device/SectorAnalysis.h"
#include "device/StatusDecoding.h"
#include "params/EditorMapping.h"
#include "params/ParameterTransfer.h"
#include "serial/PollCycle.h"
#include "service/PositionRecording.h"
#include "ui_TForm1.h"

namespace zuvo {

ReceiveDispatcher::ReceiveDispatcher(TForm1& form) : form_(form) {
    form_.ComPort1.OnTriggerAvail = [this](TSerialComPort& cp, quint16 count) {
        ComPort1TriggerAvail(cp, count);
    };
}

void ReceiveDispatcher::ComPort1TriggerAvail(TSerialComPort& cp, quint16 count) {
    form_.liveDisplay().bytesArrived();
    std::span<const std::uint8_t> bytes;
    // A port that is closing hands out nothing; its bytes are not read as zeros.
    if (count > 0 && cp.Open()) {
        readBuffer_.resize(count);
        try {
            cp.GetBlock(readBuffer_.data(), count);
            bytes = readBuffer_;
        } catch (const std::exception&) {
            // A failed read brings nothing; what the buffer holds is still looked at.
        }
    }
    receive(bytes);
}

void ReceiveDispatcher::receive(std::span<const std::uint8_t> bytes) {
    const bool blockWanted = form_.State.ParamReadPending;
    const ReceiveOutcome outcome = receiveBytes(form_.Rx, form_.State, bytes, context());
    if (outcome.parameterBlock && form_.parameterTransfer().sending()) {
        // A block arriving while the block is being sent would change the words under the
        // send and the pages the user sent from: it is dropped, and a read that was wanted
        // stays wanted, so the block is read once the send has ended.
        form_.State.ParamReadPending = blockWanted;
        ReceiveOutcome kept = outcome;
        kept.parameterBlock.reset();
        form_.liveDisplay().replyRecognised();
        apply(kept);
        return;
    }
    apply(outcome);
}

ReceiveContext ReceiveDispatcher::context() const {
    const Ui::TForm1& ui = *form_.ui;
    ReceiveContext c;
    c.testValuesTabShown = ui.PageControl1->isTabVisible(ui.PageControl1->indexOf(ui.TabSheet4));
    c.recordingViewShown = form_.views().current() == View::Recording;
    c.sensorOnMotorAxis = ui.AnlaufS->itemIndex() == 0;
    c.turns = form_.liveDisplay().turns();
    c.strokeMm = form_.liveDisplay().strokeMm();
    return c;
}

void ReceiveDispatcher::apply(const ReceiveOutcome& outcome) {
    LiveDisplay& display = form_.liveDisplay();
    if (outcome.sensorWords) {
        form_.sectorAnalysis().sensorWordsReply();
        form_.pollCycle().rearmAfterReply(outcome.sensorWords->pollIntervalMs);
    }
    if (outcome.status) {
        applyStatus(*outcome.status);
    }
    if (outcome.parameterBlock) {
        display.replyRecognised();
        form_.Params.storeReceivedWords(outcome.parameterBlock->words);
        form_.ui->Kali_10V->setValue(outcome.parameterBlock->kali10V);
        form_.ui->Kali_4mA->setValue(outcome.parameterBlock->kali4mA);
        form_.editorMapping().ShowReceivedBlock();
    }
    if (outcome.caption) {
        display.showCaption(*outcome.caption);
    }
    if (outcome.version) {
        display.showVersion(*outcome.version);
    }
}

// The settle wait ends with any status reply; polling speeds up only after a whole one.
void ReceiveDispatcher::applyStatus(const StatusReceived& status) {
    LiveDisplay& display = form_.liveDisplay();
    display.replyRecognised();
    if (status.fields.length == kStatusReplyWithTurnCountLength && form_.serviceMode().isOn()) {
        display.showRevolutionIndicators();
    }
    // The next poll is timed from the reply's arrival, not from the end of the drawing.
    if (statusComplete(status)) {
        form_.pollCycle().rearmAfterReply(kStatusPollMs);
    }
    showStatusFields(status);
    form_.Timeout.stop();
}

// Every field the display goes through converted: the reply counts as whole.
bool ReceiveDispatcher::statusComplete(const StatusReceived& status) const {
    const StatusReply& f = status.fields;
    const bool turnCountReadable = !form_.liveDisplay().revolutionIndicatorsShown() ||
                                   f.reedTurnCount || f.length != kStatusReplyWithTurnCountLength;
    return f.statusByte && f.reedState && f.angleField && status.rpm && f.position &&
           status.strokeFraction && status.positionMm && status.winkelDigit && turnCountReadable &&
           f.inputs;
}

// The fields in their order; the first one that did not convert ends the display of this
// reply, and the controls of the later ones keep what they showed.
void ReceiveDispatcher::showStatusFields(const StatusReceived& status) {
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
    if (!form_.State.WinkelFromPosition && status.winkelDigit) {
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
    if (form_.State.WinkelFromPosition) {
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
