// A/D value, counter and timer dialog rules.
#include "editors/item_rules.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace ledsuite {
namespace {

AdcListRow Row(int x1, int x2, bool checked = true) {
    AdcListRow r;
    r.row.x1 = uint16_t(x1);
    r.row.x2 = uint16_t(x2);
    r.row.a = 1.5f;
    r.checked = checked;
    return r;
}

AdcDialogValues GoodValues() {
    AdcDialogValues v;
    v.intDigits = 3;
    v.decimals = 2;
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
    EXPECT_EQ(list[0].row.x2, 10);
    EXPECT_TRUE(list[0].checked);
    EXPECT_EQ(list[1].row.x1, 10);
    EXPECT_EQ(list[1].row.x2, 4096);
    EXPECT_TRUE(list[1].checked);
    EXPECT_FALSE(list[2].checked);
    EXPECT_EQ(list[2].row.x2, 0);
}

TEST(AdcRules, ChecksComeInTheirOrderWithTheirMessages) {
    AdcDialogValues v = GoodValues();
    EXPECT_EQ(CheckAdcValues(v), AdcCheck::Ok);
    EXPECT_STREQ(reinterpret_cast<const char*>(AdcCheckMessage(AdcCheck::Ok)), "");

    AdcDialogValues noDigits = v;
    noDigits.intDigits = noDigits.decimals = 0;
    noDigits.rows.clear();  // the digit check comes before the list checks
    EXPECT_EQ(CheckAdcValues(noDigits), AdcCheck::NoDigits);
    EXPECT_EQ(std::u16string(AdcCheckMessage(AdcCheck::NoDigits)), u"整数位数和小数位数不能同时为零");

    AdcDialogValues empty = v;
    empty.rows.clear();
    EXPECT_EQ(CheckAdcValues(empty), AdcCheck::NoRows);

    AdcDialogValues bothBad = v;
    bothBad.rows.push_back(Row(7, 7));     // X1 not below X2 ...
    bothBad.rows.push_back(Row(0, 5000));  // ... comes before the later X2 fault
    EXPECT_EQ(CheckAdcValues(bothBad), AdcCheck::X1NotBelowX2);
    EXPECT_EQ(std::u16string(AdcCheckMessage(AdcCheck::X1NotBelowX2)), u"X1应小于X2");

    AdcDialogValues over = v;
    over.rows.insert(over.rows.begin(), Row(0, 5000));
    over.rows.push_back(Row(9, 3));
    EXPECT_EQ(CheckAdcValues(over), AdcCheck::X2Above4096);
    EXPECT_EQ(std::u16string(AdcCheckMessage(AdcCheck::X2Above4096)), u"X2不能大于4096");

    AdcDialogValues decimalsOnly = v;  // one of the two counts is enough
    decimalsOnly.intDigits = 0;
    EXPECT_EQ(CheckAdcValues(decimalsOnly), AdcCheck::Ok);

    AdcDialogValues unchecked = v;
    for (auto& r : unchecked.rows) r.checked = false;
    unchecked.rows.push_back(Row(9, 3, false));  // unchecked rows are not looked at
    EXPECT_EQ(CheckAdcValues(unchecked), AdcCheck::NoRows);
    EXPECT_EQ(std::u16string(AdcCheckMessage(AdcCheck::NoRows)), u"请输入参数");
}

TEST(AdcRules, ApplyWritesTheWholeFieldKeepingTheAttribute) {
    auto field = std::make_unique<AdcField>();
    field->attr = 0x12345678;
    field->rows[5] = Row(1, 2).row;  // an old row beyond the new ones is cleared
    field->reserved = 9;
    AdcDialogValues v = GoodValues();
    v.channel = 15;
    v.showSign = true;
    v.fillZero = true;
    v.number = 300;
    ApplyAdcValues(v, *field);
    EXPECT_EQ(field->attr, 0x12345678u);
    EXPECT_EQ(field->reserved, 0);
    EXPECT_EQ(field->channel, 15);
    EXPECT_EQ(field->flags, 3);
    EXPECT_EQ(field->digitFormat, 0x32);  // 3 integer digits, 2 decimals
    EXPECT_EQ(field->number, 300);
    EXPECT_EQ(field->rows[0].x2, 100);
    EXPECT_EQ(field->rows[1].x1, 100);  // the unchecked row is skipped
    EXPECT_EQ(field->rows[2].x2, 0);
    EXPECT_EQ(field->rows[5].x2, 0);
    // The dialog reads the same values back.
    const AdcDialogValues back = AdcValuesFromField(*field);
    EXPECT_EQ(back.intDigits, 3);
    EXPECT_EQ(back.decimals, 2);
    EXPECT_TRUE(back.showSign && back.fillZero);
    EXPECT_EQ(back.rows.size(), 16u);
    EXPECT_EQ(back.rows[1].row.x2, 4096);
}

TEST(AdcRules, CellTextsParseTheirLeadingNumber) {
    AdcCalibration row;
    SetAdcCell(row, 5, u"12abc");
    EXPECT_EQ(row.x1, 12);
    EXPECT_EQ(AdcCellText(row, 5), u"12");
    SetAdcCell(row, 6, u"70000");  // held to 16 bits
    EXPECT_EQ(row.x2, 65535);
    SetAdcCell(row, 6, u"-3");
    EXPECT_EQ(row.x2, 0);
    SetAdcCell(row, 2, u"2.5e");
    EXPECT_FLOAT_EQ(row.b, 2.5f);
    EXPECT_EQ(AdcCellText(row, 2), u"2.500000");
    SetAdcCell(row, 1, u"1e300");  // held to what a float keeps
    EXPECT_EQ(row.a, std::numeric_limits<float>::max());
    SetAdcCell(row, 4, u"x");
    EXPECT_EQ(row.d, 0.0f);
    EXPECT_EQ(AdcCellText(row, 0), u"");
    row.a = 1;
    row.d = -0.25f;
    EXPECT_EQ(AdcCellText(row, 1), u"1.000000");
    EXPECT_EQ(AdcCellText(row, 4), u"-0.250000");
    // At most 64 characters are read.
    EXPECT_EQ(ParseAdcInteger(std::u16string(63, u'0') + u"5"), 5);
    EXPECT_EQ(ParseAdcInteger(std::u16string(64, u'0') + u"5"), 0);
    SetAdcCell(row, 7, u"5");  // no such column
    EXPECT_EQ(row.x1, 12);
}

TEST(CounterRules, ParseDecimalText) {
    ParsedDecimal p = ParseDecimalText(u"-12.5");
    EXPECT_EQ(p.integer, -12);
    EXPECT_EQ(p.fraction, 5);
    EXPECT_EQ(p.format, 0x21);
    p = ParseDecimalText(u"300");
    EXPECT_EQ(p.integer, 300);
    EXPECT_EQ(p.format, 0x30);
    EXPECT_EQ(ParseDecimalText(u"abc").format, 0);
    EXPECT_EQ(ParseDecimalText(u"").format, 0);
    EXPECT_EQ(ParseDecimalText(u"-").format, 0);
    // Twenty digits saturate; the counts stop at 15.
    p = ParseDecimalText(u"12345678901234567890.12345678901234567890");
    EXPECT_EQ(p.integer, 2147483647);
    EXPECT_EQ(p.format, 0xF9);  // 30 characters read: 20 integer digits (held to 15) and 9 decimals
    EXPECT_EQ(p.fraction, 123456789);
    p = ParseDecimalText(u"-99999999999999999999");
    EXPECT_EQ(p.integer, -2147483647);
    EXPECT_EQ(p.format, 0xF0);
    // A point before any digit or sign is skipped; a sign after a digit too.
    p = ParseDecimalText(u".5-1");
    EXPECT_EQ(p.integer, 51);
    EXPECT_EQ(p.format, 0x20);
    p = ParseDecimalText(u"+.25");
    EXPECT_EQ(p.integer, 0);
    EXPECT_EQ(p.fraction, 25);
    EXPECT_EQ(p.format, 0x02);
    p = ParseDecimalText(u"1.2.3 x");
    EXPECT_EQ(p.fraction, 23);
    EXPECT_EQ(p.format, 0x12);
}

TEST(CounterRules, TriggerItemsAndCodes) {
    const int expected[kCounterTriggerItems] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < kCounterTriggerItems; ++i) {
        EXPECT_EQ(CounterTriggerCode(i), expected[i]);
        EXPECT_EQ(CounterTriggerIndex(expected[i]), i);
    }
    EXPECT_EQ(CounterTriggerCode(7 + 2 * 2 + 1), 13);  // falling edge of input 2
    EXPECT_EQ(CounterTriggerIndex(7), 0);
    EXPECT_EQ(CounterTriggerIndex(16), 0);
    EXPECT_EQ(CounterTriggerIndex(255), 0);
    CounterField stored;
    stored.unit = 7;
    stored.channel = 40;
    const CounterField work = CounterForDialog(stored);
    EXPECT_EQ(work.unit, 0);
    EXPECT_EQ(work.channel, 11);
}

TEST(CounterRules, ApplyWritesOnlyWhenBothValuesHoldADigit) {
    CounterField field;
    field.attr = 0xABCD;
    CounterDialogValues v{u"-12.5", u"300", 12, 3, true};
    ASSERT_EQ(ApplyCounterValues(v, field), CounterCheck::Ok);
    EXPECT_EQ(field.start, -12);
    EXPECT_EQ(field.startFraction, 5);
    EXPECT_EQ(field.end, 300);
    EXPECT_EQ(field.endFraction, 0);
    EXPECT_EQ(field.digitFormat, 0x31);
    EXPECT_EQ(field.unit, 13);
    EXPECT_EQ(field.channel, 3);
    EXPECT_EQ(field.flags, 1);
    EXPECT_EQ(field.attr, 0xABCDu);

    const CounterField before = field;
    v.startText = u"abc";
    EXPECT_EQ(ApplyCounterValues(v, field), CounterCheck::NoStart);
    EXPECT_EQ(std::u16string(CounterCheckMessage(CounterCheck::NoStart)), u"请输入开始数值");
    v.startText = u"1";
    v.endText = u"";
    EXPECT_EQ(ApplyCounterValues(v, field), CounterCheck::NoEnd);
    EXPECT_EQ(std::u16string(CounterCheckMessage(CounterCheck::NoEnd)), u"请输入结束数值");
    EXPECT_EQ(field.start, before.start);
    EXPECT_EQ(field.digitFormat, before.digitFormat);
    EXPECT_EQ(field.unit, before.unit);
    v = {u"1", u"2", 40, 99, false};  // indices past the lists are held to the last item
    ASSERT_EQ(ApplyCounterValues(v, field), CounterCheck::Ok);
    EXPECT_EQ(field.unit, 15);
    EXPECT_EQ(field.channel, 11);
    // Nibble-wise maximum: 3 integer digits from one, 2 decimals from the other.
    EXPECT_EQ(MaxDigitFormat(0x31, 0x12), 0x32);
}

TEST(TimerRules, PackingAndTheUnitCheck) {
    const LocalTime now{2024, 2, 3, 4, 5, 6, 6, 700};
    TimerField field;
    field.attr = 0x5555;
    field.dayDigits = 0;
    field.mode = 9;
    field.units = {1, 0, 3, 0};
    field.a = {2023, uint16_t(12 << 10 | 31 << 5 | 23), uint16_t(59 << 6 | 58)};
    TimerDialogValues v = TimerValuesFromField(field, now);
    EXPECT_EQ(v.dayLengthIndex, 0);
    EXPECT_EQ(v.mode, 1);
    EXPECT_EQ(v.units, (std::array<bool, 4>{true, false, true, false}));
    EXPECT_EQ(v.a.year, 2023);
    EXPECT_EQ(v.a.month, 12);
    EXPECT_EQ(v.a.day, 31);
    EXPECT_EQ(v.a.hour, 23);
    EXPECT_EQ(v.a.minute, 59);
    EXPECT_EQ(v.a.second, 58);
    EXPECT_EQ(v.a.weekday, 6);
    EXPECT_EQ(v.a.millisecond, 700);

    v.labels[0] = std::u16string(40, u'd');  // cut to 31 units and a terminator
    v.labels[1] = u"时";
    v.b = LocalTime{2030, 6, 15, 8, 30, 0};
    ASSERT_TRUE(ApplyTimerValues(v, field));
    EXPECT_EQ(field.dayDigits, 1);
    EXPECT_EQ(field.units, (std::array<uint8_t, 4>{1, 0, 3, 0}));
    EXPECT_EQ(field.b.year, 2030);
    EXPECT_EQ(field.b.monthDayHour, 6 << 10 | 15 << 5 | 8);
    EXPECT_EQ(field.b.minuteSecond, 30 << 6);
    EXPECT_EQ(field.a.minuteSecond, 59 << 6 | 58);
    EXPECT_EQ(field.Label(0), std::u16string(31, u'd'));
    EXPECT_EQ(field.labels[0][31], 0);
    EXPECT_EQ(field.Label(1), u"时");
    EXPECT_EQ(field.attr, 0x5555u);

    const TimerDateTime before = field.b;
    v.units = {};
    v.b = LocalTime{};
    EXPECT_FALSE(ApplyTimerValues(v, field));
    EXPECT_EQ(field.b, before);
    EXPECT_EQ(std::u16string(kTimerNoUnitMessage), u"请选择显示项！");
}

}  // namespace
}  // namespace ledsuite

namespace ledsuite {
namespace {

TEST(ClockRules, APickLeavesOneFittedFrameAndNoPickNoImage) {
    ClockObject clock;
    clock.size = 32;
    SetClockFace(clock, CreateImage(64, 16));
    SetClockFace(clock, CreateImage(20, 10));
    ASSERT_EQ(clock.face.size(), 1u);
    EXPECT_EQ(clock.style, 3);
    EXPECT_EQ(clock.face[0]->width, 20);
    EXPECT_EQ(clock.face[0]->displayHeight, 32);
    EXPECT_EQ(clock.face[0]->displayWidth, 64);
    SetClockFace(clock, nullptr);
    EXPECT_EQ(clock.style, 0);
    EXPECT_TRUE(clock.face.empty());
}

}  // namespace
}  // namespace ledsuite
