#include "app/PortTroubleLine.h"

#include "serial/SerialTypes.h"

#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>

namespace zuvo {

namespace {

const char* const kObjectName = "PortTroubleLine";
const QString Prefix = QStringLiteral("Why: ");
// Room kept between the status text and this line.
constexpr int kGap = 24;

int systemErrorOf(const std::exception& error) {
    const auto* serial = dynamic_cast<const ESerialError*>(&error);
    return serial != nullptr ? serial->systemError() : 0;
}

} // namespace

PortTroubleLine& PortTroubleLine::of(QStatusBar& bar) {
    if (auto* line = bar.findChild<PortTroubleLine*>(QLatin1String(kObjectName))) {
        return *line;
    }
    return *new PortTroubleLine(bar);
}

PortTroubleLine::PortTroubleLine(QStatusBar& bar) : QLabel(&bar), bar_(bar) {
    setObjectName(QLatin1String(kObjectName));
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    // The status text keeps its room; this line takes what is left and is cut to fit it.
    bar.addPermanentWidget(this);
    hide();
    connect(&bar, &QStatusBar::messageChanged, this, &PortTroubleLine::statusChanged);
    bar.installEventFilter(this);
}

void PortTroubleLine::explain(int number, const std::exception& error) {
    if (number < 1) {
        return; // no port chosen: nothing to look at
    }
    const int systemError = systemErrorOf(error);
    // A closed port is retried on every poll tick; looking through /proc each time is waste.
    if (diagnosis_ && number == lastNumber_ && systemError == lastError_ &&
        statusText_ == bar_.currentMessage() && lastLook_.isValid() &&
        !lastLook_.hasExpired(kRepeatMs)) {
        return;
    }
    lastNumber_ = number;
    lastError_ = systemError;
    lastLook_.start();
    explain(diagnosePortFailure(number, error));
}

void PortTroubleLine::explain(const PortDiagnosis& diagnosis) {
    statusText_ = bar_.currentMessage();
    diagnosis_ = diagnosis;
    setToolTip(diagnosis.details);
    show();
    fitText();
}

void PortTroubleLine::statusChanged(const QString& text) {
    if (diagnosis_ && text != statusText_) {
        diagnosis_.reset();
        lastLook_.invalidate();
        hide();
    }
}

void PortTroubleLine::fitText() {
    if (!diagnosis_) {
        return;
    }
    const QString full = Prefix + diagnosis_->summary;
    const int room = bar_.width() - fontMetrics().horizontalAdvance(statusText_) - kGap;
    setText(fontMetrics().elidedText(full, Qt::ElideRight, std::max(room, 0)));
}

bool PortTroubleLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &bar_ && event->type() == QEvent::Resize) {
        fitText();
    }
    return QLabel::eventFilter(watched, event);
}

void PortTroubleLine::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && diagnosis_) {
        showDetails();
    }
    QLabel::mousePressEvent(event);
}

void PortTroubleLine::showDetails() {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("COM-Port"),
                                diagnosis_->summary, QMessageBox::Ok, window());
    box->setInformativeText(diagnosis_->details);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace zuvo
