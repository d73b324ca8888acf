#include "serial/PortMap.h"

namespace zuvo {

PortMap& PortMap::global() {
    static PortMap* map = [] {
        auto* m = new PortMap; // never destroyed: usable until the very end of the program
        m->loadOverrides(qEnvironmentVariable("ZUVO_PORTS"));
        return m;
    }();
    return *map;
}

QString PortMap::devicePath(int n) const {
    if (n < 1) {
        return {};
    }
    std::lock_guard lock(mutex_);
    const auto it = overrides_.constFind(n);
    return it != overrides_.constEnd() ? *it : defaultPath(n);
}

QString PortMap::defaultPath(int n) {
    return n < 1 ? QString() : QStringLiteral("/dev/ttyUSB%1").arg(n - 1);
}

void PortMap::setOverride(int n, const QString& path) {
    if (n < 1 || path.isEmpty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    overrides_.insert(n, path);
}

void PortMap::removeOverride(int n) {
    std::lock_guard lock(mutex_);
    overrides_.remove(n);
}

void PortMap::loadOverrides(const QString& list) {
    for (const QString& entry : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq < 0) {
            continue;
        }
        bool ok = false;
        const int n = entry.left(eq).trimmed().toInt(&ok);
        const QString path = entry.mid(eq + 1).trimmed();
        if (ok && n >= 1 && n <= 0xFFFF) {
            setOverride(n, path);
        }
    }
}

void PortMap::clearOverrides() {
    std::lock_guard lock(mutex_);
    overrides_.clear();
}

QMap<int, QString> PortMap::overrides() const {
    std::lock_guard lock(mutex_);
    return overrides_;
}

} // namespace zuvo
