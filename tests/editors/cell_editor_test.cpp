// The cell editing engine without a window: insertion, paste and delete rules, the
// attribute at the caret, animations, key moves, copying, drawing and scrolling.
#include "editors/cell_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "content/model/field_objects.h"
#include "editor_test_util.h"

namespace ledsuite {
namespace {

constexpr uint32_t kGreen24 = CellAttr::Make(24, 0, 2);

TEST_F(EngineTest, TypingTakesTheDefaultAttributeAtTheStartAndTheCurrentOneElsewhere) {
    owner.defaultAttr = kGreen24;
    EXPECT_EQ(engine.InsertChar(u'A', true), 1);
    engine.SetCurrentAttr(kRed16);
    EXPECT_EQ(engine.InsertChar(u'\r', true), 1);  // CR becomes a line feed
    EXPECT_EQ(engine.InsertChar(u'\t', true), 1);
    EXPECT_EQ(owner.Count(IMC_CELL_NOTIFY), 1);
    EXPECT_EQ(std::tuple(Codes(), text->cells[0].attr, text->cells[1].attr, engine.caret()),
              std::tuple(u"A\n\t", kGreen24, kRed16, 3));
}

TEST_F(EngineTest, CodesWithoutTheirObjectAndControlCharactersAreRefused) {
    Fill(u"ab", kRed16, 1);
    const int refused[] = {0xE001, 0xE006, 0xE00F, FC_PICTURE, FC_TABLE, FC_ADC, FC_DIGITS, FC_CLOCK, 1, 27};
    for (int c : refused) EXPECT_EQ(engine.InsertChar(char16_t(c), true), 0) << c;
    EXPECT_EQ(engine.InsertString(u"x\uE003y\uE030\x01z\uE00Aw"), 1);
    EXPECT_EQ(Codes(), u"axyzwb");
    EXPECT_EQ(engine.InsertChar(FC_HOUR, true), 1);  // plain fields need no object
}

TEST_F(EngineTest, AFullTextRefusesTypingButTakesBackspace) {
    text->cells[kMaxCells - 2] = WhitePicture(4, 4);
    FillLetters(kMaxCells - 2);
    engine.SetSelection(5, 5);
    // 2047 cells in use: one more fills slot 2047 and the text has no terminator.
    EXPECT_EQ(engine.InsertChar(u'Z', true), 1);
    EXPECT_EQ(CountCells(*text), kMaxCells);
    // Full: typing is refused and the last cell keeps its object.
    EXPECT_EQ(engine.InsertChar(u'Y', true), 0);
    EXPECT_EQ(std::tuple(CountCells(*text), text->cells[kMaxCells - 1].code, text->cells[kMaxCells - 1].obj != nullptr),
              std::tuple(kMaxCells, FC_PICTURE, true));
    engine.SetSelection(kMaxCells - 1, kMaxCells - 1);  // at caret 2047 or beyond nothing goes in
    EXPECT_EQ(engine.InsertChar(u'Y', true), 0);
    engine.SetSelection(kMaxCells, kMaxCells);  // backspace behind the last cell removes it
    EXPECT_EQ(engine.InsertChar(8, true), 1);
    EXPECT_EQ(std::tuple(CountCells(*text), engine.caret()), std::tuple(kMaxCells - 1, kMaxCells - 1));
}

TEST_F(EngineTest, PasteFoldsCarriageReturnsAndKeepsThePastedTextWhenItOverflows) {
    EXPECT_EQ(engine.InsertString(u"A\r\r\nB"), 1);
    EXPECT_EQ(std::tuple(Codes(), engine.caret()), std::tuple(u"A\nB", 3));

    // 2043 cells, ten pasted at 10: all ten go in, the old cells from 10 follow as far
    // as they fit (up to slot 2047), the last five are dropped.
    FillLetters(kMaxCells - 5);
    const std::u16string before = Codes();
    engine.SetSelection(10, 10);
    EXPECT_EQ(engine.InsertString(u"0123456789"), 1);
    EXPECT_EQ(std::tuple(CountCells(*text), engine.caret()), std::tuple(kMaxCells, 20));
    EXPECT_EQ(Codes(), before.substr(0, 10) + u"0123456789" + before.substr(10, kMaxCells - 20));

    // A full text whose last cell is a picture: the paste pushes the picture out.
    text->cells[kMaxCells - 1] = WhitePicture(4, 4);
    engine.SetSelection(5, 5);
    EXPECT_EQ(engine.InsertString(u"QQ"), 1);
    EXPECT_EQ(std::tuple(CountCells(*text), Codes().substr(4, 4), text->cells[kMaxCells - 1].code),
              std::tuple(kMaxCells, u"eQQf", before[kMaxCells - 13]));
    // At slot 2047 one character still goes in; behind a full text nothing.
    engine.SetSelection(kMaxCells - 1, kMaxCells - 1);
    EXPECT_EQ(engine.InsertString(u"XY"), 1);
    EXPECT_EQ(std::tuple(text->cells[kMaxCells - 1].code, engine.caret()), std::tuple(u'X', kMaxCells));
    EXPECT_EQ(engine.InsertString(u"Z"), 0);
    // The text's own room: a paste into a shorter limit stops there too.
    text = std::make_unique<TextContent>();
    Fill(u"abcdef", kRed16, 2);
    engine.SetCellLimit(8);
    EXPECT_EQ(engine.InsertString(u"123456"), 1);
    EXPECT_EQ(std::tuple(Codes(), engine.caret()), std::tuple(u"ab123456", 8));
}

TEST_F(EngineTest, DeleteRemovesTheSelectionOnlyAndBackspaceOneMore) {
    Fill(u"abcdef", kRed16);
    text->cells[2] = WhitePicture(8, 8);
    engine.SetSelection(2, 4);
    EXPECT_EQ(engine.OnKey(kKeyDelete), 1);
    EXPECT_EQ(std::tuple(Codes(), engine.caret()), std::tuple(u"abef", 2));
    EXPECT_EQ(engine.OnKey(kKeyDelete), 1);  // no selection: the cell at the caret
    EXPECT_EQ(std::tuple(Codes(), engine.caret()), std::tuple(u"abf", 2));
    engine.SetSelection(1, 3);
    EXPECT_EQ(engine.InsertChar(8, true), 1);
    EXPECT_EQ(Codes(), u"");
    EXPECT_EQ(engine.DeleteBack() + engine.OnKey('Q'), 0);
}

TEST_F(EngineTest, CurrentAttributeComesFromTheCellBeforeTheCaretWithObjectSizes) {
    using Sent = std::vector<std::pair<int, intptr_t>>;
    text->cells[2] = WhitePicture(30, 30, 24);
    text->cells[3] = TextCell(FC_TABLE, 0);
    text->cells[3].obj = std::make_unique<GridObject>();
    Fill(u"ab", kRed16, 4);
    engine.RefreshCurrentAttr();
    EXPECT_EQ(std::tuple(engine.currentAttr(), owner.sent.back()),
              std::tuple(CellAttr::Make(24, 0, 1), std::make_pair(IMC_CELL_VALUE, intptr_t(CellAttr::Make(24, 0, 1)))));
    // Nothing but objects before the caret: the owner's default with the object's size.
    owner.sent.clear();
    engine.SetSelection(0, 0);
    text->cells[0] = WhitePicture(20, 20, 32);
    engine.SetSelection(1, 1);
    engine.RefreshCurrentAttr();
    EXPECT_EQ(std::tuple(owner.Count(IMC_CELL_NOTIFY), engine.currentAttr()),
              std::tuple(1, (owner.defaultAttr & ~CellAttr::SizeMask) | 32u << 24));
    owner.sent.clear();  // caret 0: the default alone, no report
    engine.SetSelection(0, 0);
    engine.RefreshCurrentAttr();
    EXPECT_EQ(owner.sent, (Sent{{IMC_CELL_NOTIFY, 0}}));
}

TEST_F(EngineTest, AttributeMaskChangesTheSelectionAndKeepsIt) {
    Fill(u"abcd", kRed16, 1, 3);
    engine.ApplyAttrMask(CellAttr::Make(4, 0, 2), AttrMask::Color | AttrMask::Size);  // size below 8: not taken
    const uint32_t green16 = CellAttr::Make(16, 0, 2);
    EXPECT_EQ(std::tuple(text->cells[0].attr, text->cells[1].attr, text->cells[2].attr, text->cells[3].attr),
              std::tuple(kRed16, green16, green16, kRed16));
    EXPECT_EQ(std::tuple(engine.anchor(), engine.caret()), std::tuple(1, 3));
    engine.ApplyAttrMask(CellAttr::Make(20, 3, 0, CellAttr::Bold), AttrMask::Bold | AttrMask::Font | AttrMask::Size);
    EXPECT_EQ(text->cells[1].attr, CellAttr::Make(20, 3, 2, CellAttr::Bold));
}

TEST_F(EngineTest, KeyMovesCollapseTheSelectionAndStopAtTheEdges) {
    Fill(u"abc\ndef", kRed16, 1, 3);
    // key -> caret after it
    const std::pair<int, int> moves[] = {{kKeyRight, 4}, {kKeyEnd, 7}, {kKeyUp, 3}, {kKeyHome, 0}, {kKeyLeft, 0},
                                         {kKeyDown, 4}};
    for (auto [key, caret] : moves) {
        engine.OnKey(key);
        EXPECT_EQ(std::tuple(engine.caret(), engine.anchor()), std::tuple(caret, caret)) << key;
    }
    const CaretPlace c = engine.caretPlace();
    EXPECT_EQ(c.y + c.height, 32);  // on the bottom of the second 16-pixel line
}

TEST_F(EngineTest, CopyLeavesFieldsOutAndSelectionQueries) {
    Fill(u"a\uE013b", kRed16);
    std::u16string got;
    auto put = [&](const std::u16string& s) { got = s; };
    engine.SetSelection(0, 3);
    EXPECT_EQ(engine.CopyToClipboard(put), 1);
    EXPECT_EQ(got, u"ab");
    got.clear();
    engine.SetSelection(1, 2);
    EXPECT_EQ(engine.CopyToClipboard(put), 0);
    EXPECT_EQ(std::tuple(got, engine.GetSelectedCell().code, engine.SelectionIsPlainText()),
              std::tuple(u"", FC_HOUR, false));
    engine.SetSelection(0, 2);
    EXPECT_EQ(engine.GetSelectedCell().code, 0);
    Fill(u"12a\t", kRed16);
    // anchor, caret -> digits only, plain text (a tab is not)
    const std::tuple<int, int, bool, bool> cases[] = {{0, 2, true, true}, {0, 3, false, true}, {2, 4, false, false},
                                                      {2, 2, false, false}};
    for (auto [anchor, caret, digits, plain] : cases) {
        engine.SetSelection(anchor, caret);
        EXPECT_EQ(std::tuple(engine.SelectionIsDigits(), engine.SelectionIsPlainText()), std::tuple(digits, plain))
            << anchor << "-" << caret;
    }
}

TEST_F(EngineTest, ObjectInsertionsTakeThePlaceholderAttribute) {
    Fill(u"ab", kRed16, 2);
    engine.SetCurrentAttr(kGreen24);
    EXPECT_EQ(engine.InsertValueField(FC_COUNTER, std::make_unique<CounterField>()), 1);
    EXPECT_EQ(engine.InsertClock(), 1);
    EXPECT_EQ(std::tuple(CellObjectAs<CounterField>(text->cells[2])->attr,
                         CellObjectAs<ClockObject>(text->cells[3])->size), std::tuple(kGreen24, 24));
    EXPECT_EQ(engine.InsertValueField(FC_PICTURE, std::make_unique<CounterField>()) +
                  engine.InsertPicture("/nonexistent.png"), 0);
    EXPECT_EQ(engine.InsertBitmap(*CreateImage(10, 40)), 1);
    EXPECT_EQ(std::tuple(CellFontSize(text->cells[4]), Codes()), std::tuple(24, u"ab\uE02B\uE030\uE003"));  // fitted
    // At caret 2047 the placeholder is refused and the object goes with it.
    FillLetters(kMaxCells - 1);
    engine.SetSelection(kMaxCells - 1, kMaxCells - 1);
    EXPECT_EQ(engine.InsertClock(), 0);
    EXPECT_EQ(text->cells[kMaxCells - 2].code, char16_t(u'a' + (kMaxCells - 2) % 26));
}

TEST_F(EngineTest, AnimationsOfTheWholeRunOrEachCharacterWithItsFramesAPhaseApart) {
    Fill(u"AB\n", kRed16, 0, 3);
    EXPECT_EQ(engine.ToAnimate(kAnimTwinkle), 0);  // a line feed in the selection
    engine.SetSelection(0, 2);
    engine.SetCurrentAttr(kRed16);
    EXPECT_EQ(engine.ToAnimate(kAnimTwinkle), 1);
    EXPECT_EQ(Codes(), u"\uE003\n");
    const auto* p = CellObjectAs<PictureObject>(text->cells[0]);
    ASSERT_TRUE(p && p->frames.size() == 2u);
    EXPECT_EQ(p->frames[0]->displayHeight, 16);
    auto lit = [](uint32_t px) { return px != 0; };
    EXPECT_EQ(std::tuple(CountPixels(*p->frames[0], lit) > 10, CountPixels(*p->frames[1], lit)), std::tuple(true, 0));
    for (const auto& f : p->frames.frames) EXPECT_EQ(std::tuple(f->redThreshold, f->blueThreshold), std::tuple(2, 2));
    Fill(u"CD", kRed16, 0, 2);
    EXPECT_EQ(engine.ToAnimate(kAnimFrame), 1);
    const auto* framed = CellObjectAs<PictureObject>(text->cells[0]);
    ASSERT_TRUE(framed && framed->frames.size() == 1u);
    EXPECT_EQ(framed->frames[0]->row32(0)[0], 0xFFFFFFu);  // the outline's corner
    Fill(u"abc", kRed16, 0, 3);
    EXPECT_EQ(engine.ToAnimate(kAnimBubbleUp), 1);
    const int pauses[3][2] = {{15, 45}, {30, 30}, {45, 15}};
    for (int k = 0; k < 3; ++k) {
        const auto* bubble = CellObjectAs<PictureObject>(text->cells[size_t(k)]);
        ASSERT_TRUE(bubble && bubble->frames.size() == 2u);
        const RawImage &first = *bubble->frames[0], &second = *bubble->frames[1];
        EXPECT_EQ(std::tuple(first.pause, second.pause, first.placeX, int16_t(second.placeX)),
                  std::tuple(pauses[k][0], pauses[k][1], 0, -(first.height / 4)));
    }
    Fill(u"xyz", kRed16, 0, 3);
    EXPECT_EQ(engine.ToAnimate(kAnimWave), 1);
    for (int k = 1; k <= 3; ++k) {
        const auto* wave = CellObjectAs<PictureObject>(text->cells[size_t(k - 1)]);
        ASSERT_TRUE(wave && wave->frames.size() == 4u);
        const int q = wave->frames[0]->height / 4;
        ASSERT_GT(q, 0);
        for (int f = 0; f < 4; ++f) {
            const RawImage& frame = *wave->frames[size_t(f)];
            const int want = f == k % 4 ? q : f == (k + 2) % 4 ? -q : 0;
            EXPECT_EQ(std::tuple(int16_t(frame.placeY), frame.placeX, frame.pause), std::tuple(want, 0, 30)) << k << f;
        }
    }
}

TEST_F(EngineTest, DrawingShowsTextFramesFieldsAndInvertsTheSelection) {
    Fill(u"Hi\uE013", CellAttr::Make(16, 0, 7));
    engine.Redraw();
    const Surface& back = engine.backBuffer();
    auto white = [](uint32_t px) { return px == 0xFFFFFF; };
    const int lit = CountPixels(back.image(), white);
    const int frames = CountPixels(back.image(), [](uint32_t px) { return px == kFieldFrameColor; });
    EXPECT_EQ(std::tuple(lit > 20, frames > 10, back.Pixel(199, 99)), std::tuple(true, true, 0u));
    engine.Attach(text.get(), 30, 0, 0, 160, 64);  // moving display draws the same cells on one row
    EXPECT_EQ(CountPixels(back.image(), white), lit);
    engine.SetSelection(0, 1);
    engine.Paint();
    // black under the selection turns 0xFFC8C8
    EXPECT_EQ(std::tuple(engine.frame().Pixel(0, 15), engine.frame().Pixel(150, 15)), std::tuple(kSelectionColor, 0u));
}

TEST_F(EngineTest, ScrollingFollowsTheCaretThroughALongTextAndItsEnd) {
    engine.Resize(100, 40);
    FillLetters(400, 0, 96);
    EXPECT_EQ(std::tuple(engine.scrollBar(false).enabled, engine.scrollBar(true).enabled), std::tuple(true, false));
    for (int i = 0; i < 31; ++i) engine.OnKey(kKeyDown);
    EXPECT_LT(engine.scrollY(), 0);
    const CaretPlace c = engine.caretPlace();
    EXPECT_TRUE(c.y >= 0 && c.y + c.height <= 40) << c.y;
    EXPECT_EQ(engine.scrollBar(false).pos, -engine.scrollY());
    engine.ScrollTo(false, 0);
    EXPECT_EQ(engine.scrollY(), 0);
    // Movement class 1 does not wrap: one long line, a horizontal bar.
    engine.Attach(text.get(), 1, 0, 0, 96, 64);
    EXPECT_TRUE(engine.scrollBar(true).enabled);
    engine.OnKey(kKeyEnd);
    EXPECT_EQ(std::tuple(engine.caret(), engine.caretPlace().x <= 100), std::tuple(400, true));
    // Shortening the wide text at its end leaves no empty band on the right.
    ASSERT_LT(engine.scrollX(), -1000);
    for (int i = 0; i < 20; ++i) engine.InsertChar(8, true);
    EXPECT_TRUE(engine.contentWidth() > 100 && engine.scrollX() + engine.contentWidth() >= 100) << engine.scrollX();
    EXPECT_TRUE(engine.caretPlace().x >= 0 && engine.caretPlace().x <= 100) << engine.caretPlace().x;
}

TEST_F(EngineTest, EndAndAClickPastAWrappedLineGoAfterItsLastCell) {
    FillLetters(30, 0, 100);
    ASSERT_GE(engine.lines().size(), 3u);
    const LineExtent first = engine.lines()[0], second = engine.lines()[1];
    auto at = [&] { return std::tuple(engine.caret(), engine.caretPlace().x, engine.caretPlace().y); };
    engine.OnKey(kKeyEnd);
    EXPECT_EQ(at(), std::tuple(first.last + 1, int(first.width), 0));
    // Up and down keep that place; home and left leave it.
    engine.OnKey(kKeyDown);
    EXPECT_EQ(engine.caret(), second.last + 1);
    engine.OnKey(kKeyUp);
    EXPECT_EQ(at(), std::tuple(first.last + 1, int(first.width), 0));
    engine.OnKey(kKeyLeft);
    EXPECT_EQ(engine.caret(), first.last);
    engine.OnKey(kKeyEnd);
    engine.OnKey(kKeyHome);
    EXPECT_EQ(at(), std::tuple(0, 0, 0));
    // A click right of the line's end, then a typed character: it follows the line's last letter.
    engine.MouseDown(int(first.width) + 30, 5);
    EXPECT_EQ(at(), std::tuple(first.last + 1, int(first.width), 0));
    EXPECT_EQ(engine.InsertChar(u'Z', true), 1);
    auto letter = [](int i) { return char16_t(u'a' + i % 26); };
    EXPECT_EQ(Codes().substr(size_t(first.last), 3),
              (std::u16string{letter(first.last), u'Z', letter(first.last + 1)}));
    // Right from a line's end goes on into the next line.
    engine.SetSelection(second.first, second.first);
    engine.OnKey(kKeyRight);
    EXPECT_EQ(engine.caret(), second.first + 1);
}

TEST_F(EngineTest, TheCaretStaysBehindWhatIsTypedOrPastedAtTheEndOfAWrappedLine) {
    Fill(u"中i", kRed16);
    const int m = engine.extents()[0].width, i = engine.extents()[1].width;
    ASSERT_GT(m, i);
    // Three wide characters fill a line with room for one i but not for a fourth of them.
    for (const bool paste : {false, true}) {
        text = std::make_unique<TextContent>();
        for (int k = 0; k < 6; ++k) text->cells[size_t(k)] = TextCell(u'中', kRed16);
        engine.Attach(text.get(), 0, 0, 0, 3 * m + i, 64);
        engine.OnKey(kKeyEnd);
        ASSERT_EQ(engine.caret(), 3);
        EXPECT_EQ(paste ? engine.InsertString(u"i") : engine.InsertChar(u'i', true), 1);
        EXPECT_EQ(std::tuple(Codes(), engine.lines()[0].last, engine.caret(), engine.caretPlace().x,
                             engine.caretPlace().y), std::tuple(u"中中中i中中中", 3, 4, 3 * m + i, 0)) << paste;
    }
}

TEST_F(EngineTest, MouseSelectsFromThePressToTheMove) {
    Fill(u"abcdefgh", kRed16);
    engine.MouseDown(1, 5);
    EXPECT_EQ(std::tuple(engine.caret(), engine.mouseSelecting()), std::tuple(0, true));
    engine.MouseMove(kMouseLeftButton, 500, 5);  // outside the client area: ignored
    EXPECT_EQ(engine.caret(), 0);
    engine.MouseMove(kMouseLeftButton, 150, 5);
    EXPECT_EQ(std::tuple(engine.anchor(), engine.caret()), std::tuple(0, 8));
    EXPECT_TRUE(engine.MouseUp());
    engine.MouseMove(kMouseLeftButton, 1, 5);
    EXPECT_EQ(engine.caret(), 8);
    engine.MouseDown(100, 5);
    engine.MouseMove(kMouseLeftButton, 0, 5);  // the left edge of the client area is inside it
    EXPECT_EQ(std::tuple(engine.caret(), engine.anchor()), std::tuple(0, 8));
}

TEST_F(EngineTest, StaleCellsBehindTheTerminatorNeverJoinTheText) {
    Fill(u"ab", kRed16, 2);
    text->cells[3] = TextCell(u'Z', kRed16);  // left behind the terminator by an old edit
    EXPECT_EQ(engine.InsertChar(u'c', true), 1);
    text->cells[5] = TextCell(u'Y', kRed16);
    EXPECT_EQ(engine.InsertString(u"de"), 1);
    EXPECT_EQ(Codes(), u"abcde");
    EXPECT_EQ(std::tuple(engine.DeleteCell(0), engine.DeleteCell(kMaxCells + 1)), std::tuple(0, 0));
    EXPECT_EQ(engine.DeleteCell(1), 1);
    EXPECT_EQ(Codes(), u"bcde");
}

TEST_F(EngineTest, PaintingAndCaretDetails) {
    Fill(u"a", CellAttr::Make(16, 0, 7));
    EXPECT_TRUE(engine.TakeCaretRecreated());  // the first layout gives the caret its height
    engine.Redraw();
    EXPECT_EQ(engine.frame().image().pixels, engine.backBuffer().image().pixels);  // nothing selected: as it is
    engine.SetSelection(0, 1);
    engine.Paint();
    const int w = engine.extents()[0].width;
    const Surface& f = engine.frame();
    EXPECT_EQ(std::tuple(f.Pixel(0, 0), f.Pixel(w - 1, 0), f.Pixel(w, 0), f.Pixel(0, 16)),
              std::tuple(kSelectionColor, kSelectionColor, 0u, 0u));
    engine.TakeCaretRecreated();
    engine.UpdateCaret();
    const bool recreatedBySameHeight = engine.TakeCaretRecreated();
    engine.UpdateCaret(true);
    EXPECT_EQ(std::tuple(recreatedBySameHeight, engine.TakeCaretRecreated()), std::tuple(false, true));
}

TEST(EditorFieldCells, FramedCodesAndRefusedCodes) {
    // Field cells: pictures, tables, clocks, U+E010-U+E018, U+E020-U+E024, U+E028-U+E02C.
    const char16_t fields[] = {0xE003, 0xE005, 0xE030, 0xE010, 0xE018, 0xE020, 0xE024, 0xE028, 0xE02C};
    const char16_t plain[] = {0xE00F, 0xE019, 0xE01F, 0xE025, 0xE027, 0xE02D, 0xE02F, 0xE031, u'a', 0xE006};
    for (char16_t c : fields) EXPECT_TRUE(IsEditorFieldCell(c)) << int(c);
    for (char16_t c : plain) EXPECT_FALSE(IsEditorFieldCell(c)) << int(c);
    const char16_t refused[] = {0xE001, 0xE00F, 0xE003, 0xE005, 0xE029, 0xE02C, 0xE030, 0, 7, 11, 31};
    const char16_t taken[] = {0xE000, 0xE010, 0xE028, 0xE02D, 0xE031, 8, 9, 10, 13, 32};
    for (char16_t c : refused) EXPECT_TRUE(IsRefusedInsertCode(c)) << int(c);
    for (char16_t c : taken) EXPECT_FALSE(IsRefusedInsertCode(c)) << int(c);
}

TEST_F(EngineTest, NothingAttachedDoesNothing) {
    CellEditor idle(rc, nullptr);
    EXPECT_EQ(idle.Attach(nullptr, 0, 0, 0, 10, 10), 0);
    EXPECT_EQ(idle.InsertChar(u'a', true) + idle.InsertString(u"abc") + idle.InsertClock() + idle.DeleteSelection() +
                  idle.OnKey(kKeyDelete) + idle.ToAnimate(0), 0);
    idle.MouseDown(1, 1);
    EXPECT_FALSE(idle.mouseSelecting());
    text->cells[0] = WhitePicture(2, 2);
    text->cells[1] = TextCell(u'x', 0);
    FreeCellObjects(*text);
    EXPECT_EQ(std::tuple(text->cells[0].obj == nullptr, CountCells(*text)), std::tuple(true, 0));
}

// The view side on pictures of known sizes: exact frames while scrolled, the selection's
// rectangles, mouse edges, fonts changing along a line and Thai clusters.

// Rows of a frame: '#' white, '.' black, 'c' a field frame; 's', 'x' and 'z' the
// selection over black, white and a frame.
std::vector<std::string> Rows(const Surface& s) {
    const std::pair<uint32_t, char> kinds[] = {{0xFFFFFF, '#'}, {0, '.'}, {kFieldFrameColor, 'c'},
        {kSelectionColor, 's'}, {0xFFFFFF ^ kSelectionColor, 'x'}, {kFieldFrameColor ^ kSelectionColor, 'z'}};
    std::vector<std::string> rows;
    for (int y = 0; y < s.height(); ++y) {
        std::string row(size_t(s.width()), '?');
        for (int x = 0; x < s.width(); ++x)
            for (const auto& [pixel, c] : kinds)
                if (s.Pixel(x, y) == pixel) row[size_t(x)] = c;
        rows.push_back(row);
    }
    return rows;
}

TEST_F(EngineTest, SelectionRectanglesAndCellsScrolledOutFollowTheScroll) {
    // Lines of 8 pixels: [3, 2], [4, 3], [2, 5], each 2 high, pictures framed as objects.
    engine.Resize(12, 6);
    SixPictures(0);
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"cccccc......", "c##c#c......", "ccc#cccc....",
                                                              "c###c##c....", "ccccc##c....", "c#c####c...."}));
    // Cells 1 to 3: from cell 1 to the area's right end, then the second line up to its end.
    engine.SetSelection(1, 4);
    engine.Paint();
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"ccczzzss....", "c##zxzss....", "zzzxzzzc....",
                                                              "zxxxzxxc....", "ccccc##c....", "c#c####c...."}));
    // A selection that starts a line leaves the line before it; scrolled by one row.
    engine.SetSelection(2, 4);
    engine.ScrollTo(false, 1);
    engine.Paint();
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"c##c#c......", "zzzxzzzc....", "zxxxzxxc....",
                                                              "ccccc##c....", "c#c####c....", "ccc..ccc...."}));
    // Moving display, scrolled sideways: cells scrolled out on the left leave the rest drawn.
    engine.Resize(12, 2);
    SixPictures(1);  // moving display: one line
    engine.ScrollTo(true, 4);
    EXPECT_EQ(Rows(engine.frame()), (std::vector<std::string>{"cccc#ccccccc", "#c###c##c#c#"}));
}

TEST_F(EngineTest, MouseAndKeysWhileScrolled) {
    engine.Resize(12, 4);
    SixPictures(0);
    engine.SetSelection(6, 6);
    engine.OnKey(kKeyEnd);
    EXPECT_EQ(engine.scrollY(), -2);  // the last line shown at the bottom
    engine.OnKey(kKeyUp);
    EXPECT_EQ(std::tuple(engine.scrollY(), engine.caretPlace().y), std::tuple(-2, 0));  // still in view: no scroll

    EXPECT_EQ(engine.OnKey(kKeyUp), 0);  // a move changes no text
    // the first line: scrolled back to the top
    EXPECT_EQ(std::tuple(engine.scrollY(), engine.caretPlace().y, engine.scrollBar(false).pos,
                         engine.scrollBar(false).range), std::tuple(0, 0, 0, 2));
    engine.ScrollTo(false, 2);

    engine.MouseDown(0, 3);  // content row 5: the start of the third line
    EXPECT_EQ(engine.caret(), 4);
    // x, y of a move -> the caret: the client's right and bottom edges are outside, the top row is
    // inside (content row 2, the second line)
    for (auto [x, y, caret] : {std::tuple{12, 0, 4}, {0, 0, 2}, {0, 4, 2}}) {
        engine.MouseMove(kMouseLeftButton, x, y);
        EXPECT_EQ(std::tuple(engine.caret(), engine.anchor()), std::tuple(caret, 4)) << x << "," << y;
    }
    engine.MouseUp();

    // Reshaping the selected cells keeps a selection that starts at the first cell.
    engine.SetSelection(0, 3);
    engine.ApplyAttrMask(CellAttr::Make(16, 0, 2), 0xFF);
    EXPECT_EQ(std::pair(engine.anchor(), engine.caret()), std::pair(0, 3));

    // Scrolled sideways, a press counts from the scrolled content.
    SixPictures(1);
    engine.ScrollTo(true, 3);
    engine.MouseDown(0, 0);  // content x 3: the start of the second picture
    EXPECT_EQ(engine.caret(), 1);
}

TEST_F(EngineTest, EachCellIsDrawnInItsOwnFontAndThaiClustersKeepWhatFollows) {
    auto lit = [&](std::initializer_list<std::pair<char16_t, uint32_t>> cells, int moveClass) {
        text = std::make_unique<TextContent>();
        int i = 0;
        for (const auto& [code, attr] : cells) text->cells[size_t(i++)] = TextCell(code, attr);
        engine.Attach(text.get(), moveClass, 0, 0, 160, 64);
        return CountPixels(engine.frame().image(), [](uint32_t px) { return px != 0; });
    };
    const uint32_t small = CellAttr::Make(16, 0, 7), large = CellAttr::Make(24, 0, 7);
    const int a16 = lit({{u'A', small}}, 0), a24 = lit({{u'A', large}}, 0);
    ASSERT_NE(a16, a24);
    EXPECT_EQ(std::tuple(lit({{u'A', small}, {u'A', large}}, 0), lit({{u'A', large}, {u'A', small}}, 0)),
              std::tuple(a16 + a24, a16 + a24));
    // A Thai consonant drawn with its vowel mark, then a picture: the picture is drawn.
    text = std::make_unique<TextContent>();
    text->cells[0] = TextCell(0x0E01, kRed16);
    text->cells[1] = TextCell(0x0E34, kRed16);
    text->cells[2] = WhitePicture(4, 4);
    engine.Attach(text.get(), 1, 0, 0, 160, 64);
    EXPECT_GT(CountPixels(engine.frame().image(), [](uint32_t px) { return px == 0xFFFFFF; }), 0);
}

TEST_F(EngineTest, ASelectionReachingTheEndIsReplacedWhicheverWayItWasMade) {
    for (auto [from, to] : {std::pair(0, kMaxCells), std::pair(kMaxCells, 0), std::pair(2040, kMaxCells),
                            std::pair(kMaxCells - 1, 2040)}) {
        FillLetters(kMaxCells);
        engine.SetSelection(from, to);
        EXPECT_EQ(engine.InsertChar(u'Z', true), 1) << from << " " << to;
        const int lo = std::min(from, to);
        EXPECT_EQ(std::tuple(CountCells(*text), text->cells[size_t(lo)].code, engine.caret()),
                  std::tuple(lo + 1 + kMaxCells - std::max(from, to), u'Z', lo + 1));
    }
    FillLetters(kMaxCells);
    engine.SetSelection(kMaxCells, kMaxCells - 1);  // one cell from 2047 on: nothing would fit, nothing goes
    EXPECT_EQ(std::tuple(engine.InsertChar(u'Z', true), CountCells(*text)), std::tuple(0, kMaxCells));
}

TEST_F(EngineTest, ToAnimateOverTheWholeFullTextTakesItsLastCharacter) {
    const uint32_t small = CellAttr::Make(8, 0, 1);
    for (int i = 0; i < kMaxCells; ++i) text->cells[size_t(i)] = TextCell(u'a', small);
    engine.Attach(text.get(), 0, 0, 0, 160, 64);
    engine.SelectAll();
    ASSERT_EQ(engine.ToAnimate(0), 1);
    const auto* picture = CellObjectAs<PictureObject>(text->cells[0]);
    ASSERT_TRUE(picture && CountCells(*text) == 1);
    EXPECT_EQ(picture->frames[0]->width, kMaxCells * 6);  // six pixels per 8-pixel character
}

TEST_F(EngineTest, AWholeTextInsertedAsTypedEndsLikeTypingItCharacterByCharacter) {
    // Typing at 2047, a full text, CR, Backspace into the run and into the text, refused codes, a selection.
    const std::u16string longText = std::u16string(3000, u'q') + u"\b\bxy";
    const struct { int fill, from, to, limit; std::u16string typed; } cases[] = {
        {10, 3, 3, kMaxCells, u"A\r\nB\uE003C\bD"},
        {10, 2, 6, kMaxCells, u"\b\bE\uE001F"},
        {kMaxCells - 3, 5, 5, kMaxCells, longText},
        {kMaxCells - 3, kMaxCells - 3, kMaxCells - 3, kMaxCells, longText},
        {kMaxCells, 0, kMaxCells, kMaxCells, longText},
        {4, 4, 4, 9, u"0123456789"},
        {6, 0, 0, 4, u"zz"},
        {10, 3, 3, kMaxCells, u"x"},
    };
    for (const auto& c : cases) {
        auto typed = [&](bool oneByOne) {
            text = std::make_unique<TextContent>();
            FillLetters(c.fill);
            engine.SetCellLimit(c.limit);
            engine.SetSelection(c.from, c.to);
            int changed = 0;
            if (oneByOne)
                for (char16_t ch : c.typed) changed |= engine.InsertChar(ch, false);
            else
                changed = engine.InsertTyped(c.typed);
            return std::tuple(changed, Codes(), engine.caret());
        };
        EXPECT_EQ(typed(false), typed(true)) << c.fill << " " << c.from << " " << c.to;
    }
    engine.SetCellLimit(kMaxCells);
}

TEST_F(EngineTest, ACellLimitStopsTypingPastingAndInsertingAtTheRoomLeft) {
    FillLetters(3);
    engine.SetCellLimit(5);
    engine.SetSelection(3, 3);
    EXPECT_EQ(engine.InsertString(u"wxyz"), 1);
    EXPECT_EQ(std::tuple(engine.InsertChar(u'Q', true), engine.InsertClock(), Codes()),
              std::tuple(0, 0, u"abcwx"));
    engine.SetCellLimit(9999);
    EXPECT_EQ(engine.CellLimit(), kMaxCells);
}

TEST_F(EngineTest, BindingSetsAreaAndDestroyStartTheViewAfresh) {
    FillLetters(1500);  // taller than the client: the view could stay scrolled
    engine.ScrollTo(false, 20);
    EXPECT_EQ(engine.Attach(text.get(), 0, 0, 0, 160, 64), 1);
    EXPECT_EQ(std::tuple(engine.scrollX(), engine.scrollY()), std::tuple(0, 0));
    const size_t wide = engine.lines().size();
    engine.SetArea(0, 0, 0, 40, 64);  // only the width changes: the text wraps again
    EXPECT_GT(engine.lines().size(), wide);
    engine.Destroy();
    EXPECT_EQ(std::tuple(engine.frame().width(), engine.frame().height(), engine.backBuffer().width(),
                         engine.lines().empty()), std::tuple(0, 0, 0, true));
    // Without a text: nothing is plain text, nothing is copied.
    bool put = false;
    EXPECT_EQ(engine.CopyToClipboard([&](const std::u16string&) { put = true; }), 0);
    EXPECT_EQ(std::tuple(engine.SelectionIsPlainText(), put), std::tuple(false, false));
}

TEST_F(EngineTest, ValueFieldsKeepTheAttributeAndObjectlessOrRefusedInsertionsChangeNothing) {
    FillLetters(3);
    engine.SetSelection(3, 3);
    engine.SetCurrentAttr(kGreen24);
    for (char16_t code : {FC_ADC, FC_TIMER, FC_COUNTER}) {
        std::unique_ptr<CellObject> field;
        if (code == FC_ADC) field = std::make_unique<AdcField>();
        else if (code == FC_TIMER) field = std::make_unique<TimerField>();
        else field = std::make_unique<CounterField>();
        ASSERT_EQ(engine.InsertValueField(code, std::move(field)), 1) << int(code);
        EXPECT_EQ(*CellAttrPtr(text->cells[size_t(engine.caret() - 1)]), kGreen24) << int(code);
    }
    EXPECT_EQ(engine.InsertTable(nullptr) + engine.InsertValueField(FC_COUNTER, nullptr), 0);
    EXPECT_EQ(Codes(), u"abc\uE029\uE02A\uE02B");
    // A full text and a selection past its end: nothing is inserted, nothing is taken.
    text = std::make_unique<TextContent>();
    FillLetters(5);
    engine.SetCellLimit(5);
    engine.SetSelection(7, 5);
    EXPECT_EQ(engine.InsertClock(), 0);
    engine.SetCellLimit(kMaxCells);
    EXPECT_EQ(engine.DeleteCell(10), 0);
    EXPECT_EQ(Codes(), u"abcde");
}

TEST_F(EngineTest, ABackspaceThatEmptiesTheTextAsksTheOwnerForTheDefaultAttributeOnce) {
    FillLetters(4);
    engine.SelectAll();
    const int before = owner.Count(IMC_CELL_NOTIFY);
    EXPECT_EQ(engine.InsertChar(8, false), 1);
    EXPECT_EQ(std::tuple(Codes(), owner.Count(IMC_CELL_NOTIFY) - before), std::tuple(std::u16string(), 1));
    FillLetters(4);
    engine.SetSelection(1, 1);
    const int again = owner.Count(IMC_CELL_NOTIFY);
    engine.InsertChar(8, false);  // from caret 1 to 0: nothing asked before the cell goes
    EXPECT_EQ(std::tuple(Codes(), owner.Count(IMC_CELL_NOTIFY) - again), std::tuple(std::u16string(u"bcd"), 0));
}

TEST_F(EngineTest, AHorizontallyScrolledViewKeepsTheCaretTheMouseAndTheSelectionInPlace) {
    FillLetters(100, 1);  // one line of 100 cells, wider than the client
    const int w = engine.extents()[0].width;
    engine.ScrollTo(true, 10 * w);  // the view starts at cell 10
    EXPECT_EQ(engine.caretPlace().x, -10 * w);
    engine.MouseDown(1, 5);  // at the start of cell 10
    engine.MouseMove(kMouseLeftButton, 2 * w + 1, 5);
    EXPECT_EQ(std::tuple(engine.anchor(), engine.caret()), std::tuple(10, 12));
    engine.MouseUp();
    // The selection is inverted where its cells are shown, and nowhere past them.
    auto inverted = [&](int x) { return engine.frame().row(5)[x] != engine.backBuffer().row(5)[x]; };
    EXPECT_EQ(std::tuple(inverted(1), inverted(2 * w - 1), inverted(2 * w + 1)), std::tuple(true, true, false));

    // A selection going on to the next hard line runs to the client's right edge.
    text = std::make_unique<TextContent>();
    for (int i = 0; i < 10; ++i) text->cells[size_t(i)] = TextCell(u'a', kRed16);
    text->cells[10] = TextCell(u'\n', kRed16);
    for (int i = 11; i < 111; ++i) text->cells[size_t(i)] = TextCell(u'b', kRed16);
    engine.Attach(text.get(), 1, 0, 0, 160, 64);
    engine.ScrollTo(true, 10 * w);
    engine.SetSelection(2, 20);
    engine.Redraw();
    EXPECT_TRUE(inverted(150));
}

TEST_F(EngineTest, ScrollBarsOfAShortTextAndTheLastLineOfATooLowClient) {
    FillLetters(3);
    EXPECT_EQ(std::tuple(engine.scrollBar(false).range, engine.scrollBar(false).enabled, engine.ScrollToCaret()),
              std::tuple(0, false, 1));
    engine.Resize(200, 10);  // lower than one line
    FillLetters(200);
    engine.SetSelection(200, 200);
    engine.Relayout();
    int above = 0;  // the caret's line shows at the top: everything above it is scrolled away
    for (size_t k = 0; k + 1 < engine.lines().size(); ++k) above += engine.lines()[k].height;
    EXPECT_EQ(engine.scrollY(), -above);
}

TEST_F(EngineTest, AFieldScrolledJustOutOfViewLeavesNoFrameBehind) {
    text->cells[0] = TextCell(u' ', kRed16);
    engine.Attach(text.get(), 1, 0, 0, 160, 64);
    engine.SetSelection(0, 0);
    ASSERT_EQ(engine.InsertClock(), 1);  // a framed field, then a blank
    const int w = engine.extents()[0].width;
    engine.ScrollTo(true, w);  // the clock ends exactly at the view's left edge
    int lit = 0;
    for (int y = 0; y < engine.backBuffer().height(); ++y) lit += engine.backBuffer().row(y)[0] != 0;
    EXPECT_EQ(lit, 0);
}

}  // namespace
}  // namespace ledsuite
