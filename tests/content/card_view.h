#pragma once
// Test-only card view: the picture a card shows for each program of a program set when
// its content is fully shown, or at a given step of a moving pass, drawn from the program
// image's bytes alone. It reads the area of each program record, the rendered line
// pictures at the x and y of their picture entries, the dynamic fields from their glyph
// sets at their records' places (values from a given local time), pictures, clock faces
// and border sides from their image sets, and a font-chip command stream with the
// built-in 5x7 font standing in for the card's chip. Planes show under the screen's
// colour code.
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

// What a program record and its content body tell: the area, the text head's size, and
// the card class, direction byte (byte 8) and offset (bytes 6-7) of each action.
struct CardProgram {
    int left = 0, top = 0, right = 0, bottom = 0;
    int textWidth = 0, textHeight = 0;
    struct Action {
        int cardClass = 0, direction = 0, offset = 0;
    };
    std::vector<Action> actions;
};

struct CardView {
    RawImage picture;                   // the screen, one pixel per LED, 0x00RRGGBB
    std::vector<CardProgram> programs;  // the set's programs in order
    std::vector<std::string> problems;  // what could not be drawn (bad offsets, unknown blocks)
};

// A moving program at a step of a pass of its action `action` (0 main, 1 secondary): its
// content is drawn shifted by (dx, dy) within its area, its border stays. The card draws
// moving content lower by the action's offset only when it moves left or right; content
// moving left or right that is wider than half its area is followed, 32 LEDs behind its
// text width, by a second copy. An inverted step (Flash) shows the negative of the
// content's planes within the area: the card inverts the bits it lights.
struct CardStep {
    size_t program = 0;
    size_t action = 0;
    int dx = 0, dy = 0;
    bool inverted = false;
};
constexpr int kCardSecondCopyGap = 32;

// The card's picture of program set `set` (0-based) at the local time `now`, the programs
// named in `steps` at those steps of their passes and the others fully shown.
CardView DrawCardView(std::span<const uint8_t> image, size_t set, const CardScreen& screen, const LocalTime& now,
                      std::span<const CardStep> steps = {});

}  // namespace ledsuite
