#include "content/render/item_painters.h"

#include <algorithm>
#include <cmath>

namespace ledsuite {

namespace {

// The clock's angles use these values of pi/2 and pi.
constexpr double kHalfPi = 1.5707963285;
constexpr double kPi = 3.141592657;

// Keeps the surface's pen and current position across a drawing.
class PenScope {
public:
    PenScope(Surface& s, const Pen& pen) : s_(s), pen_(s.pen()), x_(s.positionX()), y_(s.positionY()) {
        s.SetPen(pen);
    }
    ~PenScope() {
        s_.SetPen(pen_);
        s_.MoveTo(x_, y_);
    }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

private:
    Surface& s_;
    Pen pen_;
    int x_, y_;
};

void DrawFieldText(Surface& s, int left, int top, uint32_t attr, std::u16string_view text) {
    s.SetTextColor(AttrColor(attr));
    s.DrawText(left, top, text);
}

}  // namespace

void DrawImageOr(Surface& s, const RawImage& image, int x, int y, const PixelRect& limit) {
    if (!image.hasPixels()) return;
    std::unique_ptr<RawImage> converted;
    const RawImage* src = &image;
    if (image.displayWidth != image.width || image.displayHeight != image.height) src = (converted = ScaleImage(image)).get();
    if (src && src->bytesPerPixel != 4) src = (converted = ConvertImageDepth(*src, 4)).get();
    if (!src) return;
    const ClipScope clip(s, limit);
    s.BlitOr(*src, x, y);
}

// ---- clock ------------------------------------------------------------------------

namespace {

const RawImage* ClockFace(const ClockObject& clock) { return clock.face.empty() ? nullptr : clock.face[0]; }

}  // namespace

void DrawClock(Surface& s, const ClockObject& clock, bool hands, int left, int top, int width, int height) {
    const int size = clock.size, r = size / 2;
    const RawImage* face = ClockFace(clock);
    const int w = clock.style == 0 ? size : face ? face->displayWidth : 0;
    const int cx = left + w / 2, cy = top + size / 2;
    const PenScope pen(s, Pen{PenStyle::Solid, 1, 0xFFFFFF});
    if (clock.style == 0) {
        for (int i = 0; i < 12; ++i) {
            const double a = i * kPi / 6;
            const int px = int(std::cos(a) * (r - 2) + cx + 0.5), py = int(std::sin(a) * (r - 2) + cy + 0.5);
            s.Line(px - 1, py, px + 2, py);
            s.Line(px, py - 1, px, py + 2);
        }
    } else if (face) {
        DrawImageOr(s, *face, left, top, {left, top, left + width, top + height});
    }
    if (hands) DrawClockHands(s, clock, left, top);
}

void DrawClockHands(Surface& s, const ClockObject& clock, int left, int top) {
    const int size = clock.size, r = size / 2;
    const RawImage* face = ClockFace(clock);
    const int w = clock.style == 0 ? size : face ? face->displayWidth : 0;
    const int cx = left + w / 2, cy = top + size / 2;
    const PenScope pen(s, Pen{PenStyle::Solid, 1, 0xFFFFFF});
    const LocalTime t = CurrentLocalTime();
    auto hand = [&](double theta, double kx, double ky) {
        const double a = kHalfPi - theta;
        s.Line(cx, cy, cx + int(kx * r * std::cos(a)), cy - int(ky * r * std::sin(a)));
    };
    hand(t.second * kPi / 30, 0.9, 0.9);
    hand((t.minute * 60 + t.second) / 60.0 * kPi / 30, 0.6, 0.8);
    hand(((t.hour % 12) * 60 + t.minute) / 60.0 * kPi / 6, 0.5, 0.7);
}

RawImage ClockToImage(const ClockObject& clock, bool hands) {
    const CellSize e = ClockExtent(clock);
    if (e.width < 1 || e.height < 1) return {};
    Surface s(e.width, e.height);
    DrawClock(s, clock, hands, 0, 0, e.width, e.height);
    return s.TakeImage();
}

// ---- table ------------------------------------------------------------------------

void DrawGrid(RenderContext& rc, Surface& s, const GridObject& grid, uint32_t animationTime, int firstColumn,
              int firstRow, const FieldCollector* collector, int left, int top, int clipRight, int clipBottom) {
    const int columns = grid.columns, rows = grid.rows;
    if (columns == 0 || rows == 0) return;
    const std::vector<uint16_t> index = CollectGridCells(grid);
    if (index.size() != size_t(columns) * rows) return;
    firstColumn = std::clamp(firstColumn, 0, columns);
    firstRow = std::clamp(firstRow, 0, rows);
    const int right = std::min(left + grid.totalWidth, clipRight), bottom = std::min(top + grid.totalHeight, clipBottom);
    const ClipScope clip(s, {left, top, right, bottom});
    auto marker = [&](int column, int row) { return grid.cells[index[size_t(row) * columns + column]].attr; };

    TextHeader header;
    header.fontSet = uint8_t(grid.style >> 8);
    int y = top;
    for (int r = firstRow; r < rows; ++r) {
        int x = left, rowHeight = 0;
        for (int c = firstColumn; c < columns; ++c) {
            const size_t k = size_t(r) * columns + c;
            const size_t begin = index[k] + 1u, end = k + 1 < index.size() ? index[k + 1] : size_t(kMaxCells);
            const uint32_t m = marker(c, r);
            header.align = uint8_t(GridCellAlign(m));
            rowHeight = GridCellHeight(m);
            const TextView text(header, std::span(grid.cells).subspan(begin, end - begin));
            RenderText(rc, s, text, animationTime, {x, y, x + GridCellWidth(m), y + rowHeight}, collector);
            x += GridCellWidth(m);
        }
        y += rowHeight;
    }

    const uint8_t frame = uint8_t(grid.style);
    const int type = (frame >> 5) & 7;
    const uint32_t colour = (frame & 4 ? 0xFF0000u : 0) | (frame & 8 ? 0x00FF00u : 0) | (frame & 16 ? 0x0000FFu : 0);
    const PenScope pen(s, Pen{type == 5 ? PenStyle::Null : type <= 4 ? PenStyle(type) : PenStyle::Solid,
                              (frame & 3) + 1, colour});
    for (int r = firstRow, ly = top; r <= rows; ++r) {
        const int at = r == rows ? ly - 1 : ly;
        s.Line(left, at, right, at);
        if (r < rows) ly += GridCellHeight(marker(0, r));
    }
    for (int c = firstColumn, lx = left; c <= columns; ++c) {
        const int at = c == columns ? lx - 1 : lx;
        s.Line(at, top, at, bottom);
        if (c < columns) lx += GridCellWidth(marker(c, 0));
    }
}

RawImage GridToBitmap(RenderContext& rc, const GridObject& grid, const FieldCollector* collector) {
    if (grid.totalWidth == 0 || grid.totalHeight == 0) return {};
    Surface s(grid.totalWidth, grid.totalHeight);
    DrawGrid(rc, s, grid, 0, 0, 0, collector, 0, 0, s.width(), s.height());
    return s.TakeImage();
}

// ---- fields -------------------------------------------------------------------------

void DrawAdcField(Surface& s, int left, int top, const AdcField& field) {
    DrawFieldText(s, left, top, field.attr, FormatAdcPlaceholder(field));
}

void DrawCounterField(Surface& s, int left, int top, const CounterField& field) {
    DrawFieldText(s, left, top, field.attr, FormatDigitValue(field, field.start, field.startFraction));
}

void DrawTimerField(Surface& s, int left, int top, const TimerField& field) {
    DrawFieldText(s, left, top, field.attr, FormatTimerField(field));
}

void DrawDigitGroup(RenderContext& rc, Surface& s, int left, int top, const DigitGroup& group, bool defaultTable) {
    const FontScope keep(s);
    const int size = DigitGroupSize(group);
    int x = left, advance = 0;
    for (int i = 0, n = group.DigitCount(); i < n; ++i) {
        const TextCell& digit = group.digits[size_t(i)];
        if (i == 0 || digit.attr != group.digits[size_t(i) - 1].attr) {
            SelectCellFont(rc, s, digit, defaultTable);
            s.SetTextColor(CellColor(digit));
            advance = rc.measurer.TextWidth(u"J", digit.attr, defaultTable);
        }
        s.DrawText(x, top + size - int(CellAttr::SizeOf(digit.attr)), {&digit.code, 1});
        x += advance;
    }
}

// ---- images ---------------------------------------------------------------------------

RawImage RenderCellImages(RenderContext& rc, bool cardFonts, const TextCell& cell) {
    CellSize e = CellExtent(cell, rc.measurer, cardFonts, cardFonts);
    const uint32_t* attr = CellAttrPtr(cell);
    if (!IsPictureTableOrClock(cell.code) && attr && (*attr & CellAttr::Italic)) e.width += int(e.width * 0.4);
    if (e.width < 1 || e.height < 1) return {};
    Surface s(e.width, e.height);
    SelectCellFont(rc, s, cell, cardFonts);
    DrawCell(rc, s, cell, {0, 0, e.width, e.height});
    return s.TakeImage();
}

RawImage RenderTextImage(RenderContext& rc, std::u16string_view text, uint32_t attr) {
    const FontDesc spec = AttrFontDesc(attr, rc.tables, false);
    const TextExtent e = rc.fonts.Measure(spec, text);
    if (e.width < 1 || e.height < 1) return {};
    Surface s(e.width, e.height);
    rc.fonts.Draw(s, 0, 0, spec, text, AttrColor(attr));
    return s.TakeImage();
}

RawImage CreateImageFromHBitmap(const Surface& bitmap) {
    return CreateImageFromDCBitmap(bitmap, {0, 0, bitmap.width(), bitmap.height()});
}

RawImage CreateImageFromDCBitmap(const Surface& dc, const PixelRect& rect) {
    const PixelRect r = rect.Intersect({0, 0, dc.width(), dc.height()});
    RawImage image;
    if (r.empty() || !LoadImageFromBitmap(image, dc.row(r.top) + r.left, r.width(), r.height(), dc.width() * 4))
        return {};
    image.displayWidth = image.width;
    image.displayHeight = image.height;
    return image;
}

void IntersectRectWith(PixelRect& rect, int left, int top, int right, int bottom) {
    rect.left = std::max(rect.left, left);
    rect.top = std::max(rect.top, top);
    rect.right = std::min(rect.right, right);
    rect.bottom = std::min(rect.bottom, bottom);
}

}  // namespace ledsuite
