#pragma once
// What makes a file no firmware image for the controller, decided before the confirmation: the
// bootloader would take an empty image, an image larger than the flash or a parameter file
// chosen by mistake as readily as the right one.

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace zuvo {

// The controller's flash, as far as an image can fill it. The bootloader's block numbers wrap,
// so the transfer itself sets no bound; the controller speaks in 16-bit words, and a 16-bit word
// address reaches 64 K words: 128 KiB, 1024 pages.
inline constexpr std::int64_t kControllerFlashBytes = 128 * 1024;

enum class FirmwareImageProblem {
    None,
    Empty,
    TooLarge,      // more bytes than the flash holds
    ParameterFile, // text that starts with a section line: a .ZDF, not an image
};

// `size` is the file's size; `bytes` its contents (they may be left out when the size alone
// refuses it).
FirmwareImageProblem checkFirmwareImage(std::int64_t size, QByteArrayView bytes);

// A text file whose first line, after a UTF-8 byte-order mark and blank lines, is a section line
// ("[ZYLINDER]"). The line must be printable text, so that an image that happens to start with
// '[' is not mistaken for one.
bool startsWithSectionLine(QByteArrayView bytes);

// Why the image is refused, for "the firmware file X is not sent: <reason>".
QString firmwareImageReason(FirmwareImageProblem problem, std::int64_t size);

} // namespace zuvo
