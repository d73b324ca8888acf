#pragma once
// What a parameter file (*.ZDF) holds, its sections and keys in the order they are written, and
// how its values are read: a missing key takes its default; a present key is used as written or
// named as a problem; numbers load with a decimal comma or a decimal point whatever the system's
// separator is (FileNumber.h).

#include "params/FileProblem.h"
#include "params/IniFile.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace zuvo {

inline constexpr int ZdfSegmentCount = 9;
inline constexpr int ZdfSwitchPositionCount = 8;

// A parameter file's keys as they stand in the file. Whole numbers and texts are kept even when
// the pages cannot use them (LENGTH=0, GEAR=-5, Pos3=abc): the pages show them and refuse to
// send or save them (ParameterValues.h). A key that is missing takes its default silently; a
// present key whose value does not convert takes its default too, and `problems` names it, as it
// names every present value the pages cannot hold as written.
struct ZdfContent {
    std::uint16_t zeroWord = 0;               // ZYLINDER ZERO: read, never written
    std::int64_t strokeMm = 1000;             // ZYLINDER LENGTH
    double gear = 100;                        // ZYLINDER GEAR: sensor revolutions over the stroke
    std::int64_t turns = 100;                 // GEAR as a whole number, 100 when it is none
    bool clockwise = true;                    // ZYLINDER DIRECTION: 1 = clockwise
    QString hysteresis = QStringLiteral("1"); // OUTPUT HYSTERESIS, mm, as stored
    bool hysteresisInFile = true;             // false: the key is missing, its default stands in
    std::array<std::uint16_t, ZdfSegmentCount> segmentMasks{}; // OUTPUT Funktion1..9
    std::uint16_t functionFlags = 0;                           // ANALOG Funktion
    std::uint16_t rushInDelays = 2570;                         // ANLAUF Funktion1 (both 1.0 s)
    std::uint16_t thrustLimitSpeed = 20480;                    // ANLAUF Funktion2
    std::array<QString, ZdfSwitchPositionCount> switchPositions = defaultPositions(); // Pos1..8
    int analogMinMm = -1; // POSITION Analog1 (the track bar clamps -1 to 0)
    int analogMaxMm = -1; // POSITION Analog2
    // Present keys whose values the pages cannot hold as they stand (the edits' values are
    // judged with the others, ParameterValues.h), in file order.
    std::vector<FileProblem> problems;

    bool operator==(const ZdfContent&) const = default;

    // "-1" for every switch position: not set.
    static std::array<QString, ZdfSwitchPositionCount> defaultPositions();
};

// A chosen file name without a three-letter extension gets ".ZDF" appended.
QString withZdfExtension(const QString& fileName);

// Whether the file holds at least one of the five sections: anything else (an empty file, a
// binary file, a file of another program) is not a parameter set.
bool isParameterFile(const IniFile& ini);

// Every key with its default when it is missing or its value does not convert; numbers read
// strictly with either decimal mark (FileNumber.h). The texts of HYSTERESIS and Pos1..Pos8 are
// kept as stored (blanks around them removed, one line). Present values that do not convert or
// that the pages cannot hold go to `problems`.
ZdfContent readZdf(const IniFile& ini);

// Writes the keys in their order (a new file gets the sections in that order); numbers in plain
// ASCII with `locale`'s decimal separator (FileNumber.h), texts as they are. False when a key
// could not be written; the file on disk is untouched until the caller saves.
bool writeZdf(IniFile& ini, const ZdfContent& content, const QLocale& locale = QLocale());

} // namespace zuvo
