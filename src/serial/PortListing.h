// Which device and adapter every COM number reaches now: the COM-port dialog's map and the
// command line's port list.
#pragma once

#include "serial/PortMap.h"

#include <QString>

#include <vector>

namespace zuvo {

struct PortListEntry {
    int number = 0;
    QString devicePath;  // the device node it reaches now, or the path it names when absent
    QString byIdPath;    // the adapter's stable name below /dev/serial/by-id, if any
    QString adapterName; // manufacturer and product from sysfs, if known
    bool present = false;
    QString configuredPath; // the path the port map names (a by-id path when the port is tied)
};

// COM1 to COM`highest`, and every higher number that the map names a device for.
std::vector<PortListEntry> listPorts(const PortMap& map, int highest = kLastUsualPort);
// The same on the system tree at `root` (tests use fake ones).
std::vector<PortListEntry> listPorts(const PortMap& map, int highest, const QString& root);

// One line a port, in aligned columns: number, device, adapter (or "not present"), by-id path,
// and "(tied)" for a port tied to its adapter's by-id path.
QString formatPortListing(const std::vector<PortListEntry>& entries);

// True when the entry's port is tied to an adapter: its configured path is a by-id path.
bool isTied(const PortListEntry& entry);

} // namespace zuvo
