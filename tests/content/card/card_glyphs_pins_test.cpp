// Where the card's text producers put lines and pixels: line starts by alignment
// and effect, the width of a justified line picture, the first attribute compare of
// a command stream, and the pixels of a glyph.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "content/render/item_painters.h"
#include "content/card/program_encoder.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;
using ::testing::_;
using ::testing::ElementsAre;

namespace {

class CardGlyphPins : public RenderTest {
protected:
    // The command stream of a table on its own; empty when it could not be written.
    std::vector<uint8_t> TableCommands(const GridObject& grid) {
        ProgramImage image(0x1000);
        std::vector<PendingItem> items;
        if (!EncodeTableCommands(image, rc, grid, 0, items)) return {};
        return {image.bytes().begin(), image.bytes().end()};
    }
};

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
    PutText(t, u"A\nAAAA", attr);  // the second line's cells are 2 to 5
    const int cell = CellExtent(TextCell(u'A', attr), rc.measurer, false, false).width;
    ASSERT_GT(cell, 4);
    const int gap = (64 - 4 * cell) / 5;
    ASSERT_GT(gap, 0);
    RenderedText out;
    ASSERT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 64, 16, 17, 1 << 20, out), 0);
    ASSERT_EQ(out.pictures.size(), 2u);
    EXPECT_EQ(out.pictures[1].image.width, 4 * cell + 4 * gap);
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

TEST_F(CardGlyphPins, JustifiedLinesOfARunningRowStartWhereTheLayoutPutsThem) {
    // Moving left, the lines a long justified text breaks into follow one another in
    // one row, each at the next whole area width.
    TextContent t;
    t.header.fontSet = 1, t.header.align = 3;
    PutText(t, u"AAAAAAAAAAAA", CellAttr::Make(16, 0, 1));
    ProgramImage image(0x1000);
    std::vector<PendingItem> items;
    EncodeCommandStream(image, rc, t, 64, 16, kEffectMoveLeft, 0, 0, 0, items);
    ASSERT_TRUE(image.ok());
    const std::vector<uint8_t> b(image.bytes().begin(), image.bytes().end());
    std::vector<int> starts;
    for (size_t i = 0; i + 8 <= b.size(); i += 2)
        if (b[i] == 0xFD && b[i + 1] == 0x07) starts.push_back(LoadU16(&b[i + 2]));
    EXPECT_THAT(starts, ElementsAre(0, 64));
}

TEST_F(CardGlyphPins, StreamThatRunsOutOfRoomReportsMinusOne) {
    TextContent t;
    t.header.fontSet = 1;
    PutText(t, u"abcdef", CellAttr::Make(16, 0, 1));
    ProgramImage image(12);
    std::vector<PendingItem> items;
    const CellSize size = EncodeCommandStream(image, rc, t, 64, 16, kEffectBlindsHorizontal, 0, 0, 0, items);
    EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(-1, -1));
    EXPECT_FALSE(image.ok());
}

TEST_F(CardGlyphPins, StreamFontIndexIsAByte) {
    for (auto [font, fits] : {std::pair{255u, true}, {256u, false}}) {
        TextContent t;
        t.header.fontSet = 8;
        t.cells[0] = TextCell(u'x', CellAttr::Make(16, font, 1));
        ProgramImage image(0x1000);
        std::vector<PendingItem> items;
        EncodeCommandStream(image, rc, t, 64, 16, kEffectBlindsHorizontal, 0, 0, 0, items);
        EXPECT_EQ(image.ok(), fits) << font;
        if (fits) {
            EXPECT_THAT(std::vector<uint8_t>(image.bytes().begin() + 6, image.bytes().begin() + 8),
                        ElementsAre(0xF9, 0xFF));
        }
    }
}

TEST_F(CardGlyphPins, GlyphsAreMeasuredInTheScreensFaces) {
    const GlyphRenderer glyphs = CardGlyphRenderer(rc);
    for (uint32_t font : {0u, 1u}) {
        const uint32_t attr = CellAttr::Make(24, font, 2);
        const auto [w, h] = glyphs.measure(u'W', attr);
        EXPECT_EQ(w, rc.measurer.CharWidth(u'W', attr, false)) << font;
        EXPECT_EQ(h, 24);
    }
}

TEST_F(CardGlyphPins, GlyphPixelsAreTheCharacterAtTheTopLeft) {
    // Font 1 is the screen's second face, not the default table's.
    for (uint32_t font : {0u, 1u}) {
        const uint32_t attr = CellAttr::Make(16, font, 2);
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
                EXPECT_EQ(on, expected.Pixel(x, y) != 0) << font << ": " << x << "," << y;
                lit += on;
            }
        EXPECT_GT(lit, 10) << font;
    }
}

namespace {

// The one line picture of `t` drawn in a wide area.
RawImage OneLinePicture(RenderContext& rc, const TextContent& t, RenderedText& out) {
    EXPECT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 1000, 64, 15, 1 << 20, out), 0);
    EXPECT_EQ(out.pictures.size(), 1u);
    return out.pictures.empty() ? RawImage{} : std::move(out.pictures[0].image);
}

}  // namespace

TEST_F(CardGlyphPins, LinePicturePixelsAreTheCellsAndNothingElse) {
    // Full blocks fill their cells to every edge, so a cell drawn a pixel off, clipped
    // short or on a scratch surface that is not cleared to black shows.
    for (uint32_t size : {16u, 24u}) {
        const uint32_t attr = CellAttr::Make(size, 0, 5);  // red and blue: drawn white, then masked
        TextContent t;
        PutText(t, u"\u2588W\u2588g\u2588", attr);
        RenderedText out;
        const RawImage pic = OneLinePicture(rc, t, out);
        Surface expected(pic.width, pic.height);
        int x = 0;
        for (char16_t ch : std::u16string_view(u"\u2588W\u2588g\u2588")) {
            const CellSize e = CellExtent(TextCell(ch, attr), rc.measurer, false, false);
            fonts.Draw(expected, x, pic.height - e.height, AttrFontDesc(attr, tables, false), std::u16string(1, ch),
                       0xFF00FF);
            x += e.width;
        }
        ASSERT_EQ(pic.width, x);
        int lit = 0;
        for (int y = 0; y < pic.height; ++y)
            for (int px = 0; px < pic.width; ++px) {
                const uint32_t want = expected.Pixel(px, y) ? 0xFF00FF : 0;
                EXPECT_EQ(pic.row32(y)[px] & 0xFFFFFF, want) << size << ": " << px << "," << y;
                lit += want != 0;
            }
        EXPECT_GT(lit, 3 * int(size) * int(size) / 4) << size;
    }
}

TEST_F(CardGlyphPins, SmallFontRowAboveItsCellStaysWithItsCell) {
    // At size 8 a character the built-in font lacks is drawn by the small font one row
    // above its cell. Beside a 16-pixel cell that row is in the picture: it belongs to
    // that cell alone, so the blank cells after it keep every column dark.
    const uint32_t big = CellAttr::Make(16, 0, 1), small = CellAttr::Make(8, 0, 1);
    TextContent t;
    PutText(t, u"\u2588\u2588  ", big);
    for (size_t i = 1; i < 4; ++i) t.cells[i].attr = small;
    RenderedText out;
    const RawImage pic = OneLinePicture(rc, t, out);
    const int wide = CellExtent(t.cells[0], rc.measurer, false, false).width;
    const int block = CellExtent(t.cells[1], rc.measurer, false, false).width;
    ASSERT_GT(pic.width, wide + block);
    ASSERT_EQ(pic.height, 16);
    int above = 0;  // the small block's row above its 8-pixel cell
    for (int x = wide; x < wide + block; ++x) above += pic.row32(7)[x] != 0;
    EXPECT_GT(above, 0);
    for (int y = 0; y < pic.height; ++y)
        for (int x = wide + block; x < pic.width; ++x) EXPECT_EQ(pic.row32(y)[x], 0u) << x << "," << y;
}

TEST_F(CardGlyphPins, ItalicOverhangsKeepAnEighthOfTheCell) {
    // Italic capitals lean past their cells: what lies within an eighth of the cell's
    // width to its right is kept (ORed over the next cell), nothing further.
    const std::u16string text = u"WfVf";
    // Font 1 is the screen's second face, not the default table's.
    for (auto [size, font] : {std::pair{32u, 0u}, {48u, 0u}, {64u, 0u}, {32u, 1u}}) {
        const uint32_t attr = CellAttr::Make(size, font, 7, CellAttr::Italic);
        TextContent t;
        PutText(t, text, attr);
        RenderedText out;
        const RawImage pic = OneLinePicture(rc, t, out);
        Surface expected(pic.width, pic.height);
        int x = 0;
        for (char16_t ch : text) {
            const CellSize e = CellExtent(TextCell(ch, attr), rc.measurer, false, false);
            Surface cell(e.width + e.width / 8, e.height);
            fonts.Draw(cell, 0, 0, AttrFontDesc(attr, tables, false), std::u16string(1, ch), 0xFFFFFF);
            for (int y = 0; y < cell.height(); ++y)
                for (int cx = 0; cx < cell.width() && x + cx < pic.width; ++cx)
                    if (cell.Pixel(cx, y)) expected.SetPixel(x + cx, pic.height - e.height + y, 0xFFFFFF);
            x += e.width;
        }
        int differ = 0;
        for (int y = 0; y < pic.height; ++y)
            for (int px = 0; px < pic.width; ++px) differ += (pic.row32(y)[px] != 0) != (expected.Pixel(px, y) != 0);
        EXPECT_EQ(differ, 0) << size;
    }
}

TEST_F(CardGlyphPins, ThaiMarksAreDrawnOnceWithTheirBase) {
    // A consonant with one mark and one with two, then a consonant: the picture is the
    // cluster as the face draws it and the last consonant behind the cluster's cells; a
    // mark stamped again on its own would show beside its base.
    const uint32_t attr = CellAttr::Make(32, 0, 7);
    for (std::u16string_view text : {u"\u0E01\u0E34\u0E02", u"\u0E01\u0E34\u0E48\u0E02"}) {
        TextContent t;
        PutText(t, text, attr);
        RenderedText out;
        const RawImage pic = OneLinePicture(rc, t, out);
        int last = 0;
        for (size_t i = 0; i + 1 < text.size(); ++i) last += CellExtent(t.cells[i], rc.measurer, false, false).width;
        Surface expected(pic.width, pic.height);
        const FontDesc font = AttrFontDesc(attr, tables, false);
        fonts.Draw(expected, 0, 0, font, std::u16string(text.substr(0, text.size() - 1)), 0xFFFFFF);
        fonts.Draw(expected, last, 0, font, std::u16string(text.substr(text.size() - 1)), 0xFFFFFF);
        int differ = 0;
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x) differ += (pic.row32(y)[x] != 0) != (expected.Pixel(x, y) != 0);
        EXPECT_EQ(differ, 0) << text.size();
        EXPECT_GT(CountLit(pic), 50);
    }
}

TEST_F(CardGlyphPins, ClockInATableCellIsItsFaceAtItsPlace) {
    auto grid = std::make_unique<GridObject>();
    InitGridObject(*grid);
    ASSERT_TRUE(SetGridSize(*grid, 1, 1));
    const uint16_t marker = CollectGridCells(*grid)[0];
    grid->cells[marker].attr = MakeGridMarker(60, 40);
    grid->cells[marker + 1] = TextCell(u'x', CellAttr::Make(16, 0, 7));
    auto clock = std::make_unique<ClockObject>();
    clock->size = 32;
    const RawImage face = ClockToImage(*clock, false);
    grid->cells[marker + 2] = ObjectCell(FC_CLOCK, std::move(clock));
    grid->totalWidth = 60, grid->totalHeight = 40, grid->style = 1 << 5 | 7 << 2;  // a white frame
    const GridObject& g = *grid;
    TextContent t;
    t.cells[0] = TextCell(u'i', CellAttr::Make(16, 0, 7));
    t.cells[1] = ObjectCell(FC_TABLE, std::move(grid));

    std::vector<PlacedField> placed;
    const FieldCollector collect = [&](const PlacedField& f) { placed.push_back(f); };
    RawImage expected = GridToBitmap(rc, g, &collect);
    ASSERT_EQ(placed.size(), 1u);
    ASSERT_GT(CountLit(face), 20);
    ASSERT_NE(expected.row32(0)[expected.width / 2], 0u);  // the frame's top row
    RenderedText out;
    const RawImage pic = OneLinePicture(rc, t, out);
    const int left = CellExtent(t.cells[0], rc.measurer, false, false).width;
    const int top = pic.height - expected.height;
    EXPECT_TRUE(out.clocks.empty());  // a table's clock is drawn, not listed
    for (int y = 0; y < face.height; ++y)
        for (int x = 0; x < face.width; ++x) {
            const int ex = placed[0].x + x, ey = placed[0].y + y;
            if (ex < expected.width && ey < expected.height) expected.row32(ey)[ex] |= face.row32(y)[x];
        }
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            EXPECT_EQ(pic.row32(top + y)[left + x] != 0, expected.row32(y)[x] != 0) << x << "," << y;
}

TEST_F(CardGlyphPins, PicturesMayTakeExactlyTheRoomLeft) {
    const uint32_t attr = CellAttr::Make(16, 0, 1);
    TextContent t;
    PutText(t, u"Ab", attr);
    RenderedText out;
    ASSERT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 200, 16, 15, 1 << 20, out), 0);
    ASSERT_EQ(out.pictures.size(), 1u);
    const size_t w = size_t(out.pictures[0].image.width), h = size_t(out.pictures[0].image.height);
    const size_t need = 14 + 2 * h * ((w + 7) / 8);  // frame header and offset, two planes of code 15
    EXPECT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 200, 16, 15, need, out), 0);
    EXPECT_EQ(out.pictures.size(), 1u);
    EXPECT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 200, 16, 15, need - 1, out), kEncodeTooLarge);
    const size_t onePlane = 14 + h * ((w + 7) / 8);  // code 5: one plane
    EXPECT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 200, 16, 5, onePlane, out), 0);
}

TEST_F(CardGlyphPins, TableRulesOfNarrowTables) {
    // The right and bottom rules end two pixels inside the table, never before 0.
    for (auto [side, far] : {std::pair{0, 0}, {1, 0}, {2, 0}, {3, 1}, {40, 38}}) {
        SCOPED_TRACE(side);
        GridObject grid;
        InitGridObject(grid);
        ASSERT_TRUE(SetGridSize(grid, 1, 1));
        grid.cells[CollectGridCells(grid)[0]].attr = MakeGridMarker(side, side);
        grid.totalWidth = uint16_t(side), grid.totalHeight = uint16_t(side);
        const std::vector<uint8_t> b = TableCommands(grid);
        const size_t rules = 16;  // behind the table start: its unit and 14 bytes
        ASSERT_GE(b.size(), rules + 4 * 12);
        const int last = std::max(side - 1, 0);  // the closing rules lie on the last row and column
        for (size_t k = 0; k < 4; ++k) {
            const uint8_t* r = &b[rules + 12 * k];
            ASSERT_EQ(r[0], 0xFC);
            ASSERT_EQ(r[1], 0x1B);
            const int at = k == 0 || k == 2 ? 0 : last;
            if (k < 2) {
                EXPECT_EQ(LoadU16(r + 8), far) << side << " row rule " << k;
                EXPECT_EQ(LoadU16(r + 6), at) << side << " row rule " << k;
            } else {
                EXPECT_EQ(LoadU16(r + 10), far) << side << " column rule " << k;
                EXPECT_EQ(LoadU16(r + 4), at) << side << " column rule " << k;
            }
        }
    }
}

TEST_F(CardGlyphPins, MissingTableCellsHaveNoSize) {
    // A 2 x 2 table holding only its first cell: the missing column and row take no
    // room, so the closing rules lie on the first cell's last column and row.
    GridObject grid;
    InitGridObject(grid);
    ASSERT_TRUE(SetGridSize(grid, 2, 2));
    const std::vector<uint16_t> cells = CollectGridCells(grid);
    grid.cells[cells[0]].attr = MakeGridMarker(10, 8);
    grid.cells[cells[1]] = TextCell{};
    ASSERT_EQ(CollectGridCells(grid).size(), 1u);
    grid.totalWidth = 20, grid.totalHeight = 16;
    const std::vector<uint8_t> b = TableCommands(grid);
    ASSERT_GE(b.size(), 16u + 6 * 12);
    const int rows[] = {0, 8, 7}, columns[] = {0, 10, 9};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(LoadU16(&b[16 + 12 * k + 6]), rows[k]) << k;
        EXPECT_EQ(LoadU16(&b[16 + 12 * (3 + k) + 4]), columns[k]) << k;
    }
}

TEST_F(CardGlyphPins, EveryTableCellStreamsItsOwnCharacters) {
    // A 3 x 1 table: each cell start (FC 1A and its word) is followed by that cell's text only.
    GridObject grid;
    InitGridObject(grid);
    ASSERT_TRUE(SetGridSize(grid, 3, 1));
    const char16_t texts[] = {u'x', u'y', u'z'};
    for (size_t k = 0; k < 3; ++k) {
        grid.cells[2 * k] = TextCell(FC_GRIDCELL, MakeGridMarker(20, 16));
        grid.cells[2 * k + 1] = TextCell(texts[k], CellAttr::Make(16, 0, 1));
    }
    ASSERT_EQ(CollectGridCells(grid).size(), 3u);
    grid.totalWidth = 60, grid.totalHeight = 16;
    const std::vector<uint8_t> b = TableCommands(grid);
    // Table start (16 bytes), 2 row rules and 4 column rules (12 bytes each), then the cells.
    size_t at = 16 + 6 * 12;
    std::vector<std::vector<uint8_t>> cells;
    while (at + 1 < b.size() && b[at] == 0xFC && b[at + 1] == 0x1A) {
        size_t next = at + 6;
        while (next + 1 < b.size() && !(b[next] == 0xFC && (b[next + 1] == 0x1A || b[next + 1] == 0x19))) next += 2;
        cells.emplace_back(b.begin() + long(at + 6), b.begin() + long(next));
        at = next;
    }
    ASSERT_EQ(cells.size(), 3u);
    ASSERT_EQ(at + 2, b.size());  // FC 19 closes the table
    for (size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        // The line start and attribute units, then the one character unit (00, code), no closing 0 unit.
        ASSERT_GE(cells[k].size(), 8u);
        EXPECT_THAT(std::vector<uint8_t>(cells[k].begin(), cells[k].begin() + 2), ElementsAre(0xFD, 3));
        EXPECT_THAT(std::vector<uint8_t>(cells[k].end() - 2, cells[k].end()), ElementsAre(0, uint8_t(texts[k])));
        for (char16_t other : texts) {
            if (other == texts[k]) continue;
            EXPECT_EQ(std::count(cells[k].begin(), cells[k].end(), uint8_t(other)), 0);
        }
    }
}

TEST_F(CardGlyphPins, EmptyTextAndTheTallestLine) {
    // An empty text has no pictures and no size, under a paging effect too.
    TextContent empty;
    RenderedText out;
    out.size = {5, 5};
    ASSERT_EQ(RenderTextPictures(rc, empty, kEffectStatic, 64, 16, 15, 1 << 20, out), 0);
    EXPECT_TRUE(out.pictures.empty());
    EXPECT_EQ(out.size.width, 0);
    EXPECT_EQ(out.size.height, 0);
    // A line picture may be 65535 pixels high or wide, not more.
    for (auto [side, fits] : {std::pair{65535, true}, {65536, false}}) {
        for (bool high : {true, false}) {
            TextContent t;
            t.cells[0] = high ? PictureCell(1, side) : PictureCell(side, 1);
            EXPECT_EQ(RenderTextPictures(rc, t, kEffectStatic, 64, 16, 15, 1 << 20, out) == 0, fits) << side;
            if (fits) {
                ASSERT_EQ(out.pictures.size(), 1u);
                EXPECT_EQ(high ? out.pictures[0].image.height : out.pictures[0].image.width, 65535);
            }
        }
    }
}

TEST_F(CardGlyphPins, LinesOfOnePixelAndOfNone) {
    // A table alone on its line: 5 x 1 and 1 x 5 lines keep their pixels, a table with
    // no height makes a line picture without pixels.
    for (auto [w, h] : {std::pair{5, 1}, {1, 5}, {5, 0}}) {
        auto grid = std::make_unique<GridObject>();
        InitGridObject(*grid);
        ASSERT_TRUE(SetGridSize(*grid, 1, 1));
        grid->cells[CollectGridCells(*grid)[0]].attr = MakeGridMarker(w, h);
        grid->totalWidth = uint16_t(w), grid->totalHeight = uint16_t(h), grid->style = 0x24;  // ruled
        TextContent t;
        t.cells[0] = TextCell(FC_TABLE, CellAttr::Make(16, 0, 7));
        t.cells[0].obj = std::move(grid);
        RenderedText out;
        ASSERT_EQ(RenderTextPictures(rc, t, kEffectStatic, 64, 16, 15, 1 << 20, out), 0) << w << "x" << h;
        ASSERT_EQ(out.pictures.size(), 1u);
        EXPECT_EQ(out.pictures[0].image.width, w);
        EXPECT_EQ(out.pictures[0].image.height, h);
        EXPECT_EQ(CountLit(out.pictures[0].image) > 0, h > 0) << w << "x" << h;
    }
}

TEST_F(CardGlyphPins, EmptyLineIsAPictureWithoutPixels) {
    // "A", an empty line, "B": three line pictures; the empty one has no width.
    TextContent t;
    const uint32_t attr = CellAttr::Make(16, 0, 1);
    PutText(t, u"A\n\nB", attr);
    RenderedText out;
    ASSERT_EQ(RenderTextPictures(rc, t, kEffectBlindsHorizontal, 64, 64, 17, 1 << 20, out), 0);
    ASSERT_EQ(out.pictures.size(), 3u);
    EXPECT_GT(out.pictures[0].image.width, 0);
    EXPECT_EQ(out.pictures[1].image.width, 0);
    EXPECT_GT(out.pictures[1].image.height, 0);
    EXPECT_GT(out.pictures[2].image.width, 0);
}
