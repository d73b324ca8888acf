#include "app/Views.h"

#include "ui_TForm1.h"

namespace zuvo {

namespace {
// "Exit" sits 79 pixels left of the right edge of the 762-pixel strip, and keeps that distance.
constexpr int kExitFromRight = 79;
} // namespace

Views::Views(Ui::TForm1& ui) : ui_(ui) {}

void Views::show(View view) {
    if (locked_ && view == View::Recording) {
        return;
    }
    ui_.PageControl1->setVisible(view == View::Normal);
    ui_.Panel1->setVisible(view != View::Recording);
    ui_.GroupBox2->setVisible(view == View::Update);
    ui_.Panel2->setVisible(view == View::Recording);
    ui_.Panel3->setVisible(view == View::Recording);
    if (shown_) {
        shown_();
    }
}

View Views::current() const {
    if (!ui_.Panel2->isHidden()) {
        return View::Recording;
    }
    return ui_.GroupBox2->isHidden() ? View::Normal : View::Update;
}

void Views::fitClientArea(const QSize& clientSize) {
    const int stripTop = clientSize.height() - kStripHeight;
    ui_.Panel2->setGeometry(0, 0, clientSize.width(), stripTop);
    ui_.Panel3->setGeometry(0, stripTop, clientSize.width(), kStripHeight);
    ui_.Button9->move(clientSize.width() - kExitFromRight, ui_.Button9->y());
}

} // namespace zuvo
