#include "app/live/ReceiveDispatcher.h"

#include "app/TForm1.h"
#include "app/live/LiveDisplay.h"
#include "app/live/SectorAnalysis.h"
#include "app/pages/EditorMapping.h"
#include "app/service/PositionRecording.h"
#include "device/ReceiveEngine.h"
#include "params/EditorModel.h"
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
                     [this](const LiveStatus& status) { applyStatus(status); });
    QObject::connect(&link, &Link::blockReceived, &form_,
                     [this](const ParameterBlockReply& block) { applyBlock(block); });
    QObject::connect(&link, &Link::captionReceived, &form_,
                     [&display](const std::string& caption) { display.showCaption(caption); });
    QObject::connect(&link, &Link::versionReceived, &form_,
                     [&display](std::uint8_t version) { display.showVersion(version); });

    // Decoding takes the stroke, turns and sensor position from the editor model, never from
    // the edits' texts.
    EditorModel& model = form_.editorModel();
    QObject::connect(&model, &EditorModel::decodingGeometryChanged, &link,
                     [&link](const DecodingGeometry& geometry) { link.setGeometry(geometry); });
    link.setGeometry(model.decodingGeometry());

    const auto push = [this] { pushShownParts(); };
    QObject::connect(&form_.serviceMode(), &ServiceMode::toggled, &form_, push);
    form_.views().setShownHook(push);
    pushShownParts();
}

void ReceiveDispatcher::pushShownParts() {
    LiveDisplay& display = form_.liveDisplay();
    Link& link = form_.link();
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

void ReceiveDispatcher::applyStatus(const LiveStatus& status) {
    if (status.length == kStatusReplyWithTurnCountLength && form_.serviceMode().isOn()) {
        form_.liveDisplay().showRevolutionIndicators();
    }
    form_.liveDisplay().showStatus(status);
    if (status.reeds) {
        const ReedSample& reeds = *status.reeds;
        form_.sectorAnalysis().statusReply(static_cast<int>(reeds.winkelDigit), reeds.reed1,
                                           reeds.reed2, reeds.reedState);
    }
    if (status.position && form_.positionRecording().isRecording()) {
        form_.positionRecording().takeSample(status.position->counts,
                                             status.position->strokeFraction);
    }
}

} // namespace zuvo
