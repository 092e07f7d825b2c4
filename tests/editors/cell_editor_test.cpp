// The cell editing engine without a window: insertion, paste and delete rules, the
// attribute at the caret, animations, key moves, copying and drawing.
#include "editors/cell_editor.h"

#include <gtest/gtest.h>

#include "content/field_objects.h"
#include "editor_test_util.h"

namespace ledsuite {
namespace {

constexpr uint32_t kRed16 = CellAttr::Make(16, 0, 1);
constexpr uint32_t kGreen24 = CellAttr::Make(24, 0, 2);

bool SamePixelsAt(const Surface& a, const Surface& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return a.width() == b.width() && a.height() == b.height();
}

void FillFull(TextContent& t, int n, uint32_t attr) {
    for (int i = 0; i < n; ++i) t.cells[size_t(i)] = TextCell(char16_t(u'a' + i % 26), attr);
}

TEST_F(EngineTest, TypingTakesTheDefaultAttributeAtTheStartAndTheCurrentOneElsewhere) {
    owner.defaultAttr = kGreen24;
    EXPECT_EQ(engine.InsertChar(u'A', true), 1);
    EXPECT_EQ(owner.Count(IMC_CELL_NOTIFY), 1);
    engine.SetCurrentAttr(kRed16);
    EXPECT_EQ(engine.InsertChar(u'\r', true), 1);  // a carriage return becomes a line feed
    EXPECT_EQ(engine.InsertChar(u'\t', true), 1);
    EXPECT_EQ(owner.Count(IMC_CELL_NOTIFY), 1);
    EXPECT_EQ(Codes(), u"A\n\t");
    EXPECT_EQ(text->cells[0].attr, kGreen24);
    EXPECT_EQ(text->cells[1].attr, kRed16);
    EXPECT_EQ(engine.caret(), 3);
}

TEST_F(EngineTest, CodesWithoutTheirObjectAndControlCharactersAreRefused) {
    Fill(u"ab", kRed16, 1);
    for (char16_t c : {char16_t(0xE001), char16_t(0xE006), char16_t(0xE00F), char16_t(FC_PICTURE),
                       char16_t(FC_TABLE), char16_t(FC_ADC), char16_t(FC_DIGITS), char16_t(FC_CLOCK), char16_t(1),
                       char16_t(27)})
        EXPECT_EQ(engine.InsertChar(c, true), 0) << int(c);
    EXPECT_EQ(engine.InsertString(u"x\uE003y\uE030\x01z\uE00Aw"), 1);
    EXPECT_EQ(Codes(), u"axyzwb");
    // Plain fields need no object and are typed as they are.
    EXPECT_EQ(engine.InsertChar(FC_HOUR, true), 1);
}

TEST_F(EngineTest, AFullTextRefusesTypingButTakesBackspace) {
    FillFull(*text, kMaxCells - 1, kRed16);
    text->cells[kMaxCells - 2] = WhitePicture(4, 4);
    engine.Attach(text.get(), 0, 0, 0, 160, 64);
    engine.SetSelection(5, 5);
    // 2047 cells in use: one more fills slot 2047 and the text has no terminator.
    EXPECT_EQ(engine.InsertChar(u'Z', true), 1);
    EXPECT_EQ(CountCells(*text), kMaxCells);
    EXPECT_EQ(text->cells[kMaxCells - 1].code, FC_PICTURE);
    EXPECT_NE(text->cells[kMaxCells - 1].obj, nullptr);
    // Full: typing is refused and the last cell keeps its object.
    EXPECT_EQ(engine.InsertChar(u'Y', true), 0);
    EXPECT_EQ(text->cells[kMaxCells - 1].code, FC_PICTURE);
    EXPECT_EQ(engine.InsertString(u"QQ"), 0);
    EXPECT_EQ(CountCells(*text), kMaxCells);
    // Typing at caret 2047 or beyond inserts nothing.
    engine.SetSelection(kMaxCells - 1, kMaxCells - 1);
    EXPECT_EQ(engine.InsertChar(u'Y', true), 0);
    // Backspace behind the last cell removes it.
    engine.SetSelection(kMaxCells, kMaxCells);
    EXPECT_EQ(engine.InsertChar(8, true), 1);
    EXPECT_EQ(CountCells(*text), kMaxCells - 1);
    EXPECT_EQ(engine.caret(), kMaxCells - 1);
}

TEST_F(EngineTest, PasteFoldsCarriageReturnsAndKeepsTheTailWhenItOverflows) {
    EXPECT_EQ(engine.InsertString(u"A\r\r\nB"), 1);
    EXPECT_EQ(Codes(), u"A\nB");
    EXPECT_EQ(engine.caret(), 3);

    FillFull(*text, kMaxCells - 5, kRed16);
    engine.Attach(text.get(), 0, 0, 0, 160, 64);
    const char16_t lastBefore = text->cells[kMaxCells - 6].code;
    engine.SetSelection(10, 10);
    EXPECT_EQ(engine.InsertString(u"0123456789"), 1);
    EXPECT_EQ(CountCells(*text), kMaxCells);
    EXPECT_EQ(std::u16string(Codes().substr(10, 6)), u"01234k");  // five fit; the old cell 10 follows
    EXPECT_EQ(text->cells[kMaxCells - 1].code, lastBefore);
    EXPECT_EQ(engine.caret(), 15);
}

TEST_F(EngineTest, DeleteRemovesTheSelectionOnlyAndBackspaceOneMore) {
    Fill(u"abcdef", kRed16);
    text->cells[2] = WhitePicture(8, 8);
    engine.SetSelection(2, 4);
    EXPECT_EQ(engine.OnKey(kKeyDelete), 1);
    EXPECT_EQ(Codes(), u"abef");
    EXPECT_EQ(engine.caret(), 2);
    EXPECT_EQ(engine.OnKey(kKeyDelete), 1);  // no selection: the cell at the caret
    EXPECT_EQ(Codes(), u"abf");
    EXPECT_EQ(engine.caret(), 2);
    engine.SetSelection(1, 3);
    EXPECT_EQ(engine.InsertChar(8, true), 1);
    EXPECT_EQ(Codes(), u"");
    EXPECT_EQ(engine.DeleteBack(), 0);
    EXPECT_EQ(engine.OnKey('Q'), 0);
}

TEST_F(EngineTest, CurrentAttributeComesFromTheCellBeforeTheCaretWithObjectSizes) {
    Fill(u"ab", kRed16);
    text->cells[2] = WhitePicture(30, 30);
    text->cells[3] = TextCell(FC_TABLE, 0);
    text->cells[3].obj = std::make_unique<GridObject>();
    engine.Attach(text.get(), 0, 0, 0, 160, 64);
    static_cast<PictureObject*>(text->cells[2].obj.get())->frames[0]->displayHeight = 24;
    engine.SetSelection(4, 4);
    engine.RefreshCurrentAttr();
    EXPECT_EQ(engine.currentAttr(), CellAttr::Make(24, 0, 1));
    ASSERT_FALSE(owner.sent.empty());
    EXPECT_EQ(owner.sent.back(), std::make_pair(IMC_CELL_VALUE, intptr_t(CellAttr::Make(24, 0, 1))));
    // Nothing but objects before the caret: the owner's default with the object's size.
    owner.sent.clear();
    engine.SetSelection(0, 0);
    text->cells[0] = WhitePicture(20, 20);
    static_cast<PictureObject*>(text->cells[0].obj.get())->frames[0]->displayHeight = 32;
    engine.SetSelection(1, 1);
    engine.RefreshCurrentAttr();
    EXPECT_EQ(owner.Count(IMC_CELL_NOTIFY), 1);
    EXPECT_EQ(engine.currentAttr(), (owner.defaultAttr & ~CellAttr::SizeMask) | 32u << 24);
    // Caret 0: the default alone, no report.
    owner.sent.clear();
    engine.SetSelection(0, 0);
    engine.RefreshCurrentAttr();
    EXPECT_EQ(owner.sent.size(), 1u);
    EXPECT_EQ(owner.sent[0].first, IMC_CELL_NOTIFY);
}

TEST_F(EngineTest, AttributeMaskChangesTheSelectionAndKeepsIt) {
    Fill(u"abcd", kRed16);
    engine.SetSelection(1, 3);
    engine.ApplyAttrMask(CellAttr::Make(4, 0, 2), AttrMask::Color | AttrMask::Size);  // size below 8: not taken
    EXPECT_EQ(text->cells[0].attr, kRed16);
    EXPECT_EQ(text->cells[1].attr, CellAttr::Make(16, 0, 2));
    EXPECT_EQ(text->cells[2].attr, CellAttr::Make(16, 0, 2));
    EXPECT_EQ(text->cells[3].attr, kRed16);
    EXPECT_EQ(engine.anchor(), 1);
    EXPECT_EQ(engine.caret(), 3);
    engine.ApplyAttrMask(CellAttr::Make(20, 3, 0, CellAttr::Bold), AttrMask::Bold | AttrMask::Font | AttrMask::Size);
    EXPECT_EQ(text->cells[1].attr, CellAttr::Make(20, 3, 2, CellAttr::Bold));
}

TEST_F(EngineTest, KeyMovesCollapseTheSelectionAndStopAtTheEdges) {
    Fill(u"abc\ndef", kRed16);
    engine.SetSelection(1, 3);
    engine.OnKey(kKeyRight);
    EXPECT_EQ(engine.caret(), 4);
    EXPECT_EQ(engine.anchor(), 4);
    engine.OnKey(kKeyEnd);
    EXPECT_EQ(engine.caret(), 7);
    engine.OnKey(kKeyUp);
    EXPECT_EQ(engine.caret(), 3);
    engine.OnKey(kKeyHome);
    EXPECT_EQ(engine.caret(), 0);
    engine.OnKey(kKeyLeft);
    EXPECT_EQ(engine.caret(), 0);
    engine.OnKey(kKeyDown);
    EXPECT_EQ(engine.caret(), 4);
    const CaretPlace c = engine.caretPlace();
    EXPECT_EQ(c.y + c.height, 32);  // on the bottom of the second 16-pixel line
}

TEST_F(EngineTest, CopyLeavesFieldsOutAndSelectionsOfFieldsOnlyCopyNothing) {
    Fill(u"a\uE013b", kRed16);
    std::u16string got;
    auto put = [&](const std::u16string& s) { got = s; };
    engine.SetSelection(0, 3);
    EXPECT_EQ(engine.CopyToClipboard(put), 1);
    EXPECT_EQ(got, u"ab");
    got.clear();
    engine.SetSelection(1, 2);
    EXPECT_EQ(engine.CopyToClipboard(put), 0);
    EXPECT_EQ(got, u"");
    EXPECT_EQ(engine.GetSelectedCell().code, FC_HOUR);
    EXPECT_FALSE(engine.SelectionIsPlainText());
    engine.SetSelection(0, 2);
    EXPECT_EQ(engine.GetSelectedCell().code, 0);
}

TEST_F(EngineTest, SelectionQueries) {
    Fill(u"12a\t", kRed16);
    engine.SetSelection(0, 2);
    EXPECT_TRUE(engine.SelectionIsDigits());
    EXPECT_TRUE(engine.SelectionIsPlainText());
    engine.SetSelection(0, 3);
    EXPECT_FALSE(engine.SelectionIsDigits());
    engine.SetSelection(2, 4);
    EXPECT_FALSE(engine.SelectionIsPlainText());  // a tab
    engine.SetSelection(2, 2);
    EXPECT_FALSE(engine.SelectionIsPlainText());
}

TEST_F(EngineTest, ObjectInsertionsTakeThePlaceholderAttribute) {
    Fill(u"ab", kRed16, 2);
    engine.SetCurrentAttr(kGreen24);
    EXPECT_EQ(engine.InsertValueField(FC_COUNTER, std::make_unique<CounterField>()), 1);
    EXPECT_EQ(CellObjectAs<CounterField>(text->cells[2])->attr, kGreen24);
    EXPECT_EQ(engine.InsertClock(), 1);
    EXPECT_EQ(CellObjectAs<ClockObject>(text->cells[3])->size, 24);
    EXPECT_EQ(engine.InsertValueField(FC_PICTURE, std::make_unique<CounterField>()), 0);
    EXPECT_EQ(engine.InsertPicture("/nonexistent.png"), 0);
    RawImage bitmap;
    ResetImage(bitmap, 10, 40);
    EXPECT_EQ(engine.InsertBitmap(bitmap), 1);
    EXPECT_EQ(CellFontSize(text->cells[4]), 24);  // fitted to the current size
    EXPECT_EQ(Codes(), u"ab\uE02B\uE030\uE003");
    // At caret 2047 the placeholder is refused and the object goes with it.
    FillFull(*text, kMaxCells - 1, kRed16);
    engine.Attach(text.get(), 0, 0, 0, 160, 64);
    engine.SetSelection(kMaxCells - 1, kMaxCells - 1);
    EXPECT_EQ(engine.InsertClock(), 0);
    EXPECT_EQ(text->cells[kMaxCells - 2].code, char16_t(u'a' + (kMaxCells - 2) % 26));
}

TEST_F(EngineTest, AnimationOfTheWholeRunMakesOnePictureOfTwoFrames) {
    Fill(u"AB\n", kRed16);
    engine.SetSelection(0, 3);
    EXPECT_EQ(engine.ToAnimate(kAnimTwinkle), 0);  // a line feed in the selection
    engine.SetSelection(0, 2);
    engine.SetCurrentAttr(kRed16);
    EXPECT_EQ(engine.ToAnimate(kAnimTwinkle), 1);
    EXPECT_EQ(Codes(), u"\uE003\n");
    const auto* p = CellObjectAs<PictureObject>(text->cells[0]);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->frames.size(), 2u);
    EXPECT_GT(p->frames[0]->height, 0);
    EXPECT_EQ(p->frames[0]->displayHeight, 16);
    int lit0 = 0, lit1 = 0;
    for (int y = 0; y < p->frames[0]->height; ++y)
        for (int x = 0; x < p->frames[0]->width; ++x) {
            lit0 += p->frames[0]->row32(y)[x] != 0;
            lit1 += p->frames[1]->row32(y)[x] != 0;
        }
    EXPECT_GT(lit0, 10);
    EXPECT_EQ(lit1, 0);
    for (const auto& f : p->frames.frames) {
        EXPECT_EQ(f->redThreshold, 2);
        EXPECT_EQ(f->blueThreshold, 2);
    }
    Fill(u"CD", kRed16);
    engine.SetSelection(0, 2);
    EXPECT_EQ(engine.ToAnimate(kAnimFrame), 1);
    const auto* framed = CellObjectAs<PictureObject>(text->cells[0]);
    ASSERT_EQ(framed->frames.size(), 1u);
    EXPECT_EQ(framed->frames[0]->row32(0)[0], 0xFFFFFFu);  // the outline's corner
}

TEST_F(EngineTest, BubbleUpAndWaveGiveEachCharacterItsFramesAPhaseApart) {
    Fill(u"abc", kRed16);
    engine.SetSelection(0, 3);
    EXPECT_EQ(engine.ToAnimate(kAnimBubbleUp), 1);
    const int pauses[3][2] = {{15, 45}, {30, 30}, {45, 15}};
    for (int k = 0; k < 3; ++k) {
        const auto* p = CellObjectAs<PictureObject>(text->cells[size_t(k)]);
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p->frames.size(), 2u);
        EXPECT_EQ(p->frames[0]->pause, pauses[k][0]);
        EXPECT_EQ(p->frames[1]->pause, pauses[k][1]);
        EXPECT_EQ(p->frames[0]->placeX, 0);
        EXPECT_EQ(int16_t(p->frames[1]->placeX), -(p->frames[0]->height / 4));
    }
    Fill(u"xyz", kRed16);
    engine.SetSelection(0, 3);
    EXPECT_EQ(engine.ToAnimate(kAnimWave), 1);
    for (int k = 1; k <= 3; ++k) {
        const auto* p = CellObjectAs<PictureObject>(text->cells[size_t(k - 1)]);
        ASSERT_EQ(p->frames.size(), 4u);
        const int q = p->frames[0]->height / 4;
        ASSERT_GT(q, 0);
        for (int f = 0; f < 4; ++f) {
            const int want = f == k % 4 ? q : f == (k + 2) % 4 ? -q : 0;
            EXPECT_EQ(int16_t(p->frames[size_t(f)]->placeY), want) << k << " " << f;
            EXPECT_EQ(p->frames[size_t(f)]->placeX, 0);
            EXPECT_EQ(p->frames[size_t(f)]->pause, 30);
        }
    }
}

TEST_F(EngineTest, DrawingShowsTextFramesFieldsAndInvertsTheSelection) {
    Fill(u"Hi\uE013", CellAttr::Make(16, 0, 7));
    engine.Redraw();
    const Surface& back = engine.backBuffer();
    int lit = 0, cyan = 0;
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x) {
            lit += back.Pixel(x, y) == 0xFFFFFF;
            cyan += back.Pixel(x, y) == kFieldFrameColor;
        }
    EXPECT_GT(lit, 20);
    EXPECT_GT(cyan, 10);
    EXPECT_EQ(back.Pixel(199, 99), 0u);
    // Moving display draws the same cells on one row.
    engine.Attach(text.get(), 30, 0, 0, 160, 64);
    int litHard = 0;
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x) litHard += back.Pixel(x, y) == 0xFFFFFF;
    EXPECT_EQ(litHard, lit);
    engine.SetSelection(0, 1);
    engine.Paint();
    EXPECT_EQ(engine.frame().Pixel(0, 15), kSelectionColor);  // black under the selection turns 0xFFC8C8
    EXPECT_EQ(engine.frame().Pixel(150, 15), 0u);
}

TEST_F(EngineTest, ScrollingFollowsTheCaretThroughALongText) {
    engine.Resize(100, 40);
    FillFull(*text, 400, kRed16);
    engine.Attach(text.get(), 0, 0, 0, 96, 64);
    EXPECT_TRUE(engine.scrollBar(false).enabled);
    EXPECT_FALSE(engine.scrollBar(true).enabled);
    engine.OnKey(kKeyDown);
    for (int i = 0; i < 30; ++i) engine.OnKey(kKeyDown);
    EXPECT_LT(engine.scrollY(), 0);
    const CaretPlace c = engine.caretPlace();
    EXPECT_GE(c.y, 0);
    EXPECT_LE(c.y + c.height, 40);
    EXPECT_EQ(engine.scrollBar(false).pos, -engine.scrollY());
    engine.ScrollTo(false, 0);
    EXPECT_EQ(engine.scrollY(), 0);
    // Movement class 1 does not wrap: one long line, a horizontal bar.
    engine.Attach(text.get(), 1, 0, 0, 96, 64);
    EXPECT_TRUE(engine.scrollBar(true).enabled);
    engine.OnKey(kKeyEnd);
    EXPECT_EQ(engine.caret(), 400);
    EXPECT_LE(engine.caretPlace().x, 100);
}

TEST_F(EngineTest, MouseSelectsFromThePressToTheMove) {
    Fill(u"abcdefgh", kRed16);
    engine.MouseDown(1, 5);
    EXPECT_EQ(engine.caret(), 0);
    EXPECT_TRUE(engine.mouseSelecting());
    engine.MouseMove(kMouseLeftButton, 500, 5);  // outside the client area: ignored
    EXPECT_EQ(engine.caret(), 0);
    engine.MouseMove(kMouseLeftButton, 150, 5);
    EXPECT_EQ(engine.anchor(), 0);
    EXPECT_EQ(engine.caret(), 8);
    EXPECT_TRUE(engine.MouseUp());
    engine.MouseMove(kMouseLeftButton, 1, 5);
    EXPECT_EQ(engine.caret(), 8);
}

TEST_F(EngineTest, StaleCellsBehindTheTerminatorNeverJoinTheText) {
    Fill(u"ab", kRed16, 2);
    text->cells[3] = TextCell(u'Z', kRed16);  // left behind the terminator by an old edit
    EXPECT_EQ(engine.InsertChar(u'c', true), 1);
    EXPECT_EQ(Codes(), u"abc");
    text->cells[5] = TextCell(u'Y', kRed16);
    EXPECT_EQ(engine.InsertString(u"de"), 1);
    EXPECT_EQ(Codes(), u"abcde");
    EXPECT_EQ(engine.DeleteCell(0), 0);
    EXPECT_EQ(engine.DeleteCell(kMaxCells + 1), 0);
    EXPECT_EQ(engine.DeleteCell(1), 1);
    EXPECT_EQ(Codes(), u"bcde");
}

TEST_F(EngineTest, PaintingAndCaretDetails) {
    Fill(u"a", CellAttr::Make(16, 0, 7));
    EXPECT_TRUE(engine.TakeCaretRecreated());  // the first layout gives the caret its height
    engine.Redraw();
    EXPECT_TRUE(SamePixelsAt(engine.frame(), engine.backBuffer()));  // nothing selected: the back buffer as it is
    engine.SetSelection(0, 1);
    engine.Paint();
    const int w = engine.extents()[0].width;
    EXPECT_EQ(engine.frame().Pixel(0, 0), kSelectionColor);
    EXPECT_EQ(engine.frame().Pixel(w - 1, 0), kSelectionColor);
    EXPECT_EQ(engine.frame().Pixel(w, 0), 0u);
    EXPECT_EQ(engine.frame().Pixel(0, 16), 0u);
    engine.TakeCaretRecreated();
    engine.UpdateCaret();
    EXPECT_FALSE(engine.TakeCaretRecreated());
    engine.UpdateCaret(true);
    EXPECT_TRUE(engine.TakeCaretRecreated());
    // The left edge of the client area is inside it.
    Fill(u"abc", kRed16);
    engine.MouseDown(100, 5);
    engine.MouseMove(kMouseLeftButton, 0, 5);
    EXPECT_EQ(engine.caret(), 0);
    EXPECT_EQ(engine.anchor(), 3);
}

TEST_F(EngineTest, ShorteningAWideTextLeavesNoEmptyBand) {
    engine.Resize(100, 40);
    FillFull(*text, 300, kRed16);
    engine.Attach(text.get(), 1, 0, 0, 96, 64);
    engine.OnKey(kKeyEnd);
    ASSERT_LT(engine.scrollX(), -1000);
    for (int i = 0; i < 20; ++i) engine.InsertChar(8, true);
    EXPECT_GT(engine.contentWidth(), 100);
    EXPECT_GE(engine.scrollX() + engine.contentWidth(), 100);
    const CaretPlace c = engine.caretPlace();
    EXPECT_GE(c.x, 0);
    EXPECT_LE(c.x, 100);
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
    EXPECT_EQ(idle.InsertChar(u'a', true), 0);
    EXPECT_EQ(idle.InsertString(u"abc"), 0);
    EXPECT_EQ(idle.InsertClock(), 0);
    EXPECT_EQ(idle.DeleteSelection(), 0);
    EXPECT_EQ(idle.OnKey(kKeyDelete), 0);
    EXPECT_EQ(idle.ToAnimate(0), 0);
    FreeCellObjects(*text);
    text->cells[0] = WhitePicture(2, 2);
    text->cells[1] = TextCell(u'x', 0);
    FreeCellObjects(*text);
    EXPECT_EQ(text->cells[0].obj, nullptr);
    EXPECT_EQ(CountCells(*text), 0);
}

}  // namespace
}  // namespace ledsuite
