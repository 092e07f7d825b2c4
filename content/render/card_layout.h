#pragma once
// A text laid out as the card receives it, shared by the encoder that sends it and by
// the layout view and the preview that show it, so that they cannot disagree.
//
// A system-font text reaches the card as one picture per laid-out line. Under the moves
// to the left and right (effects 1, 3, 30, 31) each hard line stays one running line
// however wide it is; under every other effect, and for a text in a card font set (sent
// as a command stream), the lines wrap within the area's width.
#include <cstdint>
#include <vector>

#include "content/model/text_content.h"
#include "content/render/render_context.h"
#include "content/render/text_layout.h"

namespace ledsuite {

// The moves to the left and right, whose rendered text is one running line per hard line.
bool RunningLineEffect(int effect);
// Whether the card gets the text under `effect` as running lines: a system-font text
// (font-set mode 0) under a move to the left or right.
bool SentAsRunningLines(const TextHeader& header, int effect);

// Lines with their extents and placements for the effect, and the laid-out size (the
// text head's width and height). The lines break within the area's width; with
// `runningLines` each hard line stays one line.
struct CardLayout {
    std::vector<CellSize> extents;
    std::vector<LineExtent> lines;
    std::vector<LinePlacement> placements;
    CellSize size;
};
void LayoutCardText(RenderContext& rc, const TextView& text, int effect, int areaWidth, int areaHeight,
                    bool runningLines, CardLayout& layout);

// Where a line starts: the layout's x plus the alignment offset (centred and right
// lines; none under effects 30 and 31, and none for right-aligned lines of effect 3,
// whose layout already aligns them), and the gap a justified line puts before each
// cell. An offset is never negative: a line wider than the area starts at the layout's x.
struct CardLineStart {
    int64_t x = 0;
    int64_t y = 0;
    int32_t gap = 0;
    bool justified = false;
};
CardLineStart PlaceCardLine(const TextHeader& header, int effect, int areaWidth, const LineExtent& line,
                            const LinePlacement& placement);

}  // namespace ledsuite
