#pragma once
// The [BLOCK] section of a backup file: the controller's block exactly as it was received (every
// word, both calibration values), the firmware version, the port, the device and the time of the
// backup. The other sections of a backup are an ordinary parameter file, so "Read from File"
// loads a backup like any other file and ignores this section.
//
// Every number is plain ASCII decimal in every locale. Reading is strict: a backup is only good
// for a restore when every word is there exactly as it was written, so anything missing, damaged
// or out of place is refused with a reason, never filled in with a default.
//
// [BLOCK]
// Time=2024-05-01T14:03:07+02:00   local time with its UTC offset (ISO 8601)
// Port=COM3
// Device=/dev/ttyUSB2
// FirmwareVersion=60               the raw version byte, 0..255
// Words=36                         16 + E
// Word0=... Word35=...             0..65535 each
// Calibration10V=1000              10 V / 20 mA point
// Calibration4mA=200               4 mA point

#include "params/IniFile.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zuvo {

inline constexpr char BlockSectionName[] = "BLOCK";
inline constexpr int MaxPortNumber = 255; // COM1..COM255

struct BlockBackup {
    std::vector<std::uint16_t> words; // word 0 first, as received: 16 + E of them
    std::uint16_t calibration10V = 0;
    std::uint16_t calibration4mA = 0;
    std::uint8_t firmwareVersion = 0; // raw version byte
    int port = 0;                     // n of COMn
    QString devicePath;
    QDateTime time;

    bool operator==(const BlockBackup&) const = default;
};

// The word counts a block can have: 16 + E words for E = 0..the largest E the table holds.
int minBlockWordCount();
int maxBlockWordCount();

// "COM3" for 3.
QString portName(int port);

// Adds the [BLOCK] section; every other section and line of the file stays as it was. False, and
// nothing written, when the file already has a [BLOCK] section with keys (a backup is written
// once), or the backup cannot be stored: a word count outside the block's sizes, a port outside
// 1..255, an invalid time, a device path with a line break.
bool writeBlockSection(IniFile& ini, const BlockBackup& backup);

struct BlockSectionRead {
    std::optional<BlockBackup> backup;
    QString problem; // why there is none, for the user: "Word7 is missing"

    explicit operator bool() const { return backup.has_value(); }
};

// The [BLOCK] section, checked: every key present, every number decimal and in its range, the
// words numbered 0..Words-1 without gaps and nothing beyond. When `expectedWordCount` is given
// (the controller's 16 + E), a backup of another length is refused. Keys this version does not
// know are ignored, except malformed word keys ("Word07", "Word-1"), which are refused.
BlockSectionRead readBlockSection(const IniFile& ini,
                                  std::optional<int> expectedWordCount = std::nullopt);

// What the restore dialog and the backup list show of a backup.
struct BackupSummary {
    QDateTime time;
    int port = 0;
    std::uint8_t firmwareVersion = 0;
    std::uint16_t strokeMm = 0; // as the editor shows word 1 (0 taken as 1)
    std::int64_t turns = 0;     // as the editor shows word 2: revolutions, word div 10
    int wordCount = 0;

    bool operator==(const BackupSummary&) const = default;
};

BackupSummary summarizeBackup(const BlockBackup& backup);

} // namespace zuvo
