#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "content/builtin_font.h"
#include "content/font_renderer.h"
#include "content/surface.h"
#include "layout_helpers.h"

using namespace ledsuite;

namespace {

// The lit columns of one row as a string of '#' and '.'.
std::string RowOf(const Surface& s, int y, int from, int to) {
    std::string out;
    for (int x = from; x < to; ++x) out += s.Pixel(x, y) ? '#' : '.';
    return out;
}

}  // namespace

TEST(BuiltinFont, ClassicGlyphsWithinFiveColumns) {
    const uint8_t zero[8] = {0x0E, 0x11, 0x19, 0x15, 0x13, 0x11, 0x0E, 0x00};
    const uint8_t a[8] = {0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x00};
    EXPECT_EQ(std::memcmp(BuiltinGlyph(U'0'), zero, 8), 0);
    EXPECT_EQ(std::memcmp(BuiltinGlyph(U'A'), a, 8), 0);
    EXPECT_EQ(BuiltinGlyph(0x1F), nullptr);
    EXPECT_EQ(BuiltinGlyph(0x7F), nullptr);
    EXPECT_EQ(BuiltinGlyph(U'中'), nullptr);

    std::set<std::string> distinct;
    for (char32_t c = 0x20; c <= 0x7E; ++c) {
        const uint8_t* g = BuiltinGlyph(c);
        ASSERT_NE(g, nullptr);
        for (int row = 0; row < 7; ++row) EXPECT_EQ(g[row] & ~0x1F, 0) << "glyph " << int(c) << " row " << row;
        EXPECT_EQ(g[7], 0);
        distinct.insert(std::string(reinterpret_cast<const char*>(g), 8));
    }
    EXPECT_EQ(distinct.size(), 95u);  // no glyph repeated (the table is not shifted)
    // Left-right orientation: 'F' has its stem on the left, '7' its stroke on the right.
    EXPECT_EQ(BuiltinGlyph(U'F')[3], 0x0F);
    EXPECT_EQ(BuiltinGlyph(U'7')[1], 0x10);

    Surface s(12, 8);
    EXPECT_TRUE(DrawBuiltinGlyph(s, 0, 0, U'A', 0x00FF00));
    EXPECT_EQ(CountLit(s), 18);
    EXPECT_EQ(RowOf(s, 4, 0, 6), "#####.");
    EXPECT_EQ(s.Pixel(0, 4), 0x00FF00u);
    EXPECT_FALSE(DrawBuiltinGlyph(s, kBuiltinGlyphAdvance, 0, 0x4E2D, 0x00FF00));
    EXPECT_EQ(CountLit(s), 18);
}

TEST(Surface, LinesExcludeTheirEndPointAndFollowThePenStyle) {
    Surface s(64, 16);
    s.SetPen({PenStyle::Solid, 1, 0xFF0000});
    s.Line(2, 1, 12, 1);
    EXPECT_EQ(RowOf(s, 1, 0, 14), "..##########..");
    EXPECT_EQ(s.positionX(), 12);
    s.LineTo(12, 5);  // from the current position, vertical
    EXPECT_EQ(s.Pixel(12, 1), 0xFF0000u);
    EXPECT_EQ(s.Pixel(12, 4), 0xFF0000u);
    EXPECT_EQ(s.Pixel(12, 5), 0u);
    s.Line(20, 10, 24, 14);  // diagonal: (20,10)..(23,13)
    EXPECT_EQ(s.Pixel(23, 13), 0xFF0000u);
    EXPECT_EQ(s.Pixel(24, 14), 0u);
    EXPECT_EQ(CountLit(s, {19, 9, 25, 15}), 4);

    Surface d(64, 8);
    d.SetPen({PenStyle::Dash, 1, 0xFFFFFF});
    d.Line(0, 0, 50, 0);
    EXPECT_EQ(RowOf(d, 0, 0, 50), std::string(18, '#') + std::string(6, '.') + std::string(18, '#') + "......##");
    d.SetPen({PenStyle::Dot, 1, 0xFFFFFF});
    d.Line(0, 2, 12, 2);
    EXPECT_EQ(RowOf(d, 2, 0, 13), "###...###....");
    d.SetPen({PenStyle::DashDot, 1, 0xFFFFFF});
    d.Line(0, 3, 30, 3);
    EXPECT_EQ(RowOf(d, 3, 0, 30), "#########......###......######");
    // Width 2: two rows, the pattern stretched.
    d.SetPen({PenStyle::Dash, 2, 0x0000FF});
    d.Line(0, 5, 60, 5);
    EXPECT_EQ(RowOf(d, 5, 0, 60), std::string(36, '#') + std::string(12, '.') + std::string(12, '#'));
    EXPECT_EQ(RowOf(d, 6, 0, 60), RowOf(d, 5, 0, 60));
    EXPECT_EQ(RowOf(d, 4, 0, 60), std::string(60, '.'));

    Surface far(16, 4);  // only the visible steps of a huge line are walked
    far.SetPen({PenStyle::Solid, 1, 1});
    far.Line(-2000000000, 2, 2000000000, 2);
    far.Line(5, -2000000000, 5, 2000000000);
    EXPECT_EQ(CountLit(far), 16 + 3);

    Surface n(8, 8);
    n.SetPen({PenStyle::Null, 1, 0xFFFFFF});
    n.Line(0, 0, 7, 7);
    EXPECT_EQ(CountLit(n), 0);
    EXPECT_EQ(n.positionX(), 7);
}

TEST(Surface, EverythingStaysInsideTheClip) {
    FontRenderer fonts;
    Surface s(40, 20);
    const PixelRect clip{10, 5, 30, 15};
    s.SetClip(clip);
    s.Fill(0x010101);
    EXPECT_EQ(CountLit(s), 20 * 10);
    s.SetPen({PenStyle::Solid, 4, 0xFFFFFF});
    s.Line(-5, 10, 45, 10);
    s.Ellipse({0, 0, 40, 20});
    Surface src(40, 20, 0xABCDEF);
    EXPECT_TRUE(s.BlitOr(src.image(), -3, -3));
    s.SelectFont(fonts, FontSpec{u"Courier New", 16});
    s.SetTextColor(0xFFFFFF);
    EXPECT_GT(s.DrawText(0, 0, u"WWWWW"), 30);
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            if (!clip.Contains(x, y)) {
                ASSERT_EQ(s.Pixel(x, y), 0u) << x << "," << y;
            }
        }
    }
    // A clip outside the surface is cut to it.
    s.SetClip({-10, -10, 5, 100});
    EXPECT_EQ(s.clip().left, 0);
    EXPECT_EQ(s.clip().bottom, 20);
}

TEST(Surface, BlitsCopyOrCombineAPart) {
    Surface src(4, 4, 0x00FF00);
    src.SetPixel(1, 1, 0xFF0000);
    Surface d(6, 6, 0x0000FF);
    EXPECT_TRUE(d.BlitOr(src.image(), 1, 1, {1, 1, 3, 3}));  // a 2x2 part
    EXPECT_EQ(d.Pixel(1, 1), 0xFF00FFu);
    EXPECT_EQ(d.Pixel(2, 2), 0x00FFFFu);
    EXPECT_EQ(d.Pixel(3, 3), 0x0000FFu);
    EXPECT_TRUE(d.BlitCopy(src.image(), 4, 4));  // hangs over the edge
    EXPECT_EQ(d.Pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(d.Pixel(4, 4), 0x00FF00u);
    // Onto itself, overlapping: read from what was there before.
    Surface self(4, 1);
    for (int x = 0; x < 4; ++x) self.SetPixel(x, 0, uint32_t(x + 1));
    EXPECT_TRUE(self.BlitCopy(self.image(), 1, 0, {0, 0, 3, 1}));
    EXPECT_EQ(self.Pixel(3, 0), 3u);
    RawImage grey;
    grey.width = grey.height = 2;
    grey.bytesPerPixel = 1;
    grey.pixels.assign(8, 0xFF);
    EXPECT_FALSE(d.BlitCopy(grey, 0, 0));
    RawImage img = d.TakeImage();
    EXPECT_EQ(img.width, 6);
    EXPECT_EQ(img.displayWidth, 6);
    EXPECT_EQ(img.bytesPerPixel, 4);
    EXPECT_EQ(d.width(), 0);
}

TEST(Surface, SizeIsBoundByPixelsNotBySide) {
    Surface strip(40000, 2);  // a continuous line far wider than a screen
    ASSERT_EQ(strip.width(), 40000);
    strip.SetPixel(39999, 1, 5);
    EXPECT_EQ(strip.Pixel(39999, 1), 5u);
    Surface huge(20000, 20000);  // more than an image may hold: refused, nothing allocated
    EXPECT_EQ(huge.width(), 0);
    EXPECT_EQ(huge.image().pixels.size(), 0u);
}

TEST(Surface, EllipseOutlineIsSymmetricInsideItsBox) {
    Surface s(20, 20);
    s.SetPen({PenStyle::Solid, 1, 0xFFFFFF});
    s.Ellipse({2, 3, 17, 14});  // 15 x 11
    EXPECT_EQ(CountLit(s, {0, 0, 20, 3}) + CountLit(s, {0, 14, 20, 20}) + CountLit(s, {0, 0, 2, 20}) +
                  CountLit(s, {17, 0, 20, 20}),
              0);
    EXPECT_NE(s.Pixel(9, 3), 0u);   // top
    EXPECT_NE(s.Pixel(9, 13), 0u);  // bottom
    EXPECT_NE(s.Pixel(2, 8), 0u);   // left
    EXPECT_NE(s.Pixel(16, 8), 0u);  // right
    EXPECT_EQ(s.Pixel(9, 8), 0u);   // hollow
    for (int y = 3; y < 14; ++y)
        for (int x = 2; x < 17; ++x) EXPECT_EQ(s.Pixel(x, y), s.Pixel(18 - x, y)) << x << "," << y;
}

TEST(FontRenderer, CjkFaceRendersMonochromeInsideItsCell) {
    FontRenderer fonts;
    const FontSpec song{u"宋体", 16};
    EXPECT_EQ(fonts.ResolvedFamily(song), "AR PL UMing CN");
    const FontMetrics m = fonts.Metrics(song);
    EXPECT_EQ(m.height, 16);
    EXPECT_EQ(m.ascent + m.descent, 16);
    EXPECT_GT(m.ascent, 10);

    Surface s(48, 48);
    const TextExtent e = fonts.Measure(song, u"中");
    EXPECT_EQ(e.height, 16);
    EXPECT_GE(e.width, 12);
    EXPECT_LE(e.width, 16);
    EXPECT_EQ(fonts.Draw(s, 16, 16, song, u"中", 0x00FF00), e.width);
    const int lit = CountLit(s);
    EXPECT_GT(lit, 25);
    EXPECT_EQ(CountLit(s, {16, 16, 32, 32}), lit);  // all inside the 16 x 16 cell
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const uint32_t p = s.Pixel(x, y);
            ASSERT_TRUE(p == 0 || p == 0x00FF00) << std::hex << p;
        }
    // 中 is symmetric about its vertical stroke: a full column in the cell.
    int tallest = 0;
    for (int x = 16; x < 32; ++x) tallest = std::max(tallest, CountLit(s, {x, 16, x + 1, 32}));
    EXPECT_GE(tallest, 12);
}

TEST(FontRenderer, SynthesisedStylesAndDecorations) {
    FontRenderer fonts;
    const FontSpec regular{u"宋体", 24};
    FontSpec bold = regular;
    bold.weight = 700;
    FontSpec italic = regular;
    italic.italic = true;
    auto draw = [&](const FontSpec& spec, Surface& s) { return fonts.Draw(s, 2, 2, spec, u"中文", 0xFFFFFF); };
    Surface r(80, 30), b(80, 30), i(80, 30);
    const int rw = draw(regular, r), bw = draw(bold, b);
    draw(italic, i);
    EXPECT_GT(bw, rw);
    EXPECT_GT(CountLit(b), CountLit(r));
    // The oblique slant moves the top right of the bottom.
    auto meanX = [](const Surface& s, int y0, int y1) {
        long sum = 0, n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.Pixel(x, y)) {
                    sum += x;
                    ++n;
                }
        return n ? double(sum) / n : 0.0;
    };
    EXPECT_GT(meanX(i, 2, 10) - meanX(i, 16, 24), meanX(r, 2, 10) - meanX(r, 16, 24) + 1.0);

    FontSpec lined{u"Courier New", 16};
    lined.underline = true;
    lined.strikeout = true;
    Surface u(60, 20);
    const int width = fonts.Draw(u, 0, 0, lined, u"ab", 0xFFFFFF);
    int fullRows = 0;
    for (int y = 0; y < 16; ++y) fullRows += CountLit(u, {0, y, width, y + 1}) == width;
    EXPECT_GE(fullRows, 2);  // the underline and the strikeout span the text
    EXPECT_EQ(CountLit(u, {0, 16, 60, 20}), 0);
}

TEST(FontRenderer, MissingCharactersFallBackAndGlyphsAreCached) {
    FontRenderer fonts;
    const FontSpec mono{u"Courier New", 16};
    EXPECT_EQ(fonts.ResolvedFamily(mono), "Liberation Mono");
    Surface s(40, 16);
    const int w = fonts.Draw(s, 0, 0, mono, u"中", 0xFFFFFF);
    EXPECT_GT(w, 8);
    EXPECT_GT(CountLit(s), 25);  // drawn by a CJK face, not an empty box

    const auto before = fonts.cacheStats();
    EXPECT_EQ(before.hits, 0u);
    EXPECT_GE(before.misses, 1u);
    fonts.Draw(s, 0, 0, mono, u"中中", 0xFFFFFF);
    const auto after = fonts.cacheStats();
    EXPECT_EQ(after.misses, before.misses);
    EXPECT_EQ(after.hits, before.hits + 2);
    fonts.Measure(FontSpec{u"Courier New", 20}, u"中");  // another size is another glyph
    EXPECT_EQ(fonts.cacheStats().misses, before.misses + 1);

    EXPECT_EQ(fonts.Measure(FontSpec{u"宋体", 0}, u"abc").width, 0);
    EXPECT_EQ(fonts.Draw(s, 0, 0, FontSpec{u"宋体", -4}, u"abc", 1), 0);
}
