#include "content/render/surface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "content/render/font_renderer.h"

namespace ledsuite {

PixelRect PixelRect::Intersect(const PixelRect& o) const {
    PixelRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    if (r.empty()) return {};
    return r;
}

void Surface::Reset(int width, int height, uint32_t fill) {
    image_ = RawImage{};
    image_.bytesPerPixel = 4;
    if (width > 0 && height > 0 && int64_t(width) * height <= kMaxImagePixels) {
        image_.width = image_.displayWidth = width;
        image_.height = image_.displayHeight = height;
        image_.pixels.resize(size_t(width) * size_t(height) * 4);
    }
    clip_ = {0, 0, image_.width, image_.height};
    pen_ = Pen{};
    posX_ = posY_ = 0;
    Fill(fill);
}

RawImage Surface::TakeImage() {
    RawImage out = std::move(image_);
    Reset(0, 0);
    return out;
}

uint32_t Surface::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return 0;
    return image_.row32(y)[x];
}

void Surface::SetClip(const PixelRect& r) { clip_ = r.Intersect({0, 0, width(), height()}); }

void Surface::ResetClip() { clip_ = {0, 0, width(), height()}; }

void Surface::FillRect(const PixelRect& r, uint32_t colour) {
    PixelRect c = r.Intersect(clip_);
    for (int y = c.top; y < c.bottom; ++y) std::fill(row(y) + c.left, row(y) + c.right, colour);
}

void Surface::SetPen(const Pen& pen) {
    pen_ = pen;
    pen_.width = std::clamp(pen.width, 1, 4);
}

void Surface::Stamp(int x, int y, bool across, bool down) {
    if (x < clip_.left - 4 || x >= clip_.right + 4 || y < clip_.top - 4 || y >= clip_.bottom + 4) return;
    const int from = -(pen_.width - 1) / 2;
    for (int i = from; i < from + pen_.width; ++i)
        for (int j = from; j < from + pen_.width; ++j)
            if ((across || j == 0) && (down || i == 0)) SetPixel(x + j, y + i, pen_.color);
}

namespace {
// On and off run lengths of the dash styles at width 1, repeating.
struct DashPattern {
    int runs[6];
    int count;
    int total;
};
const DashPattern* PatternOf(PenStyle style) {
    static const DashPattern dash{{18, 6}, 2, 24};
    static const DashPattern dot{{3, 3}, 2, 6};
    static const DashPattern dashDot{{9, 6, 3, 6}, 4, 24};
    static const DashPattern dashDotDot{{9, 3, 3, 3, 3, 3}, 6, 24};
    switch (style) {
    case PenStyle::Dash: return &dash;
    case PenStyle::Dot: return &dot;
    case PenStyle::DashDot: return &dashDot;
    case PenStyle::DashDotDot: return &dashDotDot;
    default: return nullptr;  // solid (and the styles the platform draws solid)
    }
}

// Whether step `i` of a line falls on a dash (runs stretched by the pen width).
bool DashOn(const DashPattern* p, int64_t i, int width) {
    if (!p) return true;
    int64_t pos = i % (int64_t(p->total) * width);
    for (int r = 0;; ++r) {
        pos -= int64_t(p->runs[r]) * width;
        if (pos < 0) return r % 2 == 0;
    }
}

// The steps i in [0, steps) of a run from `start` in direction `dir` (+1 or -1)
// whose coordinate start + dir * i lies in [lo, hi]; false when there are none.
bool StepRange(int64_t start, int dir, int64_t steps, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
    first = std::max<int64_t>(0, dir > 0 ? lo - start : start - hi);
    last = std::min<int64_t>(steps - 1, dir > 0 ? hi - start : start - lo);
    return first <= last;
}
}  // namespace

void Surface::LineTo(int x1, int y1) {
    const int64_t x0 = posX_, y0 = posY_;
    posX_ = x1;
    posY_ = y1;
    if (pen_.style == PenStyle::Null || clip_.empty()) return;
    const DashPattern* pattern = PatternOf(pen_.style);
    const int64_t adx = std::abs(x1 - x0), ady = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int64_t steps = std::max(adx, ady);  // the end point (step `steps`) is not drawn
    const bool flat = adx >= ady;
    // Only the steps whose major coordinate reaches the clip (widened by the pen) can draw.
    const int w = pen_.width;
    int64_t first = 0, last = 0;
    const bool any = flat ? StepRange(x0, sx, steps, clip_.left - w, clip_.right + w, first, last)
                          : StepRange(y0, sy, steps, clip_.top - w, clip_.bottom + w, first, last);
    if (!any) return;
    const int64_t minor = flat ? ady : adx;
    for (int64_t i = first; i <= last; ++i) {
        if (!DashOn(pattern, i, w)) continue;
        // The minor coordinate rounded to the nearest pixel (halves away from the start).
        const int64_t m = int64_t((__int128(2) * i * minor + steps) / (__int128(2) * steps));
        const int64_t x = x0 + sx * (flat ? i : m), y = y0 + sy * (flat ? m : i);
        Stamp(int(x), int(y), !flat, flat);  // widened across the line
    }
}

void Surface::Ellipse(const PixelRect& box) {
    if (box.empty() || pen_.style == PenStyle::Null) return;
    // Centre and radii of the pixel centres on the outline (half values for even sizes).
    const double a = (double(box.right) - box.left - 1) / 2.0, b = (double(box.bottom) - box.top - 1) / 2.0;
    const double cx = box.left + a, cy = box.top + b;
    auto span = [](double radius, double otherRadius, double offset) {
        if (otherRadius <= 0) return radius;
        const double t = offset / otherRadius;
        return radius * std::sqrt(std::max(0.0, 1.0 - t * t));
    };
    // Column by column and row by row, so steep and flat parts both stay connected;
    // only the columns and rows that reach the clip.
    const int w = pen_.width;
    for (int x = std::max(box.left, clip_.left - w); x < std::min(box.right, clip_.right + w); ++x) {
        const double h = span(b, a, x - cx);
        Stamp(x, int(std::lround(cy - h)), true, true);
        Stamp(x, int(std::lround(cy + h)), true, true);
    }
    for (int y = std::max(box.top, clip_.top - w); y < std::min(box.bottom, clip_.bottom + w); ++y) {
        const double h = span(a, b, y - cy);
        Stamp(int(std::lround(cx - h)), y, true, true);
        Stamp(int(std::lround(cx + h)), y, true, true);
    }
}

bool Surface::Blit(const RawImage& src, int dx, int dy, PixelRect part, bool orMode) {
    if (src.bytesPerPixel != 4) return false;
    if (&src == &image_) {  // a part of this surface onto itself: read from a copy
        const RawImage copy = src;
        return Blit(copy, dx, dy, part, orMode);
    }
    const PixelRect whole{0, 0, src.width, src.height};
    part = part.empty() ? whole : part.Intersect(whole);
    if (src.pixels.size() < size_t(src.stride()) * size_t(src.height)) return false;
    // The destination rectangle, clipped; then back to the source.
    const PixelRect dest = PixelRect{dx, dy, dx + part.width(), dy + part.height()}.Intersect(clip_);
    for (int y = dest.top; y < dest.bottom; ++y) {
        const uint32_t* s = src.row32(part.top + y - dy) + part.left + (dest.left - dx);
        uint32_t* d = row(y) + dest.left;
        for (int x = 0; x < dest.width(); ++x) d[x] = orMode ? d[x] | s[x] : s[x];
    }
    return true;
}

bool Surface::BlitCopy(const RawImage& src, int dx, int dy, PixelRect part) { return Blit(src, dx, dy, part, false); }

bool Surface::BlitOr(const RawImage& src, int dx, int dy, PixelRect part) { return Blit(src, dx, dy, part, true); }

int Surface::DrawText(int x, int y, std::u16string_view text) {
    if (!renderer_) return 0;
    return renderer_->Draw(*this, x, y, font_, text, textColor_);
}

}  // namespace ledsuite
