#pragma once
// Item texts of the editor's combo boxes and the rule that finds the item a text names.

#include <QString>
#include <QStringList>

namespace zuvo {

// Items in the order of their index in the function flags.
inline const QStringList AnalogFunctionItems = {"0..10V",  "10..0V",  "0..20mA",
                                                "20..0mA", "4..20mA", "20..4mA"};
inline const QStringList DigitalOutput4Items = {"Digital Output", "PWM : 0..max", "PWM : max..0"};
inline const QStringList ImpulseItems = {"32", "64", "128", "256"};

// How many items the search looks at, per box.
inline constexpr int AnalogFunctionSearchLimit = 10;
inline constexpr int DigitalOutput4SearchLimit = 3;
inline constexpr int ImpulseSearchLimit = 4;

// Index of the first item equal to text, searching from item 0 up to the limit or the first empty
// item; 0 when none is equal.
int comboItemIndex(const QStringList& items, const QString& text, int searchLimit);

} // namespace zuvo
