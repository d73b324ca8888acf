#include "params/ParameterComparison.h"

#include "params/BackupFile.h"
#include "params/ComboIndex.h"
#include "params/EditorText.h"
#include "params/ParameterBlock.h"
#include "params/ZdfContent.h"

#include <QJsonObject>

#include <algorithm>

namespace zuvo {

namespace {

constexpr int OutputCount = 6;

QString itemText(const QStringList& items, int index) {
    return index >= 0 && index < items.size() ? items[index] : QString::number(index);
}

QString mmText(std::int64_t mm) {
    return QString::number(mm) + QStringLiteral(" mm");
}

// A two-decimal edit's text as a number of mm; a text that is no number stays as it is, so that
// the row shows what is wrong with it.
QString decimalMmText(const QString& neutral, QChar decimalSeparator, bool minusOneIsNotSet) {
    const std::optional<double> mm = editorDecimal(neutral);
    if (!mm) {
        return neutral;
    }
    if (minusOneIsNotSet && *mm == NotSetMm) {
        return QStringLiteral("not set"); // another negative value is shown as it is: refused
    }
    QString text = QString::number(*mm, 'f', 2);
    text.replace(QLatin1Char('.'), decimalSeparator);
    return text + QStringLiteral(" mm");
}

QString outputsText(std::uint8_t outputs) {
    QStringList on;
    for (int r = 1; r <= OutputCount; ++r) {
        if ((outputs & (1u << (r - 1))) != 0) {
            on << QString::number(r);
        }
    }
    return on.isEmpty() ? QStringLiteral("none") : on.join(QStringLiteral(", "));
}

QString delayText(int tenths, QChar decimalSeparator) {
    return oneDecimalText(tenths / 10.0, decimalSeparator) + QStringLiteral(" s");
}

QString padded(const QString& text, qsizetype width) {
    return text + QString(std::max<qsizetype>(0, width - text.size()), QLatin1Char(' '));
}

} // namespace

std::vector<ParameterRow> parameterRows(const ParameterValues& v, QChar sep) {
    std::vector<ParameterRow> rows;
    QString group = QStringLiteral("Cylinder Settings");
    const auto add = [&rows, &group](const QString& label, const QString& value) {
        rows.push_back({group, label, value});
    };
    add(QStringLiteral("Cylinder max Stroke"), mmText(v.strokeMm));
    add(QStringLiteral("Number of Turns for max Stroke"), QString::number(v.turns));
    add(QStringLiteral("Direction"),
        v.clockwise ? QStringLiteral("Clockwise") : QStringLiteral("Counter-clockwise"));
    add(QStringLiteral("External Reference"),
        v.externalReference ? QStringLiteral("On") : QStringLiteral("Off"));

    group = QStringLiteral("Digital Output Configuration");
    add(QStringLiteral("Hysteresis"), decimalMmText(v.hysteresisMm, sep, false));
    for (int k = 1; k <= SwitchPositions; ++k) {
        add(QStringLiteral("Switch Position %1").arg(k),
            decimalMmText(v.switchPositionsMm[static_cast<std::size_t>(k - 1)], sep, true));
    }
    for (int c = 1; c <= Segments; ++c) {
        add(QStringLiteral("Segment %1: outputs on").arg(c),
            outputsText(v.segmentOutputs[static_cast<std::size_t>(c - 1)]));
    }
    add(QStringLiteral("Function of Output 4"), itemText(DigitalOutput4Items, v.digitalOutput4));
    add(QStringLiteral("Impulses per Revolution"), itemText(ImpulseItems, v.impulses));

    group = QStringLiteral("Analog Output Configuration");
    add(QStringLiteral("Analog Function"), itemText(AnalogFunctionItems, v.analogFunction));
    add(QStringLiteral("Analog Range Start"), mmText(v.analogMinMm));
    add(QStringLiteral("Analog Range End"), mmText(v.analogMaxMm));

    group = QStringLiteral("Thrust Overload");
    add(QStringLiteral("Thrust Overload Function"),
        v.thrustOverload ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    add(QStringLiteral("Sensor Position"), v.sensorOnGearUnit
                                               ? QStringLiteral("end of gear unit")
                                               : QStringLiteral("directly on motor axis"));
    add(QStringLiteral("Thrust Limit RPM Value"),
        QString::number(v.thrustLimitRpm) + QStringLiteral(" RPM"));
    add(QStringLiteral("Motor Rush In Time Delay Retract"), delayText(v.rushInRetractTenths, sep));
    add(QStringLiteral("Motor Rush In Time Delay Extend"), delayText(v.rushInExtendTenths, sep));
    return rows;
}

ParameterValues writtenValues(const ParameterValues& values) {
    ParameterBlock block;
    if (!storeValues(values, block)) {
        return values; // nothing of it can be written: it stands as it is
    }
    ParameterValues written = receivedValues(block);
    // The direction goes out in the word after the block; a read reports it in word 0, which a
    // send leaves alone.
    written.clockwise = values.clockwise;
    return written;
}

std::vector<ComparisonRow> compareParameters(const ParameterValues& controller,
                                             const ParameterValues& file, QChar decimalSeparator) {
    const std::vector<ParameterRow> left = parameterRows(controller, decimalSeparator);
    const std::vector<ParameterRow> right = parameterRows(file, decimalSeparator);
    const std::vector<ParameterRow> written = parameterRows(writtenValues(file), decimalSeparator);
    std::vector<ComparisonRow> rows;
    rows.reserve(left.size());
    for (std::size_t i = 0; i < left.size(); ++i) {
        QString fileText = right[i].value;
        if (written[i].value != fileText) {
            fileText += QStringLiteral(" (written: ") + written[i].value + QLatin1Char(')');
        }
        // Either agreement counts: a file saved from what the controller shows matches as it
        // stands, a file just written matches as the controller reports it.
        rows.push_back({left[i].group, left[i].label, left[i].value, fileText,
                        left[i].value != right[i].value && left[i].value != written[i].value});
    }
    return rows;
}

ParameterValues blockValues(std::span<const std::uint16_t> words) {
    ParameterBlock block;
    block.storeReceivedWords(words);
    return receivedValues(block);
}

FileValues parameterFileValues(const IniFile& ini) {
    FileValues out;
    if (ini.loadState() != IniFile::LoadState::Loaded) {
        out.problem = QStringLiteral("the file cannot be read");
    } else if (!ini.keys(QString::fromLatin1(BlockSectionName)).isEmpty()) {
        const BlockSectionRead read = readBlockSection(ini);
        if (read) {
            out.values = blockValues(read.backup->words);
            out.fromBlockSection = true;
        } else {
            out.problem = QStringLiteral("the backup's block is damaged: ") + read.problem;
        }
    } else if (isParameterFile(ini)) {
        // Values the pages would change on loading would compare as something the file does not
        // say.
        UsableFileValues file = usableFileValues(ini);
        out.values = std::move(file.values);
        out.problem = file.problems.join(QStringLiteral("; "));
    } else {
        out.problem = QStringLiteral("the file holds no parameters");
    }
    return out;
}

QString comparisonText(const std::vector<ComparisonRow>& rows, const QString& controllerTitle,
                       const QString& fileTitle) {
    qsizetype labelWidth = 0;
    qsizetype controllerWidth = controllerTitle.size();
    for (const ComparisonRow& row : rows) {
        labelWidth = std::max(labelWidth, row.label.size());
        controllerWidth = std::max(controllerWidth, row.controller.size());
    }
    const QString gap = QStringLiteral("  ");
    QString text = QStringLiteral("  ") + padded(QString(), labelWidth) + gap +
                   padded(controllerTitle, controllerWidth) + gap + fileTitle + QLatin1Char('\n');
    QString group;
    int differing = 0;
    for (const ComparisonRow& row : rows) {
        if (row.group != group) {
            group = row.group;
            text += QLatin1Char('\n') + group + QLatin1Char('\n');
        }
        differing += row.differs ? 1 : 0;
        text += (row.differs ? QStringLiteral("* ") : QStringLiteral("  ")) +
                padded(row.label, labelWidth) + gap + padded(row.controller, controllerWidth) +
                gap + row.file + QLatin1Char('\n');
    }
    text += QLatin1Char('\n') +
            (differing == 0 ? QStringLiteral("No parameter differs.")
                            : QStringLiteral("%1 of %2 parameters differ (marked *).")
                                  .arg(differing)
                                  .arg(rows.size())) +
            QLatin1Char('\n');
    return text;
}

QJsonArray comparisonJson(const std::vector<ComparisonRow>& rows) {
    QJsonArray out;
    for (const ComparisonRow& row : rows) {
        out.append(QJsonObject{{QStringLiteral("group"), row.group},
                               {QStringLiteral("label"), row.label},
                               {QStringLiteral("controller"), row.controller},
                               {QStringLiteral("file"), row.file},
                               {QStringLiteral("differs"), row.differs}});
    }
    return out;
}

} // namespace zuvo
