#pragma once
// The parameter set as rows a person reads: one row per parameter of the editor pages, in the
// user's units, grouped by page. Two sets side by side (the controller's block and a file) make
// the comparison that the window shows and a command line prints as text or JSON.

#include "params/IniFile.h"
#include "params/ParameterValues.h"

#include <QJsonArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zuvo {

struct ParameterRow {
    QString group; // the page: "Cylinder Settings"
    QString label; // "Stroke"
    QString value; // "150 mm"
    bool operator==(const ParameterRow&) const = default;
};

// Every parameter of the set in page order; numbers with `decimalSeparator`.
std::vector<ParameterRow> parameterRows(const ParameterValues& values, QChar decimalSeparator);

struct ComparisonRow {
    QString group;
    QString label;
    QString controller;
    QString file;
    bool differs = false;
    bool operator==(const ComparisonRow&) const = default;
};

// What the controller reports of `values` once they are written: the words a send makes of them,
// read back (a hysteresis of 0.25 mm may come back as 0.30 mm). Values that cannot be written
// stand as they are.
ParameterValues writtenValues(const ParameterValues& values);

// The two sets row by row. A row differs when the controller's text differs both from the file's
// and from the file's as written, so that a file saved from the controller and a file just written
// to it compare equal; where writing changes the file's text, its column says so:
// "0.25 mm (written: 0.30 mm)".
std::vector<ComparisonRow> compareParameters(const ParameterValues& controller,
                                             const ParameterValues& file, QChar decimalSeparator);

// The parameters of a block as received (word 0 first), as the pages show them.
ParameterValues blockValues(std::span<const std::uint16_t> words);

struct FileValues {
    std::optional<ParameterValues> values;
    bool fromBlockSection = false; // a backup: its raw words, not its editor sections
    QString problem;               // why there are none
};

// The parameters a file holds: a backup's [BLOCK] words when it has that section (a damaged one
// is refused), else its editor sections (refused when a key cannot be used as written); a file
// that is neither is refused.
FileValues parameterFileValues(const IniFile& ini);

// The comparison as plain text: a header naming both sides, one line per row in aligned
// columns, differing rows marked with '*' in the first column, and a closing count.
QString comparisonText(const std::vector<ComparisonRow>& rows, const QString& controllerTitle,
                       const QString& fileTitle);

// The rows as JSON objects: group, label, controller, file, differs.
QJsonArray comparisonJson(const std::vector<ComparisonRow>& rows);

} // namespace zuvo
