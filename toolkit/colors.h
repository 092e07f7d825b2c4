#pragma once
// The colour tables the widgets share. Colours are kept as 0x00BBGGRR words, the form
// the stored records and row-colour bytes were designed around; ColorRefToQColor is
// the one place that turns them into Qt colours.
#include <array>
#include <cstdint>

#include <QColor>

namespace ledsuite {

// The 16 standard VGA colours, black first and white last.
extern const std::array<uint32_t, 16> VgaPalette16;

QColor ColorRefToQColor(uint32_t colorRef);

// The colours a screen's ColorCode offers in the colour combo: `count` items, the
// entries past the listed colours are black.
struct ColorComboPalette {
    std::array<uint32_t, 256> colors{};
    int count = 0;
};
ColorComboPalette PaletteForColorCode(uint8_t colorCode);

// The 3-bit colour of a text cell: bit 0 red, bit 1 green, bit 2 blue.
using RgbBits = uint8_t;
// A colour's RgbBits: a channel counts when above 0x80.
RgbBits RgbBitsOfColor(uint32_t colorRef);
// The full-intensity colour of RgbBits.
uint32_t ColorOfRgbBits(RgbBits bits);

}  // namespace ledsuite
