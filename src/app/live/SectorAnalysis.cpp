#include "app/live/SectorAnalysis.h"

#include "app/TForm1.h"
#include "device/SectorStrip.h"
#include "widgets/CompassGauge.h"
#include "widgets/LedIndicator.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"

#include <QImage>

#include <algorithm>
#include <array>

namespace zuvo {

namespace {

// Pen colours of the strips (0x00BBGGRR).
constexpr std::uint32_t kMarkerBackground = 0xFFFFFF;
constexpr std::uint32_t kMarkerLine = 0xFF0000;
constexpr std::uint32_t kMarkerHalo = 0xFFFF00;
constexpr std::uint32_t kReedOn = 0x000000;
constexpr std::uint32_t kReedOff = 0xFFE0FF;
constexpr std::uint32_t kStripBackground = 0xC0DCC0;
constexpr std::uint32_t kMarkPen = 0x0000FF;

// Columns of the reed strip picture: Reed1's strip, the angle marker, Reed2's strip.
constexpr std::array<int, 3> kFirstStrip{1, 2, 3};
constexpr int kMarkerLeft = 4;
constexpr int kMarkerRight = 7; // the line ends before it
constexpr std::array<int, 3> kSecondStrip{7, 8, 9};
constexpr int kMarkLeft = 0;
constexpr int kMarkRight = 3; // the line ends before it

// A line from row `from` towards row `to` in one column, the end row left out as a pen's line
// leaves it; whatever lies outside the picture is not drawn.
void columnLine(QImage& image, int column, int from, int to, std::uint32_t colour) {
    if (column < 0 || column >= image.width()) {
        return;
    }
    const QColor pen = tcolor(colour);
    const int step = to >= from ? 1 : -1;
    for (int row = from; row != to; row += step) {
        if (row >= 0 && row < image.height()) {
            image.setPixelColor(column, row, pen);
        }
    }
}

// The same along one row, from column `from` up to but not including `to`.
void rowLine(QImage& image, int row, int from, int to, std::uint32_t colour) {
    if (row < 0 || row >= image.height()) {
        return;
    }
    const QColor pen = tcolor(colour);
    for (int column = std::max(from, 0); column < std::min(to, image.width()); ++column) {
        image.setPixelColor(column, row, pen);
    }
}

int stripRowOf(std::uint32_t digit) {
    // Digits beyond the sensor's range still land on a row; the line helpers leave out what
    // falls outside the picture.
    return static_cast<int>(std::min<std::uint32_t>(digit / 4, kStripRows + 2));
}

} // namespace

SectorAnalysis::SectorAnalysis(TForm1& form) : form_(form) {
    // The marks are drawn on white and may reach the bottom-left pixel: white is the key.
    form_.ui->Image6->setTransparentColor(tcolor(tc::White));
}

void SectorAnalysis::statusReply(int winkelDigit, bool reed1, bool reed2, int reedState) {
    DisplayState& state = form_.displayState();
    const LinkState link = form_.link().snapshot().state;
    const auto digit = static_cast<std::uint32_t>(std::max(winkelDigit, 0));

    drawAngleMarker(digit);
    if (!isLiveTraceHeld(link.SectorAnalysisOn, link.SensorCheckPhase, digit, reed1, reed2)) {
        drawLiveTrace(digit, reed1, reed2);
    }
    form_.ui->Image4->update();

    const auto n = static_cast<std::uint8_t>(std::clamp(reedState, 0, 255));
    const SectorStatusStep step = sectorStatusStep(state, reed1, reed2, digit, n);
    if (step.wrapped) {
        form_.ui->Memo1->clear();
        form_.ui->Memo2->clear();
        setRing(kRingReset);
    }
    if (step.reed1) {
        showEdge(*step.reed1, ReedSwitch::Reed1);
    }
    if (step.reed2) {
        showEdge(*step.reed2, ReedSwitch::Reed2);
    }

    state.PrevWinkelDigit = digit;
    state.PrevReed1 = reed1;
    state.PrevReed2 = reed2;
}

void SectorAnalysis::sensorWordsReply(const SensorWords& words) {
    DisplayState& state = form_.displayState();
    // What the screen shows now decides, not the last whole status reply: a reply whose
    // decoding stopped part-way has still moved the needle and the lamps.
    const auto digit = static_cast<std::uint32_t>(std::max(form_.ui->Winkel->value(), 0.0));
    if (!isSectorStripShown(form_.link().snapshot().state.SectorAnalysisOn, digit,
                            form_.ui->Reed1->isChecked(), form_.ui->Reed2->isChecked())) {
        return;
    }
    drawSectorStrip(words);
    edgesFromSensorWords(words, state.Reed1Edges, state.Reed2Edges);
    CheckWinkel();
}

bool SectorAnalysis::CheckWinkel() {
    const DisplayState& state = form_.displayState();
    const SectorCheck check = checkSectors(state.Reed1Edges, state.Reed2Edges);
    showCheck(check);
    return check.complete && check.passed;
}

void SectorAnalysis::drawAngleMarker(std::uint32_t digit) {
    QImage& image = form_.ui->Image4->canvas();
    for (int column = kMarkerLeft; column < kMarkerRight; ++column) {
        columnLine(image, column, 0, kStripRows, kMarkerBackground);
    }
    const int row = stripRowOf(digit);
    rowLine(image, row, kMarkerLeft, kMarkerRight, kMarkerLine);
    for (int offset : {1, -1, 2, -2}) {
        rowLine(image, row + offset, kMarkerLeft, kMarkerRight, kMarkerHalo);
    }
}

void SectorAnalysis::drawLiveTrace(std::uint32_t digit, bool reed1, bool reed2) {
    QImage& image = form_.ui->Image4->canvas();
    const int previous = stripRowOf(form_.displayState().PrevWinkelDigit);
    const int current = stripRowOf(digit);
    const int from = std::min(previous, current);
    const int to = std::max(previous, current);
    for (int column : kFirstStrip) {
        columnLine(image, column, from, to, reed1 ? kReedOn : kReedOff);
    }
    for (int column : kSecondStrip) {
        columnLine(image, column, from, to, reed2 ? kReedOn : kReedOff);
    }
}

void SectorAnalysis::drawSectorStrip(const SensorWords& words) {
    QImage& image = form_.ui->Image4->canvas();
    const SectorStrip strip = sectorStrip(words, form_.ui->TB->isChecked());
    const auto drawStrip = [&image](const std::array<int, 3>& columns,
                                    const std::array<StripSegment, 2>& segments) {
        for (int column : columns) {
            columnLine(image, column, 0, kStripRows, kStripBackground);
        }
        for (int column : columns) {
            for (const StripSegment& segment : segments) {
                columnLine(image, column, segment.fromRow, segment.toRow, kReedOn);
            }
        }
    };
    drawStrip(kFirstStrip, strip.first);
    drawStrip(kSecondStrip, strip.second);
    form_.ui->Image4->update();
}

void SectorAnalysis::showCheck(const SectorCheck& check) {
    if (!check.complete) {
        return;
    }
    Ui::TForm1& ui = *form_.ui;
    if (!check.markRows.empty()) {
        QImage& marks = ui.Image6->canvas();
        marks.fill(tcolor(tc::White));
        for (int row : check.markRows) {
            for (int offset : {-1, 0, 1}) {
                rowLine(marks, row + offset, kMarkLeft, kMarkRight, kMarkPen);
            }
        }
        ui.Image6->update();
    }

    QPalette palette = ui.Memo3->palette();
    const bool analysisOn = form_.link().snapshot().state.SectorAnalysisOn;
    palette.setColor(QPalette::Base, tcolor(analysisOn ? kTableAnalysisColour : kTablePlainColour));
    ui.Memo3->setPalette(palette);
    ui.Memo3->clear();
    for (const QString& line : check.table) {
        ui.Memo3->appendPlainText(line);
    }
    setRing(check.passed ? kRingPassed : kRingFailed);
}

void SectorAnalysis::showEdge(const ReedEdge& edge, ReedSwitch which) {
    showCheck(edge.check);
    if (edge.ring) {
        setRing(*edge.ring);
    }
    (which == ReedSwitch::Reed1 ? form_.ui->Memo1 : form_.ui->Memo2)->appendPlainText(edge.logLine);
}

void SectorAnalysis::setRing(std::uint32_t colour) {
    form_.ui->AbCompass1->setBevelOuterColor(tcolor(colour));
}

} // namespace zuvo
