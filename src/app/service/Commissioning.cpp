#include "app/service/Commissioning.h"

#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "app/pages/EditorMapping.h"
#include "device/RequestFrames.h"
#include "service/TestData.h"
#include "ui_TForm1.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace zuvo {

namespace {

constexpr int kZeroResumeMs = 100;
constexpr int kCalibrationResumeMs = 1500;
constexpr int kTestDataResumeMs = 200;

} // namespace

Commissioning::Commissioning(TForm1& form) : form_(form) {
    Ui::TForm1& ui = *form_.ui;
    QObject::connect(ui.LMDButton1, &QPushButton::clicked, &form_, [this] { LMDButton1Click(); });
    QObject::connect(ui.Kali_4mA, &QSlider::valueChanged, &form_, [this] { Kali_4mAChange(); });
    QObject::connect(ui.Kali_10V, &QSlider::valueChanged, &form_, [this] { Kali_10VChange(); });
    QObject::connect(ui.Kalibrierung, &QPushButton::clicked, &form_,
                     [this] { KalibrierungClick(); });
    QObject::connect(ui.Button2, &QPushButton::clicked, &form_, [this] { Button2Click(); });
    QObject::connect(ui.Button3, &QPushButton::clicked, &form_, [this] { Button3Click(); });
    QObject::connect(ui.Button10, &QPushButton::clicked, &form_, [this] { Button10Click(); });
    // A track bar loaded with the value it already holds reports no change; the labels must
    // not show a value other than the one "Set" would send.
    Kali_4mAChange();
    Kali_10VChange();
}

void Commissioning::LMDButton1Click() {
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Set Zero Position"), ExchangeKind::Writes);
    if (!exchange) {
        return;
    }
    exchange->resumeWith(kZeroResumeMs);
    exchange->quiet();
    // The compass holds the raw digit; the direction bit counts only while its button is shown.
    const double shown = std::clamp(form_.ui->Winkel->value(), 0.0, 1023.0);
    const bool counterClockwise = form_.ui->BT->isChecked() && !form_.ui->BT->isHidden();
    const auto word =
        zeroPositionWord(static_cast<std::uint32_t>(std::lround(shown)), counterClockwise);
    exchange->send(writeWordFrame(kZeroWordIndex, word));
}

void Commissioning::Kali_4mAChange() {
    form_.ui->K1->setText(QString::number(form_.ui->Kali_4mA->value()));
}

void Commissioning::Kali_10VChange() {
    form_.ui->K2->setText(QString::number(form_.ui->Kali_10V->value()));
}

void Commissioning::KalibrierungClick() {
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Calibration"), ExchangeKind::Writes);
    if (!exchange) {
        return;
    }
    exchange->resumeWith(kCalibrationResumeMs);
    Ui::TForm1& ui = *form_.ui;
    ui.ReadParam->setEnabled(false);
    exchange->quiet();
    // The block keeps the editor's values; none of it is sent here.
    form_.editorMapping().SetVars();
    const std::pair<std::uint8_t, int> points[] = {
        {kCalibration10VIndex, ui.Kali_10V->value()},
        {kCalibration4mAIndex, ui.Kali_4mA->value()},
    };
    for (const auto& [index, position] : points) {
        const auto value = static_cast<std::uint16_t>(std::clamp(position, 0, 0xFFFF));
        const LinkResult written = exchange->sendAndWaitForAck(writeWordFrame(index, value));
        if (written != LinkResult::Acknowledged) {
            // A window that is closing did not ask the controller; there is nothing to say then.
            if (written != LinkResult::Closing) {
                form_.pollCycle().showNoResponse();
            }
            break;
        }
    }
    ui.ReadParam->setEnabled(true);
}

void Commissioning::askRelayTest(int selector) {
    // The poll tick sends it; while another exchange runs the tick is not polling.
    if (!form_.link().requestRelayTest(selector)) {
        form_.pollCycle().showBusy();
    }
}

void Commissioning::Button2Click() {
    askRelayTest(1);
}

void Commissioning::Button3Click() {
    askRelayTest(2);
}

void Commissioning::Button10Click() {
    std::optional<Exchange> exchange =
        form_.pollCycle().beginCommand(QStringLiteral("Read/Reset - Testdata"));
    if (!exchange) {
        return;
    }
    exchange->resumeWith(kTestDataResumeMs);
    exchange->quiet();
    const LinkAnswer<std::vector<std::uint8_t>> text =
        exchange->collectUntilSilent(testDataFrame(), kTestDataSilenceMs);
    if (text.value) {
        if (const auto lines = testDataLines(*text.value)) {
            form_.ui->Memo4->setPlainText(lines->join(QLatin1Char('\n')));
        }
    }
}

} // namespace zuvo
