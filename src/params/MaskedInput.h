#pragma once
// What a masked number edit lets the user type or paste, and why it refuses the rest.

#include <QChar>
#include <QString>

namespace zuvo {

// Whole numbers of up to `integerDigits` digits, with up to `decimals` decimals after the
// desktop's separator. `negative` allows a leading minus, which the edits use for -1 = not set.
struct NumberMask {
    int decimals = 0;
    bool negative = false;
    int integerDigits = 5;
};

enum class MaskedInput { Invalid, Intermediate, Acceptable };

// Why a text is invalid: the first character that the edit cannot hold decides.
enum class MaskRefusal {
    None,
    ForeignSeparator, // a point on a comma desktop, a comma on a point desktop
    NoDecimals,       // a decimal separator in a whole-number edit
    SecondSeparator,
    TooManyDecimals,
    TooManyDigits,
    Exponent,
    Grouping, // blanks and group separators
    NoSign,   // a sign in an edit that takes none
    MisplacedSign,
    MinusCharacter, // a typographic minus or dash where '-' is meant
    ForeignDigit,   // digits of another script
    OtherCharacter,
};

struct MaskedInputCheck {
    MaskedInput verdict = MaskedInput::Intermediate;
    MaskRefusal refusal = MaskRefusal::None;
    // For an invalid text: what is wrong and what the edit takes, to be shown at the edit.
    QString reason;
};

// Invalid text is refused as a whole where it is typed or pasted; intermediate text ("", "-",
// "12,") may stand while typing but is no value yet.
MaskedInputCheck checkMaskedInput(const QString& text, const NumberMask& mask,
                                  QChar decimalSeparator);

// What an edit with `mask` takes, e.g. "up to 5 digits, ',' and up to 2 decimals; -1 = not set".
QString maskedInputHint(const NumberMask& mask, QChar decimalSeparator);

} // namespace zuvo
