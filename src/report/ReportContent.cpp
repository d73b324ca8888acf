#include "report/ReportContent.h"

#include "params/BackupStore.h"
#include "params/ComboIndex.h"
#include "params/EditorText.h"

#include <QFileInfo>
#include <QStringList>

namespace zuvo {

namespace {

QString mmText(const QString& neutral, QChar decimalSeparator) {
    return shownDecimalText(neutral, decimalSeparator) + QStringLiteral(" mm");
}

QString itemText(const QStringList& items, int index) {
    return items.value(index, QString::number(index));
}

// The outputs switched on in one segment of the switch grid: "1, 3" or "none".
QString segmentText(std::uint8_t outputs) {
    QStringList on;
    for (int output = 1; output <= 8; ++output) {
        if ((outputs >> (output - 1)) & 1U) {
            on << QString::number(output);
        }
    }
    return on.isEmpty() ? QStringLiteral("none") : on.join(QStringLiteral(", "));
}

} // namespace

std::vector<ReportParameterRow> reportParameterRows(const ParameterValues& v,
                                                    QChar decimalSeparator) {
    std::vector<ReportParameterRow> rows;
    const auto add = [&rows](const char* group, const QString& label, const QString& value) {
        rows.push_back({QString::fromUtf8(group), label, value});
    };

    const char* cylinder = "Cylinder Settings";
    add(cylinder, QStringLiteral("Cylinder max Stroke"), QStringLiteral("%1 mm").arg(v.strokeMm));
    add(cylinder, QStringLiteral("Number of Turns for max Stroke"), QString::number(v.turns));
    add(cylinder, QStringLiteral("Direction"),
        v.clockwise ? QStringLiteral("Clockwise") : QStringLiteral("Counter Clockwise"));
    add(cylinder, QStringLiteral("Ext. Reference Function"),
        v.externalReference ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));

    const char* digital = "Digital Output Configuration";
    for (int k = 1; k <= SwitchPositions; ++k) {
        const QString& position = v.switchPositionsMm[static_cast<std::size_t>(k - 1)];
        add(digital, QStringLiteral("Switch position %1").arg(k),
            position.startsWith(QLatin1Char('-')) ? QStringLiteral("not set")
                                                  : mmText(position, decimalSeparator));
    }
    add(digital, QStringLiteral("Hysteresis"), mmText(v.hysteresisMm, decimalSeparator));
    for (int c = 1; c <= Segments; ++c) {
        add(digital, QStringLiteral("Segment %1 outputs on").arg(c),
            segmentText(v.segmentOutputs[static_cast<std::size_t>(c - 1)]));
    }
    add(digital, QStringLiteral("Output 4"), itemText(DigitalOutput4Items, v.digitalOutput4));
    add(digital, QStringLiteral("Impulses per revolution (outputs 5+6)"),
        itemText(ImpulseItems, v.impulses));

    const char* analog = "Analog Output Configuration";
    add(analog, QStringLiteral("Function"), itemText(AnalogFunctionItems, v.analogFunction));
    add(analog, QStringLiteral("Range"),
        QStringLiteral("%1 mm .. %2 mm").arg(v.analogMinMm).arg(v.analogMaxMm));

    const char* thrust = "Thrust Overload";
    add(thrust, QStringLiteral("Thrust Overload Function"),
        v.thrustOverload ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    add(thrust, QStringLiteral("Sensor"),
        v.sensorOnGearUnit ? QStringLiteral("end of gear unit")
                           : QStringLiteral("directly on motor axis"));
    add(thrust, QStringLiteral("Thrust Limit RPM Value"),
        QStringLiteral("%1 RPM").arg(v.thrustLimitRpm));
    add(thrust, QStringLiteral("Motor Rush In Time Delay Retract"),
        rushInDelayText(v.rushInRetractTenths, RushInRetractDigits, decimalSeparator));
    add(thrust, QStringLiteral("Motor Rush in Time Delay Extend"),
        rushInDelayText(v.rushInExtendTenths, RushInExtendDigits, decimalSeparator));
    return rows;
}

std::vector<ReportWord> reportWords(std::span<const std::uint16_t> words) {
    std::vector<ReportWord> rows;
    rows.reserve(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        rows.push_back({static_cast<int>(i), words[i]});
    }
    return rows;
}

std::vector<ReportSample> reportSamples(const PositionRecord& record, const Geometry& geometry) {
    std::vector<ReportSample> samples;
    if (!geometry.valid()) {
        return samples;
    }
    // Hundredths of a turn, `turns` turns over the stroke.
    const double mmPerHundredth =
        static_cast<double>(geometry.strokeMm) / (static_cast<double>(geometry.turns) * 100.0);
    samples.reserve(static_cast<std::size_t>(record.count()));
    for (int i = 0; i < record.count(); ++i) {
        samples.push_back({static_cast<double>(record.timeMs(i)),
                           static_cast<double>(record.hundredths(i)) * mmPerHundredth});
    }
    return samples;
}

QString newestBackupName(const QString& folder) {
    const std::vector<BackupEntry> backups = listBackups(folder);
    return backups.empty() ? QString() : QFileInfo(backups.front().path).fileName();
}

} // namespace zuvo
