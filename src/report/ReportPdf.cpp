#include "report/ReportPdf.h"

#include "params/FileReplace.h"
#include "report/PageFlow.h"
#include "report/ReportLayout.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>

namespace zuvo {

namespace {

constexpr int kDotsPerInch = 300;

ReportWriteResult failed(const QString& error) {
    return {false, error};
}

// Paints the report into a PDF held in memory; the number of pages, 0 when painting failed.
int render(const CommissioningReport& report, int totalPages, QByteArray& pdf) {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(kDotsPerInch);
    writer.setCreator(QStringLiteral("ZuvoTool " ZUVO_TOOL_VERSION));
    writer.setTitle(reportFooter(report));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return 0;
    }
    PageFlow flow(writer, painter, reportFooter(report), totalPages);
    paintReport(flow, report);
    flow.finish();
    return painter.end() ? flow.pageCount() : 0;
}

} // namespace

ReportWriteResult writeReportPdf(const CommissioningReport& report, const QString& path) {
    // Fonts come from the platform integration, which only a QGuiApplication loads.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return failed(QStringLiteral("Writing a report needs a QGuiApplication; none exists."));
    }
    if (path.trimmed().isEmpty()) {
        return failed(QStringLiteral("No file name was given for the report."));
    }
    const QFileInfo target(path);
    const QString file = QDir::toNativeSeparators(target.absoluteFilePath());
    const QString folder = QDir::toNativeSeparators(target.absolutePath());
    if (target.isDir()) {
        return failed(QStringLiteral("\"%1\" is a folder; give the report a file name.").arg(file));
    }
    const QFileInfo folderInfo(target.absolutePath());
    if (!folderInfo.isDir()) {
        return failed(QStringLiteral("The folder \"%1\" does not exist.").arg(folder));
    }

    // The first pass counts the pages so that every footer can say "Page n of m".
    QByteArray pdf;
    const int pages = render(report, 0, pdf);
    pdf.clear();
    if (pages == 0 || render(report, pages, pdf) != pages) {
        return failed(QStringLiteral("The report could not be laid out as a PDF."));
    }

    const FileReplace written = replaceFile(path, pdf);
    if (written.outcome == FileReplace::Outcome::NotCreated) {
        if (!folderInfo.isWritable()) {
            return failed(
                QStringLiteral("The folder \"%1\" is read-only; choose another folder for the "
                               "report.")
                    .arg(folder));
        }
        return failed(QStringLiteral("The report cannot be created in the folder \"%1\": %2.")
                          .arg(folder, written.error));
    }
    if (!written.ok()) {
        // Not committed: the temporary file is gone and an older report stays as it was.
        return failed(
            QStringLiteral("The report \"%1\" could not be written: %2.").arg(file, written.error));
    }
    return {true, QString()};
}

} // namespace zuvo
