#pragma once
// The window's drop-down lists are as narrow as the classic Windows ones they were designed
// with (DIG4 is 90 pixels wide for "PWM : max..0"): a slim frame and a drop-down button of the
// classic width, so that the whole item text shows beside it. Everything else is drawn by the
// application's own style.

#include <QProxyStyle>

class QWidget;

namespace zuvo {

class CompactComboStyle : public QProxyStyle {
    Q_OBJECT

public:
    static constexpr int ButtonWidth = 17;
    static constexpr int Frame = 2;

    // Gives every combo box under `root` this style; the style lives as long as `root`.
    static void apply(QWidget* root);

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override;

private:
    CompactComboStyle();
};

} // namespace zuvo
