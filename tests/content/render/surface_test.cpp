#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "content/render/builtin_font.h"
#include "content/render/font_renderer.h"
#include "content/render/surface.h"
#include "tests/content/layout_helpers.h"

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
    const uint8_t zero[8] = {0x0E, 0x11, 0x19, 0x15, 0x13, 0x11, 0x0E, 0x00};  // also fixes left and right
    EXPECT_EQ(std::memcmp(BuiltinGlyph(U'0'), zero, 8), 0);
    for (char32_t c : {0x1F, 0x7F, 0x4E2D}) EXPECT_EQ(BuiltinGlyph(c), nullptr) << int(c);
    std::set<std::string> distinct;
    for (char32_t c = 0x20; c <= 0x7E; ++c) {
        const uint8_t* g = BuiltinGlyph(c);
        ASSERT_NE(g, nullptr);
        for (int row = 0; row < 8; ++row) EXPECT_EQ(g[row] & (row < 7 ? ~0x1F : 0xFF), 0) << int(c) << " " << row;
        distinct.insert(std::string(reinterpret_cast<const char*>(g), 8));
    }
    EXPECT_EQ(distinct.size(), 95u);  // no glyph repeated (the table is not shifted)
    Surface s(8, 8);
    EXPECT_FALSE(DrawBuiltinGlyph(s, 0, 0, 0x4E2D, 0x00FF00));  // (drawn glyphs: the layout tests)
    EXPECT_EQ(CountLit(s), 0);
}

TEST(Surface, LinesExcludeTheirEndPointAndFollowThePenStyle) {
    Surface s(64, 16);
    s.SetPen({PenStyle::Solid, 1, 0xFF0000});
    s.Line(2, 1, 12, 1);
    EXPECT_EQ(RowOf(s, 1, 0, 14), "..##########..");
    s.LineTo(12, 5);  // from the current position, vertical
    EXPECT_EQ(std::vector<uint32_t>({s.Pixel(12, 4), s.Pixel(12, 5)}), (std::vector<uint32_t>{0xFF0000, 0}));
    s.Line(20, 10, 24, 14);  // diagonal: (20,10)..(23,13)
    EXPECT_EQ(CountLit(s, {19, 9, 25, 15}), 4);
    EXPECT_EQ(RowOf(s, 13, 19, 25), "....#.");

    const std::string dash = std::string(18, '#') + std::string(6, '.');
    const struct {
        PenStyle style;
        int width, length;
        std::string row;  // the pixels 0 to `length`, its end included
    } pens[] = {
        {PenStyle::Dash, 1, 50, dash + dash + "##."},
        {PenStyle::Dot, 1, 12, "###...###...."},
        {PenStyle::DashDot, 1, 30, "#########......###......######."},
        {PenStyle::Dash, 2, 60, std::string(36, '#') + std::string(12, '.') + std::string(12, '#') + "."},  // stretched
        {PenStyle::Null, 1, 7, "........"},
    };
    for (const auto& p : pens) {
        Surface d(64, 4);
        d.SetPen({p.style, p.width, 0xFFFFFF});
        d.Line(0, 1, p.length, 1);
        EXPECT_EQ(RowOf(d, 1, 0, p.length + 1), p.row);
        EXPECT_EQ(RowOf(d, 2, 0, p.length + 1), p.width == 2 ? p.row : std::string(size_t(p.length) + 1, '.'));
        EXPECT_EQ(CountLit(d), CountLit(d, {0, 1, 64, 3}));  // a wider pen goes down
        EXPECT_EQ(d.positionX(), p.length);
    }

    Surface far(16, 4);  // only the visible steps of a huge line are walked
    far.SetPen({PenStyle::Solid, 1, 1});
    far.Line(-2000000000, 2, 2000000000, 2);
    far.Line(5, -2000000000, 5, 2000000000);
    EXPECT_EQ(CountLit(far), 16 + 3);
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
    EXPECT_TRUE(s.BlitOr(Surface(40, 20, 0xABCDEF).image(), -3, -3));
    s.SelectFont(fonts, FontDesc{u"Courier New", 16});
    s.SetTextColor(0xFFFFFF);
    EXPECT_GT(s.DrawText(0, 0, u"WWWWW"), 30);
    EXPECT_EQ(CountLit(s), CountLit(s, clip));
    s.SetClip({-10, -10, 5, 100});  // a clip outside the surface is cut to it
    EXPECT_EQ(std::vector<int>({s.clip().left, s.clip().bottom}), (std::vector<int>{0, 20}));
}

TEST(Surface, BlitsCopyOrCombineAPart) {
    Surface src(4, 4, 0x00FF00);
    src.SetPixel(1, 1, 0xFF0000);
    Surface d(6, 6, 0x0000FF);
    EXPECT_TRUE(d.BlitOr(src.image(), 1, 1, {1, 1, 3, 3}));  // a 2x2 part
    EXPECT_TRUE(d.BlitCopy(src.image(), 4, 4));              // hangs over the edge
    EXPECT_EQ(std::vector<uint32_t>({d.Pixel(1, 1), d.Pixel(2, 2), d.Pixel(3, 3), d.Pixel(4, 4), d.Pixel(5, 5)}),
              (std::vector<uint32_t>{0xFF00FF, 0x00FFFF, 0x0000FF, 0x00FF00, 0xFF0000}));
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
}

TEST(Surface, SizeIsBoundByPixelsNotBySide) {
    Surface strip(40000, 2);  // a continuous line far wider than a screen
    strip.SetPixel(39999, 1, 5);
    EXPECT_EQ(std::pair(strip.width(), strip.Pixel(39999, 1)), std::pair(40000, 5u));
    Surface huge(20000, 20000);  // more than an image may hold: refused, nothing allocated
    EXPECT_EQ(std::pair(huge.width(), huge.image().pixels.size()), std::pair(0, size_t(0)));
}

TEST(Surface, EllipseOutlineIsSymmetricInsideItsBox) {
    Surface s(20, 20);
    s.SetPen({PenStyle::Solid, 1, 0xFFFFFF});
    const PixelRect box{2, 3, 17, 14};  // 15 x 11
    s.Ellipse(box);
    EXPECT_EQ(CountLit(s), CountLit(s, box));
    // Top, bottom, left and right are lit, the middle is hollow.
    EXPECT_EQ(std::vector<bool>({!s.Pixel(9, 3), !s.Pixel(9, 13), !s.Pixel(2, 8), !s.Pixel(16, 8), !s.Pixel(9, 8)}),
              (std::vector<bool>{false, false, false, false, true}));
    for (int y = 3; y < 14; ++y)
        for (int x = 2; x < 17; ++x) EXPECT_EQ(s.Pixel(x, y), s.Pixel(18 - x, y)) << x << "," << y;
}

TEST(FontRenderer, CjkFaceRendersMonochromeInsideItsCell) {
    FontRenderer fonts;
    const FontDesc song{u"宋体", 16};
    EXPECT_EQ(fonts.ResolvedFamily(song), "AR PL UMing CN");
    const FontMetrics m = fonts.Metrics(song);
    EXPECT_EQ(std::vector<int>({m.height, m.ascent + m.descent}), (std::vector<int>{16, 16}));

    Surface s(48, 48);
    const TextExtent e = fonts.Measure(song, u"中");
    EXPECT_EQ(e.height, 16);
    EXPECT_TRUE(e.width >= 12 && e.width <= 16) << e.width;
    EXPECT_EQ(fonts.Draw(s, 16, 16, song, u"中", 0x00FF00), e.width);
    const int lit = CountLit(s);
    EXPECT_GT(lit, 25);
    EXPECT_EQ(CountLit(s, {16, 16, 32, 32}), lit);  // all inside the 16 x 16 cell
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) ASSERT_TRUE(s.Pixel(x, y) == 0 || s.Pixel(x, y) == 0x00FF00) << x << "," << y;
    // 中 has a full vertical stroke.
    int tallest = 0;
    for (int x = 16; x < 32; ++x) tallest = std::max(tallest, CountLit(s, {x, 16, x + 1, 32}));
    EXPECT_GE(tallest, 12);
}

TEST(FontRenderer, SynthesisedStylesAndDecorations) {
    FontRenderer fonts;
    FontDesc regular{u"宋体", 24}, bold = regular, italic = regular;
    bold.weight = 700;
    italic.italic = true;
    Surface r(80, 30), b(80, 30), i(80, 30);
    EXPECT_GT(fonts.Draw(b, 2, 2, bold, u"中文", 0xFFFFFF), fonts.Draw(r, 2, 2, regular, u"中文", 0xFFFFFF));
    EXPECT_GT(CountLit(b), CountLit(r));
    fonts.Draw(i, 2, 2, italic, u"中文", 0xFFFFFF);
    // The oblique slant moves the top right of the bottom.
    auto slant = [](const Surface& s) {
        auto meanX = [&](int y0, int y1) {
            long sum = 0, n = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = 0; x < s.width(); ++x) sum += s.Pixel(x, y) ? x : 0, n += s.Pixel(x, y) != 0;
            return n ? double(sum) / n : 0.0;
        };
        return meanX(2, 10) - meanX(16, 24);
    };
    EXPECT_GT(slant(i), slant(r) + 1.0);

    FontDesc lined{u"Courier New", 16};
    lined.underline = lined.strikeout = true;
    Surface u(60, 20);
    const int width = fonts.Draw(u, 0, 0, lined, u"ab", 0xFFFFFF);
    int fullRows = 0;
    for (int y = 0; y < 16; ++y) fullRows += CountLit(u, {0, y, width, y + 1}) == width;
    EXPECT_GE(fullRows, 2);  // the underline and the strikeout span the text
    EXPECT_EQ(CountLit(u, {0, 16, 60, 20}), 0);
}

TEST(FontRenderer, MissingCharactersFallBackAndGlyphsAreCached) {
    FontRenderer fonts;
    const FontDesc mono{u"Courier New", 16};
    EXPECT_EQ(fonts.ResolvedFamily(mono), "Liberation Mono");
    Surface s(40, 16);
    EXPECT_GT(fonts.Draw(s, 0, 0, mono, u"中", 0xFFFFFF), 8);
    EXPECT_GT(CountLit(s), 25);  // drawn by a CJK face, not an empty box

    const auto before = fonts.cacheStats();
    fonts.Draw(s, 0, 0, mono, u"中中", 0xFFFFFF);
    fonts.Measure(FontDesc{u"Courier New", 20}, u"中");  // another size is another glyph
    EXPECT_EQ(std::pair(fonts.cacheStats().hits, fonts.cacheStats().misses),
              std::pair(before.hits + 2, before.misses + 1));
    EXPECT_EQ(std::pair(fonts.Measure(FontDesc{u"宋体", 0}, u"abc").width,
                        fonts.Draw(s, 0, 0, FontDesc{u"宋体", -4}, u"abc", 1)), std::pair(0, 0));
}
