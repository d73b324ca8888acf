#include "app/TForm2.h"

#include "app/InstanceGuard.h"
#include "app/PollCycle.h"
#include "app/TForm1.h"
#include "serial/AdapterName.h"
#include "serial/PortMap.h"
#include "session/EventWait.h"
#include "session/Settings.h"
#include "widgets/TColor.h"

#include "ui_TForm1.h"
#include "ui_TForm2.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QShowEvent>

#include <exception>

namespace zuvo {

namespace {

void showMessageBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(QCoreApplication::applicationFilePath()),
                    text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent), ui(new Ui::TForm2), form_(qobject_cast<TForm1*>(parent)) {
    ui->setupUi(this);
    // Label1 is 16 pixels high whatever the screen's resolution.
    QFont title = ui->Label1->font();
    title.setPixelSize(16);
    ui->Label1->setFont(title);
    ui->Image1->setWordWrap(true);
    ui->Image1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    move(kDesignPosition);

    showMessage_ = [this](const QString& text) { showMessageBox(this, text); };
    connect(ui->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    portViewTimer_.setInterval(kPortViewRefreshMs);
    connect(&portViewTimer_, &QTimer::timeout, this, &TForm2::refreshPortView);
    if (form_ != nullptr) {
        connect(form_->ui->Comport2, &QAction::triggered, this, &TForm2::Comport2Click);
    }
}

TForm2::~TForm2() {
    delete ui;
}

PortChoice TForm2::parsePortChoice(const QString& editText, int current) {
    if (editText.left(3).toUpper() == QLatin1String("COM")) {
        const QString digits = editText.mid(3, 2).trimmed();
        bool ok = false;
        const int number = digits.toInt(&ok, 10);
        if (ok && number > 0) {
            return {digits, number};
        }
    }
    return {QString::number(current), current};
}

QString TForm2::notAvailableText(const QString& numberText) {
    return QStringLiteral("  Comport ") + numberText + QStringLiteral(" not available   ");
}

QString TForm2::portMapText(const QList<int>& ports) {
    if (ports.isEmpty()) {
        return tr("No port could be opened. Plug in the USB-to-serial adapter. If it is plugged "
                  "in, your user may lack permission on the device: add it to the group "
                  "'dialout' (sudo usermod -aG dialout $USER), then log in again.");
    }
    QStringList lines;
    for (int n : ports) {
        const QString device = PortMap::global().devicePath(n);
        QString line = QStringLiteral("COM%1:  %2").arg(n).arg(device);
        if (!QFileInfo::exists(device)) {
            line += tr("  (gone)");
        } else if (const QString name = adapterName(device); !name.isEmpty()) {
            line += QStringLiteral("\n        ") + name;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

void TForm2::Comport2Click() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    show();
}

bool TForm2::exchangeRunning() const {
    return form_ != nullptr && form_->pollCycle().exchangeRunning();
}

void TForm2::FormShow() {
    if (form_ == nullptr) {
        refreshPortView();
        return;
    }
    // Closing the port under a running command would break its exchange; the list then stays
    // as it was. The probe holds the link itself, so that no poll goes to a probed port.
    std::optional<Exchange> exchange = form_->link().begin(QStringLiteral("COM port selection"));
    if (!exchange) {
        refreshPortView();
        return;
    }
    TSerialComPort& port = form_->ComPort1;
    const quint16 inUse = port.ComNumber();
    try {
        port.setOpen(false);
    } catch (const std::exception&) {
        // A port that cannot even be closed is probed like the others.
    }
    ui->ComboBox1->blockSignals(true);
    const QString editText = ui->ComboBox1->currentText();
    ui->ComboBox1->clear();
    ui->ComboBox1->setCurrentText(editText);
    ui->ComboBox1->blockSignals(false);
    listed_.clear();
    for (int n = kFirstProbedPort; n <= kLastProbedPort; ++n) {
        try {
            port.setComNumber(static_cast<quint16>(n));
            port.setOpen(true);
            handlePendingEvents();
            ui->ComboBox1->addItem(QStringLiteral("COM%1").arg(n));
            ui->ComboBox1->setCurrentText(editText);
            listed_ << n;
        } catch (const std::exception&) {
            // Ports that do not open are simply not listed.
        }
        try {
            port.setOpen(false);
        } catch (const std::exception&) {
        }
    }
    try {
        port.setComNumber(inUse);
        // Port 0 would make the component ask for a port; the poll cycle opens it later.
        if (inUse != 0) {
            port.setOpen(true);
            handlePendingEvents();
        }
    } catch (const std::exception&) {
        // The poll cycle goes on trying to open it.
    }
    refreshPortView();
}

void TForm2::Button1Click() {
    if (form_ == nullptr) {
        hide();
        return;
    }
    // A running command keeps its port; the click is refused, as every second command is.
    std::optional<Exchange> exchange =
        form_->pollCycle().beginCommand(QStringLiteral("COM port selection"));
    if (!exchange) {
        return;
    }
    TSerialComPort& port = form_->ComPort1;
    const PortChoice choice = parsePortChoice(ui->ComboBox1->currentText(), port.ComNumber());
    if (choice.number != port.ComNumber()) {
        bool switched = false;
        try {
            port.setOpen(false);
            port.setComNumber(static_cast<quint16>(choice.number));
            port.setOpen(true);
            switched = true;
        } catch (const std::exception&) {
        }
        exchange.reset();
        if (!switched) {
            showMessage_(notAvailableText(choice.text));
        }
        // The dialog stays open when the choice cannot be kept; OK again hides it.
        if (switched && !storeComPort(choice.text)) {
            return;
        }
    }
    QStatusBar& status = *form_->ui->StatusBar1;
    QPalette palette = status.palette();
    palette.setColor(QPalette::Window, tcolor(tc::ButtonFace));
    status.setPalette(palette);
    status.clearMessage();
    hide();
}

void TForm2::refreshPortView() {
    ui->Image1->setText(portMapText(listed_));
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    FormShow();
    portViewTimer_.start();
}

void TForm2::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) {
        portViewTimer_.stop();
    }
}

} // namespace zuvo
