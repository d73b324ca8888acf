#include "serial/PortListing.h"

#include "serial/AdapterName.h"

#include <QDir>
#include <QFileInfo>

namespace zuvo {

namespace {

const QString ByIdFolder = QStringLiteral("/dev/serial/by-id");

// The by-id link whose target is the same device as `devicePath`.
QString byIdLink(const QString& devicePath) {
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    if (target.isEmpty()) {
        return {};
    }
    const QDir folder(ByIdFolder);
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        if (link.canonicalFilePath() == target) {
            return link.absoluteFilePath();
        }
    }
    return {};
}

} // namespace

std::vector<PortListEntry> listPorts(const PortMap& map, int highest) {
    std::vector<PortListEntry> entries;
    for (int n = 1; n <= highest; ++n) {
        PortListEntry entry;
        entry.number = n;
        entry.devicePath = map.devicePath(n);
        entry.present = QFileInfo::exists(entry.devicePath);
        if (entry.present) {
            entry.byIdPath = byIdLink(entry.devicePath);
            entry.adapterName = adapterName(entry.devicePath);
        }
        entries.push_back(entry);
    }
    return entries;
}

QString formatPortListing(const std::vector<PortListEntry>& entries) {
    QString text;
    for (const PortListEntry& e : entries) {
        QString line = QStringLiteral("COM%1  %2").arg(e.number).arg(e.devicePath);
        if (!e.present) {
            line += QStringLiteral("  not present");
        } else {
            if (!e.adapterName.isEmpty()) {
                line += QStringLiteral("  ") + e.adapterName;
            }
            if (!e.byIdPath.isEmpty()) {
                line += QStringLiteral("  ") + e.byIdPath;
            }
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

} // namespace zuvo
