#include "content/render/card_layout.h"

#include <algorithm>

#include "content/model/records.h"

namespace ledsuite {

namespace {

// The width a running line may take: no wrapping.
constexpr int kRunningLineWidth = 1 << 30;

}  // namespace

bool RunningLineEffect(int effect) {
    return effect == kEffectMoveLeft || effect == kEffectMoveRight || effect == kEffectMoveLeftContinue ||
           effect == kEffectMoveRightContinue;
}

bool SentAsRunningLines(const TextHeader& header, int effect) {
    return header.fontSet == 0 && RunningLineEffect(effect);
}

void LayoutCardText(RenderContext& rc, const TextView& text, int effect, int areaWidth, int areaHeight,
                    bool runningLines, CardLayout& layout) {
    layout.extents.assign(kMaxCells, CellSize{});
    layout.placements.clear();
    layout.size = {};
    // An empty text has no lines, no placements and no size.
    if (BreakTextLines(rc, text, layout.extents, layout.lines, runningLines ? kRunningLineWidth : areaWidth))
        layout.size = LayoutEffectFrames(text, effect, layout.lines, layout.placements, areaWidth, areaHeight);
}

CardLineStart PlaceCardLine(const TextHeader& header, int effect, int areaWidth, const LineExtent& line,
                            const LinePlacement& placement) {
    int align = header.align;
    if (effect == kEffectMoveLeftContinue || effect == kEffectMoveRightContinue) align = 0;
    if (effect == kEffectMoveRight && align == 2) align = 0;
    const LineAlignment a = AlignLine(align, areaWidth, line);
    CardLineStart start{placement.x, placement.y, 0, align == 3};
    if (start.justified) start.gap = a.gap;
    else start.x += std::max(a.x, 0);
    return start;
}

}  // namespace ledsuite
