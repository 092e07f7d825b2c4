#pragma once
// Text layout and glyph rendering: cell extents and line breaking within an area's
// width, line placement for the display effects, the cell painter (the built-in 5x7
// font for 8-pixel text, FreeType faces otherwise), Thai clusters, the renderer of a
// table cell's text, and the caret query of the editing engine.
//
// Nothing here keeps state: every function works on the RenderContext, the surface
// and the arrays its caller passes (see render_context.h).
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/model/clock.h"
#include "content/model/field_objects.h"
#include "content/render/render_context.h"
#include "content/render/surface.h"
#include "content/model/text_content.h"

namespace ledsuite {

// A text as the layout reads it: a header and cells that end at their first code 0
// or at the end of the span. A TextContent converts to it.
struct TextView {
    TextHeader header;
    std::span<const TextCell> cells;

    TextView(const TextContent& text) : header(text.header), cells(text.cells) {}
    TextView(const TextHeader& h, std::span<const TextCell> c) : header(h), cells(c) {}
    int count() const { return CountCells(cells); }
};

// One laid-out line. Widths are 32-bit: 2048 cells of up to 287 pixels pass 16 bits.
struct LineExtent {
    int32_t width = 0;
    int32_t height = 0;
    int32_t first = 0;  // first cell
    int32_t last = 0;   // last cell; a newline belongs to the line it ends
    bool operator==(const LineExtent&) const = default;
};

// Where LayoutEffectFrames puts a line: its top-left and the height of its row
// (the line's group for the moving effects, the line for pages).
struct LinePlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t height = 0;
    bool operator==(const LinePlacement&) const = default;
};

// An extent array for every cell a text can hold.
using CellExtents = std::array<CellSize, kMaxCells>;

// Thai combining marks (classes 0..2) taken with a consonant into one cluster.
constexpr int kThaiMaxMarks = 4;

// ---- field texts ------------------------------------------------------------------

// The name table of a weekday or month field (U+E020..U+E024), empty for other codes:
// Chinese weekdays "天".."六", "Sunday".."Saturday", "Sun".."Satur", "January"..
// "December", "Jan.".."Dec.".
std::span<const std::u16string_view> FieldNames(char16_t code);
// What a cell shows at the time `now`: the year "%d", month to second "%02d",
// temperature "20", humidity "40", weekday and month names, the lyric field "LRC";
// any other cell its own character.
std::u16string FieldDisplayText(const TextCell& cell, const LocalTime& now);
// Date, time, name and value fields, pictures, tables and clocks: the cells the
// encoder collects instead of drawing, and the editor frames.
bool IsFieldCell(char16_t code);
// Whether a text shows the local time anywhere: a date, time or name field or an
// analogue clock, in its own cells or in a table's.
bool TextReadsTheClock(const TextContent& text);

// ---- drawing cells ------------------------------------------------------------------

// Draws one cell into `rect` (its left and top are the cell's origin); the caller has
// selected the cell's font. Object cells go to their painters (a picture draws frame
// `frame`, or its last, OR-ed onto the surface and clipped to the rectangle; a table
// its cells and frame lines; a clock with its hands); a newline draws nothing; fields
// show FieldDisplayText at the local time. 8-pixel text is drawn with the built-in
// font (printable ASCII) and the small font kSmallFontRise pixels higher, 6 pixels per
// character.
constexpr int kSmallFontRise = 1;
void DrawCell(RenderContext& rc, Surface& surface, const TextCell& cell, const PixelRect& rect, size_t frame = 0);

// A Thai consonant (class 5) at `index` and the combining marks after it (at most
// kThaiMaxMarks, never past the text's end) written as one string at (x, y) in the
// consonant's colour and the selected font. The number of marks drawn; 0, drawing
// nothing, for any other cell.
int DrawThaiCluster(Surface& surface, std::span<const TextCell> cells, int x, int y, int index);
// The consonant's height and the widest of it and its marks; 0 x 0 for other cells.
CellSize ThaiClusterExtent(RenderContext& rc, std::span<const TextCell> cells, int index, bool snap);

// ---- layout ---------------------------------------------------------------------------

// Measures every cell into `extents` (Thai marks 0 wide, their consonant as wide as
// its widest mark, a newline 0 wide) and fills `lines` greedily within `maxWidth`:
// a cell that does not fit starts the next line, a cell wider than the area stands on
// a line of its own, a newline closes its line and the next starts with its height.
// False, with `lines` empty, for an empty text or an extent array shorter than it.
bool BreakTextLines(RenderContext& rc, const TextView& text, std::span<CellSize> extents,
                    std::vector<LineExtent>& lines, int maxWidth);
// The wrapped lines of each hard line (up to one that ends in a newline) folded into
// one line, as wide as their sum and as tall as the tallest.
std::vector<LineExtent> MergeLineExtents(const TextView& text, std::span<const LineExtent> lines);
// The size the content takes under an effect within the area width: effects 30 and
// 31 the widest hard line and their heights' sum; 1 and 3 each hard line as wide as
// its wrapped lines times the area width; other effects the area width and the sum of
// the line heights. 0 x 0 for an empty text.
CellSize MeasureEffectContent(RenderContext& rc, int effect, const TextView& text, int areaWidth);
// Places the lines for an effect (see text_layout.cpp) into `placements` (one per line)
// and returns the laid-out width and height; a zero result when the area has no width
// or, for the page layouts, no height.
CellSize LayoutEffectFrames(const TextView& text, int effect, std::span<const LineExtent> lines,
                            std::vector<LinePlacement>& placements, int areaWidth, int areaHeight);

// A line's start within an area by the header's alignment (0 left, 1 centred, 2 right,
// 3 justified) and the gap a justified line puts before each of its cells.
struct LineAlignment {
    int x = 0;
    int gap = 0;
};
LineAlignment AlignLine(int align, int areaWidth, const LineExtent& line);

// The widest line and the sum of the line heights; 0 x 0 for an empty text.
CellSize MeasureTextBlock(RenderContext& rc, const TextView& text, int maxWidth);
// MeasureTextBlock as the table code takes it (MeasureGridCells).
TextBlockMeasure TextBlockMeasurer(RenderContext& rc);
// The largest extent of the cells that are not pictures, tables or clocks, at least
// 8 x 8, its width then raised by a fifth.
CellSize MaxCellExtent(RenderContext& rc, const TextView& text);

// A field cell that RenderText hands over instead of drawing it: the cell, its
// top-left and the top of its line.
struct PlacedField {
    const TextCell* cell = nullptr;
    int x = 0;
    int y = 0;
    int lineTop = 0;
};
using FieldCollector = std::function<void(const PlacedField&)>;

// Lays out and draws a text into `rect` as a table cell shows it: pages (effect 2),
// lines aligned by the header, each cell standing on its line's bottom, clipped to
// the rectangle. Pictures show the frame of `animationTime` (their pauses summed),
// clocks their hands, tables nothing. With a collector, field cells are handed to it
// and not drawn. An empty text draws nothing. The surface's clip and font stay as
// they were.
void RenderText(RenderContext& rc, Surface& surface, const TextView& text, uint32_t animationTime,
                const PixelRect& rect, const FieldCollector* collector = nullptr);

// ---- caret query ------------------------------------------------------------------------

enum class CaretQueryKind : uint8_t { Point = 0, HitTest = 1, Left = 2, Up = 3, Right = 4, Down = 5, Home = 6, End = 7 };

// Edge codes: the move would leave the text; each is also its bit in CaretQuery::edges.
namespace CaretEdge {
constexpr int Start = 0x04;   // left at the first cell
constexpr int Top = 0x08;     // up on the first line
constexpr int End = 0x10;     // right at the end
constexpr int Bottom = 0x20;  // down on the last line
}  // namespace CaretEdge

struct CaretQuery {
    CaretQueryKind kind = CaretQueryKind::Point;
    uint8_t edges = 0;      // the edges hit: each edge code returned is added here
    uint8_t moveClass = 0;  // EffectMoveClass of the main action: 1 and 30 lay out hard lines
    int32_t caret = 0;      // in: the caret index (Point: the index to place)
    int32_t result = 0;     // out: the caret index
    int32_t x = 0;          // in: the point (HitTest); out: the caret's line-relative position
    int32_t y = 0;
    // in and out: a caret index that is both a wrapped line's end and the next line's
    // start stands at the end of the line (after its last cell) rather than at the start
    // of the next; answered true where a move lands there.
    bool lineEnd = false;
    int32_t caretHeight = 0;  // out: the cell height at the caret (kept for an empty text)
    int32_t lineHeight = 0;   // out: the caret's line height (kept for an empty text)
    int32_t contentWidth = 0;   // out: the widest line
    int32_t contentHeight = 0;  // out: the lines' heights summed
};

// Answers a caret query over a laid-out text (its extents and lines from
// BreakTextLines; with move class 1 or 30 the lines are first folded into hard lines).
// Returns 0, or the edge code when the move would leave the text (the caret then stays).
//
// Caret indexes 0..n (n the cell count) map onto rows, one per line: a row holds the
// carets from its first cell to its end, which is before a closing newline and after
// the last cell otherwise. The end of a wrapped line is also the next line's start: the
// query's lineEnd tells which of the two places the caret stands at (home, left and
// right leave it at the start; end, and a hit or up and down that land after a wrapped
// line's last cell, put it at the end, so that what is typed there follows that cell).
// A text ending in a newline has an empty row below its lines for the caret behind it.
// A caret's x is the sum of the widths of the cells before it on its row, its y the sum
// of the heights of the rows above; the caret height is that of the cell at the caret
// (else the cell before it on the row, else the row's). A hit test picks the row under
// y (the first or last row beyond the text) and the nearest cell boundary on it; up and
// down keep the caret's x and hit-test the row above or below; home and end go to the
// row's first and end place. An empty text, or lines that do not describe it, answer
// caret 0 at (0, 0), content 0 x 0, heights unchanged; left, right, up and down report
// their edge.
int CellIndexToPoint(CaretQuery& query, const TextView& text, std::span<const CellSize> extents,
                     std::span<const LineExtent> lines);

}  // namespace ledsuite
