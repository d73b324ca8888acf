#pragma once
// The look of a report in one place: its colours (0xRRGGBB) and its text size.

#include <QRgb>

namespace zuvo::report_style {

inline constexpr double kBodyPoints = 9;

inline constexpr QRgb kAccent = 0x1F3F66;   // title, headings
inline constexpr QRgb kPassed = 0x1E7B34;   // a passed check
inline constexpr QRgb kFailed = 0xC0141E;   // a failed check, flagged values
inline constexpr QRgb kTrace = 0xB02020;    // the recorded position
inline constexpr QRgb kNoteText = 0x555555; // notes and the footer
inline constexpr QRgb kRule = 0x8C8C8C;     // table rules, the footer line
inline constexpr QRgb kGrid = 0xD8D8D8;     // the plot's grid
inline constexpr QRgb kHeaderFill = 0xDCE3EA;
inline constexpr QRgb kGroupFill = 0xEEF1F4;
inline constexpr QRgb kLabelFill = 0xF6F7F9;

} // namespace zuvo::report_style
