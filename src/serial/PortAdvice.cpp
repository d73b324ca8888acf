#include "serial/PortAdvice.h"

#include "serial/SerialAdapters.h"

#include <QFileInfo>
#include <QStringList>

namespace zuvo {

namespace {

// How many adapters the status line names before it stops.
constexpr std::size_t kAdaptersInSummary = 2;

QString portName(const PortDiagnosis& d) {
    return d.number > 0 ? QStringLiteral("COM%1").arg(d.number) : d.devicePath;
}

QString byIdName(const QString& path) {
    return QFileInfo(path).fileName();
}

QString adapterLines(const std::vector<SerialAdapter>& adapters) {
    QString text;
    for (const SerialAdapter& a : adapters) {
        text += kAdviceIndent + a.devicePath;
        if (!a.name.isEmpty()) {
            text += QStringLiteral("  ") + a.name;
        }
        text += QLatin1Char('\n');
        if (!a.byIdPath.isEmpty()) {
            text += kAdviceIndent + kAdviceIndent + a.byIdPath + QLatin1Char('\n');
        }
    }
    return text;
}

QString kindOf(const struct stat& st) {
    if (S_ISCHR(st.st_mode)) {
        return QStringLiteral("a device of another kind");
    }
    if (S_ISDIR(st.st_mode)) {
        return QStringLiteral("a folder");
    }
    if (S_ISREG(st.st_mode)) {
        return QStringLiteral("a plain file");
    }
    return QStringLiteral("no device");
}

} // namespace

QString modemManagerText(const PortDiagnosis& d) {
    return QStringLiteral(
               "ModemManager runs on this computer. For up to half a minute after a %1 device "
               "is plugged in it probes it for a mobile modem and holds it meanwhile. Wait a "
               "moment, or, if this computer uses no mobile modem, stop it:\n%2sudo systemctl "
               "stop ModemManager\n(sudo systemctl disable ModemManager keeps it off after a "
               "restart.)\n")
        .arg(QFileInfo(d.reached).fileName(), kAdviceIndent);
}

void explainNoDevice(PortDiagnosis& d) {
    const bool tied = isByIdPath(d.devicePath);
    if (tied) {
        d.summary = QStringLiteral("%1 is tied to an adapter that is not plugged in: %2.")
                        .arg(portName(d), byIdName(d.devicePath));
        d.details = QStringLiteral("%1 is tied to the adapter %2, and it is not plugged in.\n\n")
                        .arg(portName(d), d.devicePath);
    } else {
        d.summary = QStringLiteral("%1 is %2, which is not there: ").arg(portName(d), d.devicePath);
        d.details = QStringLiteral("%1 is %2, and that device is not there.\n\n")
                        .arg(portName(d), d.devicePath);
    }
    if (d.present.empty()) {
        if (!tied) {
            d.summary += QStringLiteral("plug in the USB-to-serial adapter.");
        }
        d.details += QStringLiteral(
            "No USB-to-serial adapter is plugged in. Plug it in. If it still does not show up, "
            "try another cable or USB socket; \"sudo dmesg --follow\" shows whether the "
            "computer sees it when it is plugged in.\n");
        return;
    }
    if (!tied) {
        QStringList names;
        for (std::size_t i = 0; i < d.present.size() && i < kAdaptersInSummary; ++i) {
            names << d.present[i].devicePath;
        }
        if (d.present.size() > kAdaptersInSummary) {
            names << QStringLiteral("...");
        }
        d.summary += QStringLiteral("adapters present: %1.").arg(names.join(QStringLiteral(", ")));
    }
    d.details += QStringLiteral("Serial adapters present now:\n") + adapterLines(d.present) +
                 QStringLiteral("\nChoose the COM number that reaches the adapter, or tie %1 to "
                                "it, in Setup > COM-Port.\n")
                     .arg(portName(d));
}

void explainInUse(PortDiagnosis& d) {
    if (d.holders.empty()) {
        d.summary =
            QStringLiteral("%1 is in use by another program (of another user).").arg(d.reached);
        d.details = QStringLiteral("Another program holds %1, but it runs as another user, so "
                                   "its name cannot be read here. This names it:\n%2sudo fuser "
                                   "-v %1\nClose that program; the tool takes the port at its "
                                   "next attempt.\n")
                        .arg(d.reached, kAdviceIndent);
        return;
    }
    QString lines;
    QStringList pids;
    for (const PortHolder& h : d.holders) {
        lines += kAdviceIndent + holderNames({h}) + QLatin1Char('\n');
        pids << QString::number(h.pid);
    }
    const bool onlyModemManager =
        d.holders.size() == 1 && d.holders.front().name == QLatin1String("ModemManager");
    d.summary = QStringLiteral("%1 is in use by %2: %3.")
                    .arg(d.reached, holderNames(d.holders),
                         onlyModemManager ? QStringLiteral("wait a moment, or stop ModemManager")
                                          : QStringLiteral("close that program"));
    d.details = QStringLiteral("Another program holds %1:\n%2Close it, or end it with\n%3kill "
                               "%4\nand the tool takes the port at its next attempt.\n")
                    .arg(d.reached, lines, kAdviceIndent, pids.join(QLatin1Char(' ')));
}

void explainNotSerial(PortDiagnosis& d, const struct stat& st) {
    d.summary =
        QStringLiteral("%1 is no serial port: choose the port of the USB-to-serial adapter.")
            .arg(d.reached);
    d.details = QStringLiteral("%1 is %2, not a serial port, so no controller can answer on it.\n")
                    .arg(d.reached, kindOf(st));
    if (!d.present.empty()) {
        d.details += QStringLiteral("\nSerial adapters present now:\n") + adapterLines(d.present);
    }
    d.details +=
        QStringLiteral("\nChoose the COM number that reaches the adapter, or tie %1 to it, "
                       "in Setup > COM-Port.\n")
            .arg(portName(d));
}

void explainRefused(PortDiagnosis& d) {
    d.summary = QStringLiteral("%1 is there but did not open: %2.").arg(d.reached, d.systemText);
    d.details = QStringLiteral("%1 is there, this user may open it and no other program holds "
                               "it, but opening it failed: %2.\n\nUnplug the adapter and plug "
                               "it in again.\n")
                    .arg(d.reached, d.systemText);
}

void explainFree(PortDiagnosis& d) {
    d.summary = QStringLiteral("%1 is there and free now; the tool keeps trying.").arg(d.reached);
    d.details = QStringLiteral("%1 is there, this user may open it and no other program holds "
                               "it. It was busy or not ready a moment ago; the tool keeps "
                               "trying to open it.\n")
                    .arg(d.reached);
}

} // namespace zuvo
