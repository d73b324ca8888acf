#pragma once
// The controller's 8-bit character set, Windows-1252: Latin-1 with printable characters in
// 0x80..0x9F (the euro sign, typographic quotes, dashes ...). Text lines from the controller are
// decoded through it.

#include <QString>

#include <string_view>

namespace zuvo {

QString decodeWindows1252(std::string_view bytes);

} // namespace zuvo
