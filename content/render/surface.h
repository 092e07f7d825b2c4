#pragma once
// Surface: the drawing target of the painters, the text renderer, the encoder and
// the canvas. Pixels are 32-bit 0x00RRGGBB held in a RawImage (4 bytes per pixel,
// rows top-down without padding), the row layout QImage::Format_RGB32 shows
// without a copy. A surface carries the drawing state that the painters set:
// clip rectangle, pen and current position, text colour and font. Every
// operation is clipped; nothing is written outside the clip rectangle.
//
// A surface is owned by one thread at a time, like the FontRenderer it draws with.
#include <cstdint>
#include <string_view>

#include "content/render/font_desc.h"
#include "content/model/raw_image.h"

namespace ledsuite {

class FontRenderer;

// A rectangle of pixels; right and bottom are excluded.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    PixelRect Intersect(const PixelRect& o) const;
    bool operator==(const PixelRect&) const = default;
};

// The card platform's pen styles, in its numbering (a table's frame style keeps them).
enum class PenStyle : uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };

struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;               // 1 to 4 pixels
    uint32_t color = 0xFFFFFF;
};

class Surface {
public:
    Surface() { Reset(0, 0); }
    Surface(int width, int height, uint32_t fill = 0) { Reset(width, height, fill); }

    // New size filled with `fill`; the clip becomes the whole surface, the pen and
    // position are reset. A side below 1, or more pixels than an image may hold
    // (kMaxImagePixels), gives an empty surface; one long side is fine (a line of a
    // continuous move is far wider than any screen).
    void Reset(int width, int height, uint32_t fill = 0);

    int width() const { return image_.width; }
    int height() const { return image_.height; }
    const RawImage& image() const { return image_; }
    // Hands the pixels over as a RawImage (display size = pixel size, thresholds
    // 128, pause 30); the surface is empty afterwards.
    RawImage TakeImage();

    // Unchecked row access (0 <= y < height).
    uint32_t* row(int y) { return image_.row32(y); }
    const uint32_t* row(int y) const { return image_.row32(y); }
    // 0 outside the surface.
    uint32_t Pixel(int x, int y) const;
    // Ignored outside the clip rectangle.
    void SetPixel(int x, int y, uint32_t colour) {
        if (clip_.Contains(x, y)) image_.row32(y)[x] = colour;
    }

    // The clip is always inside the surface.
    void SetClip(const PixelRect& r);
    void ResetClip();
    const PixelRect& clip() const { return clip_; }

    void FillRect(const PixelRect& r, uint32_t colour);
    void Fill(uint32_t colour) { FillRect(clip_, colour); }

    // Lines as the card platform draws them: from the current position to the end
    // point, the end point itself excluded; the end becomes the current position.
    // A pen wider than 1 widens a line across its direction (from -(width-1)/2
    // to +width/2 pixels: down for flat lines, right for steep ones); dash
    // patterns stretch with the width.
    void SetPen(const Pen& pen);
    const Pen& pen() const { return pen_; }
    void MoveTo(int x, int y) { posX_ = x; posY_ = y; }
    int positionX() const { return posX_; }
    int positionY() const { return posY_; }
    void LineTo(int x, int y);
    void Line(int x0, int y0, int x1, int y1) { MoveTo(x0, y0); LineTo(x1, y1); }
    // The outline of the ellipse inside `box` (right and bottom excluded), current pen.
    void Ellipse(const PixelRect& box);

    // Copies (or ORs) a 32-bit image with its top-left at (dx, dy); `src` selects a
    // part of it (the whole image when empty). False for an image that is not 32-bit.
    bool BlitCopy(const RawImage& src, int dx, int dy, PixelRect part = {});
    bool BlitOr(const RawImage& src, int dx, int dy, PixelRect part = {});

    // Text: the font is drawn by `renderer`, which must outlive its use here.
    void SelectFont(FontRenderer& renderer, const FontDesc& spec) {
        renderer_ = &renderer;
        font_ = spec;
    }
    const FontDesc& font() const { return font_; }
    FontRenderer* renderer() const { return renderer_; }
    void SetTextColor(uint32_t colour) { textColor_ = colour; }
    uint32_t textColor() const { return textColor_; }
    // Writes `text` with its cell's top-left at (x, y), background untouched;
    // returns the advance in pixels (0 when no font is selected).
    int DrawText(int x, int y, std::u16string_view text);

private:
    bool Blit(const RawImage& src, int dx, int dy, PixelRect part, bool orMode);
    // Covers the pen's width across (x) and/or down (y) from the point.
    void Stamp(int x, int y, bool across, bool down);

    RawImage image_;
    PixelRect clip_;
    Pen pen_;
    int posX_ = 0;
    int posY_ = 0;
    FontRenderer* renderer_ = nullptr;
    FontDesc font_;
    uint32_t textColor_ = 0xFFFFFF;
};

}  // namespace ledsuite
