// Maps the program's port numbers (COMn) to device paths.
#pragma once

#include <QMap>
#include <QString>
#include <mutex>

namespace zuvo {

// The COM numbers where a port is looked for: the start-up probe, the COM-port dialog's list and
// the port listings.
inline constexpr int kFirstUsualPort = 1;
inline constexpr int kLastUsualPort = 8;

class PortMap {
public:
    // The program-wide map; starts with the overrides of the environment variable ZUVO_PORTS.
    static PortMap& global();

    // The device of COMn: an override, else the default; empty for n < 1.
    QString devicePath(int n) const;
    // The device of COMn without an override: /dev/ttyUSB{n-1}; empty for n < 1.
    static QString defaultPath(int n);
    void setOverride(int n, const QString& path);
    // COMn back to its default.
    void removeOverride(int n);
    // Adds overrides from a list such as "1=/dev/pts/7,2=/dev/ttyACM0"; bad entries are skipped.
    void loadOverrides(const QString& list);
    void clearOverrides();
    QMap<int, QString> overrides() const;

private:
    mutable std::mutex mutex_;
    QMap<int, QString> overrides_;
};

} // namespace zuvo
