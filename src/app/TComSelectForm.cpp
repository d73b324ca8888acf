#include "app/TComSelectForm.h"

#include "serial/AdapterName.h"
#include "serial/PortMap.h"
#include "serial/PosixSerialDevice.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace zuvo {

TComSelectForm::TComSelectForm(const PortProbe& probe, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Select Port"));

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(
        new QLabel(QStringLiteral("The configured serial port is not valid."), frame));
    frameLayout->addWidget(new QLabel(QStringLiteral("Please choose another port."), frame));
    PortsComboBox = new QComboBox(frame);
    PortsComboBox->setObjectName(QStringLiteral("PortsComboBox"));
    PortsComboBox->setEditable(false);
    frameLayout->addWidget(PortsComboBox);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    for (int n = FirstPort; n <= LastPort; ++n) {
        if (probe && probe(n)) {
            // The tooltip tells which plug the entry is; the entry itself stays "COM<n>".
            const QString path = PortMap::global().devicePath(n);
            const QString adapter = adapterName(path);
            PortsComboBox->addItem(QStringLiteral("COM%1").arg(n));
            PortsComboBox->setItemData(
                PortsComboBox->count() - 1,
                adapter.isEmpty() ? path : path + QStringLiteral("  ") + adapter, Qt::ToolTipRole);
        }
    }
    PortsComboBox->setCurrentIndex(PortsComboBox->count() > 0 ? 0 : -1);

    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

int TComSelectForm::selectedPort() const {
    bool ok = false;
    const int n = PortsComboBox->currentText().mid(3).toInt(&ok);
    return ok ? n : 0;
}

bool TComSelectForm::probePort(int n) {
    try {
        PosixSerialDevice device;
        device.open(PortMap::global().devicePath(n));
        device.close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int TComSelectForm::askForPort() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return 0; // no windows to ask with
    }
    TComSelectForm form;
    return form.exec() == QDialog::Accepted ? form.selectedPort() : 0;
}

} // namespace zuvo
