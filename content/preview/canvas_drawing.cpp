#include "content/preview/canvas_drawing.h"

#include <algorithm>
#include <cstring>

#include "content/render/image_sources.h"
#include "content/render/item_painters.h"
#include "content/render/led_planes.h"
#include "content/preview/layout_canvas.h"
#include "content/model/records.h"

namespace ledsuite {

namespace {

// One cell at (x, top) within the surface; the font is selected by the caller. A picture
// and a clock's face show what the card lights of them: the card packs them by their
// thresholds for the screen.
void DrawLaidOutCell(RenderContext& rc, Surface& s, const TextCell& cell, const CellSize& e, int x, int top,
                     uint32_t tick, int colorCode) {
    const PixelRect rect{x, top, x + e.width, top + e.height};
    if (cell.code == FC_PICTURE) {
        const auto* p = CellObjectAs<PictureObject>(cell);
        const RawImage* frame = p && !p->frames.empty() ? GetImageFrame(&p->frames, tick % p->frames.size()) : nullptr;
        if (frame) DrawImageOr(s, ShowPictureAsCard(*frame, colorCode), x, top, rect);
    } else if (cell.code == FC_CLOCK) {
        // The card gets the face as a picture of the default thresholds and draws the hands itself.
        if (const auto* c = CellObjectAs<ClockObject>(cell)) {
            DrawImageOr(s, ShowPictureAsCard(ClockToImage(*c, false), colorCode), x, top, rect);
            const ClipScope clip(s, rect);
            DrawClockHands(s, *c, x, top);
        }
    } else if (cell.code == FC_TABLE) {
        if (const auto* g = CellObjectAs<GridObject>(cell))
            DrawGrid(rc, s, *g, tick, 0, 0, nullptr, x, top, rect.right, rect.bottom);
    } else {
        DrawCell(rc, s, cell, rect);
    }
}

// Draws the cells of one line that fall inside the surface.
void DrawLine(RenderContext& rc, Surface& s, const TextContent& text, const ProgramLayout& layout, size_t k, int x,
              int y, int gap, uint32_t tick) {
    const LineExtent& line = layout.lines[k];
    const bool card = text.header.fontSet != 0;
    const int n = layout.cells;
    const uint32_t* fontAttr = nullptr;
    int skip = 0;  // Thai marks drawn with their consonant
    for (int i = line.first; i <= line.last && i < n; ++i) {
        x += gap;
        const TextCell& cell = text.cells[size_t(i)];
        const CellSize e = layout.extents[size_t(i)];
        if (x >= s.width()) break;
        const bool visible = x + e.width > 0 || ThaiCharClass(cell) == 5;
        if (skip > 0) {
            --skip;
        } else if (visible && cell.code != kNewline) {
            // Cells stand on their own line's bottom, as the card draws them: a line that shares
            // its row with a taller one (a table beside a text) stays at the row's top.
            const int top = y + line.height - e.height;
            const uint32_t* attr = IsPictureTableOrClock(cell.code) ? nullptr : CellAttrPtr(cell);
            if (attr && (!fontAttr || *attr != *fontAttr) && SelectCellFont(rc, s, cell, card)) fontAttr = attr;
            if (ThaiCharClass(cell) == 5)
                skip = DrawThaiCluster(s, std::span(text.cells).first(size_t(n)), x, top, i);
            else
                DrawLaidOutCell(rc, s, cell, e, x, top, tick, layout.colorCode);
        }
        x += e.width;
    }
}

// Tiles one border strip. TileImageAlong lets a first tile that starts before the
// strip draw there too, which would paint over the neighbouring area; the strip is
// tiled on its own and copied, so nothing lands outside it.
void TileStrip(RawImage& led, const RawImage& tile, int offset, int direction, const PixelRect& strip) {
    const PixelRect part = strip.Intersect({0, 0, led.width, led.height});
    if (part.empty()) return;
    // Only the visible length is tiled, in the strip's phase.
    const bool across = direction == 2;
    const int skipped = across ? part.left - strip.left : part.top - strip.top;
    const int w = across ? part.width() : strip.width(), h = across ? strip.height() : part.height();
    RawImage scratch;
    if (!ResetImage(scratch, w, h)) return;
    TileImageAlong(int(int64_t(offset) - skipped), direction, scratch, 0, 0, w, h, tile);
    CompositeImage(led, scratch, part.left, part.top, part.right, part.bottom, across ? part.left : strip.left,
                   across ? strip.top : part.top, 0);
}

// Adds the surface into the image with its top-left at (x0, y0), each channel
// saturating (the surface lies inside the image).
void AddSaturating(RawImage& image, const Surface& s, int x0, int y0) {
    for (int y = 0; y < s.height(); ++y) {
        const uint32_t* src = s.row(y);
        uint32_t* dst = image.row32(y0 + y) + x0;
        for (int x = 0; x < s.width(); ++x) {
            const uint32_t a = dst[x], b = src[x];
            if (a == 0 || b == 0) {
                dst[x] = a | b;
                continue;
            }
            uint32_t sum = 0;
            for (int shift = 0; shift < 24; shift += 8)
                sum |= std::min<uint32_t>(((a >> shift) & 0xFF) + ((b >> shift) & 0xFF), 0xFF) << shift;
            dst[x] = sum;
        }
    }
}

}  // namespace

int LedSide(int side) { return std::clamp(side, 1, kMaxLedSide); }

bool LayoutProgramContent(RenderContext& rc, const TextContent& text, int effect, int areaWidth, int areaHeight,
                          int colorCode, ProgramLayout& layout) {
    layout = ProgramLayout{};
    layout.colorCode = colorCode;
    layout.effect = effect;
    layout.areaWidth = areaWidth;
    layout.areaHeight = areaHeight;
    const int n = CountCells(text);
    if (n == 0 || areaWidth < 1 || areaHeight < 1 || areaWidth > kMaxAreaSide || areaHeight > kMaxAreaSide)
        return false;
    layout.cells = n;
    LayoutCardText(rc, TextView(text), effect, areaWidth, areaHeight, SentAsRunningLines(text.header, effect), layout);
    return !layout.empty();
}

void DrawProgramLayout(RenderContext& rc, Surface& s, const TextContent& text, const ProgramLayout& layout,
                       int originX, int originY, int xOffset, int yOffset, uint32_t tick) {
    if (layout.empty() || s.width() < 1) return;
    const FontScope keep(s);
    for (size_t k = 0; k < layout.lines.size(); ++k) {
        const LinePlacement& place = layout.placements[k];
        const int y = place.y + yOffset - originY;
        if (y >= s.height() || y + place.height <= 0) continue;
        const CardLineStart start = PlaceCardLine(text.header, layout.effect, layout.areaWidth, layout.lines[k], place);
        DrawLine(rc, s, text, layout, k, int(start.x) + xOffset - originX, y, start.gap, tick);
    }
}

Surface RenderAreaSurface(RenderContext& rc, const TextContent& text, const ProgramLayout& layout, int left, int top,
                          int right, int bottom, int xOffset, int yOffset, uint32_t tick, int w, int h) {
    const PixelRect part = PixelRect{left, top, right, bottom}.Intersect({0, 0, w, h});
    if (part.empty() || layout.empty()) return Surface();
    Surface s(part.width(), part.height());
    DrawProgramLayout(rc, s, text, layout, part.left - left, part.top - top, xOffset, yOffset, tick);
    return s;
}

void RenderProgramStatic(LayoutCanvas& canvas, const TextContent& text, const ProgramLayout& layout, int left,
                         int top, int right, int bottom, int xOffset, int yOffset) {
    if (!canvas.rc || !canvas.ledImage.is32()) return;
    const Surface s = RenderAreaSurface(*canvas.rc, text, layout, left, top, right, bottom, xOffset, yOffset,
                                        canvas.tick, canvas.ledImage.width, canvas.ledImage.height);
    if (s.width() < 1) return;
    AddSaturating(canvas.ledImage, s, std::max(left, 0), std::max(top, 0));
}

void RenderProgramStatic(LayoutCanvas& canvas, const TextContent& text, int effect, int colorCode, int left, int top,
                         int right, int bottom, int xOffset, int yOffset) {
    if (!canvas.rc) return;
    ProgramLayout layout;
    if (!LayoutProgramContent(*canvas.rc, text, effect, right - left, bottom - top, colorCode, layout)) return;
    RenderProgramStatic(canvas, text, layout, left, top, right, bottom, xOffset, yOffset);
}

void DrawAreaBorder(const FrameVector& frames, int borderType, LayoutCanvas& canvas, int left, int top, int right,
                    int bottom) {
    const auto sides = BorderSideFrames(frames, borderType);
    if (!sides[0]) return;
    RawImage& led = canvas.ledImage;
    // The offsets are 16-bit words holding -s or s - 256.
    auto offset = [&](size_t side) { return int(int16_t(canvas.borderOffsets[side])); };
    const RawImage &f0 = *sides[0], &f1 = *sides[1], &f2 = *sides[2], &f3 = *sides[3];
    TileStrip(led, f0, offset(0), 3, {left, top, left + f0.displayWidth, bottom});
    TileStrip(led, f1, offset(1), 2, {left, top, right, top + f1.displayHeight});
    TileStrip(led, f2, offset(2), 3, {right - f2.displayWidth, top, right, bottom});
    TileStrip(led, f3, offset(3), 2, {left, bottom - f3.displayHeight, right, bottom});
}

void DrawCanvasImage(LayoutCanvas& canvas, int colorCode) {
    RawImage& back = canvas.backImage;
    RawImage& led = canvas.ledImage;
    if (!back.is32()) return;
    if (!led.is32()) return FillImage(back, kCanvasBackground);
    const int zoom = std::clamp(canvas.zoom, kMinZoom, kMaxZoom);
    led.displayWidth = led.width * zoom;
    led.displayHeight = led.height * zoom;
    ShowImageAsScreen(led, colorCode);
    // The screen's part of the canvas, clipped to the back image; grey around it.
    const int64_t sx0 = canvas.originX, sy0 = canvas.originY;
    const int x0 = int(std::clamp<int64_t>(sx0, 0, back.width));
    const int x1 = std::max(x0, int(std::clamp<int64_t>(sx0 + led.displayWidth, 0, back.width)));
    const int y0 = int(std::clamp<int64_t>(sy0, 0, back.height));
    const int y1 = std::max(y0, int(std::clamp<int64_t>(sy0 + led.displayHeight, 0, back.height)));
    // The preview composes the same frame every round: the grey it laid stays. Any other
    // composition may be drawn over (outlines, labels), so the next one lays it again.
    const std::array<int, 6> frame{back.width, back.height, x0, x1, y0, y1};
    const bool greyInPlace = canvas.runState == kPreviewRunning && canvas.composedFrame == frame;
    canvas.composedFrame = canvas.runState == kPreviewRunning ? frame : std::array<int, 6>{};
    for (int y = 0; y < back.height && !greyInPlace; ++y) {
        uint32_t* row = back.row32(y);
        if (y < y0 || y >= y1) {
            std::fill(row, row + back.width, kCanvasBackground);
        } else {
            std::fill(row, row + x0, kCanvasBackground);
            std::fill(row + x1, row + back.width, kCanvasBackground);
        }
    }
    if (x0 >= x1) return;
    // Nearest sampling at a whole zoom: each LED row is magnified once, then copied.
    std::vector<uint32_t> magnified(size_t(x1 - x0));
    int cached = -1;
    for (int y = y0; y < y1; ++y) {
        const int ly = int((int64_t(y) - sy0) / zoom);
        if (ly != cached) {
            const uint32_t* src = led.row32(ly);
            int lx = int((int64_t(x0) - sx0) / zoom);
            int left = zoom - int((int64_t(x0) - sx0) % zoom);  // pixels left of this LED
            for (uint32_t& px : magnified) {
                px = src[lx];
                if (--left == 0) ++lx, left = zoom;
            }
            cached = ly;
        }
        std::memcpy(back.row32(y) + x0, magnified.data(), magnified.size() * sizeof(uint32_t));
    }
}

}  // namespace ledsuite
