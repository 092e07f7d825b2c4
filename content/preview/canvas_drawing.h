#pragma once
// The drawing steps the layout canvas and the preview player share: one program's
// text laid out and drawn into the LED image, an area's border strips, and the
// magnified back image composed from the LED image.
#include <array>
#include <cstdint>
#include <vector>

#include "content/model/raw_image.h"
#include "content/render/card_layout.h"
#include "content/render/render_context.h"
#include "content/render/surface.h"
#include "content/model/text_content.h"
#include "content/render/text_layout.h"

namespace ledsuite {

struct LayoutCanvas;

// The grey around the screen on the canvas.
constexpr uint32_t kCanvasBackground = 0xCDCDCD;
// No LED image side is made longer than this, whatever the screen record says.
constexpr int kMaxLedSide = 4096;
// Areas wider or taller than this are not drawn (no record of a real file has one).
constexpr int kMaxAreaSide = 0xFFFF;

// A program's text laid out once for an area and an effect, as the card receives it
// (LayoutCardText: running lines under the moves to the left and right), so that a
// preview step only draws. Empty when the text is empty or the area has no size.
struct ProgramLayout : CardLayout {
    int effect = -1;
    int areaWidth = 0;
    int areaHeight = 0;
    int cells = 0;  // the text's cell count
    int colorCode = 5;  // the screen's: pictures are drawn as its card lights them (ShowPictureAsCard)

    bool empty() const { return lines.empty(); }
    bool Matches(int e, int w, int h) const { return effect == e && areaWidth == w && areaHeight == h; }
};

// Lays the text out for the area and the effect as the encoder sends it (one running
// line per hard line for a system-font text under a move to the left or right, lines
// wrapped within the area otherwise), for a screen of `colorCode`. False, with an empty
// layout, for an empty text or an area without width or height.
bool LayoutProgramContent(RenderContext& rc, const TextContent& text, int effect, int areaWidth, int areaHeight,
                          int colorCode, ProgramLayout& layout);

// Draws a laid-out text into `surface`, whose (0, 0) is the point (originX, originY)
// of the area; every line where the card's picture of it starts (PlaceCardLine) plus
// the offsets. Pictures show frame tick modulo their
// frame count as the layout's screen lights it, tables are drawn at the tick.
void DrawProgramLayout(RenderContext& rc, Surface& surface, const TextContent& text, const ProgramLayout& layout,
                       int originX, int originY, int xOffset, int yOffset, uint32_t tick);

// The area's text drawn into a new surface covering the part of the area inside a
// w x h image (the surface's top-left is that part's top-left); an empty surface
// when nothing of the area is inside.
Surface RenderAreaSurface(RenderContext& rc, const TextContent& text, const ProgramLayout& layout, int left,
                          int top, int right, int bottom, int xOffset, int yOffset, uint32_t tick, int w, int h);

// Draws one program's text into the canvas's LED image at its area, adding the
// pixels with saturation, for a screen of `colorCode`. Nothing for an empty text or an
// area without size.
void RenderProgramStatic(LayoutCanvas& canvas, const TextContent& text, int effect, int colorCode, int left, int top,
                         int right, int bottom, int xOffset, int yOffset);
// The same with a layout made before (the preview keeps one per program).
void RenderProgramStatic(LayoutCanvas& canvas, const TextContent& text, const ProgramLayout& layout, int left,
                         int top, int right, int bottom, int xOffset, int yOffset);

// A laid-out text drawn once at offset 0 into a surface that holds all of it, with a
// margin for ink past its cells, so that a step that only moves the text copies it from
// here instead of drawing it again. Made only for a text that draws the same at every
// tick and every time of day (no fields, tables, clocks or animated pictures) and whose
// picture is not too large; `made` is false otherwise.
struct ContentPicture {
    Surface pixels;
    int x = 0;  // the area position of the surface's top-left
    int y = 0;
    bool made = false;
    // The layout it was drawn from (effect, area size and colour code); -1: not tried yet.
    int effect = -1;
    int areaWidth = 0;
    int areaHeight = 0;
    int colorCode = 0;
};
// Draws `picture` from the text and its layout unless it was tried for this layout
// already; true when the picture is there.
bool MakeContentPicture(RenderContext& rc, const TextContent& text, const ProgramLayout& layout,
                        ContentPicture& picture);
// What RenderProgramStatic draws with the picture's layout, taken from the picture: its
// pixels at the offsets added into the LED image within the area.
void AddContentPicture(LayoutCanvas& canvas, const ContentPicture& picture, int left, int top, int right, int bottom,
                       int xOffset, int yOffset);

// The four border strips of an area tiled into the LED image with the canvas's
// border offsets: the side frames of BorderSideFrames (left, top, right, bottom), so
// one custom tile borders every side, as the card gets it. Nothing without a frame.
// Returns the rectangle the strips cover (empty without a frame).
PixelRect DrawAreaBorder(const FrameVector& frames, int borderType, LayoutCanvas& canvas, int left, int top, int right,
                    int bottom);

// Composes the back image: grey, the LED image lit as the card lights a screen of the
// colour code (ShowImageAsScreen) and shown at the zoom with its top-left at the origin.
void DrawCanvasImage(LayoutCanvas& canvas, int colorCode);

// The LED image's size for a screen record's width and height, each held to
// 1..kMaxLedSide.
int LedSide(int side);

}  // namespace ledsuite
