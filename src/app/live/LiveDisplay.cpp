#include "app/live/LiveDisplay.h"

#include "app/TForm1.h"
#include "app/live/ReceiveDispatcher.h"
#include "device/LiveStatus.h"
#include "device/ReplyFrames.h"
#include "device/Windows1252.h"
#include "params/EditorModel.h"
#include "service/MillimetreText.h"
#include "ui_TForm1.h"
#include "widgets/TColor.h"

#include <QDrag>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace zuvo {

namespace {

constexpr std::uint32_t kLampArrivedColour = 0x0080FF; // orange: bytes but no reply yet
constexpr std::uint32_t kMisalignedColour = tc::Maroon;
constexpr std::uint32_t kMisalignedBit5Colour = tc::Purple;
constexpr std::uint32_t kZoneBackground = tc::Silver;
constexpr std::uint32_t kZoneColour = 0x80FFFF;
constexpr int kZoneWidth = 50;
constexpr int kZoneFillWidth = 49;
constexpr int kZoneFillHeight = 168;
constexpr std::uint32_t kMemoryReachedColour = 0xC0DCC0;
constexpr std::uint32_t kPanelWarningColour = 0x8080FF;
constexpr std::uint32_t kWinkelFromPositionRing = tc::Olive;
constexpr std::uint32_t kWinkelFromAngleRing = tc::Navy;

QChar decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

QString positionText(double mm) {
    return millimetreText(mm, decimalSeparator()) + QStringLiteral("mm");
}

} // namespace

LiveDisplay::LiveDisplay(TForm1& form)
    : form_(form), dragExec_([](QDrag& drag) { drag.exec(Qt::CopyAction | Qt::MoveAction); }) {
    Ui::TForm1& ui = *form_.ui;
    connect(ui.AbCompass1, &CompassGauge::doubleClicked, this, [this] { AbCompass1DblClick(); });
    connect(ui.Winkel, &CompassGauge::doubleClicked, this, [this] { WinkelDblClick(); });
    connect(ui.Label11, &ClickLabel::doubleClicked, this, [this] { Label11DblClick(); });
    connect(ui.APos, &ClickLabel::pressed, this, [this](Qt::MouseButton button, const QPoint& at) {
        if (button == Qt::LeftButton) {
            APosClick(at);
        }
    });
    ui.APos->installEventFilter(this);
}

void LiveDisplay::bytesArrived() {
    form_.ui->AbLED1->setColorOff(tcolor(kLampArrivedColour));
}

void LiveDisplay::replyRecognised() {
    form_.ui->AbLED1->setChecked(true);
}

void LiveDisplay::showRevolutionIndicators() {
    form_.ui->AbValueInd1->show();
    form_.ui->AbValueInd2->show();
}

bool LiveDisplay::revolutionIndicatorsShown() const {
    // Asked of the widget itself, so that it holds also while its page is not the one shown.
    return !form_.ui->AbValueInd1->isHidden();
}

void LiveDisplay::showStatus(const LiveStatus& status) {
    Ui::TForm1& ui = *form_.ui;
    if (status.bits) {
        const StatusBits& bits = *status.bits;
        ui.ADJ->setColorOn(tcolor(bits.misalignedBit5 ? kMisalignedBit5Colour : kMisalignedColour));
        ui.ADJ->setChecked(bits.sensorMisaligned);
        ui.Reed1->setChecked(bits.reed1);
        ui.Reed2->setChecked(bits.reed2);
    }
    if (status.zoneToDraw) {
        drawZone(*status.zoneToDraw);
    }
    if (status.reedState) {
        ui.Label11->setText(QString::number(*status.reedState));
        ui.AbCompass1->setValue(*status.reedStateDegrees);
    }
    if (status.winkelDigit) {
        ui.Winkel->setValue(*status.winkelDigit);
    }
    if (status.rpm) {
        ui.Label18->setText(QString::number(*status.rpm) + QStringLiteral(" RPM "));
    }
    const bool indicatorsShown = revolutionIndicatorsShown();
    if (status.position) {
        const LivePosition& position = *status.position;
        if (indicatorsShown) {
            ui.AbValueInd1->setValue(position.revolutions);
        }
        ui.APos->setText(positionText(position.mm));
        ui.ABSPos->setPercent(position.strokePercent);
        QRect bar = ui.AbGradient2->geometry();
        bar.setWidth(strokeBarWidth(position.strokeFraction, ui.Image2->width()));
        ui.AbGradient2->setGeometry(bar);
        showMemoryHighlight();
    }
    if (status.reedTurnCount && indicatorsShown) {
        ui.AbValueInd2->setValue(*status.reedTurnCount);
    }
    if (status.inputs) {
        const InputStates& inputs = *status.inputs;
        ui.AbLED2->setChecked(inputs.pushButtonS1);
        ui.AbLED3->setChecked(inputs.pushButtonS2);
        ui.AbLED4->setChecked(inputs.input1);
        ui.AbLED5->setChecked(inputs.input3);
        ui.AbLED6->setChecked(inputs.temperatureLed);
        ui.AbLED7->setChecked(inputs.input2);
        if (inputs.panelWarning) {
            ui.AbPanel1->setInnerBevelColor(tcolor(kPanelWarningColour));
        }
    }
}

void LiveDisplay::drawZone(std::uint8_t zone) {
    PictureBox* image = form_.ui->Image1;
    QImage& canvas = image->canvas();
    QPainter painter(&canvas);
    painter.fillRect(canvas.rect(), tcolor(kZoneBackground));
    painter.fillRect(QRect(kZoneWidth * zone, 0, kZoneFillWidth, kZoneFillHeight),
                     tcolor(kZoneColour));
    painter.end();
    image->update();
}

// The position reached the memorised one when both show the same millimetres.
void LiveDisplay::showMemoryHighlight() {
    const DecodingGeometry geometry = form_.editorModel().decodingGeometry();
    const double memoryMm =
        strokeFraction(form_.displayState().MemoryPositionCounts, geometry.turns) *
        geometry.strokeMm;
    const bool reached = positionText(memoryMm) == form_.ui->APos->text();
    form_.ui->AbPanel1->setInnerBevelColor(tcolor(reached ? kMemoryReachedColour : tc::ButtonFace));
}

void LiveDisplay::showCaption(const std::string& text) {
    form_.setWindowTitle(decodeWindows1252(text));
}

void LiveDisplay::showVersion(std::uint8_t version) {
    form_.ui->VersionA->setText(QString::fromStdString(versionCaption(version)));
    form_.ui->VersionA->show();
}

void LiveDisplay::AbCompass1DblClick() {
    Link& link = form_.link();
    const LinkState state = link.snapshot().state;
    link.setSectorAnalysisOn(state.SensorCheckPhase && !state.SectorAnalysisOn);
}

void LiveDisplay::WinkelDblClick() {
    if (!form_.serviceMode().isOn()) {
        return;
    }
    Link& link = form_.link();
    const bool fromPosition = !link.snapshot().state.WinkelFromPosition;
    link.setWinkelFromPosition(fromPosition);
    form_.ui->Winkel->setBevelOuterColor(
        tcolor(fromPosition ? kWinkelFromPositionRing : kWinkelFromAngleRing));
}

void LiveDisplay::Label11DblClick() {
    if (!form_.serviceMode().isOn()) {
        return;
    }
    setTestValuesTabShown(!testValuesTabShown());
}

bool LiveDisplay::testValuesTabShown() const {
    const QTabWidget* pages = form_.ui->PageControl1;
    return pages->isTabVisible(pages->indexOf(form_.ui->TabSheet4));
}

void LiveDisplay::setTestValuesTabShown(bool shown) {
    QTabWidget* pages = form_.ui->PageControl1;
    pages->setTabVisible(pages->indexOf(form_.ui->TabSheet4), shown);
    // While it is shown, text lines are test data, not captions.
    form_.receiveDispatcher().pushShownParts();
}

void LiveDisplay::APosClick(const QPoint& pressPosition) {
    dragArmed_ = form_.ui->PageControl1->currentWidget() == form_.ui->TabSheet2;
    dragStart_ = pressPosition;
}

bool LiveDisplay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_.ui->APos && dragArmed_) {
        if (event->type() == QEvent::MouseButtonRelease) {
            dragArmed_ = false;
        } else if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!(move->buttons() & Qt::LeftButton)) {
                dragArmed_ = false;
            } else if ((move->position().toPoint() - dragStart_).manhattanLength() >=
                       kDragStartDistance) {
                dragArmed_ = false;
                startAPosDrag();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void LiveDisplay::startAPosDrag() {
    auto* drag = new QDrag(form_.ui->APos);
    auto* mime = new QMimeData;
    mime->setText(form_.ui->APos->text());
    drag->setMimeData(mime);
    dragExec_(*drag);
    drag->deleteLater();
}

} // namespace zuvo
