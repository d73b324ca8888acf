#pragma once
// One status reply as the window shows it, for the terminal and for scripts.

#include "device/LiveStatus.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <cstdint>

namespace zuvo {

// What the window's live display shows of a status reply; what it does not show (the fields from
// the first one that did not convert on) is left out.
QJsonObject statusJson(const LiveStatus& status);

// The same as lines of "name  value" text; numbers use `decimalSeparator`.
QString statusText(const LiveStatus& status, QChar decimalSeparator);

// The firmware version a command knows, and where it comes from.
struct KnownVersion {
    enum class Source {
        Announced,  // the controller announced it in this run
        Remembered, // the port's last announcement, in an earlier run
        Unknown,
    };
    Source source = Source::Unknown;
    std::uint8_t version = 0;
    QDateTime announcedAt; // when a remembered version was announced
};

// "V60 (announced now)", "V60 (remembered from 2025-01-31 10:15:00, not announced in this run)"
// or "not known".
QString firmwareVersionText(const KnownVersion& known);
// firmware_version (left out when not known), firmware_version_source ("announced",
// "remembered" or "unknown") and, for a remembered one, firmware_version_announced_at.
void insertFirmwareVersion(QJsonObject& out, const KnownVersion& known);

} // namespace zuvo
