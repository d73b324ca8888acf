#include "serial/AdapterName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zuvo {

namespace {

QString readAttribute(const QDir& dir, const char* name) {
    QFile f(dir.filePath(QLatin1String(name)));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(f.read(256)).trimmed();
}

} // namespace

QString adapterName(const QString& devicePath, const QString& sysRoot) {
    const QString real = QFileInfo(devicePath).canonicalFilePath();
    const QString tty = QFileInfo(real.isEmpty() ? devicePath : real).fileName();
    if (tty.isEmpty()) {
        return {};
    }
    const QString root = QFileInfo(sysRoot).canonicalFilePath();
    QString path =
        QFileInfo(sysRoot + QStringLiteral("/class/tty/") + tty + QStringLiteral("/device"))
            .canonicalFilePath();
    // The tty's device is a USB interface (or a usb-serial port below one); the USB device
    // with the descriptive strings is the first parent that has an idVendor.
    while (!path.isEmpty() && !root.isEmpty() && path.startsWith(root) && path != root) {
        const QDir dir(path);
        if (QFile::exists(dir.filePath(QStringLiteral("idVendor")))) {
            const QString manufacturer = readAttribute(dir, "manufacturer");
            const QString product = readAttribute(dir, "product");
            QString name = (manufacturer + QLatin1Char(' ') + product).trimmed();
            if (name.isEmpty()) {
                name = readAttribute(dir, "idVendor") + QLatin1Char(':') +
                       readAttribute(dir, "idProduct");
            }
            return name;
        }
        path = QFileInfo(path).path();
    }
    return {};
}

} // namespace zuvo
