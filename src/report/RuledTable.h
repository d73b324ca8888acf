#pragma once
// A table with ruled cells that flows over pages: its header row is repeated at the top of every
// page it reaches, and a group heading is kept on the page of the row after it and repeated as
// "(continued)" after a break. Cell texts wrap inside their column.

#include "report/PageFlow.h"

#include <QStringList>

#include <vector>

namespace zuvo {

struct TableColumn {
    QString title;
    double weight = 1; // share of the table's width
    Qt::Alignment alignment = Qt::AlignLeft;
    bool mono = false;   // figures in a monospaced font
    bool shaded = false; // a column of labels: bold on a light background
};

class RuledTable {
public:
    // Without titles in any column the table has no header row.
    RuledTable(PageFlow& flow, std::vector<TableColumn> columns);

    // One row, at least `minHeight` high (device units; room to write by hand).
    void row(const QStringList& cells, double minHeight = 0, const QColor& colour = Qt::black);
    // A heading across all columns for the rows that follow.
    void group(const QString& title);
    // Space between blocks of rows; none at the top of a page.
    void gap(double height);

private:
    double cellsHeight(const QStringList& cells, bool bold, double minHeight);
    void drawCells(const QStringList& cells, double height, bool header, const QColor& colour);
    void drawGroup(const QString& title);
    double groupHeight();
    QStringList titles() const;
    double headerHeight();
    void drawHeader();
    double columnX(std::size_t column) const;
    double columnWidth(std::size_t column) const;

    PageFlow& flow_;
    std::vector<TableColumn> columns_;
    double totalWeight_ = 0;
    bool hasHeader_ = false;
    bool started_ = false;
    QString pendingGroup_;
    QString currentGroup_;
};

} // namespace zuvo
