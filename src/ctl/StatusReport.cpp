#include "ctl/StatusReport.h"

#include "device/ReplyFrames.h"
#include "device/StatusDecoding.h"
#include "service/MillimetreText.h"

#include <QStringList>

namespace zuvo {

namespace {

constexpr int kDegreesPerReedState = 45;

QJsonObject inputsJson(std::uint8_t inputs) {
    const InputStates in = decodeInputs(inputs);
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

QJsonObject statusJson(const StatusReceived& status) {
    const StatusReply& f = status.fields;
    QJsonObject out{{"length", static_cast<int>(f.length)}};
    if (f.statusByte) {
        const StatusBits bits = decodeStatusBits(*f.statusByte);
        out.insert("reed1", bits.reed1);
        out.insert("reed2", bits.reed2);
        out.insert("sensor_misaligned", bits.sensorMisaligned);
        out.insert("zone", bits.zone);
    }
    if (f.reedState) {
        out.insert("reed_state", *f.reedState);
        out.insert("reed_state_degrees", *f.reedState * kDegreesPerReedState);
    }
    if (status.winkelDigit) {
        out.insert("angle", static_cast<qint64>(*status.winkelDigit));
    }
    if (status.rpm) {
        out.insert("speed_rpm", *status.rpm);
    }
    if (f.position) {
        out.insert("position_counts", *f.position);
        out.insert("revolutions", sensorRevolutions(*f.position));
    }
    if (status.positionMm) {
        out.insert("position_mm", *status.positionMm);
    }
    if (status.strokeFraction) {
        out.insert("stroke_fraction", *status.strokeFraction);
    }
    if (f.reedTurnCount) {
        out.insert("reed_turn_count", *f.reedTurnCount);
    }
    if (f.inputs) {
        out.insert("inputs", inputsJson(*f.inputs));
    }
    return out;
}

QString statusText(const StatusReceived& status, QChar decimalSeparator) {
    const StatusReply& f = status.fields;
    QStringList lines;
    const auto line = [&lines](const char* name, const QString& value) {
        lines << QStringLiteral("%1  %2").arg(QLatin1String(name), -18).arg(value);
    };
    if (status.positionMm) {
        line("Position",
             millimetreText(*status.positionMm, decimalSeparator) + QStringLiteral("mm"));
    }
    if (f.position) {
        line("Position counts", QString::number(*f.position));
        line("Revolutions", QString::number(sensorRevolutions(*f.position)));
    }
    if (status.rpm) {
        line("Speed", QStringLiteral("%1 RPM").arg(*status.rpm));
    }
    if (status.winkelDigit) {
        line("Angle", QString::number(*status.winkelDigit));
    }
    if (f.reedState) {
        line("Reed state", QString::number(*f.reedState));
    }
    if (f.statusByte) {
        const StatusBits bits = decodeStatusBits(*f.statusByte);
        line("Reed1", onOff(bits.reed1));
        line("Reed2", onOff(bits.reed2));
        line("Sensor misaligned",
             bits.sensorMisaligned ? QStringLiteral("yes") : QStringLiteral("no"));
        line("Zone", QString::number(bits.zone));
    }
    if (f.reedTurnCount) {
        line("Reed turn count", QString::number(*f.reedTurnCount));
    }
    if (f.inputs) {
        const InputStates in = decodeInputs(*f.inputs);
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
