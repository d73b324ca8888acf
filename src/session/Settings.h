#pragma once
// The program's one small settings file: the stored port number and the device paths of port
// numbers. `$ZUVO_SETTINGS` names it when set; otherwise the user's file
// `$XDG_CONFIG_HOME/ZUVO/ZUVO.conf` (default ~/.config) is written, and reading falls back to
// the machine-wide preset `/etc/xdg/ZUVO/ZUVO.conf` for every value the user's file lacks.

#include <QChar>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace zuvo {

class PortMap;

inline const QString SettingsSection = QStringLiteral("Software\\ZUVO");
inline const QString ComPortValue = QStringLiteral("ComPort");
inline const QString PortsSection = QStringLiteral("Ports");
inline const QString FirmwareSection = QStringLiteral("FirmwareVersions");

struct SettingsPaths {
    QString write;    // the file choices are stored in
    QStringList read; // the files read, first one wins
};

// The paths from the environment.
SettingsPaths settingsPaths();

// The stored port as one character: the first character of the stored value, "1" when nothing
// usable is stored (no file, no section or value, an empty value, a file that cannot be read).
QChar readComDigit(const SettingsPaths& paths = settingsPaths());

// Port n for the characters "0" to "9"; nullopt for anything else.
std::optional<int> portNumberOfDigit(QChar digit);

// Stores the port number text as typed ("3", "05"), creating the folders and the file when
// missing and keeping everything else in it. False when it could not be stored.
bool storeComPort(const QString& numberText, const SettingsPaths& paths = settingsPaths());

// The `[Ports]` entries ("1=/dev/pts/7"): number to device path, the user's file over the
// preset. Entries whose key is not a positive number or whose value is not an absolute path are
// skipped; an empty value in the user's file drops the preset's entry (the default again).
QMap<int, QString> readPortSettings(const SettingsPaths& paths = settingsPaths());

// What `readPortSettings` had to skip, one readable line an entry (file, entry, why).
QStringList portSettingsProblems(const SettingsPaths& paths = settingsPaths());

// Ties port `number` to `devicePath` in the user's `[Ports]` section, or back to the default
// with an empty path; everything else in the file stays. False when it could not be stored.
bool storePortDevice(int number, const QString& devicePath,
                     const SettingsPaths& paths = settingsPaths());

// Puts the `[Ports]` entries into `map`, then the overrides of `environmentList` (the value of
// ZUVO_PORTS) over them.
void applyPortSettings(PortMap& map, const QString& environmentList,
                       const SettingsPaths& paths = settingsPaths());

// The firmware version a port last announced, and when; a controller announces it only when it
// starts, so a later run takes it from here.
struct RememberedVersion {
    std::uint8_t version = 0;
    QDateTime announcedAt;
    bool operator==(const RememberedVersion&) const = default;
};

// The key a port's version is remembered under: its number and the adapter it reaches now, by the
// adapter's by-id name where udev made one (so that another adapter on the same number is not
// taken for it), else by the device node, on the system tree at `root`.
QString firmwareMemoryKey(int number, const QString& devicePath,
                          const QString& root = QStringLiteral("/"));

// What `key` holds in `[FirmwareVersions]`: "60 2025-01-31T10:15:00+01:00"; nothing when it is
// missing or not exactly that.
std::optional<RememberedVersion>
readRememberedVersion(const QString& key, const SettingsPaths& paths = settingsPaths());
bool storeRememberedVersion(const QString& key, const RememberedVersion& remembered,
                            const SettingsPaths& paths = settingsPaths());

} // namespace zuvo
