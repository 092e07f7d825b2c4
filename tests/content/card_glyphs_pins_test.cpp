// Where the card's text producers put lines and pixels: line starts by alignment
// and effect, the width of a justified line picture, the first attribute compare of
// a command stream, and the pixels of a glyph.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "content/program_encoder.h"
#include "layout_helpers.h"

using namespace ledsuite;
using ::testing::_;
using ::testing::ElementsAre;

namespace {

class CardGlyphPins : public RenderTest {};

CardLineStart Start(uint8_t align, int effect) {
    TextHeader h;
    h.align = align;
    return PlaceCardLine(h, effect, 64, LineExtent{40, 16, 0, 7}, LinePlacement{5, 3, 16});
}

}  // namespace

TEST_F(CardGlyphPins, LineStartsByAlignmentAndEffect) {
    // A 40-pixel line of 8 cells placed at (5, 3) in a 64-pixel area.
    const auto x = [](const CardLineStart& s) { return std::make_tuple(s.x, s.y, s.gap, s.justified); };
    EXPECT_EQ(x(Start(0, kEffectBlindsHorizontal)), std::make_tuple(5, 3, 0, false));
    EXPECT_EQ(x(Start(1, kEffectBlindsHorizontal)), std::make_tuple(5 + 12, 3, 0, false));
    EXPECT_EQ(x(Start(2, kEffectBlindsHorizontal)), std::make_tuple(5 + 24, 3, 0, false));
    EXPECT_EQ(x(Start(3, kEffectBlindsHorizontal)), std::make_tuple(5, 3, 2, true));  // 24 / 9
    // Move Right: the layout has already aligned a right-aligned line; others as usual.
    EXPECT_EQ(x(Start(2, kEffectMoveRight)), std::make_tuple(5, 3, 0, false));
    EXPECT_EQ(x(Start(1, kEffectMoveRight)), std::make_tuple(5 + 12, 3, 0, false));
    EXPECT_EQ(x(Start(3, kEffectMoveRight)), std::make_tuple(5, 3, 2, true));
    // The continuous moves are always left-aligned.
    for (uint8_t align : {1, 2, 3}) EXPECT_EQ(x(Start(align, kEffectMoveRightContinue)), std::make_tuple(5, 3, 0, false));
}

TEST_F(CardGlyphPins, JustifiedLinePictureTakesItsGaps) {
    TextContent t;
    t.header.align = 3;
    const uint32_t attr = CellAttr::Make(16, 0, 1);
    PutText(t, u"AAAA", attr);
    const int cell = CellExtent(TextCell(u'A', attr), rc.measurer, false, false).width;
    ASSERT_GT(cell, 4);
    const int gap = (64 - 4 * cell) / 5;
    ASSERT_GT(gap, 0);
    RenderedText out;
    ASSERT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 64, 16, 17, 1 << 20, out), 0);
    ASSERT_EQ(out.pictures.size(), 1u);
    EXPECT_EQ(out.pictures[0].image.width, 4 * cell + 4 * gap);
}

TEST_F(CardGlyphPins, StreamStartsFromColourAndSizeZero) {
    // A cell whose attribute word is 0 needs no colour or size command.
    TextContent t;
    t.header.fontSet = 1;
    t.cells[0] = TextCell(u'x', 0);
    ProgramImage image(0x1000);
    std::vector<PendingItem> items;
    EncodeCommandStream(image, rc, t, 64, 16, kEffectBlindsHorizontal, 0, 0, 0, items);
    EXPECT_THAT(std::vector<uint8_t>(image.bytes().begin(), image.bytes().end()),
                ElementsAre(0xFD, 3, 0, 0, _, _, 0, 'x', 0, 0));  // no 0xFB, no 0xFA
}

TEST_F(CardGlyphPins, GlyphPixelsAreTheCharacterAtTheTopLeft) {
    const uint32_t attr = CellAttr::Make(16, 0, 2);
    const GlyphRenderer glyphs = CardGlyphRenderer(rc);
    const auto [w, h] = glyphs.measure(u'8', attr);
    ASSERT_GT(w, 0);
    ASSERT_EQ(h, 16);
    const int rowBytes = (w + 7) >> 3;
    std::vector<uint8_t> bits(size_t(rowBytes * h), 0);
    glyphs.paint(u'8', attr, w, h, bits);
    Surface expected(w, h);
    fonts.Draw(expected, 0, 0, AttrFontDesc(attr, tables, false), u"8", 0xFFFFFF);
    int lit = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool on = bits[size_t(y * rowBytes + (x >> 3))] >> (x & 7) & 1;
            EXPECT_EQ(on, expected.Pixel(x, y) != 0) << x << "," << y;
            lit += on;
        }
    EXPECT_GT(lit, 10);
}
