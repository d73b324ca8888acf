#include "widgets/OnOffPictures.h"

#include <QFont>
#include <QPainter>

namespace zuvo {

namespace {

QImage drawPicture(const QString& text, const QColor& background, const QColor& ink) {
    QImage picture(48, 18, QImage::Format_RGB32);
    picture.fill(background);
    QPainter painter(&picture);
    QFont font("Liberation Sans");
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(picture.rect(), Qt::AlignCenter, text);
    return picture;
}

} // namespace

const QList<QImage>& onOffPictures() {
    static const QList<QImage> pictures{
        drawPicture("OFF", QColor(192, 192, 192), QColor(255, 0, 0)),
        drawPicture("ON", QColor(0, 160, 0), QColor(255, 255, 255)),
    };
    return pictures;
}

} // namespace zuvo
