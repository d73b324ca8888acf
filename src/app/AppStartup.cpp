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
    // The link and the displays start with their start values; the window hid the Test-Values
    // tab and took the logo's first double-click time when it was made.

    Link& link = form_.link();
    comDigit_ = readComDigit().toLatin1();
    choosePort();

    if (!link.closePort()) {
        showMessage_(applicationTitle(QCoreApplication::applicationFilePath()), CantDisconnect);
    }
    const PortOpening opening =
        link.openPort(portNumberOfDigit(QChar::fromLatin1(comDigit_)).value_or(kFallbackPort),
                      Link::kWorkingBaud);
    if (!opening.opened) {
        // The poll cycle keeps trying to open it.
        form_.ui->StatusBar1->showMessage(PortNotAvailable);
        form_.pollCycle().showLampCaption();
        if (opening.error) {
            PortTroubleLine::of(*form_.ui->StatusBar1)
                .explain(link.snapshot().portNumber, *opening.error);
        }
    }

    // Still the first interval: the first poll comes two seconds from now.
    link.startPolling();

    const QString file = parameterFileArgument(arguments);
    if (!file.isEmpty()) {
        form_.parameterFiles().loadAtStart(file);
    }
}

void AppStartup::choosePort() {
    Link& link = form_.link();
    // Port 0 makes the component ask the user for a port. The first try opens at the probe's
    // rate too, so that the port counts as available only if it takes it.
    if (const std::optional<int> stored = portNumberOfDigit(QChar::fromLatin1(comDigit_));
        stored && link.openPort(*stored, Link::kProbeBaud).opened) {
        return;
    }
    const std::optional<QList<int>> opened =
        link.probePorts(Link::kProbeBaud, ProbeUntil::FirstThatOpens);
    if (opened && !opened->isEmpty()) {
        comDigit_ = static_cast<char>('0' + opened->front());
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
            QStringLiteral("COM%1").arg(QChar::fromLatin1(comDigit_)));
    }
}

bool AppStartup::FormCloseQuery() {
    Link& link = form_.link();
    // Closing the port under an exchange would break it part-way (under a write, leave the
    // controller half-written and the user told that the port was lost): it ends at its next
    // step first.
    if (!link.exchangeRunning()) {
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
