#include "serial/PortListing.h"

#include "serial/AdapterName.h"
#include "serial/SerialAdapters.h"

#include <QStringList>

#include <algorithm>

namespace zuvo {

std::vector<PortListEntry> listPorts(const PortMap& map, int highest) {
    return listPorts(map, highest, QStringLiteral("/"));
}

std::vector<PortListEntry> listPorts(const PortMap& map, int highest, const QString& root) {
    QList<int> numbers;
    for (int n = 1; n <= highest; ++n) {
        numbers << n;
    }
    for (const int n : map.overrides().keys()) {
        if (n > highest) {
            numbers << n;
        }
    }
    const std::vector<SerialAdapter> adapters = presentAdapters(root);
    const QString sys = underRoot(root, QStringLiteral("/sys"));

    std::vector<PortListEntry> entries;
    for (const int n : numbers) {
        PortListEntry e;
        e.number = n;
        e.configuredPath = map.devicePath(n);
        const QString reached = reachedDevice(e.configuredPath, root);
        e.present = !reached.isEmpty();
        e.devicePath = e.present ? reached : e.configuredPath;
        if (isByIdPath(e.configuredPath)) {
            e.byIdPath = e.configuredPath;
        } else if (e.present) {
            const auto it =
                std::find_if(adapters.begin(), adapters.end(),
                             [&](const SerialAdapter& a) { return a.devicePath == reached; });
            if (it != adapters.end()) {
                e.byIdPath = it->byIdPath;
            }
        }
        if (e.present) {
            e.adapterName = adapterName(underRoot(root, reached), sys);
        }
        entries.push_back(e);
    }
    return entries;
}

bool isTied(const PortListEntry& entry) {
    return isByIdPath(entry.configuredPath);
}

QString formatPortListing(const std::vector<PortListEntry>& entries) {
    std::vector<QStringList> rows;
    for (const PortListEntry& e : entries) {
        QStringList row{QStringLiteral("COM%1").arg(e.number), e.devicePath,
                        e.present ? (e.adapterName.isEmpty() ? QStringLiteral("-") : e.adapterName)
                                  : QStringLiteral("not present"),
                        e.byIdPath.isEmpty() ? QStringLiteral("-") : e.byIdPath};
        if (isTied(e)) {
            row << QStringLiteral("(tied)");
        }
        rows.push_back(row);
    }
    std::vector<qsizetype> widths;
    for (const QStringList& row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (widths.size() <= static_cast<std::size_t>(i)) {
                widths.push_back(0);
            }
            widths[i] = std::max(widths[i], row.at(i).size());
        }
    }
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            line += i + 1 < row.size() ? row.at(i).leftJustified(widths[i] + 2) : row.at(i);
        }
        text += line.trimmed() + QLatin1Char('\n');
    }
    return text;
}

} // namespace zuvo
