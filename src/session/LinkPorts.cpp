// The port commands: opening, closing, reopening and probing, each under an exchange of its
// own, so that no poll goes to a port being switched and no command's port is switched under
// it.

#include "session/Link.h"

#include "session/EventWait.h"

#include <exception>

namespace zuvo {

namespace {

// The name a refused command sees while a port command runs.
const QString PortSelection = QStringLiteral("COM port selection");

ESerialError serialErrorOf(const std::exception& error) {
    if (const auto* serial = dynamic_cast<const ESerialError*>(&error)) {
        return *serial;
    }
    return ESerialError(error.what());
}

} // namespace

PortOpening Link::openPort(int number, int baud) {
    std::optional<Exchange> exchange = begin(PortSelection);
    if (!exchange) {
        return {.opened = false, .busy = true, .error = std::nullopt};
    }
    return switchPort(number, baud);
}

PortOpening Link::reopenPort() {
    return openPort(port_.ComNumber(), port_.Baud());
}

bool Link::closePort() {
    if (exchangeRunning_) {
        return false;
    }
    try {
        port_.setOpen(false);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

PortOpening Link::switchPort(int number, int baud) {
    PortOpening opening;
    try {
        port_.setOpen(false);
        port_.setComNumber(static_cast<quint16>(number));
        port_.setBaud(baud);
        port_.setOpen(true);
        opening.opened = true;
    } catch (const std::exception& error) {
        opening.error = serialErrorOf(error);
    }
    return opening;
}

std::optional<QList<int>> Link::probePorts(int baud, ProbeUntil until) {
    std::optional<Exchange> exchange = begin(PortSelection);
    if (!exchange) {
        return std::nullopt;
    }
    const quint16 number = port_.ComNumber();
    const qint32 baudBefore = port_.Baud();
    // A port that cannot even be closed is probed like the others.
    closeQuietly();
    port_.setBaud(baud);
    QList<int> opened;
    for (int n = kFirstProbedPort; n <= kLastProbedPort; ++n) {
        try {
            port_.setComNumber(static_cast<quint16>(n));
            port_.setOpen(true);
            handlePendingEvents();
            opened << n;
        } catch (const std::exception&) {
            // Ports that do not open are simply not listed.
        }
        closeQuietly();
        if (until == ProbeUntil::FirstThatOpens && !opened.isEmpty()) {
            break;
        }
    }
    port_.setComNumber(number);
    port_.setBaud(baudBefore);
    return opened;
}

void Link::setPortChooser(TSerialComPort::PortChooser chooser) {
    port_.setPortChooser(std::move(chooser));
}

void Link::setDeviceFactory(TSerialComPort::DeviceFactory factory) {
    port_.setDeviceFactory(std::move(factory));
}

} // namespace zuvo
