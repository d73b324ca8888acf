#include "device/SectorCheck.h"

#include <algorithm>
#include <optional>

namespace zuvo {

std::array<std::int32_t, 5> sortedEdges(const EdgeTable& table) {
    std::array<std::int32_t, 5> picks{};
    std::int32_t previous = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        // Any value counts, 999 and above included (sensor words beyond one revolution give
        // such angles); 999 stands in only when no value is left.
        std::optional<std::int32_t> pick;
        for (std::int32_t value : table) {
            if (value > previous && (!pick || value < *pick)) {
                pick = value;
            }
        }
        picks[i] = pick.value_or(kMissingEdge);
        previous = picks[i];
    }
    picks[4] = kMissingEdge;
    return picks;
}

int markRow(std::int32_t degrees) {
    return degrees * 100 / 140;
}

namespace {

QString tableLine(const QString& label, std::int32_t degrees) {
    QString line = label + QString::number(degrees) + QStringLiteral("° ");
    if (degrees < kMinSectorDegrees) {
        line += QStringLiteral("!!!!!");
    }
    return line;
}

} // namespace

SectorCheck checkSectors(const EdgeTable& reed1Edges, const EdgeTable& reed2Edges) {
    SectorCheck result;
    const auto isEmpty = [](std::int32_t slot) { return slot == 0; };
    if (std::ranges::any_of(reed1Edges, isEmpty) || std::ranges::any_of(reed2Edges, isEmpty)) {
        return result;
    }
    result.complete = true;
    const auto a = sortedEdges(reed1Edges);
    const auto b = sortedEdges(reed2Edges);

    // The marks test the order B0 < A0 < B1 < A1 ..., one step off the table's order, so a
    // well-placed pair of switches marks every A value. Kept as the strip has always shown it.
    for (std::size_t p = 0; p < 4; ++p) {
        if (a[p] < b[p] + 9) {
            result.markRows.push_back(markRow(a[p]));
        }
        if (b[p + 1] < a[p] + 9) {
            result.markRows.push_back(markRow(b[p + 1]));
        }
    }

    const std::array<std::int32_t, 9> sectors = {
        a[0],        b[0] - a[0], a[1] - b[0], b[1] - a[1], a[2] - b[1],
        b[2] - a[2], a[3] - b[2], b[3] - a[3], 360 - b[3],
    };
    const QString empty;
    result.table = {
        tableLine(QStringLiteral("Anfang: \t\t"), sectors[0]),
        empty,
        tableLine(QStringLiteral("Vorlauf1: \t\t"), sectors[1]),
        tableLine(QStringLiteral("Überschneidung1: \t"), sectors[2]),
        tableLine(QStringLiteral("Nachlauf1: \t"), sectors[3]),
        empty,
        tableLine(QStringLiteral("Zwischenraum: \t"), sectors[4]),
        empty,
        tableLine(QStringLiteral("Vorlauf2: \t\t"), sectors[5]),
        tableLine(QStringLiteral("Überschneidung2: \t"), sectors[6]),
        tableLine(QStringLiteral("Nachlauf2: \t"), sectors[7]),
        empty,
        tableLine(QStringLiteral("Ende : \t\t"), sectors[8]),
    };
    result.passed = std::ranges::all_of(
        sectors, [](std::int32_t degrees) { return degrees > kMinSectorDegrees; });
    return result;
}

} // namespace zuvo
