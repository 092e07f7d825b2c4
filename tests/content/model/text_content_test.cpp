#include <gtest/gtest.h>

#include "content/model/field_objects.h"
#include "content/model/text_content.h"
#include "tests/content/fake_measurer.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;
using namespace CellAttr;

namespace {

std::unique_ptr<TextContent> MakeText(std::u16string_view chars, uint32_t attr) {
    auto t = std::make_unique<TextContent>();
    PutText(*t, chars, attr);
    return t;
}

TextCell DigitCell(std::initializer_list<uint32_t> attrs) {
    auto g = std::make_unique<DigitGroup>();
    char16_t d = u'1';
    for (uint32_t a : attrs) g->digits.emplace_back(d++, a);
    g->digits.emplace_back(u'x', Make(99, 0, 7));  // ends the run
    return ObjectCell(FC_DIGITS, std::move(g));
}

FontTables Tables(int installed, std::vector<std::u16string> defaults) {
    FontTables f;
    for (int i = 0; i < installed; ++i) f.installed.push_back(u"Face" + std::u16string(1, char16_t(u'A' + i)));
    f.defaults = std::move(defaults);
    return f;
}

// The 16-bit units after the 6-byte stream head.
std::vector<uint16_t> Units(const ByteWriter& w) {
    std::vector<uint16_t> u;
    for (size_t i = 6; i + 1 < w.size(); i += 2) u.push_back(LoadU16(w.data() + i));
    return u;
}

}  // namespace

TEST(CellAttrOps, SnapAndMaskFollowTheCardRules) {
    const std::pair<int, int> snaps[] = {{11, 8}, {12, 12}, {14, 12}, {15, 16},  {37, 32},
                                         {38, 48}, {95, 80}, {96, 128}, {200, 128}};
    for (auto [in, out] : snaps) EXPECT_EQ(SnapCardFontSize(in), out) << in;

    const uint32_t target = Make(20, 3, 1, Bold | Strikeout);
    uint32_t t = target;
    ApplyAttrMask(&t, AttrMask::Size, Make(7, 9, 4));  // a size below 8 is not taken
    ApplyAttrMask(&t, AttrMask::Strikeout, Make(30, 9, 4));  // strikeout never
    EXPECT_EQ(t, target);
    ApplyAttrMask(&t, AttrMask::Bold | AttrMask::Italic | AttrMask::Font | AttrMask::Color | AttrMask::Size,
                  Make(30, 9, 4, Italic | Underline));
    EXPECT_EQ(t, Make(30, 9, 4, Italic | Strikeout));
    ApplyAttrMask(nullptr, AttrMask::Size, Make(30, 9, 4));
}

TEST(CellAttrOps, ObjectCellsTakeOnlyWhatTheyCarry) {
    FakeMeasurer m;
    TextCell pic = PictureCell(20, 10);
    ApplyCellAttrMask(pic, Make(8, 0, 0), AttrMask::Size);  // 8 is not above 8
    EXPECT_EQ(CellFontSize(pic), 10);
    ApplyCellAttrMask(pic, Make(30, 5, 7), AttrMask::Size | AttrMask::Color);
    EXPECT_EQ(std::pair(CellExtent(pic, m, false, false), CellColor(pic)), std::pair(CellSize{60, 30}, 0xFFFFFFu));

    auto grid = std::make_unique<GridObject>();
    ASSERT_TRUE(SetGridSize(*grid, 2, 2));
    TextCell table = ObjectCell(FC_TABLE, std::move(grid));
    ApplyCellAttrMask(table, Make(48, 1, 7), 0x7FF);
    SetCellFontSize(table, 48);
    EXPECT_EQ(CellFontSize(table), 32);  // its own height, untouched
    EXPECT_EQ(SetCellFontIndexAndSize(table, 1, 20), 0);
    EXPECT_FALSE(CreateCellFont(table, false, Tables(2, {})).has_value());

    auto adc = std::make_unique<AdcField>();
    AdcField* f = adc.get();
    TextCell field = ObjectCell(FC_ADC, std::move(adc));
    ApplyCellAttrMask(field, Make(24, 2, 2), AttrMask::Size | AttrMask::Color);
    EXPECT_EQ(std::pair(f->attr, field.attr), std::pair(Make(24, 0, 2), 0u));

    TextCell g = DigitCell({Make(12, 1, 1), Make(20, 1, 4)});
    EXPECT_EQ(std::pair(CellFontSize(g), CellPaletteIndex(&g)), std::pair(20, 11));  // the last digit's colour
    SetCellFontSize(g, 5);
    const auto& digits = CellObjectAs<DigitGroup>(g)->digits;
    EXPECT_EQ(std::vector<uint32_t>({digits[0].attr, digits[1].attr, digits[2].attr}),
              (std::vector<uint32_t>{Make(8, 1, 1), Make(8, 1, 4), Make(99, 0, 7)}));  // raised to 8, up to the run's end
    EXPECT_EQ(CellAttrPtr(ObjectCell(FC_DIGITS, std::make_unique<DigitGroup>())), nullptr);
}

TEST(CellAttrOps, FontIndexColourAndFont) {
    const FontTables fonts = Tables(40, {u"宋体"});
    TextCell c(u'A', Make(9, 2, 5, Bold | Italic));
    SetCellFontIndex(c, 5, fonts, false);
    const uint32_t installed = FontOf(c.attr);
    SetCellFontIndex(c, 5, fonts, true);  // a card text: one default face
    EXPECT_EQ(std::pair(installed, FontOf(c.attr)), std::pair(5u, 0u));
    EXPECT_EQ(SetCellFontIndexAndSize(c, 7, 24), 1);
    EXPECT_EQ(c.attr, Make(24, 7, 5));

    EXPECT_EQ(std::tuple(CellPaletteIndex(nullptr), CellPaletteIndex(&c), CellColor(c)), std::tuple(5, 14, 0xFF00FFu));
    SetCellColor(c, 0x80007F);
    EXPECT_EQ(CellColor(c), 0xFF0000u);
    c.attr &= ~ColorMask;
    EXPECT_EQ(CellPaletteIndex(&c), 5);

    TextCell far(u'A', Make(30, 1023, 0, Bold | Underline));
    EXPECT_EQ(*CreateCellFont(far, false, fonts), (CellFont{u"FaceA", 30, 700, false, true, false}));
    EXPECT_EQ(CreateCellFont(TextCell(u'A', Make(12, 0, 0, Italic)), true, fonts)->face, u"宋体");
}

TEST(CellExtentTest, UnitWidthsFollowTheSmallSizeAndSnapRules) {
    FakeMeasurer m;  // size 20: w = 10
    EXPECT_EQ(CellExtent(TextCell(), m, true, true), (CellSize{0, 0}));
    EXPECT_EQ(CellExtent(TextCell(u'A', Make(20, 0, 1)), m, true, true), (CellSize{8, 20}));
    EXPECT_TRUE(m.lastDefaultTable);
    EXPECT_EQ(CellExtent(TextCell(FC_YEAR, Make(20, 0, 1)), m, false, false), (CellSize{40, 20}));
    EXPECT_EQ(CellExtent(TextCell(FC_SECOND, Make(20, 0, 1)), m, true, false), (CellSize{16, 20}));
    // Size 8: the year takes 6 then snaps to 8; the weekday snaps 4 to 8, then becomes 6.
    EXPECT_EQ(CellExtent(TextCell(FC_YEAR, Make(8, 0, 1)), m, true, false), (CellSize{32, 8}));
    EXPECT_EQ(CellExtent(TextCell(FC_WEEK_EN, Make(8, 0, 1)), m, true, false), (CellSize{54, 8}));
    EXPECT_EQ(CellExtent(TextCell(FC_LYRIC, Make(10, 0, 1)), m, true, false), (CellSize{21, 10}));
    EXPECT_EQ(CellExtent(TextCell(FC_TEMPERATURE, Make(20, 0, 1, Bold)), m, false, false), (CellSize{11, 20}));

    auto adc = std::make_unique<AdcField>();
    adc->digitFormat = MakeDigitFormat(3, 2), adc->flags = AdcField::FlagSign, adc->attr = Make(20, 0, 1);
    EXPECT_EQ(CellExtent(ObjectCell(FC_ADC, std::move(adc)), m, false, false), (CellSize{70, 20}));  // "+iii.dd"
}

TEST(TextCells, CountAndThaiClasses) {
    EXPECT_EQ(CountCells(*MakeText(std::u16string(kMaxCells, u'x'), 0)), kMaxCells);

    const std::pair<char16_t, int> classes[] = {{0x0E38, 0}, {0x0E31, 1}, {0x0E4E, 1}, {0x0E4A, 2}, {0x0E46, 3},
                                                {0x0E5B, 3}, {0x0E3F, 4}, {0x0E59, 4}, {0x0E01, 5}, {0x0E32, 5},
                                                {0x0E3B, -1}, {u'A', -1}};
    for (auto [code, cls] : classes) EXPECT_EQ(ThaiCharClass(TextCell(code, 0)), cls) << int(code);
    EXPECT_EQ(std::pair(IsThaiChar(TextCell(0x0E5B, 0)), IsThaiChar(TextCell(0x0E5C, 0))), std::pair(true, false));
}

TEST(ConvertCardFontSetTest, LaddersAndTranslation) {
    const FontTables none;
    auto t = MakeText(u"abcd", 0);
    const int sizes[] = {8, 16, 22, 30}, expected[] = {12, 16, 24, 32};
    for (int i = 0; i < 4; ++i) t->cells[i].attr = Make(sizes[i], 5, 2, Bold | Italic | Strikeout);
    t->cells[4] = PictureCell(10, 10);
    ConvertCardFontSet(*t, 3, none);
    EXPECT_EQ(t->header.fontSet, 3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t->cells[i].attr, Make(expected[i], 0, 2, Strikeout)) << i;
    EXPECT_EQ(CellFontSize(t->cells[4]), 12);

    const auto before = t->cells[0].attr;
    ConvertCardFontSet(*t, 6, none);  // no ladder for 6
    EXPECT_EQ(std::pair(t->header.fontSet, t->cells[0].attr), std::pair(uint8_t(3), before));
    auto empty = MakeText(u"", 0);
    ConvertCardFontSet(*empty, 6, none);
    EXPECT_EQ(empty->header.fontSet, 6);

    const FontTables fonts{{u"Arial", u"宋体 Regular", u"黑体"}, {u"宋体", u"黑体", u"楷体"}, 1};
    auto sys = MakeText(u"ab", Make(60, 0, 1));
    sys->cells[0].attr = Make(60, 2, 1);
    ConvertCardFontSet(*sys, 0x35, fonts);  // mode 8 or more from system fonts: translated by face name
    EXPECT_EQ(std::make_pair(sys->cells[0].attr, sys->cells[1].attr), std::make_pair(Make(64, 1, 1), Make(64, 0, 1)));
    sys->cells[0].attr = Make(16, 2, 1), sys->cells[1].attr = Make(16, 0, 1);  // "楷体" is not installed
    ConvertCardFontSet(*sys, 0, fonts);
    EXPECT_EQ(std::tuple(sys->header.fontSet, FontOf(sys->cells[0].attr), FontOf(sys->cells[1].attr)),
              std::tuple(uint8_t(0), 1u, 1u));
}

TEST(SerializeTextForCardTest, HeadUnitsAndAttributeMarkers) {
    const uint32_t a = Make(16, 1, 1);
    ByteWriter w;
    EXPECT_EQ(SerializeTextForCard(*MakeText(u"AB", a), w), 18);
    EXPECT_EQ(std::vector<uint8_t>(w.data(), w.data() + 6), (std::vector<uint8_t>{0, 4, 0x00, 0xFF, 6, 0}));
    EXPECT_EQ(Units(w), (std::vector<uint16_t>{0xE001, uint16_t(a), uint16_t(a >> 16), u'A', u'B', 0}));

    ByteWriter e, small(10);
    auto empty = MakeText(u"", 0);
    empty->header.fontSet = 3, empty->header.align = 2, empty->header.spread = 0;
    EXPECT_EQ(SerializeTextForCard(*empty, e), 8);
    EXPECT_EQ(std::vector<uint8_t>(e.data(), e.data() + 8), (std::vector<uint8_t>{3, 2, 0x00, 0xFF, 1, 0, 0, 0}));
    EXPECT_EQ(SerializeTextForCard(*MakeText(u"AB", a), small), -1);

    GridObject g;  // one table of about 2050 units; 32 of them pass the 16-bit unit count
    ASSERT_TRUE(SetGridSize(g, 1, 1));
    for (int i = 1; i < kMaxCells; ++i) g.cells[i] = TextCell(u'z', 0);
    auto many = MakeText(u"", 0);
    for (int k = 0; k < 32; ++k) many->cells[k] = ObjectCell(FC_TABLE, g.Clone());
    ByteWriter big;
    EXPECT_EQ(SerializeTextForCard(*many, big), -1);
    many->cells[31] = TextCell();
    EXPECT_GT(SerializeTextForCard(*many, big), 0);
}

TEST(SerializeTextForCardTest, FieldsTablesAndObjects) {
    const uint32_t a = Make(16, 0, 1), b = Make(24, 0, 4), d = Make(12, 0, 2);
    auto t = MakeText(u"X", 0);  // attribute 0: no marker for the first cell
    auto adc = std::make_unique<AdcField>();
    adc->attr = a;
    t->cells[1] = ObjectCell(FC_ADC, std::move(adc));
    t->cells[1].attr = 0xDEAD;  // the cell's own word is not the field's attribute
    t->cells[2] = DigitCell({b, d});
    t->cells[3] = ObjectCell(FC_DIGITS, std::make_unique<DigitGroup>());  // no digits: attribute 0
    t->cells[4] = PictureCell(4, 4);
    t->cells[5] = TextCell(FC_GRIDCELL, 0x1234);  // stray marker
    auto grid = std::make_unique<GridObject>();
    ASSERT_TRUE(SetGridSize(*grid, 2, 1));
    grid->style = 0x02CC;
    const uint32_t m0 = grid->cells[0].attr, m1 = grid->cells[1].attr;
    grid->cells[1] = TextCell(u'p', b);
    grid->cells[2] = ObjectCell(FC_TABLE, std::make_unique<GridObject>());  // a table in a table
    grid->cells[3] = TextCell(FC_GRIDCELL, m1);
    grid->cells[4] = TextCell(u'q', a);
    grid->cells[5] = TextCell(FC_GRIDCELL, m1);  // one marker more than 2 x 1
    grid->cells[6] = TextCell(u'r', d);
    t->cells[6] = ObjectCell(FC_TABLE, std::move(grid));
    t->cells[7] = TextCell(u'Y', a);

    ByteWriter w;
    ASSERT_GT(SerializeTextForCard(*t, w), 0);
    const std::vector<uint16_t> expect = {
        u'X', 0xE001, uint16_t(a), uint16_t(a >> 16), FC_ADC, 0xE001, uint16_t(d), uint16_t(d >> 16), FC_DIGITS,
        0xE001, 0, 0, FC_DIGITS, FC_PICTURE,
        FC_TABLE, 0xCC00, 0x0102, FC_GRIDCELL, uint16_t(m0), uint16_t(m0 >> 16), 0xE001, uint16_t(b),
        uint16_t(b >> 16), u'p', FC_GRIDCELL, uint16_t(m1), uint16_t(m1 >> 16), 0xE001, uint16_t(a),
        uint16_t(a >> 16), u'q', 0,
        u'Y', 0};
    EXPECT_EQ(Units(w), expect);
    EXPECT_EQ(LoadU16(w.data() + 4), expect.size());
}
