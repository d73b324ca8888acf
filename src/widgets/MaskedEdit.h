#pragma once
// An edit that takes only what its number mask allows: whole numbers, or numbers with a few
// decimals after the desktop's decimal separator, optionally with a leading minus. What the user
// types or pastes that the mask cannot hold is refused as a whole, and a tip at the edit says why
// and what it takes. Text set by the program (a parameter file, a received block) is shown as it
// is; whether it is a usable number is decided where it is used.

#include "params/MaskedInput.h"

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

protected:
    bool event(QEvent* event) override;

private:
    void showRefusal(const QString& reason);

    NumberMask mask_;
    QString pendingRefusal_; // refused during the user input being handled
};

} // namespace zuvo
