#include "widgets/MaskedEdit.h"

#include <QValidator>

namespace zuvo {

namespace {

// Asks the mask about every change the user makes; the separator is the desktop's at that moment.
class MaskValidator : public QValidator {
public:
    explicit MaskValidator(const MaskedEdit& edit) : QValidator(nullptr), edit_(edit) {}

    State validate(QString& input, int&) const override {
        switch (checkMaskedInput(input, edit_.mask(), systemDecimalSeparator())) {
        case MaskedInput::Acceptable:
            return Acceptable;
        case MaskedInput::Intermediate:
            return Intermediate;
        case MaskedInput::Invalid:
            break;
        }
        return Invalid;
    }

private:
    const MaskedEdit& edit_;
};

} // namespace

MaskedEdit::MaskedEdit(QWidget* parent) : QLineEdit(parent) {
    auto* validator = new MaskValidator(*this);
    validator->setParent(this);
    setValidator(validator);
}

void MaskedEdit::setDecimals(int decimals) {
    mask_.decimals = decimals < 0 ? 0 : decimals;
}

void MaskedEdit::setNegative(bool negative) {
    mask_.negative = negative;
}

} // namespace zuvo
