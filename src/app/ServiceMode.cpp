#include "app/ServiceMode.h"

#include "ui_TForm1.h"

namespace zuvo {

ServiceMode::ServiceMode(Ui::TForm1& ui, QObject* parent)
    : QObject(parent), ui_(ui), clock_(std::chrono::steady_clock::now), previousClick_(clock_()) {}

void ServiceMode::setClock(Clock clock) {
    clock_ = std::move(clock);
    previousClick_ = clock_();
}

void ServiceMode::Image3DblClick() {
    const auto now = clock_();
    const auto gap = now - previousClick_;
    previousClick_ = now;
    if (gap > kMinGap && gap < kMaxGap) {
        setOn(!isOn());
    }
}

bool ServiceMode::isOn() const {
    return !ui_.GroupBox1->isHidden();
}

void ServiceMode::setOn(bool on) {
    ui_.GroupBox1->setVisible(on);
    for (QWidget* follower :
         {static_cast<QWidget*>(ui_.Label11), static_cast<QWidget*>(ui_.AnlaufS),
          static_cast<QWidget*>(ui_.Label14), static_cast<QWidget*>(ui_.Memo1),
          static_cast<QWidget*>(ui_.Memo2), static_cast<QWidget*>(ui_.Memo3),
          static_cast<QWidget*>(ui_.Button2), static_cast<QWidget*>(ui_.Button3)}) {
        follower->setVisible(on);
    }
    for (QAction* item : {ui_.FlashUpdate1, ui_.GetPosition1, ui_.SetPosiotn1}) {
        item->setVisible(on);
    }
    if (!on) {
        ui_.AbValueInd1->hide();
        ui_.AbValueInd2->hide();
    }
    emit toggled(on);
}

} // namespace zuvo
