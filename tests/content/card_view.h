#pragma once
// Test-only card view: the picture a card shows for each program of a program set when
// its content is fully shown, drawn from the program image's bytes alone. It reads the
// area of each program record, the rendered line pictures at the x and y of their
// picture entries, the dynamic fields from their glyph sets at their records' places
// (values from a given local time), pictures, clock faces and border sides from their
// image sets, and a font-chip command stream with the built-in 5x7 font standing in for
// the card's chip. Planes show under the screen's colour code.
//
// It shares nothing with the layout canvas, the preview or the text layout, so a
// comparison with them cannot agree by sharing a mistake.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/model/clock.h"
#include "content/model/raw_image.h"

namespace ledsuite {

struct CardScreen {
    int width = 0;
    int height = 0;
    int colorCode = 5;
};

struct CardView {
    RawImage picture;                   // the screen, one pixel per LED, 0x00RRGGBB
    std::vector<std::string> problems;  // what could not be drawn (bad offsets, unknown blocks)
};

// The card's picture of program set `set` (0-based) at the local time `now`.
CardView DrawCardView(std::span<const uint8_t> image, size_t set, const CardScreen& screen, const LocalTime& now);

}  // namespace ledsuite
