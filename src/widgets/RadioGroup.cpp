#include "widgets/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <algorithm>

namespace zuvo {

namespace {
// Room for the title above the buttons and for the frame round them.
constexpr int kTopMargin = 15;
constexpr int kSideMargin = 8;
constexpr int kBottomMargin = 4;
} // namespace

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), buttons_(new QButtonGroup(this)) {
    buttons_->setExclusive(false); // lets the program clear the selection
    connect(buttons_, &QButtonGroup::idClicked, this, [this](int id) { setItemIndex(id); });
}

void RadioGroup::setItems(const QStringList& items) {
    if (items == items_) {
        return;
    }
    items_ = items;
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items_.size(); ++i) {
        auto* button = new QRadioButton(items_[i], this);
        buttons_->addButton(button, i);
        button->show();
    }
    placeButtons();
    if (itemIndex_ >= items_.size()) {
        setItemIndex(-1);
    } else {
        applySelection();
    }
}

void RadioGroup::setItemIndex(int index) {
    if (index < 0 || index >= items_.size()) {
        index = -1;
    }
    if (index == itemIndex_) {
        applySelection(); // a click on the selected button must not clear it
        return;
    }
    itemIndex_ = index;
    applySelection();
    emit itemIndexChanged(itemIndex_);
}

void RadioGroup::applySelection() {
    for (QAbstractButton* button : buttons_->buttons()) {
        button->setChecked(buttons_->id(button) == itemIndex_);
    }
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    placeButtons();
}

// The buttons share the height inside the frame evenly, one row each.
void RadioGroup::placeButtons() {
    const auto buttons = buttons_->buttons();
    if (buttons.isEmpty()) {
        return;
    }
    const int inner = height() - kTopMargin - kBottomMargin;
    const int row = inner / int(buttons.size());
    for (QAbstractButton* button : buttons) {
        const int i = buttons_->id(button);
        const int h = std::min(row, button->sizeHint().height());
        button->setGeometry(kSideMargin, kTopMargin + i * row + (row - h) / 2,
                            width() - 2 * kSideMargin, h);
    }
}

} // namespace zuvo
