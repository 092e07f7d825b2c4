// Item dialog rules: A/D value, counter, timer, clock, picture editor and frame editor tiles.
#include <array>
#include <fstream>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "editors/frame_tiles.h"
#include "editors/item_rules.h"
#include "editors/picture_rules.h"
#include "content/render/otsu_threshold.h"
#include "tests/link/link_test_util.h"

namespace ledsuite {
namespace {

namespace fs = std::filesystem;

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

TEST(AdcRules, ChecksInTheirOrderAndCellTexts) {
    using V = AdcDialogValues;
    // Each case changes the good values; the first check that fails (in this order) is told.
    const struct { void (*change)(V&); AdcCheck check; std::u16string_view message; } cases[] = {
        {[](V&) {}, AdcCheck::Ok, u""},
        // the digit check comes before the list checks
        {[](V& v) { v.intDigits = v.decimals = 0, v.rows.clear(); }, AdcCheck::NoDigits,
         u"The integer and decimal digits cannot both be zero"},
        {[](V& v) { v.rows.clear(); }, AdcCheck::NoRows, u"Please enter the parameters"},
        // X1 not below X2 comes before a later X2 fault
        {[](V& v) { v.rows.push_back(Row(7, 7)), v.rows.push_back(Row(0, 5000)); }, AdcCheck::X1NotBelowX2,
         u"X1 must be less than X2"},
        {[](V& v) { v.rows.insert(v.rows.begin(), Row(0, 5000)), v.rows.push_back(Row(9, 3)); }, AdcCheck::X2Above4096,
         u"X2 cannot be greater than 4096"},
        {[](V& v) { v.intDigits = 0; }, AdcCheck::Ok, u""},  // one of the two counts is enough
        // unchecked rows are not looked at
        {[](V& v) { for (auto& r : v.rows) r.checked = false; v.rows.push_back(Row(9, 3, false)); }, AdcCheck::NoRows,
         u"Please enter the parameters"},
    };
    for (const auto& c : cases) {
        V v = GoodValues();
        c.change(v);
        EXPECT_EQ(std::tuple(CheckAdcValues(v), AdcCheckMessage(CheckAdcValues(v))), std::tuple(c.check, c.message))
            << (&c - cases);
    }
    // Cell texts parse their leading number.
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
    EXPECT_EQ(std::tuple(ParseLeadingInteger(std::u16string(63, u'0') + u"5"),
                         ParseLeadingInteger(std::u16string(64, u'0') + u"5")), std::tuple(5, 0));
    SetAdcCell(row, 7, u"5");  // no such column
    EXPECT_EQ(row.x1, 12);
}

TEST(AdcRules, ApplyWritesTheWholeFieldAndTheListShowsValidStoredRows) {
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
    // The list shows the valid stored rows packed from the top.
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

TEST(CounterRules, ParseDecimalTextTriggerItemsAndApplyingOnlyWhenBothValuesHoldADigit) {
    const struct { std::u16string_view text; int32_t integer, fraction; uint8_t format; } table[] = {
        {u"-12.5", -12, 5, 0x21}, {u"300", 300, 0, 0x30}, {u"abc", 0, 0, 0}, {u"", 0, 0, 0}, {u"-", 0, 0, 0},
        // Twenty digits saturate; the counts stop at 15. 30 characters are read: 20 integer
        // digits (held to 15) and 9 decimals.
        {u"12345678901234567890.12345678901234567890", 2147483647, 123456789, 0xF9},
        {u"-99999999999999999999", -2147483647, 0, 0xF0},
        // A point before any digit or sign is skipped; a sign after a digit too.
        {u".5-1", 51, 0, 0x20}, {u"+.25", 0, 25, 0x02}, {u"1.2.3 x", 1, 23, 0x12},
    };
    for (const auto& row : table) {
        const ParsedDecimal p = ParseDecimalText(row.text);
        EXPECT_EQ(std::tuple(p.integer, p.fraction, p.format), std::tuple(row.integer, row.fraction, row.format))
            << (&row - table);
    }
    const int expected[kCounterTriggerItems] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < kCounterTriggerItems; ++i)
        EXPECT_EQ(std::tuple(CounterTriggerCode(i), CounterTriggerIndex(expected[i])), std::tuple(expected[i], i));
    EXPECT_EQ(CounterTriggerCode(7 + 2 * 2 + 1), 13);  // falling edge of input 2
    for (int unused : {7, 16, 255}) EXPECT_EQ(CounterTriggerIndex(unused), 0) << unused;
    CounterField stored;
    stored.unit = 7, stored.channel = 40;
    const CounterField work = CounterForDialog(stored);
    EXPECT_EQ(std::tuple(work.unit, work.channel), std::tuple(uint8_t(0), uint8_t(11)));
    // Apply writes only when both values hold a digit.
    CounterField field;
    field.attr = 0xABCD;
    CounterDialogValues v{u"-12.5", u"300", 12, 3, true};
    ASSERT_EQ(ApplyCounterValues(v, field), CounterCheck::Ok);
    EXPECT_EQ(std::tuple(field.start, field.startFraction, field.end, field.endFraction, field.digitFormat, field.unit,
                         field.channel, field.flags, field.attr), std::tuple(-12, 5, 300, 0, 0x31, 13, 3, 1, 0xABCDu));

    const CounterField before = field;
    v.startText = u"abc";
    EXPECT_EQ(ApplyCounterValues(v, field), CounterCheck::NoStart);
    v.startText = u"1", v.endText = u"";
    EXPECT_EQ(ApplyCounterValues(v, field), CounterCheck::NoEnd);
    EXPECT_EQ(std::tuple(std::u16string(CounterCheckMessage(CounterCheck::NoStart)),
                         std::u16string(CounterCheckMessage(CounterCheck::NoEnd))),
              std::tuple(u"Please enter the start value", u"Please enter the end value"));
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
    EXPECT_EQ(std::tuple(v.dayLengthIndex, v.mode, v.units),
              std::tuple(0, 1, std::array<bool, 4>{true, false, true, false}));
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
    EXPECT_EQ(std::tuple(field.b, std::u16string(kTimerNoUnitMessage())),
              std::tuple(before, u"Please choose what to show!"));
}

std::unique_ptr<RawImage> Frame(int width, int height, int displayHeight) {
    auto f = CreateImage(uint16_t(width), uint16_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) f->row32(y)[x] = (x + y) & 1 ? 0xFFFFFF : 0;
    f->displayHeight = displayHeight;
    return f;
}

TEST(PictureRules, SteppingThresholdItemsAndFrameSizes) {
    // index, frames -> previous, next, clamped (an index outside is held inside first); without
    // frames the index is 0, never -1
    const std::array<int, 5> steps[] = {
        {0, 5, 0, 1, 0}, {3, 5, 2, 4, 3}, {4, 5, 3, 4, 4}, {1, 5, 0, 2, 1}, {9, 5, 3, 4, 4}, {-3, 5, 0, 1, 0},
        {0, 0, 0, 0, 0}};
    for (const auto& [index, count, previous, next, clamped] : steps)
        EXPECT_EQ(std::tuple(PreviousFrameIndex(index, count), NextFrameIndex(index, count),
                             ClampFrameIndex(index, count)), std::tuple(previous, next, clamped)) << index;
    // The items show 1..254: a threshold above 254 shows as 254, below 1 as 1.
    const std::pair<int, int> shown[] = {{128, 127}, {255, 253}, {254, 253}, {0, 0}, {1, 0}};
    for (auto [threshold, item] : shown) EXPECT_EQ(ThresholdItem(threshold), item) << threshold;
    const std::pair<int, int> read[] = {{127, 128}, {0, 1}, {253, 254}, {-1, 1}};
    for (auto [item, threshold] : read) EXPECT_EQ(ThresholdOfItem(item), threshold) << item;
    // Frame sizes: one frame or all, and the sizes refused.
    FrameVector frames;
    for (int i = 0; i < 2; ++i) frames.push_back(Frame(10, 10, 10));
    ImageSizeValues v{30, 7, 1, 2, 3, 4, false};
    ASSERT_TRUE(ApplyImageSize(frames, 1, v));
    EXPECT_EQ(std::tuple(frames[0]->width, frames[0]->pause), std::tuple(10, uint8_t(30)));
    // 10 x 30 / 7, integer division
    EXPECT_EQ(std::tuple(frames[1]->width, frames[1]->displayWidth, frames[1]->greenThreshold),
              std::tuple(30, 42, uint8_t(3)));
    // Same size: no resampling, only pause and thresholds.
    v = ImageSizeValuesOf(*frames[0]);
    v.pause = 99;
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    EXPECT_EQ(std::tuple(frames[0]->pause, frames[0]->displayWidth), std::tuple(uint8_t(99), 10));
    // Sizes of 0 or below are refused, so nothing divides by them.
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-4, 5}, {5, -1}, {70000, 70000}}) {
        v.width = w, v.height = h;
        EXPECT_FALSE(ApplyImageSize(frames, 0, v));
    }
    EXPECT_EQ(frames[0]->width, 10);
    EXPECT_TRUE(ApplyImageSize(frames, 2, ImageSizeValues{5, 5}));  // outside: nothing to do
    EXPECT_EQ(frames[1]->width, 30);
    ASSERT_TRUE(ApplyImageSize(frames, 1, ImageSizeValues{30, 9}));  // the same width, another height
    EXPECT_EQ(frames[1]->height, 9);
    v = ImageSizeValues{6, 1, 4};  // one row is a size
    ASSERT_TRUE(ApplyImageSize(frames, 1, v));
    EXPECT_EQ(std::tuple(frames[1]->height, frames[1]->pause), std::tuple(1, uint8_t(4)));
    // A frame without pixels cannot be resampled and is left alone.
    frames.push_back(std::make_unique<RawImage>());
    v.applyAll = true, v.pause = 77;
    ASSERT_TRUE(ApplyImageSize(frames, 0, v));
    EXPECT_EQ(std::tuple(frames[0]->pause, frames[2]->pause), std::tuple(uint8_t(77), uint8_t(30)));
}

RawImage Picture(int width, int height, uint32_t (*pixel)(int x, int y)) {
    RawImage image;
    ResetImage(image, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.row32(y)[x] = pixel(x, y);
    return image;
}

TEST(FrameTiles, MaskTableAndHitCell) {
    const struct { int code; uint32_t mask; } masks[] = {
        {5, 0x0000FF}, {12, 0x00FFFF}, {17, 0x00FFFF}, {13, 0xFFFF00}, {16, 0xFFFF00},
        {14, 0xFF00FF}, {15, 0xFF00FF}, {0, 0}, {6, 0}, {11, 0}, {18, 0}, {255, 0},
    };
    for (const auto& row : masks) EXPECT_EQ(FrameCellMask(row.code), row.mask) << row.code;
    // pixel -> cell; x = -1 outside the grid (a point left of it is not column 0)
    const struct { int px, py, x, y; } hits[] = {
        {130, 15, 0, 0}, {130 + 15 * 16 - 1, 15 + 15 * 8 - 1, 15, 7}, {130 + 15 * 3 + 14, 15 + 15 * 2, 3, 2},
        {129, 20, -1, -1}, {140, 14, -1, -1}, {130 + 15 * 16, 20, -1, -1}, {140, 15 + 15 * 8, -1, -1},
        {-100, -100, -1, -1}};
    for (const auto& h : hits) {
        const FrameCellHit hit = FrameCellAt(h.px, h.py);
        EXPECT_EQ(std::tuple(hit.x, hit.valid() ? hit.y : -1), std::tuple(h.x, h.y)) << h.px << "," << h.py;
    }
}

TEST(FrameTiles, TilesAndCellsBothWays) {
    // 32 x 16: red where x < 16 and y < 8, blue elsewhere; green on the diagonal.
    const RawImage tile = Picture(32, 16, [](int x, int y) -> uint32_t {
        const uint32_t base = x < 16 && y < 8 ? 0xFF0000 : 0x0000FF;
        return base | (x == y ? 0x00FF00 : 0);
    });
    FrameCells cells;
    for (auto& row : cells) row.fill(7);
    const ImageSize size = CellsFromTile(tile, cells);
    EXPECT_EQ(std::tuple(size.width, size.height), std::tuple(16, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(cells[y][x], x == y ? 3 : 1) << x << "," << y;

    // A small tile clears every cell outside it.
    const RawImage small = Picture(2, 1, [](int x, int) -> uint32_t { return x ? 0xFFFFFF : 0; });
    EXPECT_EQ(CellsFromTile(small, cells).width, 2);
    EXPECT_EQ(std::tuple(cells[0][0], cells[0][1], cells[3][3]), std::tuple(0, 7, 0));
    EXPECT_EQ(CellsFromTile(RawImage{}, cells).width, 0);
    // Cells become full-intensity pixels and back.
    cells = {};
    cells[0][0] = 1, cells[0][1] = 2, cells[1][0] = 4, cells[1][1] = 3;
    const RawImage image = TileFromCells(cells, 2, 2);
    ASSERT_TRUE(image.is32());
    EXPECT_EQ(std::tuple(image.row32(0)[0], image.row32(0)[1], image.row32(1)[0], image.row32(1)[1]),
              std::tuple(0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u));
    FrameCells back;
    EXPECT_EQ(CellsFromTile(image, back).height, 2);
    EXPECT_EQ(back, cells);
    EXPECT_EQ(TileFromCells(cells, 99, 0).width, 16);  // sizes held to the grid
}

TEST(FrameTiles, SaveDeleteAndTheChosenTileAsTheBorder) {
    testing::TempDir dir;
    auto sub = [&dir](const char* name) { return (dir.path / name).string(); };
    const std::string res = sub("res"), user = sub("user");
    fs::create_directories(res);
    FrameCells cells{};
    cells[0][0] = 1;
    for (int n = 0; n < 5; ++n) ASSERT_EQ(WriteBmpFile(TileFromCells(cells, 4, 2), BorderFrameFile(res, n)), 1);
    EXPECT_EQ(std::tuple(FirstFreeTileNumber({res}), FirstFreeTileNumber({sub("none")})), std::tuple(5, 0));

    EXPECT_EQ(SaveFrameTile(cells, 1, 1, sub("fresh"), {}).path, sub("fresh") + "/0.bmp");
    const FrameTile saved = SaveFrameTile(cells, 3, 2, user, {res});
    EXPECT_EQ(std::tuple(saved.path, saved.userOwned, fs::exists(saved.path)), std::tuple(user + "/5.bmp", true, true));
    const FrameTile second = SaveFrameTile(cells, 3, 2, user, {res});
    EXPECT_EQ(second.path, user + "/6.bmp");
    // A folder that cannot be made (a file stands in its way) saves nothing.
    std::ofstream(sub("file")) << "x";
    EXPECT_TRUE(SaveFrameTile(cells, 2, 2, sub("file") + "/zu_frame", {}).path.empty());

    std::vector<FrameTile> tiles = LoadFrameTiles(res, user);
    ASSERT_EQ(tiles.size(), 7u);
    EXPECT_EQ(std::tuple(tiles[5].path, tiles[5].image.width, tiles[0].userOwned), std::tuple(saved.path, 3, false));
    // the resource folder is never written
    EXPECT_EQ(std::tuple(DeleteFrameTile(tiles, 0), DeleteFrameTile(tiles, 7), DeleteFrameTile(tiles, -1)),
              std::tuple(false, false, false));
    EXPECT_TRUE(fs::exists(BorderFrameFile(res, 0)));
    ASSERT_TRUE(DeleteFrameTile(tiles, 6));
    EXPECT_EQ(std::tuple(fs::exists(second.path), fs::exists(saved.path), tiles.size()), std::tuple(false, true, 6u));
    const auto once = LoadFrameTiles(res, res);  // one folder given twice is listed once, read only
    ASSERT_EQ(once.size(), 5u);
    EXPECT_FALSE(once[0].userOwned);

    // A tile whose file went away cannot be deleted and stays listed.
    fs::remove(saved.path);
    EXPECT_FALSE(DeleteFrameTile(tiles, 5));
    EXPECT_EQ(tiles.size(), 6u);
    // The chosen tile becomes the border's one frame; no choice keeps the frames.
    FrameVector frames;
    for (int i = 0; i < 2; ++i) frames.push_back(CreateImage(2, 2));
    SetCustomBorderTile(nullptr, frames);
    EXPECT_EQ(frames.size(), 2u);
    FrameTile tile{TileFromCells(FrameCells{}, 5, 3), "x.bmp", false};
    SetCustomBorderTile(&tile, frames);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(std::tuple(frames[0]->width, frames[0]->height), std::tuple(5, 3));
}

TEST(ItemRules, ChannelsFromZeroDecimalsScaledSignsKeptDayLengthAndFacesRemoved) {
    AdcDialogValues adc = GoodValues();
    AdcField adcField;
    adcField.channel = 3;
    ApplyAdcValues(adc, adcField);  // channel 0 stays 0
    AdcCalibration row;
    row.x2 = 4000;
    EXPECT_EQ(std::tuple(adcField.channel, AdcCellText(row, 6)), std::tuple(uint8_t(0), u"4000"));

    // start, end -> start, its fraction, end, its fraction (the channel 0 kept)
    const std::tuple<const char16_t*, const char16_t*, int, int, int, int> counters[] = {
        {u"1.5", u"2.125", 1, 500, 2, 125}, {u"-0.5", u"3", 0, -5, 3, 0}, {u"-1.5", u"0.25", -1, 50, 0, 25}};
    for (auto [start, end, s, sf, e, ef] : counters) {
        CounterField f;
        f.channel = 5;
        ASSERT_EQ(ApplyCounterValues({start, end, 0, 0, false}, f), CounterCheck::Ok);
        EXPECT_EQ(std::tuple(f.start, f.startFraction, f.end, f.endFraction, f.channel),
                  std::tuple(s, sf, e, ef, uint8_t(0))) << std::string(start, start + 4);
    }

    TimerDialogValues t;
    t.units[0] = true, t.dayLengthIndex = 20;
    TimerField timer;
    ASSERT_TRUE(ApplyTimerValues(t, timer));
    timer.labels[1].fill(u'x');  // a label of 32 units without a terminator shows 31
    EXPECT_EQ(std::tuple(timer.dayDigits, TimerValuesFromField(timer, LocalTime{}).labels[1].size()),
              std::tuple(uint8_t(kMaxTimerDayDigits), size_t(kTimerLabelUnits - 1)));

    ClockObject clock;
    clock.size = 16;
    SetClockFace(clock, CreateImage(4, 4));
    SetClockFace(clock, nullptr);
    EXPECT_EQ(std::tuple(clock.style, clock.face.empty()), std::tuple(uint8_t(0), true));
}

TEST(PictureRules, SizeEdgesAWidthAloneAndAFileThatDoesNotLoad) {
    FrameVector frames;
    frames.push_back(Frame(10, 10, 10));
    // The largest picture is still a size (checked before the frame index).
    EXPECT_TRUE(ApplyImageSize(frames, 5, ImageSizeValues{8192, 8192}));
    EXPECT_TRUE(ApplyImageSize(frames, 1, ImageSizeValues{4, 4}));  // one past the last frame: nothing to do
    EXPECT_EQ(frames[0]->width, 10);
    ASSERT_TRUE(ApplyImageSize(frames, 0, ImageSizeValues{40, 10}));  // another width, the same height
    EXPECT_EQ(frames[0]->width, 40);
    ASSERT_TRUE(ApplyImageSize(frames, 0, ImageSizeValues{1, 10}));  // one column is a size
    EXPECT_EQ(frames[0]->width, 1);
    EXPECT_EQ(std::tuple(AppendImageFile(frames, "/nonexistent/none.png"), frames.size()), std::tuple(size_t(0), size_t(1)));
}

TEST(FrameTiles, EachColourIsCutAtItsOwnThreshold) {
    // Three channels of unrelated levels: each cell bit follows its own channel's threshold.
    auto red = [](int x, int y) { return (x * 37 + y * 11) % 256; };
    auto green = [](int x, int y) { return (x * 53 + y * 29 + 100) % 256; };
    auto blue = [](int x, int y) { return (x * 17 + y * 71 + 50) % 256; };
    RawImage tile;
    ASSERT_TRUE(ResetImage(tile, 8, 2));
    std::array<std::array<uint8_t, 16>, 3> channel{};  // red, green, blue, 8 x 2 each
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) {
            tile.row32(y)[x] = uint32_t(red(x, y) << 16 | green(x, y) << 8 | blue(x, y));
            channel[0][size_t(y * 8 + x)] = uint8_t(red(x, y));
            channel[1][size_t(y * 8 + x)] = uint8_t(green(x, y));
            channel[2][size_t(y * 8 + x)] = uint8_t(blue(x, y));
        }
    int threshold[3];
    for (int c = 0; c < 3; ++c) threshold[c] = OtsuThreshold(2, 8, channel[size_t(c)].data(), 1);
    FrameCells cells{};
    ASSERT_EQ(CellsFromTile(tile, cells).width, 8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(cells[size_t(y)][size_t(x)], (red(x, y) >= threshold[0] ? 1 : 0) |
                                                   (green(x, y) >= threshold[1] ? 2 : 0) |
                                                   (blue(x, y) >= threshold[2] ? 4 : 0)) << x << "," << y;
}

TEST(FrameTiles, TheEdgesOfTheTileListAndAOneRowTile) {
    FrameCells cells{};
    cells[0][0] = 1;
    EXPECT_EQ(TileFromCells(cells, 3, 1).height, 1);

    testing::TempDir dir;
    const std::string full = (dir.path / "full").string();
    fs::create_directories(full);
    for (int n = 0; n <= kMaxFrameTileNumber; ++n) std::ofstream(BorderFrameFile(full, n)) << "";
    EXPECT_EQ(FirstFreeTileNumber({full}), -1);  // every number taken
    const std::string user = (dir.path / "user").string();
    const FrameTile mine = SaveFrameTile(cells, 2, 1, user, {});
    std::vector<FrameTile> tiles{mine};
    EXPECT_FALSE(DeleteFrameTile(tiles, 1));  // one past the end
    EXPECT_TRUE(DeleteFrameTile(tiles, 0));   // the first tile is the user's own
    EXPECT_FALSE(fs::exists(mine.path));
}

}  // namespace
}  // namespace ledsuite
