// The serial adapters present on the system and the device a port path reaches now. Everything
// is read below a root folder: "/" on a running system, a folder with fake dev/, sys/, proc/ and
// etc/ trees in tests.
#pragma once

#include <QString>

#include <vector>

namespace zuvo {

inline const QString SerialByIdFolder = QStringLiteral("/dev/serial/by-id");

struct SerialAdapter {
    QString devicePath; // the device node as the system names it, e.g. /dev/ttyUSB0
    QString byIdPath;   // its stable name below /dev/serial/by-id; empty when udev made none
    QString name;       // manufacturer and product from sysfs; empty when unknown
};

// `systemPath` (absolute, as the system names it) inside the tree at `root`.
QString underRoot(const QString& root, const QString& systemPath);

// The device node that `systemPath` reaches now, links followed, as the system names it; empty
// when it reaches nothing (no such file, a link that points nowhere). A link that leads out of a
// test tree leads to the real system and is returned as it is.
QString reachedDevice(const QString& systemPath, const QString& root = QStringLiteral("/"));

// True for a path below /dev/serial/by-id.
bool isByIdPath(const QString& systemPath);

// The USB serial adapters present: every link of /dev/serial/by-id and every ttyUSB and ttyACM
// node, sorted by device; built-in UARTs (ttyS) are left out, since every PC lists dozens.
std::vector<SerialAdapter> presentAdapters(const QString& root = QStringLiteral("/"));

} // namespace zuvo
