#include "service/FirmwareImageCheck.h"

#include "params/IniFile.h"
#include "service/Xmodem.h"

namespace zuvo {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Text as a parameter file holds it: no control characters but the tab.
bool isTextByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == '\t' || (byte >= 0x20 && byte != 0x7F);
}

} // namespace

bool startsWithSectionLine(QByteArrayView bytes) {
    if (bytes.startsWith(QByteArrayView("\xEF\xBB\xBF"))) {
        bytes = bytes.sliced(3);
    }
    qsizetype start = 0;
    while (start < bytes.size() && isBlank(bytes[start])) {
        ++start;
    }
    qsizetype end = start;
    while (end < bytes.size() && bytes[end] != '\n') {
        ++end;
    }
    QByteArrayView line = bytes.sliced(start, end - start);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    for (const char c : line) {
        if (!isTextByte(c)) {
            return false;
        }
    }
    return IniFile::sectionName(line.toByteArray()).has_value();
}

FirmwareImageProblem checkFirmwareImage(std::int64_t size, QByteArrayView bytes) {
    if (size <= 0) {
        return FirmwareImageProblem::Empty;
    }
    if (size > kControllerFlashBytes) {
        return FirmwareImageProblem::TooLarge;
    }
    if (startsWithSectionLine(bytes)) {
        return FirmwareImageProblem::ParameterFile;
    }
    return FirmwareImageProblem::None;
}

QString firmwareImageReason(FirmwareImageProblem problem, std::int64_t size) {
    switch (problem) {
    case FirmwareImageProblem::None:
        break;
    case FirmwareImageProblem::Empty:
        return QStringLiteral("it is empty");
    case FirmwareImageProblem::TooLarge:
        return QStringLiteral("it has %1 bytes, more than the controller's flash of %2 bytes "
                              "(%3 pages)")
            .arg(size)
            .arg(kControllerFlashBytes)
            .arg(xmodemPageCount(static_cast<std::uint64_t>(kControllerFlashBytes)));
    case FirmwareImageProblem::ParameterFile:
        return QStringLiteral("it is a parameter file (it starts with a section line), not a "
                              "firmware image");
    }
    return {};
}

} // namespace zuvo
