#include "app/PictureSnapshot.h"

#include "ui_TForm1.h"

namespace zuvo {

PictureSnapshot::PictureSnapshot(Ui::TForm1& ui) : ui_(ui) {}

void PictureSnapshot::Image4DblClick() {
    ui_.Image5->setPicture(ui_.Image4->picture());
}

} // namespace zuvo
