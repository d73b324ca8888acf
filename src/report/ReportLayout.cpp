#include "report/ReportLayout.h"

#include "report/ReportPlot.h"
#include "report/ReportStyle.h"
#include "report/ReportText.h"
#include "report/RuledTable.h"

#include <algorithm>

namespace zuvo {

namespace {

using namespace report_style;

constexpr int kWordGroups = 4; // raw words side by side in one row

QString orNotKnown(const QString& text) {
    return text.trimmed().isEmpty() ? QStringLiteral("not known") : text;
}

void paragraph(PageFlow& flow, const QString& text, const QFont& font, const QColor& colour) {
    const QString clean = printableText(text);
    const double h = flow.textHeight(clean, font, flow.width());
    flow.ensure(h);
    flow.drawText(QRectF(flow.left(), flow.y(), flow.width(), h), clean, font,
                  Qt::AlignLeft | Qt::AlignTop, colour);
    flow.advance(h);
}

void note(PageFlow& flow, const QString& text) {
    QFont font = PageFlow::font(kBodyPoints);
    font.setItalic(true);
    paragraph(flow, text, font, QColor(kNoteText));
}

// A section title, kept on the page together with the first `keep` of its content.
void heading(PageFlow& flow, const QString& title, double keepMm = 24) {
    const QFont font = PageFlow::font(12, true);
    const double h = flow.textHeight(title, font, flow.width());
    if (!flow.atPageTop()) {
        flow.advance(flow.mm(6));
    }
    flow.ensure(h + flow.mm(keepMm));
    flow.drawText(QRectF(flow.left(), flow.y(), flow.width(), h), title, font,
                  Qt::AlignLeft | Qt::AlignTop, QColor(kAccent));
    flow.advance(h + flow.mm(2));
}

void title(PageFlow& flow) {
    const QFont big = PageFlow::font(20, true);
    const double h = flow.textHeight(QStringLiteral("X"), big, flow.width());
    flow.drawText(QRectF(flow.left(), flow.y(), flow.width(), h),
                  QStringLiteral("Commissioning Report"), big, Qt::AlignLeft | Qt::AlignVCenter,
                  QColor(kAccent));
    flow.drawText(QRectF(flow.left(), flow.y(), flow.width(), h),
                  QStringLiteral("ZUVO electric linear actuator\nZuvoTool " ZUVO_TOOL_VERSION),
                  PageFlow::font(8.5), Qt::AlignRight | Qt::AlignVCenter, QColor(kNoteText));
    flow.advance(h + flow.mm(1.5));
    QPainter& p = flow.painter();
    p.setPen(QPen(QColor(kAccent), flow.mm(0.6)));
    p.drawLine(QPointF(flow.left(), flow.y()), QPointF(flow.left() + flow.width(), flow.y()));
    flow.advance(flow.mm(5));
}

void identification(PageFlow& flow, const CommissioningReport& r) {
    RuledTable table(flow, {{QString(), 1, Qt::AlignLeft, false, true}, {QString(), 2.4}});
    table.row({QStringLiteral("Date and time"), reportDateTime(r.createdAt)});
    table.row({QStringLiteral("Port"), orNotKnown(r.portName)});
    table.row({QStringLiteral("Device"), orNotKnown(r.devicePath)});
    table.row({QStringLiteral("Adapter"), orNotKnown(r.adapterName)});
    table.row({QStringLiteral("Firmware version"), orNotKnown(r.firmwareVersion)});
    table.row({QStringLiteral("Controller text"), orNotKnown(r.captionText.trimmed())});
    table.row({QStringLiteral("Last backup"),
               r.lastBackupFile.isEmpty() ? QStringLiteral("none") : r.lastBackupFile});
    // Blank fields are left tall enough to be filled in by hand.
    const double writable = flow.mm(9);
    table.row({QStringLiteral("Site"), r.site}, writable);
    table.row({QStringLiteral("Cylinder serial number"), r.cylinderSerial}, writable);
    table.row({QStringLiteral("Technician"), r.technician}, writable);
}

void parameters(PageFlow& flow, const CommissioningReport& r) {
    heading(flow, QStringLiteral("Parameters"));
    if (r.parameters.empty()) {
        note(flow, QStringLiteral("No parameter block was read."));
        return;
    }
    RuledTable table(flow, {{QStringLiteral("Parameter"), 1.3}, {QStringLiteral("Value"), 1}});
    QString group;
    bool first = true;
    for (const ReportParameterRow& row : r.parameters) {
        if (first || row.group != group) {
            group = row.group;
            if (!group.trimmed().isEmpty()) {
                table.group(group);
            }
            first = false;
        }
        table.row({row.label, row.value});
    }
}

void calibration(PageFlow& flow, const CommissioningReport& r) {
    heading(flow, QStringLiteral("Analog output calibration"));
    if (!r.calibration) {
        note(flow, QStringLiteral("The calibration points were not read."));
        return;
    }
    RuledTable table(flow, {{QStringLiteral("Point"), 1.3},
                            {QStringLiteral("Value (0..1023)"), 1, Qt::AlignRight, true}});
    table.row({QStringLiteral("4 mA"), QString::number(r.calibration->point4mA)});
    table.row({QStringLiteral("10 V / 20 mA"), QString::number(r.calibration->point20mA)});
}

void rawWords(PageFlow& flow, const CommissioningReport& r) {
    heading(flow, QStringLiteral("Parameter block as raw words"));
    if (r.words.empty()) {
        note(flow, QStringLiteral("No parameter block was read."));
        return;
    }
    std::vector<TableColumn> columns;
    for (int g = 0; g < kWordGroups; ++g) {
        columns.push_back({QStringLiteral("Word"), 1, Qt::AlignRight, true, true});
        columns.push_back({QStringLiteral("Dec"), 1.05, Qt::AlignRight, true});
        columns.push_back({QStringLiteral("Hex"), 1.15, Qt::AlignRight, true});
    }
    RuledTable table(flow, columns);
    for (std::size_t i = 0; i < r.words.size(); i += kWordGroups) {
        QStringList cells;
        for (std::size_t k = i; k < std::min(r.words.size(), i + kWordGroups); ++k) {
            cells << QString::number(r.words[k].index) << wordDecimal(r.words[k].value)
                  << wordHex(r.words[k].value);
        }
        table.row(cells);
    }
}

void sectorCheck(PageFlow& flow, const CommissioningReport& r) {
    // The table is short: it stays on one page with its heading and verdict.
    const bool hasTable = r.sectorCheck && r.sectorCheck->complete;
    heading(flow, QStringLiteral("Reed-switch sector check"), hasTable ? 88 : 24);
    if (!r.sectorCheck) {
        note(flow, QStringLiteral("No sector check was run."));
        return;
    }
    if (!r.sectorCheck->complete) {
        note(flow, QStringLiteral("The sector check did not complete: an edge of a reed switch was "
                                  "not found, so there is no result."));
        return;
    }
    RuledTable table(flow, {{QStringLiteral("Sector"), 1.3},
                            {QStringLiteral("Angle"), 1, Qt::AlignRight, true}});
    for (const QString& line : r.sectorCheck->table) {
        if (line.trimmed().isEmpty()) {
            table.gap(flow.mm(1.5));
            continue;
        }
        // "Label: <tabs>value"; a value the check flagged carries "!!!!!".
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        const QString label = (tab < 0 ? line : line.left(tab)).trimmed();
        const QString value =
            tab < 0 ? QString() : line.mid(tab).remove(QLatin1Char('\t')).trimmed();
        const bool flagged = value.contains(QStringLiteral("!!!!!"));
        table.row({label, value}, 0, flagged ? QColor(kFailed) : QColor(Qt::black));
    }
    flow.advance(flow.mm(2));
    const bool passed = r.sectorCheck->passed;
    paragraph(flow, passed ? QStringLiteral("Verdict: passed") : QStringLiteral("Verdict: failed"),
              PageFlow::font(11, true), QColor(passed ? kPassed : kFailed));
    note(flow, QStringLiteral("Every sector must be wider than %1°.").arg(kMinSectorDegrees));
}

void recording(PageFlow& flow, const CommissioningReport& r) {
    heading(flow, QStringLiteral("Last recording"),
            r.recording.empty() ? 24 : kRecordingPlotHeightMm);
    if (r.recording.empty()) {
        note(flow, QStringLiteral("No recording was made."));
        return;
    }
    drawRecordingPlot(flow, r.recording);
}

void signature(PageFlow& flow) {
    heading(flow, QStringLiteral("Confirmation"), 28);
    RuledTable table(flow, {{QStringLiteral("Date"), 1}, {QStringLiteral("Signature"), 2}});
    table.row({QString(), QString()}, flow.mm(16));
}

} // namespace

QString reportFooter(const CommissioningReport& r) {
    QStringList parts = {QStringLiteral("Commissioning report")};
    if (!r.cylinderSerial.trimmed().isEmpty()) {
        parts << QStringLiteral("Cylinder %1").arg(r.cylinderSerial.trimmed());
    }
    if (!r.portName.trimmed().isEmpty()) {
        parts << r.portName.trimmed();
    }
    parts << reportDateTime(r.createdAt);
    return printableText(parts.join(QStringLiteral("  \u00B7  ")));
}

void paintReport(PageFlow& flow, const CommissioningReport& r) {
    title(flow);
    identification(flow, r);
    parameters(flow, r);
    calibration(flow, r);
    rawWords(flow, r);
    sectorCheck(flow, r);
    recording(flow, r);
    signature(flow);
}

} // namespace zuvo
