#include "toolkit/colors.h"

namespace ledsuite {

namespace {
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
constexpr uint32_t kYellow = 0x00FFFF, kAqua = 0xFFFF00, kFuchsia = 0xFF00FF;
}  // namespace

const std::array<uint32_t, 16> VgaPalette16 = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

QColor ColorRefToQColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

ColorComboPalette PaletteForColorCode(uint8_t code) {
    ColorComboPalette p;
    auto set = [&p](std::initializer_list<uint32_t> colors, int count) {
        int i = 0;
        for (uint32_t c : colors) p.colors[i++] = c;
        p.count = count;
    };
    switch (code) {
        case 1: case 5: case 9: set({kRed}, 2); break;
        case 7: set({kRed}, 8); break;
        case 2: case 3: case 4: case 8:
            for (int i = 0; i < 16; ++i) p.colors[i] = VgaPalette16[i];
            p.count = 16;
            break;
        case 6: case 12: set({kRed, kGreen, kYellow}, 4); break;
        case 10: set({kGreen}, 2); break;
        case 11: set({kBlue}, 2); break;
        case 13: set({kGreen, kBlue, kAqua}, 4); break;
        case 14: set({kRed, kBlue, kFuchsia}, 4); break;
        case 15: set({kBlue, kRed, kFuchsia}, 4); break;
        case 16: set({kBlue, kGreen, kAqua}, 4); break;
        case 17: set({kGreen, kRed, kYellow}, 4); break;
        default: p.count = 2; break;
    }
    return p;
}

RgbBits RgbBitsOfColor(uint32_t c) {
    RgbBits bits = 0;
    if ((c & 0xFF) > 0x80) bits |= 1;
    if (((c >> 8) & 0xFF) > 0x80) bits |= 2;
    if (((c >> 16) & 0xFF) > 0x80) bits |= 4;
    return bits;
}

uint32_t ColorOfRgbBits(RgbBits bits) {
    return (bits & 1 ? 0x0000FFu : 0u) | (bits & 2 ? 0x00FF00u : 0u) | (bits & 4 ? 0xFF0000u : 0u);
}

}  // namespace ledsuite
