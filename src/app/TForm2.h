#pragma once
// The COM-port dialog's form. It is created hidden at start-up and only shown and hidden; what
// its controls do is the port-selection feature's business.

#include <QDialog>

namespace Ui {
class TForm2;
}

namespace zuvo {

class TForm2 : public QDialog {
    Q_OBJECT

public:
    // Where the dialog first appears on the screen.
    static constexpr QPoint kDesignPosition{421, 180};

    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    Ui::TForm2* const ui;
};

} // namespace zuvo
