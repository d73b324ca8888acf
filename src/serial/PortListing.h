#pragma once
// The port numbers with what stands behind them: the device path, its stable name under
// /dev/serial/by-id and the adapter's name, for the user to tell the plugs apart.

#include "serial/PortMap.h"

#include <QString>

#include <vector>

namespace zuvo {

struct PortListEntry {
    int number = 0;
    QString devicePath;
    QString byIdPath; // the /dev/serial/by-id link to the device; empty when there is none
    QString adapterName;
    bool present = false; // the device exists
};

// COM1..COM`highest` as `map` resolves them.
std::vector<PortListEntry> listPorts(const PortMap& map, int highest = 8);

// One line per entry: "COMn  path", then the adapter's name and the by-id link, or
// "not present".
QString formatPortListing(const std::vector<PortListEntry>& entries);

} // namespace zuvo
