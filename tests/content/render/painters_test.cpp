#include <gtest/gtest.h>

#include <string>

#include "content/model/clock.h"
#include "content/render/item_painters.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;

namespace {

// A 2 x 2 table of 64 x 16 cells with the frame byte given; `first` is the text of
// cell (0, 0) and `align` its alignment.
GridObject MakeGrid(uint8_t frame, std::u16string_view first = {}, int align = 0) {
    GridObject g;
    g.columns = g.rows = 2;
    g.style = frame;
    g.totalWidth = 128;
    g.totalHeight = 32;
    int i = 0;
    g.cells[i++] = TextCell(FC_GRIDCELL, MakeGridMarker(64, 16, align));
    for (char16_t c : first) g.cells[i++] = TextCell(c, c == FC_HOUR ? kWhite8 : CellAttr::Make(8, 0, 1));
    for (int k = 1; k < 4; ++k) g.cells[i++] = TextCell(FC_GRIDCELL, MakeGridMarker(64, 16));
    return g;
}

}  // namespace

using PaintersTest = RenderTest;

TEST_F(PaintersTest, ClockMarksAndHands) {
    const ScopedClockOverride at(LocalTime{2024, 6, 1, 15, 0, 0, 6});
    ClockObject clock;
    clock.size = 32;
    Surface s(32, 32);
    s.SetPen(Pen{PenStyle::Dash, 3, 0x123456});
    s.MoveTo(5, 7);
    DrawClock(s, clock, true, 0, 0, 32, 32);
    // The hour hand runs from the centre to (24, 16), its end excluded.
    for (int x = 16; x < 24; ++x) EXPECT_EQ(s.Pixel(x, 16), 0xFFFFFFu) << x;
    for (int x = 24; x < 29; ++x) EXPECT_EQ(s.Pixel(x, 16), 0u) << x;
    // The minute hand ends at (16, 4), the second hand at (16, 2).
    for (int y = 3; y < 16; ++y) EXPECT_EQ(s.Pixel(16, y), 0xFFFFFFu) << y;
    // Marks on a circle of radius 14: crosses around (30, 16), (16, 30), (2, 16), (16, 2).
    for (auto [x, y] : {std::pair{30, 16}, {16, 30}, {2, 16}, {16, 2}}) {
        EXPECT_EQ(CountLit(s, {x - 1, y, x + 2, y + 1}), 3) << x << "," << y;
        EXPECT_EQ(CountLit(s, {x, y - 1, x + 1, y + 2}), 3) << x << "," << y;
    }
    // The caller's pen and position are back.
    EXPECT_EQ(std::vector<int>({int(s.pen().style), s.positionX(), s.positionY()}), (std::vector<int>{1, 5, 7}));

    // Half a minute on, the second hand points straight down to (16, 30), its end excluded,
    // and the hands alone draw nothing else.
    const ScopedClockOverride half(LocalTime{2024, 6, 1, 15, 0, 30, 6});
    Surface alone(32, 32);
    DrawClockHands(alone, clock, 0, 0);
    for (int y = 17; y < 30; ++y) EXPECT_EQ(alone.Pixel(16, y), 0xFFFFFFu) << y;
    EXPECT_EQ(std::pair(alone.Pixel(16, 30), CountLit(alone, {0, 17, 32, 32})), std::pair(0u, 13));

    const RawImage face = ClockToImage(clock, false);
    EXPECT_EQ(std::tuple(face.width, face.height, face.row32(16)[20], ClockToImage(clock, true).row32(16)[20]),
              std::tuple(32, 32, 0u, 0xFFFFFFu));

    // A clock over a picture is as wide as its face, its hands drawn over it ((12, 8) to
    // (16, 8)); without a face, or of size 0, no image.
    ClockObject pictured;
    pictured.style = 3, pictured.size = 16;
    EXPECT_EQ(ClockToImage(pictured, true).width, 0);
    pictured.face.push_back(std::make_unique<RawImage>());
    ResetImage(*pictured.face[0], 24, 16);
    FillImage(*pictured.face[0], 0xFF0000);
    const RawImage withFace = ClockToImage(pictured, true);
    ASSERT_EQ(withFace.width, 24);
    EXPECT_EQ(std::make_pair(withFace.row32(8)[15], withFace.row32(8)[16]), std::make_pair(0xFFFFFFu, 0xFF0000u));
    clock.size = 0;
    EXPECT_EQ(ClockToImage(clock, true).width, 0);
}

TEST_F(PaintersTest, TableFrameLines) {
    auto draw = [&](uint8_t frame, int clipRight = 140) {
        Surface s(140, 40);
        DrawGrid(rc, s, MakeGrid(frame), 0, 0, 0, nullptr, 0, 0, clipRight, 40);
        return s;
    };
    const Surface s = draw(0x1C);
    // Rows at 0, 16 and (one higher) 31; columns at 0, 64 and 127; white, 1 pixel.
    EXPECT_EQ(CountLit(s), 3 * 128 + 3 * 32 - 9);
    for (int y : {0, 16, 31}) EXPECT_EQ(CountLit(s, {0, y, 140, y + 1}), 128) << y;
    for (int x : {0, 64, 127}) EXPECT_EQ(CountLit(s, {x, 0, x + 1, 40}), 32) << x;
    EXPECT_EQ(s.Pixel(64, 20), 0xFFFFFFu);

    // Type 6 draws solid lines, type 5 none; a clip narrows the frame.
    EXPECT_TRUE(SamePixels(draw(0xDC), s));
    EXPECT_EQ(CountLit(draw(0xBC)), 0);
    const Surface clipped = draw(0x1C, 100);
    EXPECT_EQ(std::pair(CountLit(clipped, {100, 0, 140, 40}), CountLit(clipped, {0, 16, 140, 17})), std::pair(0, 100));

    // 0x25: dashed, red, 2 pixels wide.
    const Surface dashed = draw(0x25);
    const int row0 = CountLit(dashed, {2, 0, 64, 1});
    EXPECT_TRUE(row0 > 20 && row0 < 62) << row0;
    for (int x = 2; x < 64; ++x) EXPECT_EQ(dashed.Pixel(x, 0), dashed.Pixel(x, 1)) << x;
    EXPECT_EQ(CountLit(dashed, {2, 2, 64, 16}), 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 140; ++x) ASSERT_TRUE(dashed.Pixel(x, y) == 0 || dashed.Pixel(x, y) == 0xFF0000u);

    // Markers that do not number columns x rows: nothing.
    GridObject bad = MakeGrid(0x1C);
    bad.rows = 3;
    Surface empty(140, 40);
    DrawGrid(rc, empty, bad, 0, 0, 0, nullptr, 0, 0, 140, 40);
    EXPECT_EQ(CountLit(empty), 0);

    const RawImage image = GridToBitmap(rc, MakeGrid(0x1C));
    EXPECT_EQ(std::tuple(image.width, image.height, image.row32(31)[100], GridToBitmap(rc, GridObject{}).width),
              std::tuple(128, 32, 0xFFFFFFu, 0));
}

TEST_F(PaintersTest, TableCellTexts) {
    // A right-aligned 8-pixel A in cell (0, 0), centred in the row's height.
    Surface s(140, 40);
    DrawGrid(rc, s, MakeGrid(0xBC, u"A", 2), 0, 0, 0, nullptr, 0, 0, 140, 40);
    EXPECT_EQ(std::make_pair(CountLit(s), CountLit(s, {58, 4, 64, 12})), std::make_pair(18, 18));
    // The table editor sizes its cells with the same layout.
    const GridObject grid = MakeGrid(0xBC, u"AA");
    CellSize sizes[4];
    MeasureGridCells(grid, CollectGridCells(grid), TextBlockMeasurer(rc), 64, 4, sizes);
    EXPECT_EQ(std::pair(sizes[0], sizes[1]), std::pair(CellSize{12, 8}, CellSize{}));
    // Drawn as a cell, the table leaves the caller's font selected.
    Surface cell(140, 40);
    const FontDesc callerFont{u"Courier New", 16};
    cell.SelectFont(fonts, callerFont);
    DrawCell(rc, cell, ObjectCell(FC_TABLE, std::make_unique<GridObject>(MakeGrid(0xBC, u"A", 2))), {0, 0, 140, 40});
    EXPECT_TRUE(SamePixels(cell, s) && cell.font() == callerFont);
    // From column 1 on, cell (0, 0) is not drawn.
    Surface later(140, 40);
    DrawGrid(rc, later, MakeGrid(0xBC, u"A", 2), 0, 1, 0, nullptr, 0, 0, 140, 40);
    EXPECT_EQ(CountLit(later), 0);
    // Fields are collected, not drawn.
    int collected = 0;
    const FieldCollector collect = [&](const PlacedField& f) { collected += f.cell->code == FC_HOUR; };
    EXPECT_EQ(std::pair(CountLit(GridToBitmap(rc, MakeGrid(0xBC, u"A\uE013"), &collect)), collected), std::pair(18, 1));
}

TEST_F(PaintersTest, FieldPaintersWriteTheirPlaceholders) {
    const FontDesc song{u"宋体", 16};
    // A counter shows its start value in its colour and the selected font.
    CounterField counter;
    counter.start = 5;
    counter.attr = CellAttr::Make(16, 0, 2);
    Surface field(40, 24), text(40, 24);
    field.SelectFont(fonts, song);
    DrawCounterField(field, 2, 3, counter);
    fonts.Draw(text, 2, 3, song, u"05", 0x00FF00);
    EXPECT_TRUE(CountLit(field) > 10 && SamePixels(field, text));

    // Digits of two sizes stand on one baseline, each in its own font and colour.
    DigitGroup group;
    const uint32_t big = CellAttr::Make(16, 0, 1), small = CellAttr::Make(12, 0, 2);
    group.digits = {TextCell(u'1', big), TextCell(u'2', small)};
    Surface drawn(60, 20), expected(60, 20);
    const FontDesc previous{u"Courier New", 10};
    drawn.SelectFont(fonts, previous);
    DrawDigitGroup(rc, drawn, 0, 0, group);
    const int advance = rc.measurer.TextWidth(u"J", big, false);
    fonts.Draw(expected, 0, 0, AttrFontDesc(big, tables, false), u"1", 0xFF0000);
    fonts.Draw(expected, advance, 4, AttrFontDesc(small, tables, false), u"2", 0x00FF00);
    EXPECT_TRUE(SamePixels(drawn, expected) && drawn.font() == previous);
}

TEST_F(PaintersTest, CellAndTextImages) {
    const RawImage a = RenderCellImages(rc, false, TextCell(u'A', CellAttr::Make(8, 0, 7, CellAttr::Italic)));
    EXPECT_EQ(std::vector<int>({a.width, a.height, a.displayWidth}), (std::vector<int>{6 + 2, 8, 8}));  // italic overhang
    EXPECT_EQ(RenderCellImages(rc, false, TextCell{}).width, 0);

    // Cells up to 255 pixels get an image of their own size, overhang included.
    TextCell huge(u'W', CellAttr::Make(255, 1, 7, CellAttr::Italic));
    const CellSize e = CellExtent(huge, rc.measurer, false, false);
    const RawImage w = RenderCellImages(rc, false, huge);
    EXPECT_EQ(std::pair(w.height, w.width), std::pair(255, e.width + int(e.width * 0.4)));
    bool low = false;  // the W reaches below row 150
    for (int y = 151; y < w.height; ++y) low |= std::count(w.row32(y), w.row32(y) + w.width, 0u) < w.width;
    EXPECT_TRUE(low);

    const uint32_t red16 = CellAttr::Make(16, 0, 1);
    const RawImage text = RenderTextImage(rc, u"AB", red16);
    EXPECT_EQ(std::pair(text.width, text.height),
              std::pair(fonts.Measure(AttrFontDesc(red16, tables, false), u"AB").width, 16));
    int red = 0;
    for (int y = 0; y < text.height; ++y) red += int(std::count(text.row32(y), text.row32(y) + text.width, 0xFF0000u));
    EXPECT_GT(red, 20);
    EXPECT_EQ(std::pair(CountLit(text), RenderTextImage(rc, u"", red16).width), std::pair(red, 0));  // nothing but red
}

TEST_F(PaintersTest, PicturesAndSurfaceImages) {
    // A picture cell draws the frame asked for, the last one past the end, clipped to its cell.
    Surface s(20, 20);
    DrawCell(rc, s, PictureCell(8, 8, {0xFF0000, 0x00FF00}), {2, 2, 6, 10}, 5);
    EXPECT_EQ(std::pair(CountLit(s), s.Pixel(5, 9)), std::pair(32, 0x00FF00u));
    // A picture without frames draws nothing.
    Surface untouched(20, 20);
    DrawCell(rc, untouched, ObjectCell(FC_PICTURE, std::make_unique<PictureObject>()), {0, 0, 20, 20});
    EXPECT_EQ(CountLit(untouched), 0);

    Surface src(4, 3);
    src.SetPixel(2, 1, 0x123456);
    const RawImage part = CreateImageFromDCBitmap(src, {1, 1, 9, 3});
    EXPECT_EQ(std::vector<int>({part.width, part.height, part.displayWidth, part.displayHeight}),
              (std::vector<int>{3, 2, 3, 2}));
    EXPECT_EQ(std::tuple(part.row32(0)[1], CreateImageFromHBitmap(src).width,
                         CreateImageFromDCBitmap(src, {5, 5, 6, 6}).width),
              std::tuple(0x123456u, 4, 0));
}
