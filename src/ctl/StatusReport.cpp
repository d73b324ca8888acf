#include "ctl/StatusReport.h"

#include "device/ReplyFrames.h"
#include "service/MillimetreText.h"

#include <QStringList>

namespace zuvo {

namespace {

QJsonObject inputsJson(const InputStates& in) {
    return QJsonObject{
        {"push_button_s1", in.pushButtonS1},
        {"push_button_s2", in.pushButtonS2},
        {"input1", in.input1},
        {"input2", in.input2},
        {"input3", in.input3},
        {"temperature_warning", in.temperatureLed},
        {"panel_warning", in.panelWarning},
    };
}

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

} // namespace

QJsonObject statusJson(const LiveStatus& status) {
    QJsonObject out{{"length", static_cast<int>(status.length)}};
    if (status.bits) {
        out.insert("reed1", status.bits->reed1);
        out.insert("reed2", status.bits->reed2);
        out.insert("sensor_misaligned", status.bits->sensorMisaligned);
        out.insert("zone", status.bits->zone);
    }
    if (status.reedState) {
        out.insert("reed_state", *status.reedState);
        out.insert("reed_state_degrees", *status.reedStateDegrees);
    }
    if (status.winkelDigit) {
        out.insert("angle", static_cast<qint64>(*status.winkelDigit));
    }
    if (status.rpm) {
        out.insert("speed_rpm", *status.rpm);
    }
    if (status.position) {
        out.insert("position_counts", status.position->counts);
        out.insert("revolutions", status.position->revolutions);
        out.insert("position_mm", status.position->mm);
        out.insert("stroke_fraction", status.position->strokeFraction);
    }
    if (status.reedTurnCount) {
        out.insert("reed_turn_count", *status.reedTurnCount);
    }
    if (status.inputs) {
        out.insert("inputs", inputsJson(*status.inputs));
    }
    return out;
}

QString statusText(const LiveStatus& status, QChar decimalSeparator) {
    QStringList lines;
    const auto line = [&lines](const char* name, const QString& value) {
        lines << QStringLiteral("%1  %2").arg(QLatin1String(name), -18).arg(value);
    };
    if (status.position) {
        line("Position",
             millimetreText(status.position->mm, decimalSeparator) + QStringLiteral("mm"));
        line("Position counts", QString::number(status.position->counts));
        line("Revolutions", QString::number(status.position->revolutions));
    }
    if (status.rpm) {
        line("Speed", QStringLiteral("%1 RPM").arg(*status.rpm));
    }
    if (status.winkelDigit) {
        line("Angle", QString::number(*status.winkelDigit));
    }
    if (status.reedState) {
        line("Reed state", QString::number(*status.reedState));
    }
    if (status.bits) {
        line("Reed1", onOff(status.bits->reed1));
        line("Reed2", onOff(status.bits->reed2));
        line("Sensor misaligned",
             status.bits->sensorMisaligned ? QStringLiteral("yes") : QStringLiteral("no"));
        line("Zone", QString::number(status.bits->zone));
    }
    if (status.reedTurnCount) {
        line("Reed turn count", QString::number(*status.reedTurnCount));
    }
    if (status.inputs) {
        const InputStates& in = *status.inputs;
        line("Push buttons",
             QStringLiteral("S1 %1, S2 %2").arg(onOff(in.pushButtonS1), onOff(in.pushButtonS2)));
        line("Inputs", QStringLiteral("1 %1, 2 %2, 3 %3")
                           .arg(onOff(in.input1), onOff(in.input2), onOff(in.input3)));
        line("Temperature", in.temperatureLed ? QStringLiteral("warning") : QStringLiteral("ok"));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString firmwareVersionText(const KnownVersion& known) {
    const QString version = QString::fromStdString(versionCaption(known.version));
    switch (known.source) {
    case KnownVersion::Source::Announced:
        return version + QStringLiteral(" (announced now)");
    case KnownVersion::Source::Remembered:
        return version + QStringLiteral(" (remembered from %1, not announced in this run)")
                             .arg(known.announcedAt.toLocalTime().toString(
                                 QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    case KnownVersion::Source::Unknown:
        break;
    }
    return QStringLiteral("not known");
}

void insertFirmwareVersion(QJsonObject& out, const KnownVersion& known) {
    switch (known.source) {
    case KnownVersion::Source::Announced:
        out.insert("firmware_version_source", "announced");
        break;
    case KnownVersion::Source::Remembered:
        out.insert("firmware_version_source", "remembered");
        out.insert("firmware_version_announced_at",
                   known.announcedAt.toOffsetFromUtc(known.announcedAt.offsetFromUtc())
                       .toString(Qt::ISODate));
        break;
    case KnownVersion::Source::Unknown:
        out.insert("firmware_version_source", "unknown");
        return;
    }
    out.insert("firmware_version", QString::fromStdString(versionCaption(known.version)));
}

} // namespace zuvo
