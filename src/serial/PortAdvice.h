#pragma once
// What the doctor tells the user: a one-line summary for the status bar and a few lines of why
// and what to do, for each cause of a port that did not open. The permission advice is in
// PortPermission.

#include "serial/PortDoctor.h"

#include <QString>

#include <sys/stat.h>

namespace zuvo {

// Commands and device lists in the details stand indented by this.
inline const QString kAdviceIndent = QStringLiteral("    ");

void explainNoDevice(PortDiagnosis& d);
void explainNotSerial(PortDiagnosis& d, const struct stat& st);
void explainInUse(PortDiagnosis& d);
void explainRefused(PortDiagnosis& d);
void explainFree(PortDiagnosis& d);

// The paragraph added when ModemManager may be probing the ttyACM device.
QString modemManagerText(const PortDiagnosis& d);

} // namespace zuvo
