// The name of the USB adapter behind a serial device, as the kernel reports it in sysfs.
#pragma once

#include <QString>

namespace zuvo {

// "manufacturer product" of the USB device behind devicePath (e.g. /dev/ttyUSB0), or empty when
// there is none (a pseudo-terminal, a missing device). sysRoot is there for tests.
QString adapterName(const QString& devicePath, const QString& sysRoot = QStringLiteral("/sys"));

} // namespace zuvo
