// Why a serial port does not open, and what the user can do about it, from what the system
// shows: whether the device node is there, its owner, group and mode against the user's groups,
// the programs that hold it (read from /proc) and the adapters that are present instead.
#pragma once

#include "serial/SerialAdapters.h"

#include <QString>

#include <exception>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace zuvo {

// What the doctor looks at. `current()` is the running system and login; tests make their own
// with a fake tree and a user of their choice.
struct DoctorSystem {
    QString root = QStringLiteral("/"); // where dev/, proc/, sys/ and etc/ are
    uint uid = 0;
    std::vector<uint> groups; // the groups of this login, the primary one included
    QString userName;
    qint64 ownPid = 0; // this program; never named as the one that holds a port
    // stat(2) of a path, links followed (an open file's link in /proc reaches the file itself).
    // Tests give the plain files of a fake tree their device numbers here.
    std::function<bool(const QString& path, struct stat& st)> fileStatus = statFile;

    static DoctorSystem current();
    static bool statFile(const QString& path, struct stat& st);
};

enum class PortProblem {
    NoDevice,     // the path reaches no device node
    NoPermission, // the user may not open the device
    NotSerial,    // the path reaches a device or file that is no serial port
    InUse,        // another program holds it
    Refused,      // the device is there and free, yet opening it failed
    Free,         // nothing wrong can be seen now
};

struct PortHolder {
    qint64 pid = 0;
    QString name;
    bool operator==(const PortHolder&) const = default;
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

// The processes other than this one that hold the serial device `device` (as the system names
// it) open: the same device number, whatever name they opened it by. Nothing for a path that is
// no serial device. A process that holds the master of a pseudo-terminal is its other end (a
// simulator, a device server), not another user of the port, and is left out. `complete` is set
// false when the open files of some processes could not be read (other users' ones).
std::vector<PortHolder> portHolders(const QString& device, const DoctorSystem& system,
                                    bool* complete = nullptr);

// "cat (process 4242), minicom (process 17)".
QString holderNames(const std::vector<PortHolder>& holders);

// True for a character device that the kernel's tty drivers serve (a serial port, a
// pseudo-terminal); false for anything else, /dev/null and regular files included. When the
// system does not tell (no /proc/tty/drivers or sysfs), every character device counts.
bool isSerialDevice(const struct stat& st, const QString& root = QStringLiteral("/"));

// True when a process whose command name is `name` runs.
bool processRuns(const QString& name, const QString& root = QStringLiteral("/"));

} // namespace zuvo
