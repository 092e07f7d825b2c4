// A/D value, counter and timer dialog rules.
#include "editors/item_rules.h"

#include <limits>
#include <tuple>

#include <gtest/gtest.h>

namespace ledsuite {
namespace {

AdcListRow Row(int x1, int x2, bool checked = true) {
    AdcListRow r;
    r.row.x1 = uint16_t(x1), r.row.x2 = uint16_t(x2), r.row.a = 1.5f;
    r.checked = checked;
    return r;
}

AdcDialogValues GoodValues() {
    AdcDialogValues v;
    v.intDigits = 3, v.decimals = 2;
    v.rows = {Row(0, 100), Row(5, 5, false), Row(100, 4096)};
    return v;
}

TEST(AdcRules, ListShowsValidStoredRowsPackedFromTheTop) {
    auto field = std::make_unique<AdcField>();
    field->rows[0] = Row(100, 100).row;  // X1 = X2: hidden
    field->rows[1] = Row(0, 10).row;
    field->rows[2] = Row(0, 5000).row;   // above 4096: hidden
    field->rows[3] = Row(10, 4096).row;
    field->rows[16] = Row(1, 2).row;     // past the 16 rows the list walks
    const auto list = AdcListFromField(*field);
    EXPECT_EQ(std::tuple(list[0].row.x2, list[0].checked), std::tuple(10, true));
    EXPECT_EQ(std::tuple(list[1].row.x1, list[1].row.x2, list[1].checked), std::tuple(10, 4096, true));
    EXPECT_EQ(std::tuple(list[2].row.x2, list[2].checked), std::tuple(0, false));
}

TEST(AdcRules, ChecksComeInTheirOrderWithTheirMessages) {
    using V = AdcDialogValues;
    // Each case changes the good values; the first check that fails (in this order) is told.
    const struct { void (*change)(V&); AdcCheck check; std::u16string_view message; } cases[] = {
        {[](V&) {}, AdcCheck::Ok, u""},
        // the digit check comes before the list checks
        {[](V& v) { v.intDigits = v.decimals = 0, v.rows.clear(); }, AdcCheck::NoDigits,
         u"整数位数和小数位数不能同时为零"},
        {[](V& v) { v.rows.clear(); }, AdcCheck::NoRows, u"请输入参数"},
        // X1 not below X2 comes before a later X2 fault
        {[](V& v) { v.rows.push_back(Row(7, 7)), v.rows.push_back(Row(0, 5000)); }, AdcCheck::X1NotBelowX2,
         u"X1应小于X2"},
        {[](V& v) { v.rows.insert(v.rows.begin(), Row(0, 5000)), v.rows.push_back(Row(9, 3)); }, AdcCheck::X2Above4096,
         u"X2不能大于4096"},
        {[](V& v) { v.intDigits = 0; }, AdcCheck::Ok, u""},  // one of the two counts is enough
        // unchecked rows are not looked at
        {[](V& v) { for (auto& r : v.rows) r.checked = false; v.rows.push_back(Row(9, 3, false)); }, AdcCheck::NoRows,
         u"请输入参数"},
    };
    for (const auto& c : cases) {
        V v = GoodValues();
        c.change(v);
        const AdcCheck check = CheckAdcValues(v);
        EXPECT_EQ(check, c.check) << (&c - cases);
        EXPECT_EQ(AdcCheckMessage(check), c.message) << (&c - cases);
    }
}

TEST(AdcRules, ApplyWritesTheWholeFieldKeepingTheAttribute) {
    auto field = std::make_unique<AdcField>();
    field->attr = 0x12345678, field->reserved = 9;
    field->rows[5] = Row(1, 2).row;  // an old row beyond the new ones is cleared
    AdcDialogValues v = GoodValues();
    v.channel = 15, v.showSign = true, v.fillZero = true, v.number = 300;
    ApplyAdcValues(v, *field);
    // 3 integer digits and 2 decimals make 0x32
    EXPECT_EQ(std::tuple(field->attr, field->reserved, field->channel, field->flags, field->digitFormat, field->number),
              std::tuple(0x12345678u, 0, 15, 3, 0x32, 300));
    // the unchecked row is skipped
    EXPECT_EQ(std::tuple(field->rows[0].x2, field->rows[1].x1, field->rows[2].x2, field->rows[5].x2),
              std::tuple(100, 100, 0, 0));
    // The dialog reads the same values back.
    const AdcDialogValues back = AdcValuesFromField(*field);
    EXPECT_EQ(std::tuple(back.intDigits, back.decimals, back.showSign, back.fillZero, back.rows.size()),
              std::tuple(3, 2, true, true, 16u));
    EXPECT_EQ(back.rows[1].row.x2, 4096);
}

TEST(AdcRules, CellTextsParseTheirLeadingNumber) {
    AdcCalibration row;
    SetAdcCell(row, 5, u"12abc");
    EXPECT_EQ(std::tuple(row.x1, AdcCellText(row, 5)), std::tuple(uint16_t(12), std::u16string(u"12")));
    SetAdcCell(row, 6, u"70000");  // held to 16 bits
    EXPECT_EQ(row.x2, 65535);
    SetAdcCell(row, 6, u"-3");
    EXPECT_EQ(row.x2, 0);
    SetAdcCell(row, 2, u"2.5e");
    EXPECT_EQ(std::tuple(row.b, AdcCellText(row, 2)), std::tuple(2.5f, std::u16string(u"2.500000")));
    SetAdcCell(row, 1, u"1e300");  // held to what a float keeps
    EXPECT_EQ(row.a, std::numeric_limits<float>::max());
    SetAdcCell(row, 4, u"x");
    EXPECT_EQ(row.d, 0.0f);
    row.a = 1, row.d = -0.25f;
    EXPECT_EQ(std::tuple(AdcCellText(row, 0), AdcCellText(row, 1), AdcCellText(row, 4)),
              std::tuple(u"", u"1.000000", u"-0.250000"));
    // At most 64 characters are read.
    EXPECT_EQ(std::tuple(ParseAdcInteger(std::u16string(63, u'0') + u"5"), ParseAdcInteger(std::u16string(64, u'0') + u"5")),
              std::tuple(5, 0));
    SetAdcCell(row, 7, u"5");  // no such column
    EXPECT_EQ(row.x1, 12);
}

TEST(CounterRules, ParseDecimalText) {
    const struct { std::u16string_view text; int32_t integer, fraction; uint8_t format; } table[] = {
        {u"-12.5", -12, 5, 0x21},
        {u"300", 300, 0, 0x30},
        {u"abc", 0, 0, 0},
        {u"", 0, 0, 0},
        {u"-", 0, 0, 0},
        // Twenty digits saturate; the counts stop at 15. 30 characters are read: 20 integer
        // digits (held to 15) and 9 decimals.
        {u"12345678901234567890.12345678901234567890", 2147483647, 123456789, 0xF9},
        {u"-99999999999999999999", -2147483647, 0, 0xF0},
        // A point before any digit or sign is skipped; a sign after a digit too.
        {u".5-1", 51, 0, 0x20},
        {u"+.25", 0, 25, 0x02},
        {u"1.2.3 x", 1, 23, 0x12},
    };
    for (const auto& row : table) {
        const ParsedDecimal p = ParseDecimalText(row.text);
        EXPECT_EQ(std::tuple(p.integer, p.fraction, p.format), std::tuple(row.integer, row.fraction, row.format))
            << (&row - table);
    }
}

TEST(CounterRules, TriggerItemsAndCodes) {
    const int expected[kCounterTriggerItems] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < kCounterTriggerItems; ++i) {
        EXPECT_EQ(CounterTriggerCode(i), expected[i]);
        EXPECT_EQ(CounterTriggerIndex(expected[i]), i);
    }
    EXPECT_EQ(CounterTriggerCode(7 + 2 * 2 + 1), 13);  // falling edge of input 2
    for (int unused : {7, 16, 255}) EXPECT_EQ(CounterTriggerIndex(unused), 0) << unused;
    CounterField stored;
    stored.unit = 7, stored.channel = 40;
    const CounterField work = CounterForDialog(stored);
    EXPECT_EQ(std::tuple(work.unit, work.channel), std::tuple(uint8_t(0), uint8_t(11)));
}

TEST(CounterRules, ApplyWritesOnlyWhenBothValuesHoldADigit) {
    CounterField field;
    field.attr = 0xABCD;
    CounterDialogValues v{u"-12.5", u"300", 12, 3, true};
    ASSERT_EQ(ApplyCounterValues(v, field), CounterCheck::Ok);
    EXPECT_EQ(std::tuple(field.start, field.startFraction, field.end, field.endFraction),
              std::tuple(-12, 5, 300, 0));
    EXPECT_EQ(std::tuple(field.digitFormat, field.unit, field.channel, field.flags, field.attr),
              std::tuple(0x31, 13, 3, 1, 0xABCDu));

    const CounterField before = field;
    v.startText = u"abc";
    EXPECT_EQ(ApplyCounterValues(v, field), CounterCheck::NoStart);
    v.startText = u"1", v.endText = u"";
    EXPECT_EQ(ApplyCounterValues(v, field), CounterCheck::NoEnd);
    EXPECT_EQ(std::tuple(std::u16string(CounterCheckMessage(CounterCheck::NoStart)),
                         std::u16string(CounterCheckMessage(CounterCheck::NoEnd))),
              std::tuple(u"请输入开始数值", u"请输入结束数值"));
    EXPECT_EQ(std::tuple(field.start, field.digitFormat, field.unit),
              std::tuple(before.start, before.digitFormat, before.unit));
    v = {u"1", u"2", 40, 99, false};  // indices past the lists are held to the last item
    ASSERT_EQ(ApplyCounterValues(v, field), CounterCheck::Ok);
    EXPECT_EQ(std::tuple(field.unit, field.channel), std::tuple(uint8_t(15), uint8_t(11)));
    // Nibble-wise maximum: 3 integer digits from one, 2 decimals from the other.
    EXPECT_EQ(MaxDigitFormat(0x31, 0x12), 0x32);
}

TEST(TimerRules, PackingAndTheUnitCheck) {
    const LocalTime now{2024, 2, 3, 4, 5, 6, 6, 700};
    TimerField field;
    field.attr = 0x5555, field.dayDigits = 0, field.mode = 9;
    field.units = {1, 0, 3, 0};
    field.a = {2023, uint16_t(12 << 10 | 31 << 5 | 23), uint16_t(59 << 6 | 58)};
    TimerDialogValues v = TimerValuesFromField(field, now);
    EXPECT_EQ(std::tuple(v.dayLengthIndex, v.mode), std::tuple(0, 1));
    EXPECT_EQ(v.units, (std::array<bool, 4>{true, false, true, false}));
    EXPECT_EQ(std::tuple(v.a.year, v.a.month, v.a.day, v.a.hour, v.a.minute, v.a.second, v.a.weekday, v.a.millisecond),
              std::tuple(2023, 12, 31, 23, 59, 58, 6, 700));

    v.labels[0] = std::u16string(40, u'd');  // cut to 31 units and a terminator
    v.labels[1] = u"时";
    v.b = LocalTime{2030, 6, 15, 8, 30, 0};
    ASSERT_TRUE(ApplyTimerValues(v, field));
    EXPECT_EQ(std::tuple(field.dayDigits, field.units, field.a.minuteSecond, field.attr),
              std::tuple(1, std::array<uint8_t, 4>{1, 0, 3, 0}, 59 << 6 | 58, 0x5555u));
    EXPECT_EQ(field.b, (TimerDateTime{2030, 6 << 10 | 15 << 5 | 8, 30 << 6}));
    EXPECT_EQ(std::tuple(field.Label(0), field.labels[0][31], field.Label(1)),
              std::tuple(std::u16string(31, u'd'), 0, u"时"));

    const TimerDateTime before = field.b;
    v.units = {}, v.b = LocalTime{};
    EXPECT_FALSE(ApplyTimerValues(v, field));
    EXPECT_EQ(field.b, before);
    EXPECT_EQ(std::u16string(kTimerNoUnitMessage), u"请选择显示项！");
}

TEST(ClockRules, APickLeavesOneFittedFrameAndNoPickNoImage) {
    ClockObject clock;
    clock.size = 32;
    SetClockFace(clock, CreateImage(64, 16));
    SetClockFace(clock, CreateImage(20, 10));
    ASSERT_EQ(clock.face.size(), 1u);
    EXPECT_EQ(std::tuple(clock.style, clock.face[0]->width, clock.face[0]->displayHeight, clock.face[0]->displayWidth),
              std::tuple(3, 20, 32, 64));
    SetClockFace(clock, nullptr);
    EXPECT_EQ(std::tuple(clock.style, clock.face.empty()), std::tuple(0, true));
}

}  // namespace
}  // namespace ledsuite
