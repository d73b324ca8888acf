#include "app/AppStartup.h"

#include "app/InstanceGuard.h"
#include "app/PollCycle.h"
#include "app/PortTroubleLine.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "app/pages/ParameterFiles.h"
#include "session/EventWait.h"
#include "session/Settings.h"
#include "ui_TForm1.h"
#include "ui_TForm2.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <exception>
#include <optional>

namespace zuvo {

namespace {

const QString CantDisconnect =
    QStringLiteral(" Error COMport. Can't disconnect. Reinstall driver ");
const QString PortNotAvailable = QStringLiteral("ComPort not available");

// A stored value that is no digit, with no port that opened either, leaves no number to work
// with; the first port is the likeliest place for a single adapter, and the poll cycle keeps
// trying to open it until it appears.
constexpr int kFallbackPort = 1;

void showMessageBox(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

} // namespace

AppStartup::AppStartup(TForm1& form) : form_(form), showMessage_(showMessageBox) {
    QObject::connect(&form_.link(), &Link::exchangeEnded, &form_, [this] {
        if (closeWanted_) {
            // After the handler that ran the exchange has shown what it has to say.
            QTimer::singleShot(0, &form_, [this] { closeWhenFree(); });
        }
    });
}

void AppStartup::FormCreate(const QStringList& arguments) {
    DeviceState& state = form_.State;
    state.ZoneIndex = kNoZone;
    state.ExtraWordCount = kStartExtraWordCount;
    state.LastPositionCounts = 0;
    state.MemoryPositionCounts = kNoMemoryPosition;
    // The window hid the Test-Values tab and took the logo's first double-click time when it
    // was made.

    TSerialComPort& port = form_.ComPort1;
    port.setOpen(false);
    port.setBaud(kProbeBaud);
    form_.ComDigit = readComDigit().toLatin1();
    choosePort();

    try {
        port.setOpen(false);
    } catch (const std::exception&) {
        showMessage_(applicationTitle(QCoreApplication::applicationFilePath()), CantDisconnect);
    }
    port.setBaud(kWorkingBaud);
    port.setComNumber(static_cast<quint16>(
        portNumberOfDigit(QChar::fromLatin1(form_.ComDigit)).value_or(kFallbackPort)));

    state.ReplyPending = true;
    state.ParamReadPending = true;
    state.SensorCheckPhase = true;
    form_.Rx.RxCount = 0;
    try {
        port.setOpen(true);
    } catch (const std::exception& error) {
        // The poll cycle keeps trying to open it.
        form_.ui->StatusBar1->showMessage(PortNotAvailable);
        form_.pollCycle().showLampCaption();
        PortTroubleLine::of(*form_.ui->StatusBar1).explain(port.ComNumber(), error);
    }

    // Still the design interval: the first poll comes two seconds from now.
    form_.link().startPolling();

    const QString file = parameterFileArgument(arguments);
    if (!file.isEmpty()) {
        form_.parameterFiles().loadAtStart(file);
    }
}

void AppStartup::choosePort() {
    TSerialComPort& port = form_.ComPort1;
    // Port 0 makes the component ask the user for a port.
    if (const std::optional<int> stored = portNumberOfDigit(QChar::fromLatin1(form_.ComDigit));
        stored && tryOpen(*stored)) {
        return;
    }
    try {
        port.setOpen(false);
    } catch (const std::exception&) {
    }
    for (int n = kFirstProbedPort; n <= kLastProbedPort; ++n) {
        const bool opened = tryOpen(n);
        if (opened) {
            handlePendingEvents();
            form_.ComDigit = static_cast<char>('0' + n);
        }
        try {
            port.setOpen(false);
        } catch (const std::exception&) {
        }
        if (opened) {
            return;
        }
    }
}

bool AppStartup::tryOpen(int number) {
    TSerialComPort& port = form_.ComPort1;
    try {
        port.setComNumber(static_cast<quint16>(number));
        port.setOpen(true);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString AppStartup::parameterFileArgument(const QStringList& arguments) {
    // "/r" is the guard's; anything else names a parameter file, and one that cannot be used is
    // said so when it is loaded.
    if (arguments.size() < 2 || arguments.at(1).isEmpty() ||
        arguments.at(1) == QLatin1String("/r")) {
        return {};
    }
    return QFileInfo(arguments.at(1)).absoluteFilePath();
}

void AppStartup::FormShow() {
    if (form2_ != nullptr) {
        form2_->ui->ComboBox1->setEditText(
            QStringLiteral("COM%1").arg(QChar::fromLatin1(form_.ComDigit)));
    }
}

bool AppStartup::FormCloseQuery() {
    Link& link = form_.link();
    // Closing the port under a write would leave the controller half-written and the user
    // told that the port was lost; an exchange that only reads ends with the port as before.
    if (link.runningWrite().isEmpty()) {
        return true;
    }
    closeWanted_ = true;
    link.stopForClosing();
    return false;
}

void AppStartup::closeWhenFree() {
    if (!closeWanted_ || form_.link().exchangeRunning()) {
        return;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        const auto retry = [this] { closeWhenFree(); };
        const auto once =
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            QObject::connect(dialog, &QDialog::finished, &form_, retry, once);
        } else {
            QObject::connect(modal, &QObject::destroyed, &form_, retry, once);
        }
        return;
    }
    closeWanted_ = false;
    form_.close();
}

void AppStartup::FormDestroy() {
    // Polling stops for good; a status reply still on its way ends the grace early.
    form_.link().shutDown(kShutdownGraceMs);
}

void AppStartup::setForm2(TForm2* form2) {
    form2_ = form2;
}

} // namespace zuvo
