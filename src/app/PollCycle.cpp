#include "app/PollCycle.h"

#include "app/PortTroubleLine.h"
#include "app/TForm1.h"
#include "device/ConnectionLamp.h"
#include "ui_TForm1.h"
#include "widgets/TColor.h"

#include <QLocale>
#include <QTime>

namespace zuvo {

namespace {

const QString UsbDisconnected = QStringLiteral("USB disconnected");
const QString UsbConnected = QStringLiteral("USB connected");
const QString LineErrors =
    QStringLiteral(" Communication errors. Check comport, cable and connector ");

// The locale's long time format without its time-zone part: the clock label shows seconds.
QString timeOfDayFormat() {
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

} // namespace

PollCycle::PollCycle(TForm1& form) : form_(form) {
    Link& link = form_.link();
    QObject::connect(&link, &Link::ticked, &form_, [this] { showClock(); });
    QObject::connect(&link, &Link::connectionChanged, &form_,
                     [this](Connection connection) { showConnection(connection); });
    QObject::connect(&link, &Link::lineErrors, &form_, [this] { showStatus(LineErrors); });
}

void PollCycle::showClock() {
    static const QString clockFormat = timeOfDayFormat();
    form_.ui->Label15->setText(QLocale().toString(QTime::currentTime(), clockFormat));
}

void PollCycle::showConnection(Connection connection) {
    LedIndicator& lamp = *form_.ui->AbLED1;
    switch (connection) {
    case Connection::Answering:
    case Connection::Silent:
        // A poll goes out: the lamp is green exactly when the previous one was answered, and
        // turns orange or green again only when bytes or a reply come.
        lamp.setChecked(connection == Connection::Answering);
        lamp.setColorOff(tcolor(tc::Red));
        break;
    case Connection::Reopened:
        showStatus(UsbConnected);
        break;
    case Connection::Unavailable:
        lamp.setChecked(false);
        explainReopenFailure();
        break;
    case Connection::Lost:
    case Connection::Unplugged:
        // The same way for a failed send and a vanished device; the ticks reopen the port
        // once the device is back.
        showStatus(UsbDisconnected);
        lamp.setChecked(false);
        break;
    }
    showLampCaption();
}

void PollCycle::showLampCaption() {
    const LinkSnapshot link = form_.link().snapshot();
    form_.ui->AbLED1->setCaption(connectionLampCaption(link.portNumber, link.portOpen));
}

void PollCycle::explainReopenFailure() {
    const Link& link = form_.link();
    if (const std::optional<ESerialError>& failure = link.lastReopenError()) {
        PortTroubleLine::of(*form_.ui->StatusBar1).explain(link.snapshot().portNumber, *failure);
    }
}

std::optional<Exchange> PollCycle::beginCommand(const QString& name, ExchangeKind kind) {
    std::optional<Exchange> exchange = form_.link().begin(name, kind);
    if (!exchange) {
        showBusy();
    }
    return exchange;
}

bool PollCycle::exchangeRunning() const {
    return form_.link().exchangeRunning();
}

void PollCycle::showStatus(const QString& text) {
    form_.ui->StatusBar1->showMessage(text);
}

void PollCycle::showNoResponse() {
    showStatus(QStringLiteral(" !!! No response from \u00B5C !!! "));
}

void PollCycle::showBusy() {
    showStatus(
        QStringLiteral(" Controller busy: %1 is running ").arg(form_.link().runningExchange()));
}

} // namespace zuvo
