#include "serial/PollCycle.h"

#include "app/EventWait.h"
#include "app/TForm1.h"
#include "device/PollChoice.h"
#include "ui_TForm1.h"
#include "widgets/TColor.h"

#include <QLocale>
#include <QTime>

#include <exception>

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
    QObject::connect(&form_.Timer2, &QTimer::timeout, &form_, [this] { Timer2Timer(); });
    QObject::connect(&form_.Timeout, &QTimer::timeout, &form_, [this] { TimeoutTimer(); });
    form_.ComPort1.OnTriggerLineError = [this](TSerialComPort&, quint16, bool) {
        ComPort1TriggerLineError();
    };
}

void PollCycle::Timer2Timer() {
    // A command owns the link: its frames must not be interleaved with a poll.
    if (exchangeRunning_) {
        form_.Timer2.stop();
        return;
    }
    static const QString clockFormat = timeOfDayFormat();
    form_.ui->Label15->setText(QLocale().toString(QTime::currentTime(), clockFormat));

    DeviceState& state = form_.State;
    TSerialComPort& port = form_.ComPort1;
    LedIndicator& lamp = *form_.ui->AbLED1;

    // Supervision: the previous poll went unanswered.
    if (state.ReplyPending && port.Open()) {
        if (state.SensorCheckPhase && !state.ParamReadPending) {
            // One lost reply during the sensor check only ends the check.
            state.ReplyPending = false;
            state.SensorCheckPhase = false;
            state.SectorAnalysisOn = false;
        }
        if (++state.MissedPolls > kMaxMissedPolls) {
            closePortQuietly();
            state.MissedPolls = 0;
        }
    }

    if (port.Open()) {
        lamp.setChecked(!state.ReplyPending);
        lamp.setCaption(QStringLiteral("COM%1 Connected").arg(port.ComNumber()));
        if (!lamp.isChecked() && state.AutoReadParams) {
            // Link lost: read the block and check the sensor sectors again once it is back.
            state.ParamReadPending = true;
            state.SensorCheckPhase = true;
            form_.Rx.RxCount = 0;
        }
        if (!state.ReplyPending) {
            state.MissedPolls = 0;
        }
        state.ReplyPending = true;
        lamp.setColorOff(tcolor(tc::Red));
        const Frame frame = nextPollFrame(state, form_.ui->Panel2->isVisible());
        form_.Rx.RxCount = 0;
        SendCommandFrame(frame);
    } else {
        reopenPort();
    }

    ResumePolling(state.ParamReadPending ? kParamReadTickMs : kTickMs);
    // A relay test asked for while the port was closed is dropped.
    state.PollSelector = 0;
    handlePendingEvents();
}

void PollCycle::reopenPort() {
    TSerialComPort& port = form_.ComPort1;
    // Without a port number the component would ask with its dialog; from a tick that would
    // bring the dialog back every 400 ms after each Cancel, so the tick never asks.
    const bool prompt = port.PromptForPort();
    port.setPromptForPort(false);
    try {
        port.setOpen(true);
        showStatus(UsbConnected);
    } catch (const std::exception&) {
        form_.ui->AbLED1->setChecked(false);
    }
    port.setPromptForPort(prompt);
}

void PollCycle::TimeoutTimer() {
    form_.Timeout.stop();
}

void PollCycle::ComPort1TriggerLineError() {
    try {
        form_.ComPort1.FlushInBuffer();
    } catch (const std::exception&) {
        // Nothing left to discard on a port that is gone.
    }
    showStatus(LineErrors);
}

bool PollCycle::tryBeginExchange() {
    if (exchangeRunning_) {
        return false;
    }
    exchangeRunning_ = true;
    return true;
}

void PollCycle::endExchange() {
    exchangeRunning_ = false;
}

bool PollCycle::exchangeRunning() const {
    return exchangeRunning_;
}

void PollCycle::QuietLink(bool stopTimer2EachRound) {
    QTimer& timer2 = form_.Timer2;
    timer2.stop();
    handlePendingEvents();
    if (form_.State.ReplyPending) {
        // The receive dispatcher stops Timeout early when the awaited status reply arrives.
        form_.Timeout.setInterval(kSettleMs);
        form_.Timeout.start();
        if (stopTimer2EachRound) {
            waitWhileActive(form_.Timeout, [&timer2] { timer2.stop(); });
        } else {
            waitWhileActive(form_.Timeout);
        }
    }
    form_.Timeout.stop();
    timer2.stop();
}

bool PollCycle::SendCommandFrame(const std::vector<std::uint8_t>& frame) {
    try {
        form_.ComPort1.FlushOutBuffer();
        form_.ComPort1.PutBlock(frame.data(), static_cast<quint16>(frame.size()));
        return true;
    } catch (const std::exception&) {
        closePortQuietly();
        showStatus(UsbDisconnected);
        return false;
    }
}

bool PollCycle::SendAndWaitForAck(const std::vector<std::uint8_t>& frame) {
    form_.Rx.AckReceived = false;
    // A frame that never left cannot be acknowledged: no point waiting for it.
    if (!SendCommandFrame(frame)) {
        return false;
    }
    return WaitForReply();
}

bool PollCycle::WaitForReply() {
    const bool& acknowledged = form_.Rx.AckReceived;
    return waitUntil([&acknowledged] { return acknowledged; },
                     QDeadlineTimer(kAckWaitMs, Qt::PreciseTimer));
}

void PollCycle::rearmAfterReply(int ms) {
    // A reply that arrives late, during a command, must not restart polling under it.
    if (!exchangeRunning_) {
        ResumePolling(ms);
    }
}

void PollCycle::ResumePolling(int ms) {
    form_.Timer2.stop();
    form_.Timer2.setInterval(ms);
    form_.Timer2.start();
}

void PollCycle::showStatus(const QString& text) {
    form_.ui->StatusBar1->showMessage(text);
}

void PollCycle::showNoResponse() {
    showStatus(QStringLiteral(" !!! No response from \u00B5C !!! "));
}

void PollCycle::closePortQuietly() {
    try {
        form_.ComPort1.setOpen(false);
    } catch (const std::exception&) {
        // The next tick tries to open it again either way.
    }
}

} // namespace zuvo
