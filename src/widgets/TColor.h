#pragma once
// Colours written as 0x00BBGGRR (blue in the high byte), as the controller tool has always
// written them, turned into QColor.

#include <QColor>
#include <cstdint>

namespace zuvo {

// 0x0000FF is red, 0x800000 navy. Values with the top bit set are system colours:
// 0x8000000F is the button face of the current palette.
QColor tcolor(std::uint32_t value);

// Named values used across the window.
namespace tc {
inline constexpr std::uint32_t Black = 0x000000;
inline constexpr std::uint32_t Maroon = 0x000080;
inline constexpr std::uint32_t Green = 0x008000;
inline constexpr std::uint32_t Navy = 0x800000;
inline constexpr std::uint32_t Purple = 0x800080;
inline constexpr std::uint32_t Teal = 0x808000;
inline constexpr std::uint32_t Olive = 0x008080;
inline constexpr std::uint32_t Gray = 0x808080;
inline constexpr std::uint32_t Silver = 0xC0C0C0;
inline constexpr std::uint32_t Red = 0x0000FF;
inline constexpr std::uint32_t Lime = 0x00FF00;
inline constexpr std::uint32_t Yellow = 0x00FFFF;
inline constexpr std::uint32_t Aqua = 0xFFFF00;
inline constexpr std::uint32_t White = 0xFFFFFF;
inline constexpr std::uint32_t ButtonFace = 0x8000000F;
} // namespace tc

} // namespace zuvo
