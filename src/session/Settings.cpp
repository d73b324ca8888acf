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

bool storeComPort(const QString& numberText, const SettingsPaths& paths) {
    if (paths.write.isEmpty() || !QDir().mkpath(QFileInfo(paths.write).absolutePath())) {
        return false;
    }
    IniFile file(paths.write);
    file.setNewLineEnding("\n");
    return file.writeString(SettingsSection, ComPortValue, numberText) && file.save();
}

QMap<int, QString> readPortSettings(const SettingsPaths& paths) {
    QMap<int, QString> ports;
    // Lowest precedence first, so that the user's entries replace the preset's.
    for (auto it = paths.read.crbegin(); it != paths.read.crend(); ++it) {
        const IniFile file(*it);
        for (const QString& key : file.keys(PortsSection)) {
            const auto number = IniFile::parseInteger(key);
            const QString device = file.readString(PortsSection, key, QString());
            if (number && *number > 0 && !device.isEmpty()) {
                ports.insert(*number, device);
            }
        }
    }
    return ports;
}

void applyPortSettings(PortMap& map, const QString& environmentList, const SettingsPaths& paths) {
    const QMap<int, QString> ports = readPortSettings(paths);
    for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
        map.setOverride(it.key(), it.value());
    }
    map.loadOverrides(environmentList);
}

} // namespace zuvo
