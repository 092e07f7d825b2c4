#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <type_traits>
#include <vector>
#include <string>
#include <unistd.h>

#include "content/render/builtin_font.h"
#include "content/model/clock.h"
#include "content/render/font_tables.h"
#include "content/render/plain_text.h"
#include "content/model/records.h"
#include "content/model/text_codec.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;

namespace {

using Lines = std::vector<LineExtent>;

Lines Break(RenderContext& rc, const TextView& text, int maxWidth, CellExtents& extents) {
    Lines lines;
    EXPECT_TRUE(BreakTextLines(rc, text, extents, lines, maxWidth));
    return lines;
}

}  // namespace

using LayoutTest = RenderTest;

// A context keeps a reference to its face tables: made from a temporary, it would dangle.
static_assert(!std::is_constructible_v<RenderContext, FontRenderer&, FontTables&&>);

TEST_F(LayoutTest, CellsDrawWithTheBuiltinFontTheSmallFontOrTheirFace) {
    Surface s(16, 16);
    DrawCell(rc, s, TextCell(u'A', CellAttr::Make(8, 0, 2)), {2, 3, 8, 11});
    EXPECT_EQ(std::make_pair(CountLit(s), CountLit(s, {2, 3, 7, 10})), std::make_pair(18, 18));  // in its 5 x 7 box
    EXPECT_EQ(s.Pixel(2, 7), 0x00FF00u);  // the bar of the A, row 4

    // 中 has no built-in glyph: at 8 pixels the small font one pixel above the cell's
    // top; at other sizes the cell's face with its top-left at the rectangle's.
    const uint32_t white16 = CellAttr::Make(16, 0, 7);
    const std::tuple<TextCell, PixelRect, FontDesc, int> cases[] = {
        {TextCell(u'中', CellAttr::Make(8, 0, 1)), {4, 5, 10, 13}, SmallFont(), -1},
        {TextCell(u'中', white16), {3, 4, 19, 20}, AttrFontDesc(white16, tables, false), 0}};
    for (const auto& [cell, rect, spec, dy] : cases) {
        Surface drawn(40, 24), expected(40, 24);
        SelectCellFont(rc, drawn, cell, false);
        DrawCell(rc, drawn, cell, rect);
        fonts.Draw(expected, rect.left, rect.top + dy, spec, u"中", CellColor(cell));
        EXPECT_GT(CountLit(drawn), 10);
        EXPECT_TRUE(SamePixels(drawn, expected)) << spec.height;
    }

    // Fields show their values: a year in the built-in font, four advances.
    const ScopedClockOverride clock(LocalTime{2024, 6, 1, 15, 0, 0, 6});
    EXPECT_EQ(FieldDisplayText(TextCell(FC_MONTH, 0), CurrentLocalTime()), u"06");
    Surface year(30, 8), digits(30, 8);
    DrawCell(rc, year, TextCell(FC_YEAR, kWhite8), {0, 0, 24, 8});
    for (int i = 0; i < 4; ++i) DrawBuiltinGlyph(digits, i * 6, 0, u"2024"[i], 0xFFFFFF);
    EXPECT_TRUE(SamePixels(year, digits));
}

TEST_F(LayoutTest, WidthsFollowARefilledFaceTable) {
    const uint32_t second = CellAttr::Make(24, 1, 7);  // installed entry 1
    const int mono = fonts.Measure(FontDesc{u"Courier New", 24}, u"i").width;
    const int song = fonts.Measure(FontDesc{u"宋体", 24}, u"i").width;
    ASSERT_NE(mono, song);
    EXPECT_EQ(rc.measurer.CharWidth(u'i', second, false), mono);
    tables.installed[1] = u"宋体";  // the owner refills its tables in place
    EXPECT_EQ(rc.measurer.CharWidth(u'i', second, false), song);
}

TEST_F(LayoutTest, BreaksAtNewlinesAndWidths) {
    CellExtents ext;
    TextContent t;
    PutText(t, u"AB\nZ", kWhite8);
    EXPECT_EQ(Break(rc, t, 1000, ext), (Lines{{12, 8, 0, 2}, {6, 8, 3, 3}}));
    EXPECT_EQ(ext[2], (CellSize{0, 8}));  // a newline takes no width

    // Greedy wrapping, and a cell wider than the area alone on its line.
    TextContent w;
    PutText(w, u"ABCD", kWhite8);
    EXPECT_EQ(Break(rc, w, 13, ext), (Lines{{12, 8, 0, 1}, {12, 8, 2, 3}}));
    w.cells[1] = PictureCell(40, 10);
    EXPECT_EQ(Break(rc, w, 30, ext), (Lines{{6, 8, 0, 0}, {40, 10, 1, 1}, {12, 8, 2, 3}}));

    TextContent empty;
    Lines lines{{1, 1, 0, 0}};
    EXPECT_FALSE(BreakTextLines(rc, empty, ext, lines, 100));
    EXPECT_TRUE(lines.empty());
    std::vector<CellSize> shortArray(2);
    EXPECT_FALSE(BreakTextLines(rc, t, shortArray, lines, 100));
    Surface s(50, 50);
    RenderText(rc, s, empty, 0, {0, 0, 50, 50});
    EXPECT_EQ(CountLit(s), 0);
}

TEST_F(LayoutTest, ThaiClustersStayWithinTheText) {
    // A full text without a terminator: the consonant at 2046, its mark in the last cell.
    TextContent t;
    const uint32_t attr = CellAttr::Make(16, 0, 7);
    for (auto& c : t.cells) c = TextCell(u'a', attr);
    t.cells[2046] = TextCell(0x0E01, attr);  // ก
    t.cells[2047] = TextCell(0x0E48, attr);  // tone mark
    CellExtents ext;
    Lines lines;
    ASSERT_TRUE(BreakTextLines(rc, t, ext, lines, 100000));
    EXPECT_EQ(ext[2047], (CellSize{0, 16}));
    EXPECT_GT(ext[2046].width, 0);
    EXPECT_EQ(ThaiClusterExtent(rc, t.cells, 2046, false), ext[2046]);  // the cluster ends with the text
    EXPECT_EQ(ThaiClusterExtent(rc, t.cells, 2047, false), CellSize{});
    Surface s(40, 20);
    s.SelectFont(fonts, FontDesc{u"宋体", 16});
    EXPECT_EQ(DrawThaiCluster(s, t.cells, 0, 0, 2046), 1);  // the one mark, not past the end
    EXPECT_EQ(DrawThaiCluster(s, t.cells, 0, 0, 2045), 0);
}

TEST_F(LayoutTest, JustifiedAndAlignedLines) {
    EXPECT_EQ(AlignLine(3, 20, {30, 10, 0, 2}).gap, 0);  // too narrow: no gap
    EXPECT_EQ(AlignLine(1, 64, {40, 10, 0, 7}).x, 12);
    EXPECT_EQ(AlignLine(2, 64, {40, 10, 0, 7}).x, 24);

    // Three 10-pixel pictures justified in 70 pixels stand at 10, 30 and 50,
    // on the line's bottom (the 8-pixel one 2 pixels lower).
    TextContent t;
    t.header.align = 3, t.header.spread = 0;
    t.cells[0] = t.cells[2] = PictureCell(10, 10);
    t.cells[1] = PictureCell(10, 8);
    EXPECT_EQ(AlignLine(3, 70, {30, 10, 0, 2}).gap, 10);
    Surface s(70, 20);
    RenderText(rc, s, t, 0, {0, 0, 70, 20});
    EXPECT_EQ(CountLit(s), 280);
    EXPECT_EQ(CountLit(s, {10, 0, 20, 10}), 100);
    EXPECT_EQ(CountLit(s, {30, 2, 40, 10}), 80);
    EXPECT_EQ(CountLit(s, {50, 0, 60, 10}), 100);
}

TEST_F(LayoutTest, RenderTextAnimatesPicturesAndCollectsFields) {
    TextContent t;
    t.header.spread = 0;
    t.cells[0] = PictureCell(4, 4, {0xFF0000, 0x00FF00}, 10);
    t.cells[1] = TextCell(FC_HOUR, kWhite8);
    t.cells[2] = TextCell(u'A', kWhite8);
    for (uint32_t time : {5u, 15u, 25u}) {
        Surface s(40, 10);
        RenderText(rc, s, t, time, {0, 0, 40, 10});
        EXPECT_EQ(s.Pixel(0, 4), time == 15 ? 0x00FF00u : 0xFF0000u) << time;
    }

    std::vector<std::pair<char16_t, int>> collected;
    const FieldCollector collect = [&](const PlacedField& f) { collected.emplace_back(f.cell->code, f.x); };
    Surface s(40, 10);
    RenderText(rc, s, t, 0, {0, 0, 40, 10}, &collect);
    EXPECT_EQ(collected, (std::vector<std::pair<char16_t, int>>{{FC_PICTURE, 0}, {FC_HOUR, 4}}));
    // Only the A is drawn, after the picture and the 12-pixel hour.
    EXPECT_EQ(std::make_pair(CountLit(s), CountLit(s, {16, 0, 22, 10})), std::make_pair(18, 18));
}

TEST_F(LayoutTest, EffectLayouts) {
    // Wrapped lines of widths 50 and 30 (a hard line), then 20, in an area 40 wide.
    TextContent t;
    PutText(t, u"abcd\nef", kWhite8);
    const Lines lines{{50, 10, 0, 1}, {30, 12, 2, 4}, {20, 8, 5, 6}};
    std::vector<LinePlacement> p;
    auto layout = [&](int effect, int align, int height = 100) {
        t.header.align = uint8_t(align);
        return LayoutEffectFrames(t, effect, lines, p, 40, height);
    };
    EXPECT_EQ(layout(kEffectMoveLeft, 0), (CellSize{110, 20}));
    EXPECT_EQ(p, (std::vector<LinePlacement>{{0, 0, 12}, {80, 0, 12}, {0, 12, 8}}));
    EXPECT_EQ(layout(kEffectMoveLeft, 1), (CellSize{120, 20}));
    EXPECT_EQ(layout(kEffectMoveRight, 0), (CellSize{120, 20}));
    EXPECT_EQ(p[1].x, 80);
    EXPECT_EQ(layout(kEffectMoveRight, 2), (CellSize{120, 20}));
    EXPECT_EQ(p, (std::vector<LinePlacement>{{30, 0, 12}, {80, 0, 12}, {100, 12, 8}}));
    EXPECT_EQ(layout(kEffectMoveLeftContinue, 0), (CellSize{80, 20}));
    EXPECT_EQ(p, (std::vector<LinePlacement>{{0, 0, 12}, {50, 0, 12}, {0, 12, 8}}));

    // Pages of 25 pixels: lines 10 and 12 share the first, 8 takes the second.
    t.header.spread = 0;
    EXPECT_EQ(layout(kEffectMoveUp, 0, 25), (CellSize{40, 50}));
    EXPECT_EQ(p, (std::vector<LinePlacement>{{0, 0, 10}, {0, 10, 12}, {0, 25, 8}}));
    t.header.spread = 1;
    EXPECT_EQ(layout(kEffectStatic, 0, 25), (CellSize{40, 50}));
    EXPECT_EQ(p, (std::vector<LinePlacement>{{0, 1, 10}, {0, 12, 12}, {0, 33, 8}}));
    // A line taller than the area takes whole pages of its own.
    const Lines tall{{10, 10, 0, 1}, {10, 60, 2, 4}, {10, 8, 5, 6}};
    EXPECT_EQ(LayoutEffectFrames(t, kEffectMoveUp, tall, p, 40, 25), (CellSize{40, 125}));
    EXPECT_EQ(p[1].y, 25);
    EXPECT_EQ(p[2].y, 100 + 8);
    // No width, or no height for pages: nothing laid out.
    EXPECT_EQ(LayoutEffectFrames(t, kEffectMoveUp, lines, p, 40, 0), CellSize{});
    EXPECT_EQ(LayoutEffectFrames(t, kEffectMoveLeft, lines, p, 0, 25), CellSize{});
    EXPECT_EQ(p.size(), 3u);

    EXPECT_EQ(MergeLineExtents(t, lines), (Lines{{80, 12, 0, 4}, {20, 8, 5, 6}}));
}

TEST_F(LayoutTest, EffectContentSizes) {
    // Pictures 30, 30, a newline, 20 in an area 40 wide wrap into three lines.
    TextContent t;
    t.cells[0] = PictureCell(30, 10);
    t.cells[1] = PictureCell(30, 10);
    t.cells[2] = TextCell(u'\n', CellAttr::Make(16, 0, 7));
    t.cells[3] = PictureCell(20, 10);
    // (the line after the newline starts at the newline's height, 16)
    EXPECT_EQ(MeasureEffectContent(rc, kEffectMoveLeft, t, 40), (CellSize{80, 32}));
    EXPECT_EQ(MeasureEffectContent(rc, kEffectMoveLeftContinue, t, 40), (CellSize{60, 32}));
    EXPECT_EQ(MeasureEffectContent(rc, kEffectStatic, t, 40), (CellSize{40, 42}));
    EXPECT_EQ(MeasureTextBlock(rc, t, 40), (CellSize{30, 42}));
    EXPECT_EQ(MeasureEffectContent(rc, kEffectMoveLeft, TextContent{}, 40), CellSize{});

    // 2048 cells 64 pixels wide make one line past 16 bits.
    auto wide = std::make_unique<TextContent>();
    for (auto& c : wide->cells) c = PictureCell(64, 8);
    EXPECT_EQ(MeasureEffectContent(rc, kEffectMoveLeftContinue, *wide, 64), (CellSize{2048 * 64, 8}));
}

TEST_F(LayoutTest, CaretQueries) {
    TextContent t, nl, w;
    PutText(t, u"AB\nZ", kWhite8);
    PutText(nl, u"A\n", kWhite8);
    PutText(w, u"ABCD", kWhite8);
    CellExtents ext, nlExt, wExt;
    const Lines lines = Break(rc, t, 1000, ext), nlLines = Break(rc, nl, 100, nlExt), wrapped = Break(rc, w, 12, wExt);
    std::tuple<const TextContent*, const CellExtents*, const Lines*> on{&t, &ext, &lines};
    uint8_t moveClass = 0;
    CaretQuery q;
    auto ask = [&](CaretQueryKind kind, int caret, int x = 0, int y = 0) {
        q = CaretQuery{};
        q.kind = kind, q.caret = caret, q.x = x, q.y = y, q.moveClass = moveClass;
        q.caretHeight = q.lineHeight = 99;  // kept only for an empty text
        const int edge = CellIndexToPoint(q, *std::get<0>(on), *std::get<1>(on), *std::get<2>(on));
        return std::vector<int>{q.result, q.x, q.y, edge};
    };
    using K = CaretQueryKind;
    EXPECT_EQ(ask(K::Point, 1), (std::vector<int>{1, 6, 0, 0}));
    EXPECT_EQ(ask(K::Point, 2), (std::vector<int>{2, 12, 0, 0}));  // before the newline
    EXPECT_EQ(ask(K::Point, 3), (std::vector<int>{3, 0, 8, 0}));
    EXPECT_EQ(std::vector<int>({q.contentWidth, q.contentHeight, q.caretHeight, q.lineHeight}),
              (std::vector<int>{12, 16, 8, 8}));
    EXPECT_EQ(ask(K::Point, 9), (std::vector<int>{4, 6, 8, 0}));  // clamped to the end
    EXPECT_EQ(ask(K::Left, 0), (std::vector<int>{0, 0, 0, CaretEdge::Start}));
    EXPECT_EQ(ask(K::Right, 4), (std::vector<int>{4, 6, 8, CaretEdge::End}));
    EXPECT_EQ(ask(K::Right, 2), (std::vector<int>{3, 0, 8, 0}));
    EXPECT_EQ(std::make_pair(ask(K::Up, 1)[3], ask(K::Down, 3)[3]), std::make_pair(CaretEdge::Top, CaretEdge::Bottom));
    EXPECT_EQ(ask(K::Down, 1), (std::vector<int>{4, 6, 8, 0}));  // x kept: past the Z
    EXPECT_EQ(ask(K::Up, 4), (std::vector<int>{1, 6, 0, 0}));
    EXPECT_EQ(std::make_pair(ask(K::Home, 4)[0], ask(K::End, 0)[0]), std::make_pair(3, 2));
    // The nearest boundary; below the text, its last line.
    EXPECT_EQ(std::vector<int>({ask(K::HitTest, 0, 8, 3)[0], ask(K::HitTest, 0, 10, 3)[0], ask(K::HitTest, 0, 99, 30)[0]}),
              (std::vector<int>{1, 2, 4}));

    on = {&nl, &nlExt, &nlLines};  // a text ending in a newline has a caret line below it
    EXPECT_EQ(ask(K::Point, 2), (std::vector<int>{2, 0, 8, 0}));
    EXPECT_EQ(q.contentHeight, 16);
    // Wrapped lines: the place after a line's last cell is the next line's start, or the
    // line's end where the caret stands at it (end, a hit past the line, up and down);
    // moving classes 1 and 30 fold them into one line.
    on = {&w, &wExt, &wrapped};
    EXPECT_EQ(ask(K::Point, 2), (std::vector<int>{2, 0, 8, 0}));
    auto askEnd = [&](CaretQueryKind kind, int caret, int x = 0, int y = 0) {
        std::vector<int> answer = ask(kind, caret, x, y);
        answer.push_back(q.lineEnd);
        return answer;
    };
    EXPECT_EQ(askEnd(K::End, 0), (std::vector<int>{2, 12, 0, 0, 1}));
    EXPECT_EQ(askEnd(K::HitTest, 0, 11, 3), (std::vector<int>{2, 12, 0, 0, 1}));
    EXPECT_EQ(askEnd(K::HitTest, 0, 8, 3), (std::vector<int>{1, 6, 0, 0, 0}));
    EXPECT_EQ(askEnd(K::Up, 4), (std::vector<int>{2, 12, 0, 0, 1}));
    auto fromEnd = [&](CaretQueryKind kind) {
        q = CaretQuery{};
        q.kind = kind, q.caret = 2, q.lineEnd = true;
        CellIndexToPoint(q, w, wExt, wrapped);
        return std::vector<int>{q.result, q.x, q.y, q.lineEnd};
    };
    EXPECT_EQ(fromEnd(K::Point), (std::vector<int>{2, 12, 0, 1}));
    EXPECT_EQ(fromEnd(K::Down), (std::vector<int>{4, 12, 8, 0}));
    EXPECT_EQ(fromEnd(K::Home), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(fromEnd(K::Right), (std::vector<int>{3, 6, 8, 0}));
    moveClass = 30;
    EXPECT_EQ(ask(K::Point, 2), (std::vector<int>{2, 12, 0, 0}));
    EXPECT_EQ(q.contentWidth, 24);
    // Lines of another text: the caret stays at 0, heights kept.
    moveClass = 0;
    on = {&t, &ext, &nlLines};
    EXPECT_EQ(ask(K::Right, 3), (std::vector<int>{0, 0, 0, CaretEdge::End}));
    EXPECT_EQ(std::make_pair(q.caretHeight, q.lineHeight), std::make_pair(99, 99));
    const Lines skipping{{12, 8, 1, 3}};  // its first line does not start at cell 0
    on = {&t, &ext, &skipping};
    EXPECT_EQ(std::make_pair(ask(K::Home, 3), ask(K::Right, 2)[3]),
              std::make_pair(std::vector<int>{0, 0, 0, 0}, CaretEdge::End));

    // At a wrapped line's end the caret is as high as the line's last cell.
    TextContent tall;
    tall.cells[0] = PictureCell(6, 4);
    tall.cells[1] = PictureCell(6, 10);
    tall.cells[2] = PictureCell(6, 6);
    tall.cells[3] = PictureCell(6, 2);
    CellExtents tallExt;
    const Lines tallLines = Break(rc, tall, 12, tallExt);
    on = {&tall, &tallExt, &tallLines};
    EXPECT_EQ(ask(K::End, 0), (std::vector<int>{2, 12, 0, 0}));
    EXPECT_EQ(std::make_pair(q.caretHeight, q.lineHeight), std::make_pair(10, 10));
}

TEST(PlainText, SpeechTextAndPunctuation) {
    EXPECT_EQ(ListPunctuationBreaks(u"Hi, you!!"), (std::vector<int>{0, 3, 8}));
    EXPECT_EQ(ListPunctuationBreaks(u",a。b\r\n"), (std::vector<int>{0, 3, 5}));
    EXPECT_EQ(ListPunctuationBreaks(u""), (std::vector<int>{0}));

    TextContent t;
    PutText(t, u"Hi, ", kWhite8);
    t.cells[4] = TextCell(FC_YEAR, kWhite8);
    t.cells[5] = PictureCell(4, 4);
    PutText(t, u"you!!", kWhite8, 6);
    t.cells[11] = TextCell(FC_CARD17, kWhite8);  // a card field without a value: kept
    EXPECT_EQ(PlainTextOf(t), u"Hi, you!!\uE025");
    EXPECT_EQ(ListPunctuationBreaksInCells(t), (std::vector<int>{0, 3, 10}));
}

TEST(PlainText, TextFilesKeepTheirCharacters) {
    auto decode = [](std::string_view bytes) { return DecodeTextFile(bytes).value_or(u"<none>"); };
    using namespace std::string_view_literals;
    EXPECT_EQ(decode("\xFF\xFE" "A\0B\0"sv), u"AB");
    EXPECT_EQ(decode("\xFF\xFE" "A\0B"sv), u"A");  // odd trailing byte dropped
    EXPECT_EQ(decode("\xFE\xFF\0A\0B"sv), u"AB");
    EXPECT_EQ(decode("\xEF\xBB\xBF\xE4\xB8\xAD" "A"sv), u"中A");
    EXPECT_EQ(decode("\xE4\xB8\xAD\xE6\x96\x87"sv), u"中文");  // UTF-8 without a mark
    // Bytes after a NUL do not choose the encoding: the UTF-8 before it stays UTF-8.
    EXPECT_EQ(decode("\xE4\xB8\xAD\xE6\x96\x87\0\xFF\xFE"sv), u"中文");
    SetLegacyCodePage("CP936");
    EXPECT_EQ(decode("\xD6\xD0\xCE\xC4"sv), u"中文");          // GBK
    EXPECT_EQ(decode("ab\0cd"sv), u"ab");
    EXPECT_EQ(decode("A"sv), u"A");
    EXPECT_EQ(decode("\xFF"sv).size(), 1u);  // one byte of no character set: one replacement
    EXPECT_EQ(decode(""sv), u"<none>");

    const std::string path = ::testing::TempDir() + "layout_test_text_" + std::to_string(::getpid()) + ".txt";
    std::ofstream(path, std::ios::binary) << "\xFF\xFE" << std::string("A\0B\0", 4);
    EXPECT_EQ(LoadTextFile(path), u"AB");
    std::filesystem::remove(path);
    EXPECT_EQ(LoadTextFile(path), std::nullopt);
}
