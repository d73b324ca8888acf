#include "serial/SerialAdapters.h"

#include "serial/AdapterName.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace zuvo {

namespace {

bool isRealRoot(const QString& root) {
    return root.isEmpty() || QDir::cleanPath(root) == QLatin1String("/");
}

// The adapter at this index of `found` whose device is `device`, or found.size().
std::size_t indexOf(const std::vector<SerialAdapter>& found, const QString& device) {
    const auto it = std::find_if(found.begin(), found.end(),
                                 [&](const SerialAdapter& a) { return a.devicePath == device; });
    return static_cast<std::size_t>(it - found.begin());
}

// Sorts ttyUSB10 after ttyUSB9: the name without its trailing digits, then their value.
std::pair<QString, qulonglong> deviceOrder(const QString& device) {
    qsizetype digits = device.size();
    while (digits > 0 && device.at(digits - 1).isDigit()) {
        --digits;
    }
    return {device.left(digits), device.mid(digits).toULongLong()};
}

} // namespace

QString underRoot(const QString& root, const QString& systemPath) {
    if (isRealRoot(root)) {
        return systemPath;
    }
    return QDir::cleanPath(root + QLatin1Char('/') + systemPath);
}

QString reachedDevice(const QString& systemPath, const QString& root) {
    if (systemPath.isEmpty()) {
        return {};
    }
    const QString real = QFileInfo(underRoot(root, systemPath)).canonicalFilePath();
    if (real.isEmpty() || isRealRoot(root)) {
        return real;
    }
    const QString base = QFileInfo(root).canonicalFilePath();
    if (real.startsWith(base + QLatin1Char('/'))) {
        return real.mid(base.size());
    }
    return real;
}

bool isByIdPath(const QString& systemPath) {
    return QDir::cleanPath(systemPath).startsWith(SerialByIdFolder + QLatin1Char('/'));
}

std::vector<SerialAdapter> presentAdapters(const QString& root) {
    std::vector<SerialAdapter> found;
    const QString sys = underRoot(root, QStringLiteral("/sys"));
    const auto add = [&](const QString& device, const QString& byId) {
        if (device.isEmpty()) {
            return;
        }
        const std::size_t at = indexOf(found, device);
        if (at < found.size()) {
            // Several links for one device: keep the first in name order.
            if (found[at].byIdPath.isEmpty()) {
                found[at].byIdPath = byId;
            }
            return;
        }
        found.push_back({device, byId, adapterName(underRoot(root, device), sys)});
    };

    const QDir byId(underRoot(root, SerialByIdFolder));
    for (const QString& link : byId.entryList(QDir::Files | QDir::System, QDir::Name)) {
        const QString path = SerialByIdFolder + QLatin1Char('/') + link;
        add(reachedDevice(path, root), path);
    }
    const QDir dev(underRoot(root, QStringLiteral("/dev")));
    for (const QString& node : dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                             QDir::Files | QDir::System, QDir::Name)) {
        add(QStringLiteral("/dev/") + node, QString());
    }
    std::sort(found.begin(), found.end(), [](const SerialAdapter& a, const SerialAdapter& b) {
        return deviceOrder(a.devicePath) < deviceOrder(b.devicePath);
    });
    return found;
}

} // namespace zuvo
