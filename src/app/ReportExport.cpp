#include "app/ReportExport.h"

#include "app/TForm1.h"
#include "app/service/PositionRecording.h"
#include "device/Windows1252.h"
#include "params/BackupStore.h"
#include "params/EditorText.h"
#include "params/ParameterBlock.h"
#include "params/ParameterValues.h"
#include "report/ReportContent.h"
#include "report/ReportPdf.h"
#include "serial/AdapterName.h"
#include "serial/PortMap.h"
#include "ui_TForm1.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>

namespace zuvo {

namespace {

// A text of the user's that fits a line of the report.
constexpr int kFieldMaxLength = 80;

} // namespace

std::optional<ReportFields> askReportFields(QWidget* parent, const ReportFields& last) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Commissioning Report"));
    auto* layout = new QFormLayout(&dialog);
    const auto field = [&](const QString& label, const QString& text) {
        auto* edit = new QLineEdit(text, &dialog);
        edit->setMaxLength(kFieldMaxLength);
        edit->setMinimumWidth(260);
        layout->addRow(label, edit);
        return edit;
    };
    QLineEdit* site = field(QStringLiteral("Site:"), last.site);
    QLineEdit* serial = field(QStringLiteral("Cylinder serial:"), QString());
    QLineEdit* technician = field(QStringLiteral("Technician:"), last.technician);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    serial->setFocus();
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return ReportFields{site->text().trimmed(), serial->text().trimmed(),
                        technician->text().trimmed()};
}

ReportExport::ReportExport(TForm1& form) : form_(form) {
    askFields = [this](const ReportFields& last) { return askReportFields(&form_, last); };
    action_ = form_.ui->Values1->addAction(QStringLiteral("Commissioning Report..."));
    action_->setObjectName(QStringLiteral("CommissioningReport1"));
    QObject::connect(action_, &QAction::triggered, &form_, [this] { CommissioningReportClick(); });
    // The window title shows the caption, but also the program's own name before one came.
    QObject::connect(&form_.link(), &Link::captionReceived, &form_,
                     [this](const std::string& caption) { caption_ = decodeWindows1252(caption); });
}

CommissioningReport ReportExport::currentReport(const ReportFields& fields) const {
    CommissioningReport report;
    report.createdAt = QDateTime::currentDateTime();
    const int number = form_.ComPort1.ComNumber();
    report.portName = QStringLiteral("COM%1").arg(number);
    report.devicePath = PortMap::global().devicePath(number);
    report.adapterName = adapterName(report.devicePath);
    const Ui::TForm1& ui = *form_.ui;
    if (!ui.VersionA->isHidden()) {
        report.firmwareVersion = ui.VersionA->text().trimmed();
    }
    report.captionText = caption_;

    const ParameterValues values = form_.editorModel().values();
    report.parameters = reportParameterRows(values, systemDecimalSeparator());
    const int words = receivedWordCount(form_.State.ExtraWordCount);
    report.words =
        reportWords(std::span(form_.Params.Slots).first(static_cast<std::size_t>(words)));
    report.calibration = ReportCalibration{ui.Kali_4mA->value(), ui.Kali_10V->value()};
    SectorCheck check = checkSectors(form_.State.Reed1Edges, form_.State.Reed2Edges);
    if (check.complete) {
        report.sectorCheck = std::move(check);
    }
    report.lastBackupFile = newestBackupName(defaultBackupFolder());
    report.site = fields.site;
    report.cylinderSerial = fields.cylinderSerial;
    report.technician = fields.technician;
    if (const std::optional<Geometry> geometry = valuesGeometry(values)) {
        report.recording = reportSamples(form_.positionRecording().lastRecording(), *geometry);
    }
    return report;
}

void ReportExport::CommissioningReportClick() {
    const std::optional<ReportFields> fields = askFields(last_);
    if (!fields) {
        return;
    }
    last_ = *fields;
    QFileDialog dialog(&form_, QStringLiteral("Save Commissioning Report"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("PDF files (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // The serial names the file; what a file name cannot hold becomes '_'.
    QString serial =
        fields->cylinderSerial.isEmpty() ? QStringLiteral("cylinder") : fields->cylinderSerial;
    serial.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    dialog.selectFile(QStringLiteral("Commissioning-%1.pdf").arg(serial));
    const QString path = prompts.chooseFile(dialog);
    if (path.isEmpty()) {
        return;
    }
    const ReportWriteResult written = writeReportPdf(currentReport(*fields), path);
    if (!written.ok) {
        prompts.message(QStringLiteral("The commissioning report was not saved: ") + written.error);
        return;
    }
    form_.ui->StatusBar1->showMessage(QStringLiteral("Commissioning report saved: ") +
                                      QDir::toNativeSeparators(path));
}

} // namespace zuvo
