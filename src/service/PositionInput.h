#pragma once
// Module replacement without widgets: the memory position typed in millimetres, its conversion
// to sensor counts, and the texts of the memory label.

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

// counts = mm / stroke * (turns * 1024), truncated toward zero. Nothing when the stroke is 0 or
// the result does not fit the 32-bit position.
std::optional<std::int32_t> memoryCountsFromMm(double mm, int strokeMm, int turns);

// The memory label: "Memory: " + millimetres + "mm".
QString memoryLabel(const QString& millimetres);

// The memory label of a position in counts, in the readout's millimetre format (0 mm while the
// turns are below 1).
QString memoryLabel(std::int32_t counts, int strokeMm, int turns, QChar decimalSeparator);

struct MemoryInput {
    std::optional<std::int32_t> counts; // set when the input was taken
    QString label;                      // the new memory label then
    QString message;                    // otherwise what the user is told
};

// The right-button input box's text, applied: the point rule, the conversion and the label,
// which shows the typed text (after the point rule, trimmed) rather than a reformatted number.
MemoryInput readMemoryInput(const QString& typed, int strokeMm, int turns, QChar decimalSeparator);

// The message when "Set Position" is asked for while nothing has been memorised.
QString noMemoryPositionMessage();

inline const QString kWrongInputFormat = QStringLiteral(" Wrong input format ");
inline const QString kNoStrokeMessage =
    QStringLiteral(" The stroke is 0 mm: set the cylinder's stroke first ");

} // namespace zuvo
