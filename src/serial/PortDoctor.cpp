#include "serial/PortDoctor.h"

#include "serial/PortAdvice.h"
#include "serial/PortMap.h"
#include "serial/PortPermission.h"
#include "serial/SerialTypes.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace zuvo {

namespace {

bool isMissingError(int error) {
    return error == ENOENT || error == ENODEV || error == ENXIO;
}

bool isPermissionError(int error) {
    return error == EACCES || error == EPERM;
}

bool isBusyError(int error) {
    return error == EBUSY || error == EWOULDBLOCK || error == EAGAIN;
}

} // namespace

PortDiagnosis diagnosePort(int number, const QString& devicePath, int openError,
                           const DoctorSystem& system) {
    PortDiagnosis d;
    d.number = number;
    d.devicePath = devicePath;
    d.reached = reachedDevice(devicePath, system.root);
    if (openError != 0) {
        d.systemText = QString::fromLocal8Bit(std::strerror(openError));
    }
    if (d.reached.isEmpty() || isMissingError(openError)) {
        d.problem = PortProblem::NoDevice;
        d.present = presentAdapters(system.root);
        explainNoDevice(d);
        return d;
    }

    struct stat st {};
    const bool known = system.fileStatus(underRoot(system.root, d.reached), st);
    // Whatever holds /dev/null or a file is no reason for a port that is none.
    if (known && !isSerialDevice(st, system.root)) {
        d.problem = PortProblem::NotSerial;
        d.present = presentAdapters(system.root);
        explainNotSerial(d, st);
        return d;
    }
    const bool allowed = !known || mayOpen(st, system);
    if (isPermissionError(openError) || (openError == 0 && !allowed)) {
        d.problem = PortProblem::NoPermission;
        if (known && !allowed) {
            notePermissions(d, st, system);
        }
        explainNoPermission(d, system);
        return d;
    }

    d.modemManager = QFileInfo(d.reached).fileName().startsWith(QLatin1String("ttyACM")) &&
                     processRuns(QStringLiteral("ModemManager"), system.root);
    d.holders = portHolders(d.reached, system);
    // A program that holds the device is the likeliest cause, whatever the opening reported.
    if (isBusyError(openError) || !d.holders.empty()) {
        d.problem = PortProblem::InUse;
        explainInUse(d);
    } else if (openError != 0) {
        d.problem = PortProblem::Refused;
        explainRefused(d);
    } else {
        d.problem = PortProblem::Free;
        explainFree(d);
    }
    if (d.modemManager) {
        d.details += QLatin1Char('\n') + modemManagerText(d);
    }
    return d;
}

PortDiagnosis diagnosePortFailure(int number, const std::exception& error, const QString& root) {
    const auto* serial = dynamic_cast<const ESerialError*>(&error);
    DoctorSystem system = DoctorSystem::current();
    system.root = root;
    return diagnosePort(number, PortMap::global().devicePath(number),
                        serial != nullptr ? serial->systemError() : 0, system);
}

} // namespace zuvo
