#include "widgets/MaskedEdit.h"

#include "params/EditorText.h"

#include <QEvent>
#include <QToolTip>
#include <QValidator>

namespace zuvo {

namespace {

// Asks the mask about every change; the separator is the desktop's at that moment.
class MaskValidator : public QValidator {
public:
    explicit MaskValidator(const MaskedEdit& edit) : QValidator(nullptr), edit_(edit) {}

    // Why the last text seen was refused; empty when it was taken.
    const QString& lastRefusal() const { return lastRefusal_; }

    State validate(QString& input, int&) const override {
        const MaskedInputCheck check =
            checkMaskedInput(input, edit_.mask(), systemDecimalSeparator());
        lastRefusal_ = check.reason;
        switch (check.verdict) {
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
    mutable QString lastRefusal_;
};

// The events through which the user changes the text: keys, input methods, drops, the middle
// button's paste and the context menu's.
bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

MaskedEdit::MaskedEdit(QWidget* parent) : QLineEdit(parent) {
    auto* validator = new MaskValidator(*this);
    validator->setParent(this);
    setValidator(validator);
    connect(this, &QLineEdit::inputRejected, this,
            [this, validator] { pendingRefusal_ = validator->lastRefusal(); });
}

void MaskedEdit::setDecimals(int decimals) {
    mask_.decimals = decimals < 0 ? 0 : decimals;
}

void MaskedEdit::setNegative(bool negative) {
    mask_.negative = negative;
}

bool MaskedEdit::event(QEvent* event) {
    if (!isUserInput(event->type())) {
        return QLineEdit::event(event);
    }
    // The line edit undoes a refused change only when the text before it was acceptable; text
    // the program set that the mask cannot hold stays editable, so only a text that is still
    // what it was has been refused.
    const QString before = text();
    pendingRefusal_.clear();
    const bool handled = QLineEdit::event(event);
    if (!pendingRefusal_.isEmpty() && text() == before) {
        showRefusal(pendingRefusal_);
    }
    pendingRefusal_.clear();
    return handled;
}

void MaskedEdit::showRefusal(const QString& reason) {
    QToolTip::showText(mapToGlobal(QPoint(0, height())), reason, this);
}

} // namespace zuvo
