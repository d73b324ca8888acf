#include "app/service/PositionRecording.h"

#include "app/TForm1.h"
#include "params/FileNumber.h"
#include "service/RecordingFile.h"
#include "ui_TForm1.h"
#include "widgets/TColor.h"

#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>

namespace zuvo {

namespace {
constexpr std::uint32_t kDifferenceColour = 0xFF0000; // blue
} // namespace

PositionRecording::PositionRecording(TForm1& form) : form_(form) {
    Ui::TForm1& ui = *form_.ui;
    QObject::connect(ui.APos, &ClickLabel::doubleClicked, &form_, [this] { enter(); });
    QObject::connect(ui.Button6, &QPushButton::clicked, &form_, [this] { Button6Click(); });
    QObject::connect(ui.Button8, &QPushButton::clicked, &form_, [this] { Button8Click(); });
    QObject::connect(ui.Button7, &QPushButton::clicked, &form_, [this] { Button7Click(); });
    QObject::connect(ui.Button9, &QPushButton::clicked, &form_, [this] { Button9Click(); });
    clearChart(); // a white, empty picture from the start
}

bool PositionRecording::isRecording() const {
    return recording_ && form_.views().current() == View::Recording;
}

QImage& PositionRecording::chart() {
    QImage& canvas = form_.ui->Image7->canvas();
    const QSize size = form_.ui->Panel2->size();
    if (canvas.size() != size && !size.isEmpty()) {
        QImage grown(size, QImage::Format_RGB32);
        grown.fill(Qt::white);
        QPainter(&grown).drawImage(0, 0, canvas);
        form_.ui->Image7->setPicture(grown);
    }
    return form_.ui->Image7->canvas();
}

void PositionRecording::clearChart() {
    chart().fill(Qt::white);
    form_.ui->Image7->update();
}

void PositionRecording::takeSample(std::int32_t positionCounts, double strokeFraction) {
    const QWidget& panel = *form_.ui->Panel2;
    const ChartScale scale{panel.width(), panel.height(), form_.ui->LMDSpinEdit1->value()};
    if (record_.count() == 0) {
        clock_.start();
    }
    const auto traces = record_.take(positionCounts, strokeFraction, scale, clock_.elapsed());
    if (!traces) {
        return;
    }
    QImage& canvas = chart();
    {
        QPainter painter(&canvas);
        painter.setPen(tcolor(kDifferenceColour));
        const TraceSegment& d = traces->difference;
        painter.drawLine(d.x1, d.y1, d.x2, d.y2);
        painter.setPen(tcolor(tc::Red));
        const TraceSegment& p = traces->position;
        painter.drawLine(p.x1, p.y1, p.x2, p.y2);
    }
    // Only the column drawn needs repainting; repaints of many samples merge.
    const int x = traces->position.x2;
    form_.ui->Image7->update(x - 1, 0, 2, canvas.height());
}

void PositionRecording::enter() {
    if (!form_.serviceMode().isOn() || form_.views().locked()) {
        return;
    }
    form_.serviceMode().setOn(false);
    form_.ui->AbValueInd1->hide();
    form_.ui->AbValueInd2->hide();
    form_.views().show(View::Recording);
    // The panel may have been resized since: the picture fills it, white where nothing is drawn.
    chart();
    form_.ui->Image7->update();
}

void PositionRecording::clearRecord() {
    if (record_.count() > 0) {
        last_ = record_;
    }
    record_.clear();
}

void PositionRecording::Button6Click() {
    clearRecord();
    clearChart();
}

void PositionRecording::Button8Click() {
    recording_ = !recording_;
    form_.ui->Button8->setText(recordButtonCaption(recording_));
}

void PositionRecording::Button7Click() {
    const RecordingSave saved =
        saveRecording(QDir::currentPath(), QTime::currentTime(), record_, fileDecimalSeparator());
    if (saved.ok) {
        return;
    }
    // The samples stay, so the user can free the folder and save again.
    const QString text = QStringLiteral("The recording could not be saved as\n") + saved.path +
                         QStringLiteral("\n\n") + saved.error;
    if (showMessage_) {
        showMessage_(text);
    } else {
        QMessageBox::warning(&form_, form_.windowTitle(), text);
    }
}

void PositionRecording::Button9Click() {
    clearRecord();
    clearChart();
    form_.views().show(View::Normal);
}

} // namespace zuvo
