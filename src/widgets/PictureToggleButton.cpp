#include "widgets/PictureToggleButton.h"

#include "widgets/AssignIfChanged.h"
#include "widgets/OnOffPictures.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace zuvo {

PictureToggleButton::PictureToggleButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void PictureToggleButton::setValue(int value) {
    if (assignIfChanged(value_, value)) {
        update();
        emit valueChanged(value_);
    }
}

int PictureToggleButton::pictureIndex() const {
    const auto& pictures = onOffPictures();
    return value_ >= 0 && value_ < pictures.size() ? value_ : -1;
}

void PictureToggleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
    const int index = pictureIndex();
    if (index < 0) {
        return;
    }
    const QImage& picture = onOffPictures()[index];
    QPoint at((width() - picture.width()) / 2, (height() - picture.height()) / 2);
    if (isDown()) {
        at += QPoint(1, 1);
    }
    painter.drawImage(at, picture);
}

} // namespace zuvo
