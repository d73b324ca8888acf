#include "session/Settings.h"

#include "params/IniFile.h"
#include "serial/PortMap.h"

#include <QDir>
#include <QFileInfo>

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

void applyPortSettings(PortMap& map, const QString& environmentList, const SettingsPaths& paths) {
    const QMap<int, QString> ports = readPortSettings(paths);
    for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
        map.setOverride(it.key(), it.value());
    }
    map.loadOverrides(environmentList);
}

} // namespace zuvo
