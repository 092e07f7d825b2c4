#pragma once
// The painters of the field objects (analogue clock, table, A/D value, counter,
// timer, digit group) and the makers of images from drawn items: a clock, a table,
// a single cell, a text run, a surface. Colours come from an attribute's three
// colour bits; every drawing is clipped by the surface.
#include <cstdint>
#include <string_view>

#include "content/model/field_objects.h"
#include "content/model/raw_image.h"
#include "content/render/render_context.h"
#include "content/render/surface.h"
#include "content/render/text_layout.h"

namespace ledsuite {

// The analogue clock of `clock` with its top-left at (left, top): a plain clock
// (style 0) draws twelve hour marks, a clock with an image its first face frame into
// width x height; with `hands`, the hour, minute and second hands of the local time,
// in a white pen of 1 pixel. The surface's pen and position are kept.
void DrawClock(Surface& surface, const ClockObject& clock, bool hands, int left, int top, int width, int height);
// The hands alone, as DrawClock draws them.
void DrawClockHands(Surface& surface, const ClockObject& clock, int left, int top);
// The clock drawn on black into a new image of its extent (ClockExtent); empty for a
// clock without width (an image clock without a face frame) or of size 0.
RawImage ClockToImage(const ClockObject& clock, bool hands);

// A table at (left, top) from column `firstColumn` and row `firstRow` on: each cell's
// text laid out and drawn by RenderText (the table's font-set mode, the cell's
// alignment) and the frame lines, within (left, top) .. (clipRight, clipBottom).
// Nothing for a table without columns or rows, or whose markers do not number
// columns x rows. Frame types: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot,
// 5 no lines, 6 and 7 solid.
void DrawGrid(RenderContext& rc, Surface& surface, const GridObject& grid, uint32_t animationTime, int firstColumn,
              int firstRow, const FieldCollector* collector, int left, int top, int clipRight, int clipBottom);
// The table drawn on black at animation time 0 into an image of its total size;
// empty for an empty table.
RawImage GridToBitmap(RenderContext& rc, const GridObject& grid, const FieldCollector* collector = nullptr);

// The placeholder of a field written at (left, top) in the field's colour and the
// font the caller selected: "iii.dd" of an A/D value, a counter's start value, a
// timer's units and labels.
void DrawAdcField(Surface& surface, int left, int top, const AdcField& field);
void DrawCounterField(Surface& surface, int left, int top, const CounterField& field);
void DrawTimerField(Surface& surface, int left, int top, const TimerField& field);
// The digits of a group on a common baseline, each in its own font and colour,
// advancing by the width of "J" in that font; the font selected before is kept.
void DrawDigitGroup(RenderContext& rc, Surface& surface, int left, int top, const DigitGroup& group,
                    bool defaultTable = false);

// One cell drawn on black into an image of its extent (an italic cell widened by
// four tenths for its overhang); `cardFonts` snaps the extent and takes faces from
// the default table. Empty for a cell without extent.
RawImage RenderCellImages(RenderContext& rc, bool cardFonts, const TextCell& cell);
// A UTF-16 text in the font and colour of `attr` drawn on black into an image of its
// extent; empty for an empty text.
RawImage RenderTextImage(RenderContext& rc, std::u16string_view text, uint32_t attr);

// A surface's pixels (or the part `rect` of them) as a new image: display size =
// pixel size, thresholds 128, pause 30, placement 0. Empty for an empty surface or part.
RawImage CreateImageFromHBitmap(const Surface& bitmap);
RawImage CreateImageFromDCBitmap(const Surface& dc, const PixelRect& rect);

// Narrows the rectangle in place: left and top raised to the given ones, right and
// bottom lowered.
void IntersectRectWith(PixelRect& rect, int left, int top, int right, int bottom);

// ORs an image, at its display size with its top-left at (x, y), onto the surface
// within `limit` (and the surface's clip).
void DrawImageOr(Surface& surface, const RawImage& image, int x, int y, const PixelRect& limit);

}  // namespace ledsuite
