#pragma once
// What a commissioning report records about one cylinder. The caller fills it (the window from its
// controls, zuvoctl from the controller) and decides every text that shows a parameter in the
// user's units; writing it out is ReportPdf's job. Empty strings and absent optionals are shown
// as "not known" or as blank fields to fill in by hand, never left out silently.

#include "device/SectorCheck.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zuvo {

// One parameter as the editor pages show it: the page or group it belongs to, its label and its
// value with the unit ("150 mm", "Enabled"). Rows of one group should be adjacent.
struct ReportParameterRow {
    QString group;
    QString label;
    QString value;
};

// One raw word of the parameter block: its index in the block and its value.
struct ReportWord {
    int index = 0;
    std::uint16_t value = 0;
};

// The analog output's two calibration points, 0..1023 each.
struct ReportCalibration {
    int point4mA = 0;
    int point20mA = 0; // the 10 V / 20 mA point
};

// One sample of a position recording.
struct ReportSample {
    double timeMs = 0;
    double positionMm = 0;
};

struct CommissioningReport {
    QDateTime createdAt;

    QString portName;    // "COM3"
    QString devicePath;  // "/dev/ttyUSB2"
    QString adapterName; // maker and product of the USB adapter

    QString firmwareVersion;
    QString captionText; // the controller's caption text

    std::vector<ReportParameterRow> parameters;
    std::vector<ReportWord> words;
    std::optional<ReportCalibration> calibration;
    std::optional<SectorCheck> sectorCheck; // when a check ran
    QString lastBackupFile;                 // file name of the last backup, empty when none

    // Filled in by the technician; empty ones become blank fields on the paper.
    QString site;
    QString cylinderSerial;
    QString technician;

    std::vector<ReportSample> recording; // the last recording, empty when there is none
};

} // namespace zuvo
