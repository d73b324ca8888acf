#pragma once
// Which programs hold a serial device open, read from /proc, and whether a device is a serial
// one at all.

#include "serial/DoctorSystem.h"

#include <QString>

#include <sys/stat.h>
#include <vector>

namespace zuvo {

struct PortHolder {
    qint64 pid = 0;
    QString name;
    bool operator==(const PortHolder&) const = default;
};

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
