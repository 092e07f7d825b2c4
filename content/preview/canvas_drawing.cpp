#include "content/preview/canvas_drawing.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

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
        // A glyph's ink may pass its cell's box (bold, italic, the small font): cells up to a
        // line's height outside the surface are drawn too, so that a text moving across the
        // area's edge shows its ink there at every step, as its whole picture does.
        const int reach = line.height;
        if (x - reach >= s.width()) break;
        const bool visible = x + e.width + reach > 0 || ThaiCharClass(cell) == 5;
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

// Adds two pixels: where either is black the other as it is, else blue, green and red
// each saturating at 255 (the fourth byte 0). The bytes are added side by side: the low
// seven bits of each, then the top bits and the carries out of them.
uint32_t SaturatingSum(uint32_t a, uint32_t b) {
    const uint32_t low = (a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu);
    const uint32_t tops = (a ^ b) & 0x80808080u;
    const uint32_t carries = ((a & b) | (tops & low)) & 0x80808080u;
    const uint32_t saturated = carries | (carries - (carries >> 7));  // 0xFF in every byte that carried
    const uint32_t sum = ((low ^ tops) | saturated) & 0xFFFFFFu;
    return a == 0 || b == 0 ? a | b : sum;
}

// Adds n pixels of `src` to `dst`. Onto a black row (an area cleared for a new frame)
// that is a copy.
void AddRowSaturating(uint32_t* dst, const uint32_t* src, int n) {
    if (n < 1) return;
    const size_t bytes = size_t(n) * sizeof(uint32_t);
    if (dst[0] == 0 && std::memcmp(dst, dst + 1, bytes - sizeof(uint32_t)) == 0) {  // every pixel as the first
        std::memcpy(dst, src, bytes);
        return;
    }
    for (int x = 0; x < n; ++x) dst[x] = SaturatingSum(dst[x], src[x]);
}

// Adds the surface into the image with its top-left at (x0, y0) (the surface lies inside
// the image).
void AddSaturating(RawImage& image, const Surface& s, int x0, int y0) {
    for (int y = 0; y < s.height(); ++y) AddRowSaturating(image.row32(y0 + y) + x0, s.row(y), s.width());
}

// A picture of the text is its drawing at every tick and every time of day: plain
// characters and still pictures only.
bool DrawsTheSameAlways(const TextContent& text) {
    const int n = CountCells(text);
    for (int i = 0; i < n; ++i) {
        const TextCell& cell = text.cells[size_t(i)];
        if (!IsFieldCell(cell.code)) continue;
        const auto* picture = cell.code == FC_PICTURE ? CellObjectAs<PictureObject>(cell) : nullptr;
        if (!picture || picture->frames.size() > 1) return false;
    }
    return true;
}

// The smallest rectangle holding every lit pixel of the surface; empty when none is lit.
PixelRect LitPart(const Surface& s) {
    PixelRect r{s.width(), s.height(), 0, 0};
    for (int y = 0; y < s.height(); ++y) {
        const uint32_t* row = s.row(y);
        for (int x = 0; x < s.width(); ++x) {
            if (row[x] == 0) continue;
            r.left = std::min(r.left, x), r.right = std::max(r.right, x + 1);
            r.top = std::min(r.top, y), r.bottom = y + 1;
        }
    }
    return r;
}

// Pictures of texts larger than this are not made; the text is drawn at every step.
constexpr int64_t kMaxContentPicturePixels = 1 << 20;

// The canvas background everywhere on the back image outside `screen`.
void FillAroundScreen(RawImage& back, const PixelRect& screen) {
    for (int y = 0; y < back.height; ++y) {
        uint32_t* row = back.row32(y);
        if (y < screen.top || y >= screen.bottom) {
            std::fill(row, row + back.width, kCanvasBackground);
        } else {
            std::fill(row, row + screen.left, kCanvasBackground);
            std::fill(row + screen.right, row + back.width, kCanvasBackground);
        }
    }
}

// Where LED (0, 0) lies on the back image and how many pixels an LED takes.
struct LedView {
    int64_t x = 0;
    int64_t y = 0;
    int zoom = 1;
};

// Writes each of the n LEDs of `src` Z times.
template <int Z>
void RepeatLeds(const uint32_t* src, int n, uint32_t* out) {
    for (int i = 0; i < n; ++i, out += Z)
        for (int k = 0; k < Z; ++k) out[k] = src[i];
}

// Writes `count` pixels of an LED row magnified by the zoom, the first LED `firstRun` times.
void MagnifyRow(const uint32_t* src, int firstRun, int zoom, uint32_t* out, int count) {
    if (zoom == 1) {
        std::memcpy(out, src, size_t(count) * sizeof(uint32_t));
        return;
    }
    const int head = std::min(firstRun, count);
    std::fill_n(out, head, *src++);
    out += head, count -= head;
    const int whole = count / zoom;
    switch (zoom) {
    case 2: RepeatLeds<2>(src, whole, out); break;
    case 3: RepeatLeds<3>(src, whole, out); break;
    case 4: RepeatLeds<4>(src, whole, out); break;
    default:
        for (int i = 0; i < whole; ++i) std::fill_n(out + i * zoom, zoom, src[i]);
    }
    std::fill_n(out + whole * zoom, count - whole * zoom, src[whole]);
}

// Shows the LEDs of `leds` on the back image within `shown` (the screen's part of it) by
// nearest sampling at a whole zoom: each LED row is magnified once into the first of its
// back rows, which the others copy.
void MagnifyLeds(RawImage& back, const RawImage& led, const PixelRect& leds, const LedView& v,
                 const PixelRect& shown) {
    const int zoom = v.zoom;
    const int bx0 = int(std::max<int64_t>(shown.left, v.x + int64_t(leds.left) * zoom));
    const int bx1 = int(std::min<int64_t>(shown.right, v.x + int64_t(leds.right) * zoom));
    const int by0 = int(std::max<int64_t>(shown.top, v.y + int64_t(leds.top) * zoom));
    const int by1 = int(std::min<int64_t>(shown.bottom, v.y + int64_t(leds.bottom) * zoom));
    if (bx0 >= bx1 || by0 >= by1) return;
    const int firstLed = int((bx0 - v.x) / zoom);
    const int firstRun = zoom - int((bx0 - v.x) % zoom);  // pixels of the first LED
    const size_t bytes = size_t(bx1 - bx0) * sizeof(uint32_t);
    int magnified = -1;  // the LED row the last back row shows
    for (int y = by0; y < by1; ++y) {
        const int ly = int((y - v.y) / zoom);
        uint32_t* dst = back.row32(y) + bx0;
        if (ly == magnified) std::memcpy(dst, back.row32(y - 1) + bx0, bytes);
        else MagnifyRow(led.row32(ly) + firstLed, firstRun, zoom, dst, bx1 - bx0);
        magnified = ly;
    }
}

// Lights and composes the drawn LEDs of `leds` (inside the LED image) row by row: a row
// drawn as the last composition found it is shown as it was.
void ComposeDrawnLeds(LayoutCanvas& canvas, const PixelRect& leds, int colorCode, const LedView& view,
                      const PixelRect& shown) {
    RawImage& led = canvas.ledImage;
    const size_t bytes = size_t(std::max(leds.width(), 0)) * sizeof(uint32_t);
    for (int y = leds.top; y < leds.bottom; ++y) {
        uint32_t* now = led.row32(y) + leds.left;
        uint32_t* found = canvas.foundLeds.row32(y) + leds.left;
        uint32_t* lit = canvas.shownLeds.row32(y) + leds.left;
        if (std::memcmp(found, now, bytes) == 0) {
            std::memcpy(now, lit, bytes);
            continue;
        }
        std::memcpy(found, now, bytes);
        ShowImageAsScreen(led, colorCode, leds.left, y, leds.right, y + 1);
        if (std::memcmp(lit, now, bytes) == 0) continue;
        std::memcpy(lit, now, bytes);
        MagnifyLeds(canvas.backImage, led, {leds.left, y, leds.right, y + 1}, view, shown);
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
        if (y - place.height >= s.height() || y + 2 * place.height <= 0) continue;  // ink past the row, as in DrawLine
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

bool MakeContentPicture(RenderContext& rc, const TextContent& text, const ProgramLayout& layout,
                        ContentPicture& picture) {
    if (picture.effect == layout.effect && picture.areaWidth == layout.areaWidth &&
        picture.areaHeight == layout.areaHeight && picture.colorCode == layout.colorCode)
        return picture.made;
    picture = ContentPicture{};
    picture.effect = layout.effect, picture.areaWidth = layout.areaWidth, picture.areaHeight = layout.areaHeight;
    picture.colorCode = layout.colorCode;
    if (layout.empty() || !DrawsTheSameAlways(text)) return false;
    // The lines' boxes where DrawProgramLayout puts them, grown by the tallest line on
    // every side for ink past the cells.
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN, margin = 0;
    for (size_t k = 0; k < layout.lines.size(); ++k) {
        const LineExtent& line = layout.lines[k];
        const LinePlacement& place = layout.placements[k];
        const CardLineStart start = PlaceCardLine(text.header, layout.effect, layout.areaWidth, line, place);
        const int64_t gaps = int64_t(std::max(start.gap, 0)) * (line.last - line.first + 1);
        left = std::min(left, start.x), right = std::max(right, start.x + line.width + gaps);
        top = std::min<int64_t>(top, place.y), bottom = std::max<int64_t>(bottom, int64_t(place.y) + place.height);
        margin = std::max<int64_t>({margin, place.height, line.height});
    }
    left -= margin, top -= margin, right += margin, bottom += margin;
    if ((right - left) * (bottom - top) > kMaxContentPicturePixels || left < INT32_MIN / 2 || right > INT32_MAX / 2 ||
        top < INT32_MIN / 2 || bottom > INT32_MAX / 2)
        return false;
    Surface drawn(int(right - left), int(bottom - top));
    DrawProgramLayout(rc, drawn, text, layout, int(left), int(top), 0, 0, 0);
    // Only the lit part is kept: a dark pixel adds nothing.
    const PixelRect lit = LitPart(drawn);
    if (lit.empty()) return false;
    picture.pixels.Reset(lit.width(), lit.height());
    picture.pixels.BlitCopy(drawn.image(), 0, 0, lit);
    picture.x = int(left) + lit.left, picture.y = int(top) + lit.top;
    picture.made = true;
    return true;
}

void AddContentPicture(LayoutCanvas& canvas, const ContentPicture& picture, int left, int top, int right, int bottom,
                       int xOffset, int yOffset) {
    RawImage& led = canvas.ledImage;
    if (!picture.made || !led.is32()) return;
    // The picture's place on the LED image, clipped to the area and to the image.
    const int64_t px = int64_t(left) + picture.x + xOffset, py = int64_t(top) + picture.y + yOffset;
    const int64_t x0 = std::max<int64_t>({px, left, 0}), y0 = std::max<int64_t>({py, top, 0});
    const int64_t x1 = std::min<int64_t>({px + picture.pixels.width(), right, led.width});
    const int64_t y1 = std::min<int64_t>({py + picture.pixels.height(), bottom, led.height});
    if (x0 >= x1) return;
    for (int64_t y = y0; y < y1; ++y)
        AddRowSaturating(led.row32(int(y)) + x0, picture.pixels.row(int(y - py)) + (x0 - px), int(x1 - x0));
}

PixelRect DrawAreaBorder(const FrameVector& frames, int borderType, LayoutCanvas& canvas, int left, int top,
                         int right, int bottom) {
    const auto sides = BorderSideFrames(frames, borderType);
    if (!sides[0]) return {};
    RawImage& led = canvas.ledImage;
    // The offsets are 16-bit words holding -s or s - 256.
    auto offset = [&](size_t side) { return int(int16_t(canvas.borderOffsets[side])); };
    const RawImage &f0 = *sides[0], &f1 = *sides[1], &f2 = *sides[2], &f3 = *sides[3];
    TileStrip(led, f0, offset(0), 3, {left, top, left + f0.displayWidth, bottom});
    TileStrip(led, f1, offset(1), 2, {left, top, right, top + f1.displayHeight});
    TileStrip(led, f2, offset(2), 3, {right - f2.displayWidth, top, right, bottom});
    TileStrip(led, f3, offset(3), 2, {left, bottom - f3.displayHeight, right, bottom});
    return {std::min(left, right - f2.displayWidth), std::min(top, bottom - f3.displayHeight),
            std::max(right, left + f0.displayWidth), std::max(bottom, top + f1.displayHeight)};
}

void DrawCanvasImage(LayoutCanvas& canvas, int colorCode) {
    RawImage& back = canvas.backImage;
    RawImage& led = canvas.ledImage;
    std::vector<PixelRect> drawn = std::exchange(canvas.drawnLeds, {});
    if (!back.is32()) return;
    if (!led.is32()) return FillImage(back, kCanvasBackground);
    const int zoom = std::clamp(canvas.zoom, kMinZoom, kMaxZoom);
    led.displayWidth = led.width * zoom;
    led.displayHeight = led.height * zoom;
    // The screen's part of the canvas, clipped to the back image; grey around it.
    const int64_t sx0 = canvas.originX, sy0 = canvas.originY;
    const int x0 = int(std::clamp<int64_t>(sx0, 0, back.width));
    const int x1 = std::max(x0, int(std::clamp<int64_t>(sx0 + led.displayWidth, 0, back.width)));
    const int y0 = int(std::clamp<int64_t>(sy0, 0, back.height));
    const int y1 = std::max(y0, int(std::clamp<int64_t>(sy0 + led.displayHeight, 0, back.height)));
    // The preview composes the same view every round: the grey it laid stays, and so do
    // the LEDs it has not drawn since. Any other composition may be drawn over (outlines,
    // labels), so the next one lays everything again.
    const std::array<int, 12> frame{back.width,     back.height, x0,    x1,        y0,         y1,
                                    canvas.originX, canvas.originY, zoom, led.width, led.height, colorCode};
    const bool inPlace = canvas.runState == kPreviewRunning && canvas.composedFrame == frame;
    canvas.composedFrame = canvas.runState == kPreviewRunning ? frame : std::array<int, 12>{};
    const LedView view{sx0, sy0, zoom};
    const PixelRect shown{x0, y0, x1, y1};
    if (!inPlace) {
        FillAroundScreen(back, shown);
        if (canvas.runState == kPreviewRunning) canvas.foundLeds = led;
        ShowImageAsScreen(led, colorCode);
        MagnifyLeds(back, led, {0, 0, led.width, led.height}, view, shown);
        if (canvas.runState == kPreviewRunning) canvas.shownLeds = led;
        return;
    }
    const PixelRect screen{0, 0, led.width, led.height};
    for (const PixelRect& r : drawn) ComposeDrawnLeds(canvas, r.Intersect(screen), colorCode, view, shown);
}

}  // namespace ledsuite
