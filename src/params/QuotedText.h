#pragma once
// Text from a file (a value, a key), safe to put into a message: a NUL would cut the message
// short where it is printed as a C string, and line breaks, escapes or direction marks would
// change what the reader sees.

#include <QString>

namespace zuvo {

// Characters longer texts are cut to, with "..." after them.
inline constexpr int QuotedTextLength = 40;

// The text with every character that does not print written as an escape: \t, \n, \r, \xHH for
// the other control characters (NUL as \x00), \uHHHH above them; a backslash as \\.
QString printableText(const QString& text);

// The same in double quotes, a quote inside written as \": "abc", "10\x0000".
QString quotedText(const QString& text);

} // namespace zuvo
