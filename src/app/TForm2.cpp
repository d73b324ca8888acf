#include "app/TForm2.h"

#include "ui_TForm2.h"

namespace zuvo {

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui(new Ui::TForm2) {
    ui->setupUi(this);
    // Label1 is 16 pixels high whatever the screen's resolution.
    QFont title = ui->Label1->font();
    title.setPixelSize(16);
    ui->Label1->setFont(title);
    move(kDesignPosition);
}

TForm2::~TForm2() {
    delete ui;
}

} // namespace zuvo
