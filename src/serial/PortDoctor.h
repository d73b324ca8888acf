// Why a serial port does not open, and what the user can do about it, from what the system
// shows: whether the device node is there, its owner, group and mode against the user's groups,
// the programs that hold it (read from /proc) and the adapters that are present instead.
#pragma once

#include "serial/DoctorSystem.h"
#include "serial/PortHolders.h"
#include "serial/SerialAdapters.h"

#include <QString>

#include <exception>
#include <vector>

namespace zuvo {

enum class PortProblem {
    NoDevice,     // the path reaches no device node
    NoPermission, // the user may not open the device
    NotSerial,    // the path reaches a device or file that is no serial port
    InUse,        // another program holds it
    Refused,      // the device is there and free, yet opening it failed
    Free,         // nothing wrong can be seen now
};

struct PortDiagnosis {
    PortProblem problem = PortProblem::Free;
    int number = 0;
    QString devicePath; // as the port map names it
    QString reached;    // the device node it reaches now; empty when none

    // NoPermission
    QString mode; // as ls shows it, e.g. crw-rw----
    QString owner;
    QString group;
    bool groupGrantsAccess = false; // membership of `group` would let the user open it
    bool loginPending = false;      // the user is in `group`, but this login began before

    // InUse: the programs found; empty when they run as other users and cannot be read
    std::vector<PortHolder> holders;
    // NoDevice: what is plugged in instead
    std::vector<SerialAdapter> present;
    // ModemManager runs and the device is a ttyACM one, which it probes and holds for a while
    bool modemManager = false;
    // Refused: the system's text for the error
    QString systemText;

    QString summary; // one line for the status bar
    QString details; // why, and what to do, in a few lines
};

// `openError` is the errno of the failed opening; with 0 (unknown) every cause is looked for in
// turn.
PortDiagnosis diagnosePort(int number, const QString& devicePath, int openError,
                           const DoctorSystem& system = DoctorSystem::current());

// The diagnosis of port `number` of the program's port map after opening it failed with `error`
// (the errno it carries, if any, tells the cause), on the system tree at `root`.
PortDiagnosis diagnosePortFailure(int number, const std::exception& error,
                                  const QString& root = QStringLiteral("/"));

} // namespace zuvo
