#include "params/FileReplace.h"

#include <QSaveFile>

namespace zuvo {

FileReplace replaceFile(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {FileReplace::Outcome::NotCreated, file.errorString()};
    }
    // A small file sits in the write buffer until the end. commit() flushes it too, but ignores a
    // flush that fails (a full disk) and would put an empty or cut file in place.
    if (file.write(data) != data.size() || !file.flush() || !file.commit()) {
        return {FileReplace::Outcome::NotWritten, file.errorString()};
    }
    return {FileReplace::Outcome::Replaced, QString()};
}

} // namespace zuvo
