#include "app/pages/ComparisonDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zuvo {

namespace {

// The colour of a differing row: the red of a refused edit, softened so that the text stays
// readable.
const QColor DifferingRow(255, 210, 210);

} // namespace

ComparisonDialog::ComparisonDialog(const std::vector<ComparisonRow>& rows, const QString& fileName,
                                   QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ComparisonDialog"));
    setWindowTitle(QStringLiteral("Compare with File"));
    const QString fileTitle = QStringLiteral("File ") + fileName;
    text_ = comparisonText(rows, QStringLiteral("Controller"), fileTitle);

    int differing = 0;
    for (const ComparisonRow& row : rows) {
        differing += row.differs ? 1 : 0;
    }
    auto* summary = new QLabel(
        differing == 0 ? QStringLiteral("The controller's parameters agree with the file.")
                       : QStringLiteral("%1 of %2 parameters differ; they are marked.")
                             .arg(differing)
                             .arg(rows.size()),
        this);
    summary->setObjectName(QStringLiteral("ComparisonSummary"));

    table_ = new QTableWidget(static_cast<int>(rows.size()), 4, this);
    table_->setObjectName(QStringLiteral("ComparisonTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Group"), QStringLiteral("Parameter"),
                                       QStringLiteral("Controller"), fileTitle});
    table_->verticalHeader()->hide();
    // Compact rows: the whole block fits on a screen with little scrolling.
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ComparisonRow& row = rows[static_cast<std::size_t>(r)];
        const QStringList cells{row.group, row.label, row.controller, row.file};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (row.differs) {
                item->setBackground(DifferingRow);
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setToolTip(QStringLiteral("differs"));
            }
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("CopyButton"));
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(text_); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(720, 560);
}

} // namespace zuvo
