#include "params/ParameterValues.h"

#include "params/EditorText.h"
#include "params/FileNumber.h"
#include "params/StrokeAndTurns.h"
#include "params/WordFields.h"
#include "params/WordValues.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

// The file side of the parameter values: what "Read from File" shows of a parameter file, the
// keys it cannot use as written, and the keys "Save to File" writes.

namespace zuvo {

namespace {

// A number a file holds for an edit, with the point as its mark; text that is no number as is.
QString fileEditText(const QString& stored) {
    const std::optional<double> value = parseFileNumber(stored);
    return value ? fileNumber(*value, QLatin1Char('.')) : stored;
}

bool fitsWord(std::int64_t value) {
    return value >= 0 && value <= 0xFFFF;
}

} // namespace

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
    setFunctionFlags(values, file.functionFlags);
    values.hysteresisMm = fileEditText(file.hysteresis);
    for (int c = 1; c <= Segments; ++c) {
        const std::uint16_t mask = file.segmentMasks[static_cast<std::size_t>(c - 1)];
        words[Word::segmentMask(c)] = mask;
        values.segmentOutputs[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint8_t>(mask & SegmentOutputBits);
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
    setRushInDelays(values, file.rushInDelays);
    words[Word::ThrustLimitSpeed] = file.thrustLimitSpeed;
    values.thrustLimitRpm = SpeedWordToRpm(file.thrustLimitSpeed, speedSensorOf(values));
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

} // namespace zuvo
