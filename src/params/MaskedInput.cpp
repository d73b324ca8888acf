#include "params/MaskedInput.h"

#include <algorithm>

namespace zuvo {

namespace {

constexpr char16_t kMinusSign = 0x2212;
constexpr char16_t kArabicThousandsSeparator = 0x066C;
constexpr char16_t kRightSingleQuote = 0x2019; // a group separator in de_CH

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isDecimalMark(QChar c, QChar decimalSeparator) {
    return c == QLatin1Char(',') || c == QLatin1Char('.') || c == decimalSeparator;
}

bool isGrouping(QChar c) {
    return c.isSpace() || c == kArabicThousandsSeparator || c == QLatin1Char('\'') ||
           c == kRightSingleQuote;
}

// What a locale or a word processor writes where the user means '-'.
bool isMinusLike(QChar c) {
    return c == kMinusSign || c.category() == QChar::Punctuation_Dash;
}

// A character as the message names it; an invisible one (a blank, a direction mark) by its code.
QString named(QChar c) {
    if (c.isPrint() && !c.isSpace()) {
        return QLatin1Char('\'') + c + QLatin1Char('\'');
    }
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

QString refusalText(MaskRefusal refusal, QChar offending, const NumberMask& mask,
                    QChar decimalSeparator) {
    switch (refusal) {
    case MaskRefusal::None:
        break;
    case MaskRefusal::ForeignSeparator:
        return QStringLiteral("Use '%1' as the decimal separator").arg(decimalSeparator);
    case MaskRefusal::NoDecimals:
        return QStringLiteral("Whole numbers only");
    case MaskRefusal::SecondSeparator:
        return QStringLiteral("One decimal separator only");
    case MaskRefusal::TooManyDecimals:
        return mask.decimals == 1 ? QStringLiteral("One decimal at most")
                                  : QStringLiteral("%1 decimals at most").arg(mask.decimals);
    case MaskRefusal::TooManyDigits:
        return QStringLiteral("%1 digits at most").arg(mask.integerDigits) +
               (mask.decimals > 0 ? QStringLiteral(" before the separator") : QString());
    case MaskRefusal::Exponent:
        return QStringLiteral("No exponents");
    case MaskRefusal::Grouping:
        return QStringLiteral("No blanks or digit grouping");
    case MaskRefusal::NoSign:
        return QStringLiteral("No sign in this field");
    case MaskRefusal::MisplacedSign:
        return QStringLiteral("One '-' at most, in front");
    case MaskRefusal::MinusCharacter:
        return QStringLiteral("Type the minus as '-'");
    case MaskRefusal::ForeignDigit:
        return QStringLiteral("Use the digits 0-9");
    case MaskRefusal::OtherCharacter:
        return named(offending) + QStringLiteral(" is not part of a number");
    }
    return {};
}

} // namespace

MaskedInputCheck checkMaskedInput(const QString& text, const NumberMask& mask,
                                  QChar decimalSeparator) {
    MaskedInputCheck check;
    int integerDigits = 0;
    int decimals = -1; // no separator yet
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        MaskRefusal refusal = MaskRefusal::None;
        if (isAsciiDigit(c)) {
            if (decimals >= 0) {
                if (++decimals > mask.decimals) {
                    refusal = MaskRefusal::TooManyDecimals;
                }
            } else if (++integerDigits > mask.integerDigits) {
                refusal = MaskRefusal::TooManyDigits;
            }
        } else if (c == QLatin1Char('-') || c == QLatin1Char('+')) {
            if (!mask.negative) {
                refusal = MaskRefusal::NoSign;
            } else if (i != 0 || c == QLatin1Char('+')) {
                refusal = MaskRefusal::MisplacedSign;
            }
        } else if (isMinusLike(c)) {
            refusal = mask.negative ? MaskRefusal::MinusCharacter : MaskRefusal::NoSign;
        } else if (isDecimalMark(c, decimalSeparator)) {
            if (mask.decimals == 0) {
                refusal = MaskRefusal::NoDecimals;
            } else if (c != decimalSeparator) {
                refusal = MaskRefusal::ForeignSeparator;
            } else if (decimals >= 0) {
                refusal = MaskRefusal::SecondSeparator;
            } else {
                decimals = 0;
            }
        } else if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && i > 0 &&
                   (isAsciiDigit(text[i - 1]) || text[i - 1] == decimalSeparator)) {
            refusal = MaskRefusal::Exponent;
        } else if (isGrouping(c)) {
            refusal = MaskRefusal::Grouping;
        } else if (c.isDigit()) {
            refusal = MaskRefusal::ForeignDigit;
        } else {
            refusal = MaskRefusal::OtherCharacter;
        }
        if (refusal != MaskRefusal::None) {
            check.verdict = MaskedInput::Invalid;
            check.refusal = refusal;
            check.reason = refusalText(refusal, c, mask, decimalSeparator) +
                           QStringLiteral(".\nThis field takes ") +
                           maskedInputHint(mask, decimalSeparator) + QLatin1Char('.');
            return check;
        }
    }
    check.verdict = integerDigits + std::max(decimals, 0) > 0 ? MaskedInput::Acceptable
                                                              : MaskedInput::Intermediate;
    return check;
}

QString maskedInputHint(const NumberMask& mask, QChar decimalSeparator) {
    QString hint = QStringLiteral("up to %1 digits").arg(mask.integerDigits);
    if (mask.decimals > 0) {
        hint += QStringLiteral(", '%1' and up to %2").arg(decimalSeparator).arg(mask.decimals);
        hint += mask.decimals == 1 ? QStringLiteral(" decimal") : QStringLiteral(" decimals");
    }
    if (mask.negative) {
        hint += QStringLiteral("; -1 = not set");
    } else {
        hint += mask.decimals > 0 ? QStringLiteral(", no sign")
                                  : QStringLiteral(", no sign or decimals");
    }
    return hint;
}

} // namespace zuvo
