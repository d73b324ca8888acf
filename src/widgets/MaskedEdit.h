#pragma once
// An edit that takes only what its number mask allows: whole numbers, or numbers with a few
// decimals after the desktop's decimal separator, optionally with a leading minus. Other
// characters are refused as they are typed or pasted. Text set by the program (a parameter file,
// a received block) is shown as it is; whether it is a usable number is decided where it is used.

#include "params/EditorText.h"

#include <QLineEdit>

namespace zuvo {

class MaskedEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int decimals READ decimals WRITE setDecimals)
    Q_PROPERTY(bool negative READ negative WRITE setNegative)

public:
    explicit MaskedEdit(QWidget* parent = nullptr);

    int decimals() const { return mask_.decimals; }
    void setDecimals(int decimals);
    bool negative() const { return mask_.negative; }
    void setNegative(bool negative);
    const NumberMask& mask() const { return mask_; }

private:
    NumberMask mask_;
};

} // namespace zuvo
