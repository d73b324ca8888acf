#pragma once
// The comparison of the controller's parameters with a file's: one row per parameter, the
// differing rows marked, and "Copy" that puts the comparison on the clipboard as text.

#include "params/ParameterComparison.h"

#include <QDialog>

#include <vector>

class QTableWidget;

namespace zuvo {

class ComparisonDialog : public QDialog {
    Q_OBJECT
public:
    ComparisonDialog(const std::vector<ComparisonRow>& rows, const QString& fileName,
                     QWidget* parent = nullptr);

    // What "Copy" puts on the clipboard.
    QString text() const { return text_; }
    QTableWidget* table() const { return table_; }

private:
    QString text_;
    QTableWidget* table_ = nullptr;
};

} // namespace zuvo
