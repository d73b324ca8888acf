#include "session/Settings.h"

#include "params/IniFile.h"
#include "serial/PortMap.h"
#include "serial/SerialAdapters.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace zuvo {

SettingsPaths settingsPaths() {
    const QString own = qEnvironmentVariable("ZUVO_SETTINGS");
    if (!own.isEmpty()) {
        return {own, {own}};
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config)) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    const QString user = config + QStringLiteral("/ZUVO/ZUVO.conf");
    return {user, {user, QStringLiteral("/etc/xdg/ZUVO/ZUVO.conf")}};
}

QChar readComDigit(const SettingsPaths& paths) {
    for (const QString& path : paths.read) {
        const auto stored = IniFile(path).value(SettingsSection, ComPortValue);
        if (stored) {
            return stored->isEmpty() ? QLatin1Char('1') : stored->front();
        }
    }
    return QLatin1Char('1');
}

std::optional<int> portNumberOfDigit(QChar digit) {
    if (digit >= QLatin1Char('0') && digit <= QLatin1Char('9')) {
        return digit.unicode() - '0';
    }
    return std::nullopt;
}

namespace {

// Writes one value into the user's file, creating its folders and keeping the rest of it.
bool storeValue(const QString& section, const QString& key, const QString& value,
                const SettingsPaths& paths) {
    if (paths.write.isEmpty() || !QDir().mkpath(QFileInfo(paths.write).absolutePath())) {
        return false;
    }
    IniFile file(paths.write);
    file.setNewLineEnding("\n");
    return file.writeString(section, key, value) && file.save();
}

// Every `[Ports]` entry of the files, lowest precedence first, with what is wrong with it (empty
// when it is sound or an empty value).
template <typename Visit> void visitPortEntries(const SettingsPaths& paths, Visit&& visit) {
    for (auto it = paths.read.crbegin(); it != paths.read.crend(); ++it) {
        const IniFile file(*it);
        for (const QString& key : file.keys(PortsSection)) {
            const auto number = IniFile::parseInteger(key);
            const QString device = file.readString(PortsSection, key, QString());
            QString fault;
            if (!number || *number <= 0) {
                fault = QStringLiteral("not a port number");
            } else if (!device.isEmpty() && !device.startsWith(QLatin1Char('/'))) {
                fault = QStringLiteral("not a device path");
            }
            visit(*it, key, number.value_or(0), device, fault);
        }
    }
}

} // namespace

bool storeComPort(const QString& numberText, const SettingsPaths& paths) {
    return storeValue(SettingsSection, ComPortValue, numberText, paths);
}

bool storePortDevice(int number, const QString& devicePath, const SettingsPaths& paths) {
    return number > 0 && storeValue(PortsSection, QString::number(number), devicePath, paths);
}

QMap<int, QString> readPortSettings(const SettingsPaths& paths) {
    QMap<int, QString> ports;
    // Lowest precedence first, so that the user's entries replace the preset's.
    visitPortEntries(paths, [&](const QString&, const QString&, int number, const QString& device,
                                const QString& fault) {
        if (!fault.isEmpty()) {
            return;
        }
        if (device.isEmpty()) {
            ports.remove(number);
        } else {
            ports.insert(number, device);
        }
    });
    return ports;
}

QStringList portSettingsProblems(const SettingsPaths& paths) {
    QStringList problems;
    visitPortEntries(paths, [&](const QString& file, const QString& key, int, const QString& device,
                                const QString& fault) {
        if (!fault.isEmpty()) {
            problems << QStringLiteral("%1: [%2] %3=%4 is %5; it is ignored.")
                            .arg(file, PortsSection, key, device, fault);
        }
    });
    return problems;
}

QString firmwareMemoryKey(int number, const QString& devicePath, const QString& root) {
    QString adapter = devicePath;
    if (!isByIdPath(devicePath)) {
        const QString reached = reachedDevice(devicePath, root);
        if (!reached.isEmpty()) {
            adapter = reached;
            // The first of the adapter's stable names, as the port list shows it.
            const QDir byId(underRoot(root, SerialByIdFolder));
            for (const QString& link : byId.entryList(QDir::Files | QDir::System, QDir::Name)) {
                const QString path = SerialByIdFolder + QLatin1Char('/') + link;
                if (reachedDevice(path, root) == reached) {
                    adapter = path;
                    break;
                }
            }
        }
    }
    return QStringLiteral("COM%1 %2").arg(number).arg(adapter);
}

std::optional<RememberedVersion> readRememberedVersion(const QString& key,
                                                       const SettingsPaths& paths) {
    // The version in decimal, then the time with its UTC offset, which keeps it right in any zone.
    static const QRegularExpression form(QStringLiteral(
        "^([0-9]{1,3}) "
        "([0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}(Z|[+-][0-9]{2}:[0-9]{2}))$"));
    for (const QString& path : paths.read) {
        const std::optional<QString> stored = IniFile(path).value(FirmwareSection, key);
        if (!stored) {
            continue;
        }
        const QRegularExpressionMatch match = form.match(*stored);
        if (!match.hasMatch()) {
            return std::nullopt;
        }
        const int version = match.captured(1).toInt();
        const QDateTime at = QDateTime::fromString(match.captured(2), Qt::ISODate);
        if (version > 0xFF || !at.isValid()) {
            return std::nullopt;
        }
        return RememberedVersion{static_cast<std::uint8_t>(version), at};
    }
    return std::nullopt;
}

bool storeRememberedVersion(const QString& key, const RememberedVersion& remembered,
                            const SettingsPaths& paths) {
    const QDateTime& at = remembered.announcedAt;
    if (!at.isValid()) {
        return false;
    }
    const QString time = at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
    return storeValue(FirmwareSection, key,
                      QStringLiteral("%1 %2").arg(remembered.version).arg(time), paths);
}

void applyPortSettings(PortMap& map, const QString& environmentList, const SettingsPaths& paths) {
    const QMap<int, QString> ports = readPortSettings(paths);
    for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
        map.setOverride(it.key(), it.value());
    }
    map.loadOverrides(environmentList);
}

} // namespace zuvo
