// The table editor's plain side and the rules of the text editor's windows.
#include "editors/grid_editor.h"

#include <gtest/gtest.h>

#include <tuple>

#include "editors/edit_rules.h"
#include "editor_test_util.h"

namespace ledsuite {
namespace {

constexpr uint32_t kWhite16 = CellAttr::Make(16, 0, 7);

class GridTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        InitGridObject(grid);
        ASSERT_TRUE(SetGridSize(grid, 3, 2));
        ed.SetGrid(&grid);
    }
    // Makes `s` the text of cell (column, row) through a work text, as the window does.
    void Type(int column, int row, std::u16string_view s, uint32_t attr = kWhite16) {
        ASSERT_TRUE(ed.SelectAt(ed.selectedX(), ed.selectedY()));
        int x = kGridHeaderWidth, y = kGridHeaderHeight;
        for (int c = 1; c < column; ++c) x += ed.columnWidth(c);
        for (int r = 1; r < row; ++r) y += ed.rowHeight(r);
        ASSERT_TRUE(ed.SelectAt(x + 1, y + 1));
        ASSERT_TRUE(ed.BeginCellEdit(work));
        for (size_t i = 0; i < s.size(); ++i) work.cells[i] = TextCell(s[i], attr);
        if (s.size() < work.cells.size()) work.cells[s.size()] = TextCell();  // the cell's text becomes s
        ASSERT_TRUE(ed.CommitCellEdit(work, TextBlockMeasurer(rc)));
    }
    // A press on the border of `kind` at (x, y), let go at `to`.
    bool Drag(int x, int y, GridDrag kind, int to) {
        if (ed.BorderTest(x, y) != kind) return false;
        ed.SetDragState(kind);
        return ed.EndDrag(to, TextBlockMeasurer(rc));
    }
    std::u16string CellText(int column, int row) const {
        std::u16string s;
        auto c = [this](int i) { return grid.cells[size_t(i)].code; };
        for (int i = ed.MarkerOf(column, row) + 1; i < kMaxCells && c(i) && c(i) != FC_GRIDCELL; ++i) s += c(i);
        return s;
    }

    GridObject grid;
    GridEditor ed;
    TextContent work;
};

TEST_F(GridTest, SettingATableCountsHeadersSelectsA1AndTakesTheSizesOfItsMarkers) {
    EXPECT_EQ(std::tuple(ed.columnCount(), ed.rowCount(), ed.selectedColumn(), ed.selectedRow(), ed.selectedX(),
                         ed.selectedY(), ed.columnWidth(1), grid.totalWidth, grid.totalHeight),
              std::tuple(4, 3, 1, 1, 48, 16, 64, 3 * 64, 2 * 16));
    const GridHit hit = ed.HitTest(48 + 64 + 5, 16 + 16 + 3);
    EXPECT_EQ(std::tuple(hit.column, hit.row, hit.inside), std::tuple(2, 2, true));
    EXPECT_FALSE(ed.HitTest(48 + 3 * 64 + 1, 20).inside);
    EXPECT_FALSE(ed.SelectAt(10, 20));  // a header cell
    // x, y -> what a press there drags, and its index (the header row's own border is row 0; two pixels off
    // is no border)
    const std::tuple<int, int, int, int> borders[] = {{48 + 64, 5, kDragColumn, 1}, {10, 32, kDragRow, -1},
                                                      {60, 30, kDragBody, -1},      {30, 5, kDragNone, -1},
                                                      {10, 16, kDragRow, 0},        {48 + 64 + 1, 5, kDragColumn, 1},
                                                      {48 + 64 + 2, 5, kDragNone, -1}};
    for (auto [x, y, drag, index] : borders) {
        EXPECT_EQ(ed.BorderTest(x, y), drag) << x << "," << y;
        EXPECT_TRUE(index < 0 || ed.dragIndex() == index) << x << "," << y;
    }
    // Past the last column: the last one, at its own position.
    const GridHit past = ed.HitTest(48 + 3 * 64 + 10, 20);
    EXPECT_EQ(std::tuple(past.column, past.x), std::tuple(3, 48 + 128));
    EXPECT_EQ(std::tuple(ed.MarkerOf(4, 1), ed.MarkerOf(1, 3), ed.MarkerOf(3, 2)), std::tuple(-1, -1, ed.markers()[5]));
    // Sizes come from the first row's and the first column's markers.
    const auto index = CollectGridCells(grid);
    grid.cells[index[0]].attr = MakeGridMarker(50, 20);  // A1
    grid.cells[index[3]].attr = MakeGridMarker(70, 30);  // A2
    grid.cells[index[1]].attr = MakeGridMarker(40, 25);  // B1
    ed.SetGrid(&grid);
    EXPECT_EQ(std::tuple(ed.columnWidth(1), ed.columnWidth(2), ed.rowHeight(1), ed.rowHeight(2), grid.totalWidth,
                         grid.totalHeight), std::tuple(50, 40, 20, 30, 50 + 40 + 64, 50));
    // A row drag measures every column of the row.
    EXPECT_TRUE(Drag(10, 16 + 20, kDragRow, 16 + 2));
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(std::tuple(ed.rowHeight(1), GridCellHeight(grid.cells[size_t(ed.MarkerOf(c, 1))].attr)),
                  std::tuple(kGridMinSize, kGridMinSize));
}

TEST_F(GridTest, ATableEditedCellByCellKeepsEachTextAndWidensToIt) {
    Type(1, 1, u"A");
    Type(3, 2, u"Wide text in here");
    Type(2, 1, u"B");
    EXPECT_EQ(std::tuple(CellText(1, 1), CellText(2, 1), CellText(3, 2), CellText(1, 2)),
              std::tuple(u"A", u"B", u"Wide text in here", u""));
    // The text wraps within its column: the row grows, and every marker of the row says so.
    EXPECT_EQ(std::tuple(ed.columnWidth(3), ed.rowHeight(1), CountCells(work), ed.rowHeight(2) >= 32,
                         GridCellHeight(grid.cells[size_t(ed.MarkerOf(1, 2))].attr)),
              std::tuple(64, 16, 0, true, ed.rowHeight(2)));
    // Editing a cell again moves its text out and back.
    ASSERT_TRUE(ed.SelectAt(49, 17));
    ASSERT_TRUE(ed.BeginCellEdit(work));
    EXPECT_EQ(std::tuple(work.cells[0].code, CellText(1, 1), ed.editing()), std::tuple(u'A', u"", true));
    ASSERT_TRUE(ed.CommitCellEdit(work, TextBlockMeasurer(rc)));
    EXPECT_EQ(CellText(1, 1), u"A");
    EXPECT_FALSE(ed.CommitCellEdit(work, TextBlockMeasurer(rc)));
}

TEST_F(GridTest, ACommitThatOverflowsKeepsWhatFits) {
    Type(1, 1, std::u16string(kMaxCells, u'x'));
    // every marker survived; the height is held to the 10-bit field
    EXPECT_EQ(std::tuple(CountCells(grid.cells), ed.markers().size(), int(CellText(1, 1).size()), ed.rowHeight(1),
                         GridCellHeight(grid.cells[size_t(ed.MarkerOf(3, 1))].attr)),
              std::tuple(kMaxCells, 6u, kMaxCells - 6, kGridMaxSize, kGridMaxSize));
}

TEST_F(GridTest, DraggingABorderBelowItsTextKeepsTheTextWidth) {
    Type(1, 1, u"宋", CellAttr::Make(90, 0, 7));  // one character too wide to wrap
    const int textWidth = ed.columnWidth(1);
    ASSERT_GT(textWidth, 64);
    EXPECT_TRUE(Drag(48 + textWidth, 5, kDragColumn, 48 + 20));
    EXPECT_EQ(ed.columnWidth(1), textWidth);
    EXPECT_TRUE(Drag(48 + textWidth + ed.columnWidth(2), 5, kDragColumn, 48 + textWidth + 2));
    EXPECT_EQ(ed.columnWidth(2), kGridMinSize);
    EXPECT_TRUE(Drag(48, 3, kDragColumn, 70));  // the header column is sized directly
    EXPECT_EQ(ed.columnWidth(0), 70);
    EXPECT_FALSE(ed.EndDrag(70, TextBlockMeasurer(rc)));
}

TEST_F(GridTest, ScrollingCellFlagsAndTheDialogValues) {
    // horizontal, scroll code, position -> moved, the first column or row then, where A1 is then
    const std::tuple<bool, int, int, bool, int, int> steps[] = {
        {true, 0, 0, false, 1, 48},       {true, 1, 0, true, 2, 48 - 64}, {true, 4, 2, true, 3, 48 - 128},
        {true, 1, 0, false, 3, 48 - 128}, {false, 5, 1, true, 2, 0},      {false, 7, 0, false, 2, 0}};
    for (auto [horizontal, code, position, moved, first, at] : steps) {
        EXPECT_EQ(ed.Scroll(horizontal, code, position), moved) << code;
        EXPECT_EQ(horizontal ? std::tuple(ed.firstColumn(), ed.selectedX()) : std::tuple(ed.firstRow(), ed.selectedY()),
                  std::tuple(first, at)) << code;
    }
    EXPECT_TRUE(ed.SetCellFlags(6));
    EXPECT_EQ(ed.GetCellFlags(), 2);
    const GridDialogValues v{2, 4, 6, 3};
    grid.style = 0x12345600;
    EXPECT_TRUE(ApplyGridDialog(&grid, v));
    EXPECT_EQ(std::tuple(grid.style, grid.columns, grid.rows), std::tuple(0x123456CCu, 2, 4));
    EXPECT_FALSE(ApplyGridDialog(nullptr, v));
    auto fresh = NewGridFromDialog(GridDialogValues{});
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(std::tuple(fresh->columns, fresh->rows, fresh->style & 0xFF), std::tuple(3, 3, 0u));
    // 255 x 9 needs 2295 markers
    EXPECT_EQ(std::tuple(GridSizeFits(nullptr, 255, 9), GridSizeFits(nullptr, 255, 8), GridSizeFits(nullptr, 1, 256),
                         GridSizeFits(&grid, 256, 1)), std::tuple(false, true, false, false));
    EXPECT_EQ(NewGridFromDialog(GridDialogValues{100, 100, 0, 0}), nullptr);
    GridEditor wide;
    GridObject big;
    InitGridObject(big);
    ASSERT_TRUE(SetGridSize(big, 255, 2));
    wide.SetGrid(&big);
    EXPECT_EQ(wide.columnCount(), 256);  // no wrap at 255
}

TEST_F(GridTest, ANarrowedColumnWrapsItsTextAndRaisesTheRowScrollsBackAndNeedsATable) {
    grid = *NewGridFromDialog(GridDialogValues{});  // 3 x 3 of 64 x 16
    ed.SetGrid(&grid);
    Type(1, 1, u"AB CD");
    ASSERT_EQ(ed.rowHeight(1), 16);
    EXPECT_TRUE(Drag(48 + 64, 5, kDragColumn, 48 + 20));  // 64 - 112 + 68: the words wrap
    EXPECT_GT(ed.rowHeight(1), 16);  // the first row grows to the wrapped text, all its markers with it
    EXPECT_EQ(std::tuple(ed.columnWidth(1), GridCellHeight(grid.cells[size_t(ed.MarkerOf(3, 1))].attr),
                         ed.rowHeight(2)), std::tuple(20, ed.rowHeight(1), 16));

    // A cell's text that grows or shrinks moves the cells behind it, whose texts stay whole.
    Type(2, 1, u"XY");
    Type(3, 3, u"Z");
    Type(1, 1, u"ABCDEF");
    EXPECT_EQ(std::tuple(CellText(1, 1), CellText(2, 1)), std::tuple(u"ABCDEF", u"XY"));
    Type(1, 1, u"Q");
    EXPECT_EQ(std::tuple(CellText(1, 1), CellText(2, 1), CellText(3, 3)), std::tuple(u"Q", u"XY", u"Z"));
    // A point on a border belongs to the cell that starts there.
    const GridHit corner = ed.HitTest(48 + 20, 16 + ed.rowHeight(1));
    EXPECT_EQ(std::tuple(corner.column, corner.row), std::tuple(2, 2));

    // Line left goes back one column at a time.
    ASSERT_TRUE(ed.Scroll(true, 4, 2));
    EXPECT_EQ(ed.firstColumn(), 3);
    EXPECT_TRUE(ed.Scroll(true, 0, 0));
    EXPECT_EQ(std::tuple(ed.firstColumn(), ed.selectedX()), std::tuple(2, 48 - 20));

    // Without a table only the header's border can be dragged.
    GridEditor none;
    ASSERT_EQ(none.BorderTest(48 + 60, 5), kDragColumn);
    none.SetDragState(kDragColumn);
    EXPECT_FALSE(none.EndDrag(48 + 30, TextBlockMeasurer(rc)));
    EXPECT_TRUE(GridSizeFits(nullptr, 3, 1) && GridSizeFits(nullptr, 1, 3));
}

TEST(EditRules, FieldSequencesAndSizeLists) {
    EXPECT_EQ(FieldSequence(kCmdInsertDate, 0), u"\uE010\u5E74\uE011\u6708\uE012\u65E5");
    EXPECT_EQ(FieldSequence(kCmdInsertDate, 3), u"\uE010-\uE011-\uE012");
    EXPECT_EQ(FieldSequence(kToolInsertTime, 1), u"\uE013\u65F6\uE014\u5206\uE015\u79D2");
    EXPECT_EQ(FieldSequence(kToolInsertTime, 3), u"\uE013:\uE014:\uE015");
    EXPECT_EQ(FieldSequence(kToolInsertWeek, 2), u"\u661F\u671F\uE020");
    EXPECT_EQ(FieldSequence(kToolInsertWeek, 3), u"\uE021");
    EXPECT_EQ(FieldSequence(kCmdInsertTemperature, 3), u"\uE016\u2103");
    EXPECT_EQ(FieldSequence(kCmdInsertHumid, 0), u"\uE018%");
    EXPECT_EQ(FieldSequence(kCmdInsertMonthEnShort, 0), u"\uE024");
    EXPECT_EQ(FieldSequence(32816, 3), u"");
    const std::vector<int> system = SizeListForMode(0);
    ASSERT_EQ(system.size(), 120u);
    using Sizes = std::vector<int>;
    EXPECT_EQ(std::tuple(system.front(), system.back(), SizeListForMode(0x31), SizeListForMode(3), SizeListForMode(5)),
              std::tuple(8, 127, Sizes{12, 16}, Sizes{12, 16, 24, 32}, Sizes{12, 16, 24, 32, 48, 64}));
    // mode, size -> the entry selected (past the system list: the default 16)
    const std::tuple<int, int, int> entries[] = {{0, 16, 8}, {0, 5, 5},  {0, 200, 8}, {1, 13, 0}, {1, 14, 1},
                                                 {5, 55, 4}, {5, 56, 5}, {4, 39, 3},  {2, 200, 2}};
    for (auto [mode, size, entry] : entries) EXPECT_EQ(SizeIndexForSize(mode, size), entry) << mode << " " << size;
    EXPECT_EQ(std::tuple(SizeForIndex(0x31, 1), SizeForIndex(0, 200)), std::tuple(16, 16));
    EXPECT_EQ(std::tuple(ProgramFontSetMode(5, 0), ProgramFontSetMode(5, 0x31), ProgramFontSetMode(0, 0x31)),
              std::tuple(0, 0x31, 0));
}

TEST_F(EngineTest, ContextMenuStateFollowsTheSelection) {
    Fill(u"ab\uE013", kWhite16);
    EditMenuState s = ContextMenuState(engine, false);
    EXPECT_FALSE(s.copy || s.cut || s.paste || s.edit || s.toAnimate);
    engine.SetSelection(0, 2);
    s = ContextMenuState(engine, true);
    EXPECT_EQ(std::tuple(s.copy, s.cut, s.paste, s.toAnimate, s.edit), std::tuple(true, true, true, true, false));
    engine.SetSelection(2, 3);  // a plain field has no dialog
    EXPECT_FALSE(ContextMenuState(engine, false).edit);
    EXPECT_EQ(std::tuple(ItemDialogFor(FC_COUNTER), ItemDialogFor(FC_TABLE), ItemDialogFor(u'a')),
              std::tuple(kCounterDialog, kTableEditor, kNoItemDialog));
}

TEST_F(GridTest, SizeEdgesNoTableAndAnEditThatTakesTheCellTextOut) {
    // 255 rows and exactly 2048 cells are sizes a new table may have.
    EXPECT_EQ(std::tuple(GridSizeFits(nullptr, 1, 255), GridSizeFits(nullptr, 16, 128), GridSizeFits(nullptr, 16, 129)),
              std::tuple(true, true, false));
    Type(3, 2, u"abc");  // the last cell
    ASSERT_TRUE(ed.SelectAt(48 + 2 * 64 + 1, 16 + 16 + 1));
    ASSERT_TRUE(ed.BeginCellEdit(work));
    EXPECT_EQ(std::tuple(CountCells(grid.cells), grid.cells[6].code), std::tuple(6, char16_t(0)));  // markers only
    ASSERT_TRUE(ed.CommitCellEdit(work, TextBlockMeasurer(rc)));
    // A table that lost its last marker answers no cell for it.
    GridObject cut = grid;
    const int last = ed.MarkerOf(3, 2);
    for (int i = last; i < kMaxCells - 1; ++i) cut.cells[size_t(i)] = std::move(cut.cells[size_t(i) + 1]);
    ed.SetGrid(&cut);
    EXPECT_EQ(ed.MarkerOf(3, 2), -1);
    ed.SetGrid(nullptr);  // no table: nothing selected
    EXPECT_EQ(std::tuple(ed.selectedColumn(), ed.selectedRow(), ed.GetCellFlags()), std::tuple(0, 0, 0));
}

}  // namespace
}  // namespace ledsuite
