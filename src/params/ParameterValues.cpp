#include "params/ParameterValues.h"

#include "params/EditorText.h"
#include "params/FileNumber.h"
#include "params/SpeedWord.h"
#include "params/StrokeAndTurns.h"
#include "params/WordFields.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zuvo {

namespace {

// Range of the rush-in delay track bars.
constexpr int kMinRushIn = 3;
constexpr int kMaxRushIn = 30;
// Six outputs: bits 0..5 of a segment mask.
constexpr std::uint16_t kOutputBits = 0x3F;

SpeedSensor sensorOf(const ParameterValues& values) {
    return values.sensorOnGearUnit ? SpeedSensor::GearUnit : SpeedSensor::MotorAxis;
}

// The texts a received block shows: one decimal.
QString oneDecimal(long double mm) {
    return oneDecimalText(static_cast<double>(mm), QLatin1Char('.'));
}

// A track bar's position: clamped to 0..maximum.
int barPosition(std::int64_t mm, std::int64_t maximum) {
    const std::int64_t top = std::clamp<std::int64_t>(maximum, 0, std::numeric_limits<int>::max());
    return static_cast<int>(std::clamp<std::int64_t>(mm, 0, top));
}

// The two analog bars are set maximum first; each drags the other along, so the maximum ends at
// least at the minimum.
void setAnalogRange(ParameterValues& values, std::int64_t minimumMm, std::int64_t maximumMm,
                    std::int64_t barMaximum) {
    values.analogMinMm = barPosition(minimumMm, barMaximum);
    values.analogMaxMm = std::max(barPosition(maximumMm, barMaximum), values.analogMinMm);
}

void setFlags(ParameterValues& values, std::uint16_t word) {
    const FunctionFlags flags = FunctionFlags::fromWord(word).shown();
    values.analogFunction = flags.analogFunction;
    values.digitalOutput4 = flags.digitalOutput4;
    values.impulses = flags.impulses;
    values.externalReference = flags.externalReference;
    values.thrustOverload = flags.thrustOverload;
    values.sensorOnGearUnit = flags.sensorOnGearUnit;
}

void setRushIn(ParameterValues& values, std::uint16_t word) {
    const RushInDelays delays = RushInDelays::fromWord(word);
    values.rushInRetractTenths = std::clamp(delays.retract, kMinRushIn, kMaxRushIn);
    values.rushInExtendTenths = std::clamp(delays.extend, kMinRushIn, kMaxRushIn);
}

// A number a file holds for an edit, with the point as its mark; text that is no number as is.
QString fileEditText(const QString& stored) {
    const std::optional<double> value = parseFileNumber(stored);
    return value ? fileNumber(*value, QLatin1Char('.')) : stored;
}

bool fitsWord(std::int64_t value) {
    return value >= 0 && value <= 0xFFFF;
}

bool fitsCounts(std::int64_t counts) {
    return counts >= std::numeric_limits<std::int32_t>::min() &&
           counts <= std::numeric_limits<std::int32_t>::max();
}

// A value for a message: two decimals with the desktop's separator.
QString millimetres(double mm) {
    return fileNumber(mm, systemDecimalSeparator(), 2);
}

// The largest hysteresis with two decimals whose counts fit their word.
double largestHysteresis(Geometry geometry) {
    auto hundredths = static_cast<std::int64_t>(65535.5L * geometry.strokeMm * 100 /
                                                (geometry.turns * CountsPerRevolution));
    while (hundredths > 0 && !HysteresisFitsWord(static_cast<double>(hundredths) / 100, geometry)) {
        --hundredths;
    }
    return static_cast<double>(hundredths) / 100;
}

} // namespace

std::array<QString, SwitchPositions> ParameterValues::defaultSwitchPositions() {
    std::array<QString, SwitchPositions> positions;
    positions.fill(QStringLiteral("0.00"));
    return positions;
}

std::optional<Geometry> valuesGeometry(const ParameterValues& values) {
    const Geometry geometry{values.strokeMm, values.turns};
    return geometry.valid() ? std::optional<Geometry>(geometry) : std::nullopt;
}

SwitchPositionCheck checkSwitchPosition(const QString& text, std::optional<Geometry> geometry) {
    const std::optional<double> mm = editorDecimal(text);
    if (!mm) {
        return SwitchPositionCheck::NoNumber;
    }
    if (*mm == NotSetMm) {
        return SwitchPositionCheck::NotSet;
    }
    if (*mm < 0) {
        return SwitchPositionCheck::Negative;
    }
    if (geometry && *mm > static_cast<double>(geometry->strokeMm)) {
        return SwitchPositionCheck::BeyondStroke;
    }
    // Beyond 32 bits of counts the controller would get a different position.
    if (geometry && !fitsCounts(*EditorCounts(*mm, *geometry))) {
        return SwitchPositionCheck::BeyondCounts;
    }
    return SwitchPositionCheck::Usable;
}

bool switchPositionUsable(SwitchPositionCheck check) {
    return check == SwitchPositionCheck::Usable || check == SwitchPositionCheck::NotSet;
}

bool hysteresisUsable(const QString& text, std::optional<Geometry> geometry) {
    const std::optional<double> mm = editorDecimal(text);
    // Counts beyond the word would be cut to a different hysteresis.
    return mm && *mm >= 0 && (!geometry || HysteresisFitsWord(*mm, *geometry));
}

std::vector<ValueField> unusableFields(const ParameterValues& values) {
    std::vector<ValueField> fields;
    if (!strokeUsable(values.strokeMm)) {
        fields.push_back(ValueField::Stroke);
    }
    if (!turnsUsable(values.turns)) {
        fields.push_back(ValueField::Turns);
    }
    const std::optional<Geometry> geometry = valuesGeometry(values);
    if (!hysteresisUsable(values.hysteresisMm, geometry)) {
        fields.push_back(ValueField::Hysteresis);
    }
    for (int k = 1; k <= SwitchPositions; ++k) {
        if (!switchPositionUsable(checkSwitchPosition(
                values.switchPositionsMm[static_cast<std::size_t>(k - 1)], geometry))) {
            fields.push_back(switchPositionField(k));
        }
    }
    return fields;
}

bool storeValues(const ParameterValues& values, ParameterBlock& block) {
    if (!unusableFields(values).empty()) {
        return false;
    }
    const Geometry geometry = *valuesGeometry(values);
    auto& words = block.Slots;
    words[Word::Stroke] = static_cast<std::uint16_t>(values.strokeMm);
    words[Word::GearTurns] = static_cast<std::uint16_t>(values.turns * 10);
    words[Word::Direction] = values.clockwise ? 0 : DirectionCounterClockwise;

    FunctionFlags flags;
    flags.analogFunction = values.analogFunction;
    flags.digitalOutput4 = values.digitalOutput4;
    flags.impulses = values.impulses;
    flags.externalReference = values.externalReference;
    flags.thrustOverload = values.thrustOverload;
    flags.sensorOnGearUnit = values.sensorOnGearUnit;
    words[Word::FunctionFlags] = flags.toWord();
    words[Word::RushInDelays] =
        RushInDelays{values.rushInRetractTenths & 0x7F, values.rushInExtendTenths & 0x7F}.toWord();
    words[Word::ThrustLimitSpeed] = RpmToSpeedWord(values.thrustLimitRpm, sensorOf(values));
    words[Word::Hysteresis] = *HysteresisCounts(*editorDecimal(values.hysteresisMm), geometry);
    for (int c = 1; c <= Segments; ++c) {
        words[Word::segmentMask(c)] = values.segmentOutputs[static_cast<std::size_t>(c - 1)];
    }

    auto& counts = block.SwitchPositionCounts;
    counts[AnalogMinEntry] = *EditorCounts(std::int64_t{values.analogMinMm}, geometry);
    counts[AnalogMaxEntry] = *EditorCounts(std::int64_t{values.analogMaxMm}, geometry);
    for (int k = 1; k <= SwitchPositions; ++k) {
        counts[switchPositionEntry(k)] = *EditorCounts(
            *editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]), geometry);
    }
    block.splitPositions();
    return true;
}

ParameterValues receivedValues(ParameterBlock& block) {
    ParameterValues values;
    auto& words = block.Slots;
    block.joinPositions();
    const auto& counts = block.SwitchPositionCounts;

    const ReceivedGeometry geometry = receivedGeometry(words[Word::Stroke], words[Word::GearTurns]);
    words[Word::Stroke] = geometry.strokeMm;
    words[Word::GearTurns] = geometry.gearWord;
    values.strokeMm = geometry.strokeMm;
    values.turns = geometry.turns;
    values.clockwise = (words[Word::ZeroWord] & DirectionCounterClockwise) == 0;

    setFlags(values, words[Word::FunctionFlags]);
    setRushIn(values, words[Word::RushInDelays]);
    values.thrustLimitRpm = SpeedWordToRpm(words[Word::ThrustLimitSpeed], sensorOf(values));

    setAnalogRange(values, AnalogCountsToMm(counts[AnalogMinEntry], geometry),
                   AnalogCountsToMm(counts[AnalogMaxEntry], geometry), geometry.strokeMm);
    values.hysteresisMm = oneDecimal(HysteresisMm(words[Word::Hysteresis], geometry));
    for (int k = 1; k <= SwitchPositions; ++k) {
        const std::int64_t entry = counts[switchPositionEntry(k)];
        values.switchPositionsMm[static_cast<std::size_t>(k - 1)] =
            entry >= 0 ? oneDecimal(CountsToMm(entry, geometry)) : QStringLiteral("-1");
    }
    for (int c = 1; c <= Segments; ++c) {
        values.segmentOutputs[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint8_t>(words[Word::segmentMask(c)] & kOutputBits);
    }
    block.updateSwitchPositionStates();
    return values;
}

ParameterValues loadedValues(const ZdfContent& file, ParameterBlock& block) {
    ParameterValues values;
    auto& words = block.Slots;

    words[Word::ZeroWord] = file.zeroWord;
    values.strokeMm = file.strokeMm;
    words[Word::Stroke] = fitsWord(file.strokeMm) ? static_cast<std::uint16_t>(file.strokeMm) : 0;
    values.clockwise = file.clockwise;
    // As written: turns beyond the edit's bound are refused, not cut to 6000.
    values.turns = file.turns;
    // The gear word keeps the file's tenths where it can.
    const double gearWord = std::trunc(file.gear * 10);
    if (gearWord >= 0 && gearWord <= 0xFFFF) {
        words[Word::GearTurns] = static_cast<std::uint16_t>(gearWord);
    } else {
        words[Word::GearTurns] =
            fitsWord(values.turns * 10) ? static_cast<std::uint16_t>(values.turns * 10) : 0;
    }

    words[Word::FunctionFlags] = file.functionFlags;
    setFlags(values, file.functionFlags);
    values.hysteresisMm = fileEditText(file.hysteresis);
    for (int c = 1; c <= Segments; ++c) {
        const std::uint16_t mask = file.segmentMasks[static_cast<std::size_t>(c - 1)];
        words[Word::segmentMask(c)] = mask;
        values.segmentOutputs[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint8_t>(mask & kOutputBits);
    }
    // An unusable stroke leaves the bars' range as it was; only their lower end is certain.
    const std::int64_t barMaximum =
        strokeUsable(file.strokeMm) ? file.strokeMm : std::numeric_limits<int>::max();
    setAnalogRange(values, file.analogMinMm, file.analogMaxMm, barMaximum);
    for (int k = 1; k <= SwitchPositions; ++k) {
        values.switchPositionsMm[static_cast<std::size_t>(k - 1)] =
            fileEditText(file.switchPositions[static_cast<std::size_t>(k - 1)]);
    }

    const Geometry geometry{values.strokeMm, values.turns};
    auto& counts = block.SwitchPositionCounts;
    counts[AnalogMinEntry] = EditorCounts(std::int64_t{values.analogMinMm}, geometry).value_or(-1);
    counts[AnalogMaxEntry] = EditorCounts(std::int64_t{values.analogMaxMm}, geometry).value_or(-1);
    for (int k = 1; k <= SwitchPositions; ++k) {
        const std::optional<double> mm =
            editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]);
        counts[switchPositionEntry(k)] =
            mm ? FileCounts(*mm, geometry).value_or(-1) : std::int64_t{-1};
    }

    words[Word::RushInDelays] = file.rushInDelays;
    setRushIn(values, file.rushInDelays);
    words[Word::ThrustLimitSpeed] = file.thrustLimitSpeed;
    values.thrustLimitRpm = SpeedWordToRpm(file.thrustLimitSpeed, sensorOf(values));
    block.updateSwitchPositionStates();
    return values;
}

std::optional<ZdfContent> fileContent(const ParameterValues& values, QChar decimalSeparator) {
    ParameterBlock block;
    if (!storeValues(values, block)) {
        return std::nullopt;
    }
    const auto& words = block.Slots;
    ZdfContent file;
    file.strokeMm = values.strokeMm;
    file.gear = static_cast<double>(values.turns);
    file.turns = values.turns;
    file.clockwise = values.clockwise;
    file.hysteresis = fileNumber(*editorDecimal(values.hysteresisMm), decimalSeparator);
    for (int c = 1; c <= Segments; ++c) {
        file.segmentMasks[static_cast<std::size_t>(c - 1)] = words[Word::segmentMask(c)];
    }
    file.functionFlags = words[Word::FunctionFlags];
    file.rushInDelays = words[Word::RushInDelays];
    file.thrustLimitSpeed = words[Word::ThrustLimitSpeed];
    for (int k = 1; k <= SwitchPositions; ++k) {
        file.switchPositions[static_cast<std::size_t>(k - 1)] =
            fileNumber(*editorDecimal(values.switchPositionsMm[static_cast<std::size_t>(k - 1)]),
                       decimalSeparator);
    }
    file.analogMinMm = values.analogMinMm;
    file.analogMaxMm = values.analogMaxMm;
    return file;
}

QString fileKeyOf(ValueField field) {
    switch (field) {
    case ValueField::Stroke:
        return QStringLiteral("LENGTH");
    case ValueField::Turns:
        return QStringLiteral("GEAR");
    case ValueField::Hysteresis:
        return QStringLiteral("HYSTERESIS");
    default:
        return QStringLiteral("Pos%1").arg(switchPositionOf(field));
    }
}

QString unusableFieldText(ValueField field, const ParameterValues& values) {
    const std::optional<Geometry> geometry = valuesGeometry(values);
    switch (field) {
    case ValueField::Stroke:
        return strokeRuleText();
    case ValueField::Turns:
        return turnsRuleText();
    case ValueField::Hysteresis: {
        const std::optional<double> mm = editorDecimal(values.hysteresisMm);
        if (mm && *mm >= 0 && geometry && !HysteresisFitsWord(*mm, *geometry)) {
            return QStringLiteral("the hysteresis of %1 mm is more counts than its word holds "
                                  "(at most %2 mm with this stroke and turns)")
                .arg(millimetres(*mm), millimetres(largestHysteresis(*geometry)));
        }
        return QStringLiteral("the hysteresis must be a number of mm (at most two decimals, "
                              "not negative)");
    }
    default:
        break;
    }
    const int k = switchPositionOf(field);
    const QString& text = values.switchPositionsMm[static_cast<std::size_t>(k - 1)];
    const std::optional<double> mm = editorDecimal(text);
    switch (checkSwitchPosition(text, geometry)) {
    case SwitchPositionCheck::Negative:
        return QStringLiteral("switch position %1 (%2 mm) must not be negative: -1 means not set")
            .arg(k)
            .arg(millimetres(*mm));
    case SwitchPositionCheck::BeyondStroke:
        return QStringLiteral("switch position %1 (%2 mm) lies beyond the stroke of %3 mm")
            .arg(k)
            .arg(millimetres(*mm))
            .arg(geometry->strokeMm);
    case SwitchPositionCheck::BeyondCounts:
        return QStringLiteral("switch position %1 (%2 mm) is more sensor counts than 32 bits hold")
            .arg(k)
            .arg(millimetres(*mm));
    case SwitchPositionCheck::NoNumber:
    case SwitchPositionCheck::NotSet:
    case SwitchPositionCheck::Usable:
        break;
    }
    return QStringLiteral("switch position %1 must be a number of mm within the stroke (at most "
                          "two decimals; -1 means not set)")
        .arg(k);
}

PageControl pageControlOf(ValueField field) {
    switch (field) {
    case ValueField::Stroke:
        return PageControl::Stroke;
    case ValueField::Turns:
        return PageControl::Turns;
    case ValueField::Hysteresis:
        return PageControl::Hysteresis;
    default:
        return switchPositionControl(switchPositionOf(field));
    }
}

std::optional<ValueField> valueFieldOf(PageControl control) {
    switch (control) {
    case PageControl::Stroke:
        return ValueField::Stroke;
    case PageControl::Turns:
        return ValueField::Turns;
    case PageControl::Hysteresis:
        return ValueField::Hysteresis;
    default:
        break;
    }
    const int k = switchPositionOf(control);
    return k != 0 ? std::optional(switchPositionField(k)) : std::nullopt;
}

std::vector<FileProblem> loadProblems(const ZdfContent& file, const ParameterValues& loaded) {
    std::vector<FileProblem> problems = file.problems;
    for (const ValueField field : unusableFields(loaded)) {
        QString written;
        QString section = QStringLiteral("ZYLINDER");
        switch (field) {
        case ValueField::Stroke:
            written = QString::number(file.strokeMm);
            break;
        case ValueField::Turns:
            written = QString::number(file.turns);
            break;
        case ValueField::Hysteresis:
            if (!file.hysteresisInFile) {
                continue; // the default stands in: no key of the file to name
            }
            section = QStringLiteral("OUTPUT");
            written = file.hysteresis;
            break;
        default:
            section = QStringLiteral("POSITION");
            written = file.switchPositions[static_cast<std::size_t>(switchPositionOf(field) - 1)];
            break;
        }
        problems.push_back({section,
                            fileKeyOf(field),
                            written,
                            unusableFieldText(field, loaded),
                            {pageControlOf(field)},
                            true});
    }
    return problems;
}

UsableFileValues usableFileValues(const IniFile& ini) {
    UsableFileValues out;
    if (ini.loadState() != IniFile::LoadState::Loaded || !isParameterFile(ini)) {
        return out;
    }
    const ZdfContent file = readZdf(ini);
    ParameterBlock block;
    ParameterValues values = loadedValues(file, block);
    const QString fileName = QFileInfo(ini.path()).fileName();
    const std::vector<FileProblem> problems = loadProblems(file, values);
    for (const FileProblem& problem : problems) {
        out.problems << fileProblemText(problem, fileName);
    }
    // A default that this cylinder cannot use (a missing hysteresis) names no key.
    for (const ValueField field : unusableFields(values)) {
        if (std::none_of(problems.begin(), problems.end(), [field](const FileProblem& p) {
                return p.held && valueFieldOf(p.controls.front()) == field;
            })) {
            out.problems << unusableFieldText(field, values);
        }
    }
    if (out.problems.isEmpty()) {
        out.values = std::move(values);
    }
    return out;
}

QString neutralDecimalText(const QString& shown, QChar decimalSeparator) {
    if (shown.trimmed().isEmpty() || !editorDecimal(shown)) {
        return shown;
    }
    QString neutral = shown;
    for (QChar& c : neutral) {
        if (c == QLatin1Char(',') || c == decimalSeparator) {
            c = QLatin1Char('.');
        }
    }
    return neutral;
}

QString shownDecimalText(const QString& neutral, QChar decimalSeparator) {
    if (neutral.trimmed().isEmpty() || !editorDecimal(neutral)) {
        return neutral;
    }
    QString shown = neutral;
    shown.replace(QLatin1Char('.'), decimalSeparator);
    return shown;
}

} // namespace zuvo
