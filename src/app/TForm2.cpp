#include "app/TForm2.h"

#include "app/InstanceGuard.h"
#include "app/PollCycle.h"
#include "app/PortTroubleLine.h"
#include "app/TForm1.h"
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

void showMessageBox(QWidget* parent, const QString& text, const QString& advice) {
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(QCoreApplication::applicationFilePath()),
                    text, QMessageBox::Ok, parent);
    if (!advice.isEmpty()) {
        box.setInformativeText(advice);
        // The advice holds commands to copy.
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        }
    }
    box.exec();
}

QString shortDevice(const QString& path) {
    return path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
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

    showMessage_ = [this](const QString& text, const QString& advice) {
        showMessageBox(this, text, advice);
    };
    connect(ui->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui->TieButton, &QPushButton::clicked, this, &TForm2::TieButtonClick);
    connect(ui->ComboBox1, &QComboBox::currentTextChanged, this, &TForm2::updateTieRow);
    ui->TieNote->setWordWrap(true);
    refreshAdapterBox();
    updateTieRow();
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

QStringList TForm2::portMapLines(const std::vector<PortListEntry>& entries,
                                 const QList<int>& listed) {
    QStringList lines;
    for (const PortListEntry& e : entries) {
        QString line = QStringLiteral("COM%1:  %2").arg(e.number).arg(e.devicePath);
        if (!e.present) {
            line += listed.contains(e.number) ? tr("  (gone)") : tr("  (not present)");
        } else {
            if (!e.adapterName.isEmpty()) {
                line += QStringLiteral("  ") + e.adapterName;
            }
            if (!listed.contains(e.number)) {
                line += tr("  (does not open)");
            }
        }
        if (isTied(e)) {
            line += tr("  (tied)");
        }
        lines << line;
    }
    return lines;
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
    inUseTrouble_.reset();
    try {
        port.setComNumber(inUse);
        // Port 0 would make the component ask for a port; the poll cycle opens it later.
        if (inUse != 0) {
            port.setOpen(true);
            handlePendingEvents();
        }
    } catch (const std::exception& error) {
        // The poll cycle goes on trying to open it; the view says why it does not open.
        inUseTrouble_ = diagnosePortFailure(inUse, error, systemRoot_);
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
        QString failure;
        try {
            port.setOpen(false);
            port.setComNumber(static_cast<quint16>(choice.number));
            port.setOpen(true);
            switched = true;
        } catch (const std::exception& error) {
            failure = diagnosePortFailure(choice.number, error, systemRoot_).details;
        }
        // The message box is modal: the link is given back before it opens.
        exchange.reset();
        if (!switched) {
            showMessage_(notAvailableText(choice.text), failure);
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

int TForm2::editedPortNumber() const {
    const int current = form_ != nullptr ? form_->ComPort1.ComNumber() : 0;
    return parsePortChoice(ui->ComboBox1->currentText(), current).number;
}

void TForm2::TieButtonClick() {
    const int number = editedPortNumber();
    if (number < 1) {
        ui->TieNote->setText(tr("Type or pick the COM number to tie first."));
        return;
    }
    const QString path = ui->AdapterBox->currentData().toString();
    if (!storePortDevice(number, path)) {
        ui->TieNote->setText(tr("COM%1 could not be stored in %2; nothing changed.")
                                 .arg(number)
                                 .arg(settingsPaths().write));
        return;
    }
    PortMap& map = PortMap::global();
    if (path.isEmpty()) {
        map.removeOverride(number);
    } else {
        map.setOverride(number, path);
    }
    // The environment wins over the settings file, here as at start-up.
    map.loadOverrides(qEnvironmentVariable("ZUVO_PORTS"));
    const QString wanted = path.isEmpty() ? PortMap::defaultPath(number) : path;
    QString note =
        path.isEmpty()
            ? tr("COM%1 is %2 again.").arg(number).arg(wanted)
            : tr("COM%1 now always reaches %2.").arg(number).arg(QFileInfo(path).fileName());
    if (map.devicePath(number) != wanted) {
        note += tr(" ZUVO_PORTS sets COM%1 and wins until it is unset.").arg(number);
    }
    ui->TieNote->setText(note);

    // The port in use follows its new device at once.
    if (form_ != nullptr && number == form_->ComPort1.ComNumber() && form_->ComPort1.Open() &&
        !exchangeRunning()) {
        TSerialComPort& port = form_->ComPort1;
        try {
            port.setOpen(false);
            port.setOpen(true);
        } catch (const std::exception& error) {
            PortTroubleLine::of(*form_->ui->StatusBar1).explain(number, error);
        }
    }
    refreshPortView();
}

void TForm2::setSystemRoot(const QString& root) {
    systemRoot_ = root;
    refreshAdapterBox();
    refreshPortView();
}

void TForm2::refreshAdapterBox() {
    QStringList paths{QString()};
    QStringList names{QString()};
    for (const SerialAdapter& a : presentAdapters(systemRoot_)) {
        if (!a.byIdPath.isEmpty()) {
            paths << a.byIdPath;
            names << (shortDevice(a.devicePath) + QStringLiteral("  ") + a.name).trimmed();
        }
    }
    QComboBox& box = *ui->AdapterBox;
    QStringList shown;
    for (int i = 0; i < box.count(); ++i) {
        shown << box.itemData(i).toString();
    }
    if (shown == paths) {
        return;
    }
    const QString chosen = box.currentData().toString();
    box.blockSignals(true);
    box.clear();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        box.addItem(names.at(i), paths.at(i));
        box.setItemData(box.count() - 1, paths.at(i), Qt::ToolTipRole);
    }
    box.setCurrentIndex(std::max(0, box.findData(chosen)));
    box.blockSignals(false);
    updateTieRow();
}

void TForm2::updateTieRow() {
    const int number = editedPortNumber();
    ui->TieLabel->setText(tr("Tie COM%1 to:").arg(number));
    QComboBox& box = *ui->AdapterBox;
    if (box.count() > 0) {
        box.setItemText(0, tr("its default, %1").arg(shortDevice(PortMap::defaultPath(number))));
    }
    const QString tiedTo = PortMap::global().devicePath(number);
    box.setCurrentIndex(isByIdPath(tiedTo) ? std::max(0, box.findData(tiedTo)) : 0);
}

void TForm2::refreshPortView() {
    refreshAdapterBox();
    QStringList lines =
        portMapLines(listPorts(PortMap::global(), kLastProbedPort, systemRoot_), listed_);
    if (inUseTrouble_) {
        lines << QString() << inUseTrouble_->summary;
    }
    ui->Image1->setText(lines.join(QLatin1Char('\n')));
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
