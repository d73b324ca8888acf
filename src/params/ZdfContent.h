#pragma once
// What a parameter file (*.ZDF) holds, its sections and keys in the order they are written, and
// how its values are read: missing or unusable values take the key's default, numbers load with
// a decimal comma or a decimal point whatever the system's separator is.

#include "params/IniFile.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace zuvo {

inline constexpr int ZdfSegmentCount = 9;
inline constexpr int ZdfSwitchPositionCount = 8;

// The editor's values as a parameter file carries them. The hysteresis and the switch positions
// are edit texts (the system's separator); everything else is a number.
struct ZdfContent {
    std::uint16_t zeroWord = 0;    // ZYLINDER ZERO: read, never written
    std::uint16_t strokeMm = 1000; // ZYLINDER LENGTH
    double gear = 100;             // ZYLINDER GEAR: sensor revolutions over the stroke
    int turns = 100;               // the turns edit: GEAR when it is an integer, else 100
    bool clockwise = true;         // ZYLINDER DIRECTION: 1 = clockwise
    QString hysteresis = QStringLiteral("1");                  // OUTPUT HYSTERESIS, mm
    std::array<std::uint16_t, ZdfSegmentCount> segmentMasks{}; // OUTPUT Funktion1..9
    std::uint16_t functionFlags = 0;                           // ANALOG Funktion
    std::uint16_t rushInDelays = 2570;                         // ANLAUF Funktion1 (both 1.0 s)
    std::uint16_t thrustLimitSpeed = 20480;                    // ANLAUF Funktion2
    std::array<QString, ZdfSwitchPositionCount> switchPositions = defaultPositions(); // Pos1..8
    int analogMinMm = -1; // POSITION Analog1 (the track bar clamps -1 to 0)
    int analogMaxMm = -1; // POSITION Analog2

    // The gear word: revolutions x 10, truncated.
    std::uint16_t gearWord() const;

    bool operator==(const ZdfContent&) const = default;

    // "-1" for every switch position: not set.
    static std::array<QString, ZdfSwitchPositionCount> defaultPositions();
};

// A chosen file name without a three-letter extension gets ".ZDF" appended.
QString withZdfExtension(const QString& fileName);

// A decimal number in `locale`'s notation, or with a decimal comma or point in place of its
// separator; no group separators, nothing that is not finite.
std::optional<double> parseDecimal(const QString& text, const QLocale& locale = QLocale());
// A stored number re-written in `locale`'s notation (so that the edit reads it as the file
// meant it); a text that is no number is kept as stored.
QString localDecimalText(const QString& stored, const QLocale& locale = QLocale());

// Whether the file holds at least one of the five sections: anything else (an empty file, a
// binary file, a file of another program) is not a parameter set.
bool isParameterFile(const IniFile& ini);

// Every key with its default when it is missing or its value does not fit its word or edit.
ZdfContent readZdf(const IniFile& ini, const QLocale& locale = QLocale());

// Writes the keys in their order (a new file gets the sections in that order); numbers in
// `locale`'s notation. False when a key could not be written; the file on disk is untouched until
// the caller saves.
bool writeZdf(IniFile& ini, const ZdfContent& content, const QLocale& locale = QLocale());

} // namespace zuvo
