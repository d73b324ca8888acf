#include "widgets/TColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace zuvo {

QColor tcolor(std::uint32_t value) {
    if (value & 0x80000000u) {
        // Only the button face is used by the program; other system indices fall back to it too
        // rather than to an arbitrary colour.
        return QGuiApplication::palette().color(QPalette::Button);
    }
    const int red = value & 0xFF;
    const int green = (value >> 8) & 0xFF;
    const int blue = (value >> 16) & 0xFF;
    return QColor(red, green, blue);
}

} // namespace zuvo
