#include <gtest/gtest.h>

#include <climits>

#include "content/model/field_objects.h"
#include "tests/content/fake_measurer.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;
using namespace CellAttr;

namespace {

// An object that counts the live instances, to see which cells free theirs.
struct Tracked final : CellObject {
    static inline int live = 0;
    int tag;
    explicit Tracked(int t) : tag(t) { ++live; }
    Tracked(const Tracked& o) : CellObject(), tag(o.tag) { ++live; }
    ~Tracked() override { --live; }
    std::unique_ptr<CellObject> Clone() const override { return std::make_unique<Tracked>(*this); }
};

TextCell TrackedCell(int tag) { return ObjectCell(u'o', std::make_unique<Tracked>(tag)); }

// Puts `text` behind the marker of table cell k (the grid must hold only markers).
void FillGridCell(GridObject& g, int k, std::vector<TextCell> text) {
    std::vector<TextCell> all;
    int marker = -1;
    for (int i = 0; i < kMaxCells && g.cells[i].code; ++i) {
        all.push_back(std::move(g.cells[i]));
        if (all.back().code == FC_GRIDCELL && ++marker == k)
            for (auto& c : text) all.push_back(std::move(c));
    }
    for (size_t i = 0; i < kMaxCells; ++i) g.cells[i] = i < all.size() ? std::move(all[i]) : TextCell{};
}

std::u16string CellText(const GridObject& g, int column, int row) {
    const auto index = CollectGridCells(g);
    std::vector<TextCell> out(kMaxCells);
    const int n = CopyGridCell(g, index, out, column, row);
    std::u16string s;
    for (int i = 1; i < n; ++i) s += out[size_t(i)].code;
    return s;
}

}  // namespace

TEST(FieldText, AdcPlaceholdersAndFreshSettings) {
    AdcField f;
    const std::tuple<int, int, uint8_t, std::u16string> cases[] = {
        {4, 2, 0, u"iiii.dd"}, {0, 2, 0, u"0.dd"}, {3, 0, 0, u"iii"}, {2, 1, 1, u"+ii.d"}, {0, 0, 0, u""}};
    for (const auto& [n, d, flags, text] : cases) {
        f.digitFormat = MakeDigitFormat(n, d);
        f.flags = flags;
        EXPECT_EQ(FormatAdcPlaceholder(f), text);
    }
    f.rows[4095].x2 = 9;
    InitAdcSettings(f, 12);  // "iiii.dd" in font 12, the table cleared
    EXPECT_EQ(std::make_pair(f.digitFormat, f.attr), std::make_pair(uint8_t(0x24), Make(16, 12, 0)));
    EXPECT_EQ(f.rows[4095].x2, 0);
}

TEST(FieldText, CounterValues) {
    // Digit format, range start, flags; value, fraction and the text shown.
    const std::tuple<uint8_t, int32_t, uint8_t, int32_t, int32_t, std::u16string> cases[] = {
        {0x20, 0, 0, 5, 0, u"05"}, {0x20, 0, 0, 123, 0, u"23"}, {0x20, 0, 0, -5, 0, u"-05"},
        {0x20, 0, 0, INT32_MIN, INT32_MIN, u"-48"}, {0x21, 0, 0, 7, 3, u"07.3"},
        {0xA2, 0, 0, INT32_MIN, 7, u"-2147483648.07"}, {0x02, 0, 0, 9, 5, u"0.05"},
        {0x21, -1, 0, 4, 0, u" 04.0"},  // a signed range: a blank or "+" before non-negative values
        {0x21, -1, CounterField::FlagSign, 4, 0, u"+04.0"}, {0, 0, 0, 4, 0, u""},
        {0x21, 0, 0, 0, -5, u"-00.5"}, {0x21, 0, 0, 1, -5, u"01.5"},  // only a zero value's fraction signs it
        {0x10, 0, 0, 7, 0, u"7"}};
    FakeMeasurer m;  // w = 8 at size 16
    for (const auto& [format, start, flags, value, fraction, text] : cases) {
        CounterField c;
        c.digitFormat = format, c.start = start, c.flags = flags, c.attr = Make(16, 0, 1);
        EXPECT_EQ(FormatDigitValue(c, value, fraction), text) << int(format) << " " << value;
        // Every value of the range takes the room of a non-negative one (with its sign column).
        EXPECT_EQ(CounterWidth(c, m, false), 8 * int(FormatDigitValue(c, 0, 0).size())) << int(format);
    }
    CounterField none;
    none.digitFormat = 0;
    EXPECT_EQ(CounterWidth(none, m, false), 0);
    // A fresh counter: two digits from 0 to 99, no fractions, trigger code 0.
    CounterField fresh;
    fresh.end = -7, fresh.startFraction = fresh.endFraction = 5, fresh.unit = 3;
    InitCounterSettings(fresh);
    EXPECT_EQ(std::pair(fresh.digitFormat, fresh.unit), std::pair(uint8_t(0x20), uint8_t(0)));
    fresh.digitFormat = 0x31;
    EXPECT_EQ(FormatDigitValue(fresh, fresh.start, fresh.startFraction) + u"|" +
                  FormatDigitValue(fresh, fresh.end, fresh.endFraction),
              u"000.0|099.0");
}

TEST(FieldText, TimerPlaceholdersAreBounded) {
    TimerField t;
    for (int k = 0; k < 4; ++k) t.labels[k][0] = u"dhms"[k];
    EXPECT_EQ(FormatTimerField(t), u"DDDdHHhMMmSSs");
    FakeMeasurer m;  // w = 8 at size 16
    EXPECT_EQ(TimerWidth(t, m, false), (3 + 2 + 2 + 2) * 8 + 4 * 8);

    TimerField s;
    s.units = {0, 0, 0, 4};
    EXPECT_EQ(FormatTimerField(s), u"SS");
    TimerField big;
    big.dayDigits = 200;
    big.units = {1, 0, 0, 0};
    big.labels[0].fill(u'x');  // no NUL in the whole label
    EXPECT_EQ(std::pair(FormatTimerField(big), TimerWidth(big, m, false)),
              std::pair(std::u16string(8, u'D') + std::u16string(32, u'x'), 40 * 8));

    // A fresh timer counts from now, shows every unit and no labels.
    ScopedClockOverride clock(LocalTime{2024, 5, 17, 13, 45, 30});
    InitTimerField(big, 4);
    const TimerDateTime now{2024, 5 << 10 | 17 << 5 | 13, 45 << 6 | 30};
    EXPECT_TRUE(big.a == now && big.b == now);
    EXPECT_EQ(std::pair(big.attr, FormatTimerField(big)), std::pair(Make(16, 4, 0), std::u16string(u"DDDHHMMSS")));
}

TEST(FieldSizes, ClocksAndDigitGroups) {
    ClockObject faced;
    faced.style = 3, faced.size = 32;
    EXPECT_EQ(ClockExtent(faced), (CellSize{0, 32}));
    faced.face.push_back(std::make_unique<RawImage>());
    faced.face[0]->displayWidth = 40;
    EXPECT_EQ(ClockExtent(faced), (CellSize{40, 32}));

    DigitGroup g;
    for (uint32_t a : {Make(16, 0, 1), Make(16, 0, 1), Make(20, 0, 1)}) g.digits.emplace_back(u"790"[g.digits.size()], a);
    g.digits.emplace_back(u'.', Make(40, 0, 1));
    FakeMeasurer m;
    EXPECT_EQ(std::pair(DigitGroupWidth(g, m, false), DigitGroupSize(g)), std::pair(8 + 8 + 10, 20));
}

TEST(GridTable, GrowsFromEmptyAndKeepsTemplates) {
    GridObject g;
    EXPECT_FALSE(SetGridSize(g, 0, 2));
    ASSERT_TRUE(SetGridSize(g, 3, 2));
    const auto index = CollectGridCells(g);
    ASSERT_EQ(index.size(), 6u);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(g.cells[index[size_t(k)]].attr, MakeGridMarker(64, 16)) << k;
    EXPECT_EQ((CellSize{g.totalWidth, g.totalHeight}), (CellSize{192, 32}));

    g.cells[index[3]].attr = MakeGridMarker(30, 20, 2);  // row 1, column 0
    g.cells[index[5]].attr = MakeGridMarker(50, 20, 1);  // row 1, column 2
    ASSERT_TRUE(SetGridSize(g, 4, 3));
    const auto grown = CollectGridCells(g);
    ASSERT_EQ(grown.size(), 12u);
    EXPECT_EQ(g.cells[grown[7]].attr, MakeGridMarker(64, 20, 2));   // new column: row 1's first marker, width 64
    EXPECT_EQ(g.cells[grown[10]].attr, MakeGridMarker(50, 20, 1));  // new row: copies row 1
    EXPECT_EQ((CellSize{g.totalWidth, g.totalHeight}), (CellSize{64 * 4, 16 + 20 + 20}));
    InitGridObject(g);  // an emptied table keeps no cells and no size
    EXPECT_EQ(std::tuple(int(g.columns), int(g.rows), g.totalWidth, g.totalHeight, CollectGridCells(g).size()),
              std::tuple(0, 0, 0, 0, size_t(0)));
}

TEST(GridTable, ShrinkFreesDroppedObjectsAndKeepsTexts) {
    Tracked::live = 0;
    {
        GridObject g;
        ASSERT_TRUE(SetGridSize(g, 3, 2));
        FillGridCell(g, 5, {TrackedCell(5)});
        FillGridCell(g, 4, {TextCell(u'e', 0), TrackedCell(4)});
        FillGridCell(g, 2, {TrackedCell(2)});
        FillGridCell(g, 0, {TextCell(u'a', 0), TextCell(u'b', 0)});
        ASSERT_EQ(Tracked::live, 3);
        ASSERT_TRUE(SetGridSize(g, 2, 2));
        EXPECT_EQ(std::tuple(Tracked::live, CellText(g, 0, 0), CellText(g, 1, 1), g.totalWidth),
                  std::tuple(1, std::u16string(u"ab"), std::u16string(u"eo"), 128));

        FreeGridCellObjects(g, CollectGridCells(g), 1, 1);
        EXPECT_EQ(std::pair(Tracked::live, CellText(g, 1, 1)), std::pair(0, std::u16string(u"eo")));
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(GridTable, RefusesWhatDoesNotFitAndCopiesCells) {
    GridObject g;
    EXPECT_FALSE(SetGridSize(g, 255, 255));
    EXPECT_EQ(g.columns, 0);
    ASSERT_TRUE(SetGridSize(g, 3, 1));
    FillGridCell(g, 1, std::vector<TextCell>(2000, TextCell(u'z', 0)));
    EXPECT_FALSE(SetGridSize(g, 3, 20));  // 2003 cells + 57 new markers
    EXPECT_EQ(std::pair(int(g.rows), CellText(g, 1, 0)), std::pair(1, std::u16string(2000, u'z')));
    EXPECT_FALSE(SetGridSize(g, 256, 1));
    ASSERT_TRUE(SetGridSize(g, 3, 10));

    const auto index = CollectGridCells(g);  // cells past the grid copy nothing
    EXPECT_EQ(std::vector<int>({CopyGridCell(g, index, {}, 3, 0), CopyGridCell(g, index, {}, 0, 10),
                                CopyGridCell(g, index, {}, 1, 0), CopyGridCell(g, index, {}, 2, 9)}),
              (std::vector<int>{0, 0, 2001, 1}));
    // A damaged table whose last cell lost its marker: that cell copies nothing.
    GridObject damaged;
    ASSERT_TRUE(SetGridSize(damaged, 2, 2));
    damaged.cells[CollectGridCells(damaged)[3]] = TextCell{};
    const auto three = CollectGridCells(damaged);
    std::vector<TextCell> out(4);
    EXPECT_EQ(std::pair(three.size(), CopyGridCell(damaged, three, out, 1, 1)), std::pair(size_t(3), 0));
}

TEST(GridTable, MeasuresCellTextsThroughTheCallback) {
    GridObject g;
    ASSERT_TRUE(SetGridSize(g, 2, 1));
    g.style = 0x0500;
    g.cells[1].attr = MakeGridMarker(64, 16, 2);
    FillGridCell(g, 0, {TextCell(u'a', 0), TextCell(u'b', 0)});
    std::vector<CellSize> out(2);
    MeasureGridCells(g, CollectGridCells(g), [](const TextHeader& h, std::span<const TextCell> cells, int maxWidth) {
        return CellSize{int32_t(CountCells(cells)) * 100 + h.align * 10 + h.fontSet, maxWidth + h.spread};
    }, 50, 5, out);
    EXPECT_EQ(out, (std::vector<CellSize>{{205, 51}, {25, 51}}));
}

TEST(GridTable, CellCopiesAreDeep) {
    auto grid = std::make_unique<GridObject>();
    ASSERT_TRUE(SetGridSize(*grid, 1, 1));
    FillGridCell(*grid, 0, {TextCell(u'a', 0)});
    const TextCell cell = ObjectCell(FC_TABLE, std::move(grid));
    TextCell copy = cell;
    auto* copied = CellObjectAs<GridObject>(copy);
    ASSERT_TRUE(copied && copied != CellObjectAs<GridObject>(cell));
    copied->cells[1].code = u'b';
    ASSERT_TRUE(SetGridSize(*copied, 2, 2));
    FreeCellObject(copy);
    EXPECT_EQ(copy.obj, nullptr);
    EXPECT_EQ(std::pair(int(CellObjectAs<GridObject>(cell)->columns), CellText(*CellObjectAs<GridObject>(cell), 0, 0)),
              std::pair(1, std::u16string(u"a")));
}
