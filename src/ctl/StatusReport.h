#pragma once
// One status reply as the window shows it, for the terminal and for scripts.

#include "device/ReceiveEngine.h"

#include <QJsonObject>
#include <QString>

namespace zuvo {

// What the window's live display takes from a status reply: the fields that converted and
// the values derived from them. Fields that did not convert are left out.
QJsonObject statusJson(const StatusReceived& status);

// The same as lines of "name  value" text; numbers use `decimalSeparator`.
QString statusText(const StatusReceived& status, QChar decimalSeparator);

} // namespace zuvo
