#include "app/TForm2.h"

#include "app/BusyLock.h"
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
        form_->busyLock().lockActionsOf(*this);
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

void TForm2::FormShow() {
    if (form_ == nullptr) {
        refreshPortView();
        return;
    }
    // Closing the port under a running command would break its exchange; the list then stays
    // as it was. The probe holds the link itself, so that no poll goes to a probed port.
    Link& link = form_->link();
    const LinkSnapshot before = link.snapshot();
    const std::optional<QList<int>> opened = link.probePorts(before.baud, ProbeUntil::AllTried);
    if (!opened) {
        refreshPortView();
        return;
    }
    ui->ComboBox1->blockSignals(true);
    const QString editText = ui->ComboBox1->currentText();
    ui->ComboBox1->clear();
    for (int n : *opened) {
        ui->ComboBox1->addItem(QStringLiteral("COM%1").arg(n));
    }
    ui->ComboBox1->setCurrentText(editText);
    ui->ComboBox1->blockSignals(false);
    listed_ = *opened;
    inUseTrouble_.reset();
    // Port 0 would make the component ask for a port; the poll cycle opens it later.
    if (before.portNumber != 0) {
        const PortOpening reopened = link.openPort(before.portNumber, before.baud);
        handlePendingEvents();
        if (reopened.error) {
            // The poll cycle goes on trying to open it; the view says why it does not open.
            inUseTrouble_ = diagnosePortFailure(before.portNumber, *reopened.error, systemRoot_);
        }
    }
    refreshPortView();
}

void TForm2::Button1Click() {
    if (form_ == nullptr) {
        hide();
        return;
    }
    // A running command keeps its port; the click is refused, as every second command is.
    Link& link = form_->link();
    if (link.exchangeRunning()) {
        form_->pollCycle().showBusy();
        return;
    }
    const int current = link.snapshot().portNumber;
    const PortChoice choice = parsePortChoice(ui->ComboBox1->currentText(), current);
    if (choice.number != current) {
        const PortOpening opening = link.openPort(choice.number);
        if (opening.busy) {
            form_->pollCycle().showBusy();
            return;
        }
        if (!opening.opened) {
            showMessage_(
                notAvailableText(choice.text),
                opening.error
                    ? diagnosePortFailure(choice.number, *opening.error, systemRoot_).details
                    : QString());
        }
        // The dialog stays open when the choice cannot be kept; OK again hides it.
        if (opening.opened && !storeComPort(choice.text)) {
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
    const int current = form_ != nullptr ? form_->link().snapshot().portNumber : 0;
    return parsePortChoice(ui->ComboBox1->currentText(), current).number;
}

void TForm2::TieButtonClick() {
    // A running command keeps its port and its device: nothing is stored or switched.
    if (form_ != nullptr && form_->link().exchangeRunning()) {
        form_->pollCycle().showBusy();
        return;
    }
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

    // The port in use follows its new device at once, through the link like every other
    // switch of the port: not under a running command.
    if (form_ != nullptr) {
        Link& link = form_->link();
        const LinkSnapshot seen = link.snapshot();
        if (number == seen.portNumber && seen.portOpen) {
            const PortOpening reopened = link.reopenPort();
            if (reopened.busy) {
                form_->pollCycle().showBusy();
            } else if (reopened.error) {
                PortTroubleLine::of(*form_->ui->StatusBar1).explain(number, *reopened.error);
            }
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
        portMapLines(listPorts(PortMap::global(), Link::kLastProbedPort, systemRoot_), listed_);
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
