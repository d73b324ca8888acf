#pragma once
// Module replacement without widgets: the memory position typed in millimetres, its conversion
// to sensor counts, and the texts of the memory label.

#include "params/UnitConversions.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace zuvo {

// A point is taken for the decimal comma: the text before the first point, a comma, and at most
// the two characters after that point.
QString pointToComma(const QString& text);

// Millimetres from a text whose decimal mark is the comma (or `decimalSeparator`); blanks
// around it are ignored. Nothing for anything that is not a plain number.
std::optional<double> parseMillimetres(const QString& text, QChar decimalSeparator);

// counts = mm / stroke * (turns * 1024), truncated toward zero. Nothing without a usable stroke
// and turns (Geometry::valid), or when the result does not fit the 32-bit position.
std::optional<std::int32_t> memoryCountsFromMm(double mm, Geometry geometry);

// The memory label: "Memory: " + millimetres + "mm".
QString memoryLabel(const QString& millimetres);

// The memory label of a position in counts, in the readout's millimetre format.
QString memoryLabel(std::int32_t counts, Geometry geometry, QChar decimalSeparator);

struct MemoryInput {
    std::optional<std::int32_t> counts; // set when the input was taken
    QString label;                      // the new memory label then
    QString message;                    // otherwise what the user is told
};

// The right-button input box's text, applied: the point rule, the conversion and the label,
// which shows the typed text (after the point rule, trimmed) rather than a reformatted number.
// Without a usable stroke and turns (nullopt) nothing is taken: the label would name a position
// that no count could carry.
MemoryInput readMemoryInput(const QString& typed, std::optional<Geometry> geometry,
                            QChar decimalSeparator);

// The message when "Set Position" is asked for while nothing has been memorised.
QString noMemoryPositionMessage();

inline const QString kWrongInputFormat = QStringLiteral(" Wrong input format ");
// Stroke or turns on "Cylinder Settings" are not usable: millimetres cannot become counts.
inline const QString kNoGeometryMessage =
    QStringLiteral(" Set the cylinder's stroke (1..65535 mm) and turns (1..6000) first: without "
                   "them no position in mm can be converted ");

} // namespace zuvo
