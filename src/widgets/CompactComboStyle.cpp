#include "widgets/CompactComboStyle.h"

#include <QApplication>
#include <QComboBox>
#include <QStyleFactory>
#include <QStyleOptionComplex>

namespace zuvo {

CompactComboStyle::CompactComboStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

void CompactComboStyle::apply(QWidget* root) {
    auto* style = new CompactComboStyle;
    style->setParent(root);
    for (QComboBox* combo : root->findChildren<QComboBox*>()) {
        combo->setStyle(style);
    }
}

QRect CompactComboStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl subControl, const QWidget* widget) const {
    if (control != CC_ComboBox) {
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
    const QRect inner = option->rect.adjusted(Frame, Frame, -Frame, -Frame);
    switch (subControl) {
    case SC_ComboBoxArrow:
        return visualRect(
            option->direction, option->rect,
            QRect(inner.right() + 1 - ButtonWidth, inner.top(), ButtonWidth, inner.height()));
    case SC_ComboBoxEditField:
        return visualRect(
            option->direction, option->rect,
            QRect(inner.left(), inner.top(), inner.width() - ButtonWidth, inner.height()));
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

} // namespace zuvo
