#include "widgets/UpDownSpinner.h"

#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace zuvo {

namespace {
// Holding an arrow down repeats the step after a pause, as keyboard auto-repeat does.
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 100;
} // namespace

UpDownSpinner::UpDownSpinner(QWidget* parent) : QWidget(parent), repeat_(new QTimer(this)) {
    connect(repeat_, &QTimer::timeout, this, [this] {
        repeat_->setInterval(kRepeatIntervalMs);
        step(pressed_);
    });
}

void UpDownSpinner::setMinimum(int minimum) {
    minimum_ = minimum;
    maximum_ = std::max(maximum_, minimum_);
    setPosition(position_);
}

void UpDownSpinner::setMaximum(int maximum) {
    maximum_ = maximum;
    minimum_ = std::min(minimum_, maximum_);
    setPosition(position_);
}

void UpDownSpinner::setIncrement(int increment) {
    increment_ = increment;
}

void UpDownSpinner::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDownSpinner::setThousands(bool thousands) {
    thousands_ = thousands;
}

void UpDownSpinner::setAssociate(QLineEdit* edit) {
    associate_ = edit;
}

int UpDownSpinner::positionFromAssociate() const {
    if (!associate_) {
        return position_;
    }
    QString text = associate_->text().trimmed();
    text.remove(QLocale().groupSeparator());
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::clamp(value, minimum_, maximum_) : position_;
}

void UpDownSpinner::writeAssociate() {
    if (!associate_) {
        return;
    }
    QLocale locale;
    if (!thousands_) {
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    }
    associate_->setText(locale.toString(position_));
}

bool UpDownSpinner::step(UpDownDirection direction) {
    if (direction == UpDownDirection::None) {
        return false;
    }
    position_ = positionFromAssociate();
    const long long delta = direction == UpDownDirection::Up ? increment_ : -increment_;
    const int proposed = int(std::clamp<long long>(
        position_ + delta, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    bool allow = true;
    emit changing(&allow, proposed, direction);
    if (!allow) {
        return false;
    }
    setPosition(proposed);
    writeAssociate();
    emit positionStepped(position_);
    return true;
}

QRect UpDownSpinner::arrowRect(UpDownDirection direction) const {
    const int half = height() / 2;
    return direction == UpDownDirection::Up ? QRect(0, 0, width(), half)
                                            : QRect(0, half, width(), height() - half);
}

void UpDownSpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (UpDownDirection direction : {UpDownDirection::Up, UpDownDirection::Down}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = arrowRect(direction);
        button.state |= pressed_ == direction ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawControl(QStyle::CE_PushButtonBevel, &button, &painter, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = button.rect.adjusted(3, 2, -3, -2);
        style()->drawPrimitive(direction == UpDownDirection::Up ? QStyle::PE_IndicatorArrowUp
                                                                : QStyle::PE_IndicatorArrowDown,
                               &arrow, &painter, this);
    }
}

void UpDownSpinner::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        return;
    }
    pressed_ = arrowRect(UpDownDirection::Up).contains(event->position().toPoint())
                   ? UpDownDirection::Up
                   : UpDownDirection::Down;
    update();
    step(pressed_);
    repeat_->start(kRepeatDelayMs);
}

void UpDownSpinner::mouseReleaseEvent(QMouseEvent*) {
    repeat_->stop();
    pressed_ = UpDownDirection::None;
    update();
}

} // namespace zuvo
