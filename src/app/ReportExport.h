#pragma once
// "Values > Commissioning Report...": asks for the site, the cylinder serial and the technician,
// then for a file, and writes the commissioning report of what the window shows: the pages'
// values, the block's words, the calibration points, the sector check when one ran, the newest
// backup and the last recording.

#include "app/UserPrompts.h"
#include "report/CommissioningReport.h"

#include <QString>

#include <functional>
#include <optional>

class QAction;

namespace zuvo {

class TForm1;

// What the technician fills in for the report.
struct ReportFields {
    QString site;
    QString cylinderSerial;
    QString technician;
};

class ReportExport {
public:
    explicit ReportExport(TForm1& form);

    // The menu item.
    void CommissioningReportClick();

    // The report of what the window shows now, with the technician's fields.
    CommissioningReport currentReport(const ReportFields& fields) const;

    // The small dialog; nothing when cancelled. Tests replace it.
    std::function<std::optional<ReportFields>(const ReportFields& last)> askFields;
    // The file name chosen, empty when cancelled; and the messages.
    UserPrompts prompts;

    QAction* action() const { return action_; }

private:
    TForm1& form_;
    QAction* action_ = nullptr;
    ReportFields last_; // offered again for the next cylinder
    QString caption_;   // the controller's caption text; empty until it sent one
};

// The dialog that asks for the three fields, starting from `last`.
std::optional<ReportFields> askReportFields(QWidget* parent, const ReportFields& last);

} // namespace zuvo
