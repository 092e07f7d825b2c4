#include "content/card/program_encoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <vector>

#include "content/model/crc16.h"
#include "content/render/font_tables.h"
#include "content/render/item_painters.h"
#include "content/model/lang.h"
#include "content/model/text_codec.h"
#include "content/render/led_planes.h"
#include "tests/content/layout_helpers.h"
#include "tests/content/image_walker.h"

using namespace ledsuite;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::_;

namespace {

using Bytes = std::vector<uint8_t>;

struct Built {
    Bytes bytes;  // the image (the whole buffer when the build failed)
    int32_t result = 0;
    uint32_t position = 0;
};

// Builds into an exactly `limit`-byte heap buffer, so that any write past the
// limit is caught by the address sanitizer.
Built Build(const ProgramTree& tree, size_t limit = kImageLimit, const EncodeHooks& hooks = {}) {
    Built b;
    b.bytes.assign(limit, 0xFF);
    b.position = 0xDEADBEEF;
    b.result = BuildProgramImage(b.bytes.data(), &b.position, tree, limit, hooks);
    if (b.result > 0) b.bytes.resize(size_t(b.result));
    return b;
}

Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

// A screen whose programs use card font set `fontSet` (0: system fonts).
ProgramTree Screen(uint8_t fontSet, size_t programs = 1, uint16_t fontChip = 0x0001) {
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = fontChip, hw.cardSubtype = 2;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    for (size_t i = 0; i < programs; ++i) tree.AddProgram(0)->record->content.header.fontSet = fontSet;
    return tree;
}

ProgramRecord& Program(ProgramTree& tree, size_t set = 0, size_t index = 0) { return *tree.program(set, index)->record; }

// The text head of program `index` of set `set`.
size_t TextHead(const Bytes& b, size_t set, size_t index) {
    const size_t record = LoadU16(&b[4 + 10 * set]) + 14 * index;
    const size_t header = LoadU16(&b[record]);
    size_t body = LoadU32(&b[header + 6]);
    if (b[header + 1] & 0x02) body += 4;
    if (b[header + 1] & 0x01) body += 3;
    return body + 12 * b[header];
}

template <class T>
TextCell ObjectCell(char16_t code, std::unique_ptr<T> object) {
    TextCell cell(code, 0);
    cell.obj = std::move(object);
    return cell;
}

constexpr uint32_t kText16 = CellAttr::Make(16, 0, 0);

}  // namespace

TEST(ProgramEncoder, SmallestImageAndTheTreeChecks) {
    ProgramTree tree = Screen(1);
    tree.SetProgramKind(0, 0, kKindLyricShow);  // a lyric show without text is encoded
    Built b = Build(tree);
    ASSERT_EQ(b.result, 68);
    EXPECT_EQ(b.position, 0u);
    EXPECT_THAT(Slice(b.bytes, 57, 6), ElementsAre(128, 0, 32, 0, 14, 0));  // form 14, the area's size
    EXPECT_THAT(CheckProgramImage(b.bytes), IsEmpty());

    // No set; no buffer; a limit below 0xFFFF.
    ProgramTree empty;
    EXPECT_EQ(Build(empty).result, kEncodeNoSet);
    uint32_t pos = 7;
    EXPECT_EQ(BuildProgramImage(nullptr, &pos, tree, kImageLimit), kEncodeNoSet);
    EXPECT_EQ(Build(tree, 0xFFFE).result, kEncodeNoSet);

    // The second set has no program: -2 at set 1. An earlier program without text wins.
    tree.AddProgramSet();
    b = Build(tree);
    EXPECT_EQ(b.result, kEncodeEmptySet);
    EXPECT_EQ(b.position, 0x00010000u);
    tree.AddProgram(0);
    tree.AddProgram(0);
    PutText(Program(tree, 0, 1).content, u"A", kText16);
    b = Build(tree);
    EXPECT_EQ(b.result, kEncodeEmptyProgram);
    EXPECT_EQ(b.position, 0x00000002u);
    EXPECT_THAT(Slice(b.bytes, 0, 4), ElementsAre(0xFF, 0xFF, 0xFF, 0xFF));  // nothing written
}

TEST(ProgramEncoder, ErrorMessagesInEveryLanguage) {
    SetUiLanguage(3);
    EXPECT_EQ(FormatEncodeError(kEncodeNoSet, 0), u"No Progarms");
    EXPECT_EQ(FormatEncodeError(kEncodeEmptySet, 0x00010000), u"Progarms[2] have no program");
    EXPECT_EQ(FormatEncodeError(kEncodeEmptyProgram, 0x00000002), u"The program[3] in progarms[1] has no content");
    EXPECT_EQ(FormatEncodeError(kEncodeTooLarge, 0), u"Failed to code the program, \r\nplease re-edit the progarm");
    SetUiLanguage(1);
    EXPECT_EQ(FormatEncodeError(kEncodeNoSet, 0), u"没有节目集");
    EXPECT_EQ(FormatEncodeError(kEncodeEmptySet, 0x00010000), u"节目集 [2] 没有节目");
    EXPECT_EQ(FormatEncodeError(kEncodeEmptyProgram, 0x00000002), u"节目集 [1] 的节目 [3] 没有内容");
    EXPECT_EQ(FormatEncodeError(kEncodeTooLarge, 0), u"节目编码失败, 请重新编辑节目");
    SetUiLanguage(2);
    EXPECT_EQ(FormatEncodeError(kEncodeEmptyProgram, 0x00030001), u"節目集 [4] 的節目 [2] 沒有內容");
    EXPECT_EQ(FormatEncodeError(kEncodeTooLarge, 0), u"節目編碼失敗, 請重新編輯節目");
    ResetUiLanguageForTests();
}

TEST(ProgramEncoder, PlayParametersOfEveryModeAndTheScheduleBlock) {
    ProgramTree tree = Screen(1, 0);
    for (int i = 0; i < 7; ++i) tree.AddProgramSet();
    for (size_t s = 0; s < 8; ++s) {
        tree.AddProgram(s);
        PutText(Program(tree, s).content, u"A", kText16);
        ProgramSetRecord& r = *tree.set(s)->record;
        r.playMode = uint8_t(s == 7 ? 9 : s), r.weekdays = 0x41, r.duration = 0x0123;
        r.dates[0] = {0x2C21, 0x2D9F};
        r.periods = {0x30002000, 0x4000, 0x50005000, 0x10002000, 0x70006000};
    }
    const Built b = Build(tree);
    ASSERT_GT(b.result, 0);
    auto params = [&](size_t s) { return Slice(b.bytes, 4 + 10 * s + 4, 6); };
    EXPECT_THAT(params(0), ElementsAre(0, 0, 0, 0, 0, 0));
    EXPECT_THAT(params(1), ElementsAre(0x23, 0x01, 0, 0, 1, 0));
    EXPECT_THAT(params(2), ElementsAre(0x00, 0x20, 0x00, 0x30, 2, 0));
    EXPECT_THAT(params(3), ElementsAre(0x41, 0, 0x41, 0, 3, 0));
    EXPECT_THAT(params(4), ElementsAre(0x21, 0x2C, 0x9F, 0x2D, 4, 0));
    EXPECT_THAT(params(5), ElementsAre(0, 0, 0, 0, 5, 0));
    EXPECT_THAT(params(7), ElementsAre(0, 0, 0, 0, 9, 0));
    const size_t sched = LoadU16(&b.bytes[68]) | size_t(LoadU16(&b.bytes[70])) << 16;
    // Weekdays, one range, the periods whose start is before their end; the program records follow at once.
    EXPECT_THAT(Slice(b.bytes, sched, 15),
                ElementsAre(0x41, 1, 0x21, 0x2C, 0x9F, 0x2D, 2, 0x00, 0x20, 0x00, 0x30, 0x00, 0x60, 0x00, 0x70));
    EXPECT_EQ(LoadU16(&b.bytes[4 + 60]), sched + 15);
    const ImageWalk walk = WalkProgramImage(b.bytes);
    EXPECT_THAT(walk.problems, IsEmpty());
    EXPECT_EQ(walk.programs, 8u);
}

class CommandStreamTest : public RenderTest {
protected:
    Bytes Encode(const TextContent& text, int width, int height, int effect, uint8_t order, CellSize* size = nullptr) {
        ProgramImage image(0x10000);
        items.clear();
        const CellSize s = EncodeCommandStream(image, rc, text, width, height, effect, order, 0, 0, items);
        if (size) *size = s;
        return Bytes(image.bytes().begin(), image.bytes().end());
    }
    std::vector<PendingItem> items;
};

TEST_F(CommandStreamTest, LinesColoursSizesAndOffsets) {
    TextContent t;
    t.header.fontSet = 1, t.header.spread = 0;
    const uint32_t red16 = CellAttr::Make(16, 0, 1), red24 = CellAttr::Make(24, 0, 1);
    t.cells[0] = TextCell(u'A', kText16);
    t.cells[1] = TextCell(u'B', red16);
    t.cells[2] = TextCell(u'\n', red16);
    t.cells[3] = TextCell(u'C', red24);
    t.cells[4] = TextCell(u'D', kText16);  // stands 8 pixels lower in its 24-pixel line
    CellSize size;
    EXPECT_THAT(Encode(t, 128, 32, kEffectBlindsHorizontal, 0, &size),
                ElementsAre(0xFD, 3, 0, 0, 0, 0, 0xFA, 16, 0, 'A', 0xFB, 9, 0, 'B', 0, '\n',  //
                            0xFD, 3, 0, 0, 32, 0, 0xFA, 24, 0, 'C',                           //
                            0xFD, 2, 40, 0, 0xFB, 0, 0xFA, 16, 0, 'D', 0, 0));
    EXPECT_EQ(size, (CellSize{128, 64}));  // two pages

    // A non-zero byte-order flag: parameter byte first, characters as UTF-16.
    t.cells[2] = TextCell();
    EXPECT_THAT(Encode(t, 128, 32, kEffectBlindsHorizontal, 1),
                ElementsAre(3, 0xFD, 0, 0, 0, 0, 16, 0xFA, 'A', 0, 9, 0xFB, 'B', 0, 0, 0));

    // A character the code page lacks is sent as "?".
    t.cells[1] = TextCell(u'ก', kText16);
    EXPECT_THAT(Encode(t, 128, 32, kEffectBlindsHorizontal, 0),
                ElementsAre(0xFD, 3, 0, 0, 0, 0, 0xFA, 16, 0, 'A', 0, '?', 0, 0));

    // Above mode 7 every line's first character names its font.
    t.header.fontSet = 8;
    t.cells[0] = TextCell(u'中', kText16 | 2u << CellAttr::FontShift);
    t.cells[1] = TextCell(u'\n', kText16 | 2u << CellAttr::FontShift);
    t.cells[2] = TextCell(u'x', kText16 | 2u << CellAttr::FontShift);
    t.cells[3] = TextCell();
    EXPECT_THAT(Encode(t, 128, 32, kEffectBlindsHorizontal, 0),
                ElementsAre(0xFD, 3, 0, 0, 0, 0, 0xF9, 2, 0xFA, 16, 0xD6, 0xD0, 0, '\n',  //
                            0xFD, 3, 0, 0, 16, 0, 0xF9, 2, 0, 'x', 0, 0));

    // A move to the left breaks the lines within the area as well, each piece in
    // an area-wide slot of the row: "ABC" at 0, "D" at 28.
    TextContent m;
    m.header.fontSet = 1;
    PutText(m, u"ABCD", kText16);
    EXPECT_THAT(Encode(m, 28, 16, kEffectMoveLeft, 0, &size),
                ElementsAre(0xFD, 3, 0, 0, 0, 0, 0xFA, 16, 0, 'A', 0, 'B', 0, 'C',  //
                            0xFD, 3, 28, 0, 0, 0, 0, 'D', 0, 0));
    EXPECT_EQ(size, (CellSize{36, 16}));
}

TEST_F(CommandStreamTest, AlignmentFieldsPicturesAndClocks) {
    // Eight 5-pixel pictures make a 40-pixel line in a 64-pixel area.
    TextContent t;
    t.header.fontSet = 1;
    for (int i = 0; i < 8; ++i) t.cells[size_t(i)] = PictureCell(5, 16);
    t.header.align = 1;
    Bytes b = Encode(t, 64, 16, kEffectBlindsHorizontal, 0);
    EXPECT_THAT(Slice(b, 0, 8), ElementsAre(0xFD, 3, 12, 0, 0, 0, 0xFC, 0x0E));
    EXPECT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0].kind, kItemPicture);
    EXPECT_EQ(items[0].place.offset, 8u);
    t.header.align = 3;
    b = Encode(t, 64, 16, kEffectBlindsHorizontal, 0);
    EXPECT_THAT(Slice(b, 0, 8), ElementsAre(0xFD, 7, 0, 0, 0, 0, 2, 0));  // (64 - 40) / 9
    b = Encode(t, 64, 16, kEffectMoveLeftContinue, 0);  // continuous moves are left-aligned
    EXPECT_THAT(Slice(b, 0, 6), ElementsAre(0xFD, 3, 0, 0, 0, 0));

    // Dynamic fields point at code tables; A-D values are characters; clocks write nothing.
    TextContent f;
    f.header.fontSet = 1;
    f.cells[0] = TextCell(FC_HOUR, kText16);
    f.cells[1] = TextCell(FC_WEEK_EN_SHORT, kText16);
    f.cells[2] = ObjectCell(FC_CLOCK, std::make_unique<ClockObject>());
    f.cells[3] = TextCell(FC_CARD18, kText16);
    f.cells[4] = ObjectCell(FC_ADC, std::make_unique<AdcField>());
    b = Encode(f, 128, 16, kEffectBlindsHorizontal, 0);
    EXPECT_THAT(Slice(b, 6, 4), ElementsAre(0xFA, 16, 0xFC, 3));
    EXPECT_THAT(Slice(b, 14, 2), ElementsAre(0xFC, 15));
    EXPECT_THAT(Slice(b, 20, 2), ElementsAre(0xFC, 18));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, kItemCodeTable);
    EXPECT_EQ(items[0].subKind, kFieldTableDigits);
    EXPECT_EQ(items[1].subKind, kFieldTableWeekdayEn);
    // The A-D value is its code in the code page's user-defined row, then the 0 unit ends the stream.
    EXPECT_THAT(Slice(b, 26, b.size() - 26), ElementsAre(0xAA, 0xCA, 0, 0));
}

TEST_F(CommandStreamTest, TableRulesAndCells) {
    auto grid = std::make_unique<GridObject>();
    InitGridObject(*grid);
    ASSERT_TRUE(SetGridSize(*grid, 2, 2));
    const std::vector<uint16_t> index = CollectGridCells(*grid);
    ASSERT_EQ(index.size(), 4u);
    const uint32_t words[4] = {MakeGridMarker(20, 10), MakeGridMarker(30, 10), MakeGridMarker(20, 12),
                               MakeGridMarker(30, 12, 1)};
    for (size_t k = 0; k < 4; ++k) grid->cells[index[k]].attr = words[k];
    grid->cells[index[3] + 1] = TextCell(u'Z', kText16);
    grid->totalWidth = 50, grid->totalHeight = 22;
    grid->style = 0x24 | 1u << 8;  // red frame, texts in card font set 1
    ProgramImage image(0x10000);
    ASSERT_TRUE(EncodeTableCommands(image, rc, *grid, 0, items));
    const Bytes b(image.bytes().begin(), image.bytes().end());
    EXPECT_THAT(Slice(b, 0, 18), ElementsAre(0xFC, 0x18, 0, 0, 5, 0, 50, 0, 22, 0, 2, 2, 0x24, 1, 0, 0, 0xFC, 0x1B));
    auto rule = [&](size_t i) { return Slice(b, 16 + 12 * i, 12); };
    // Colour ((0x124 >> 2) & 0xFF) << 4; horizontal rules at 0, 10 and 22 - 1, vertical at 0, 20, 49.
    EXPECT_THAT(rule(0), ElementsAre(0xFC, 0x1B, 0x90, 0x04, 0, 0, 0, 0, 48, 0, 0, 0));
    EXPECT_THAT(rule(1), ElementsAre(0xFC, 0x1B, 0x90, 0x04, 0, 0, 10, 0, 48, 0, 10, 0));
    EXPECT_THAT(rule(2), ElementsAre(0xFC, 0x1B, 0x90, 0x04, 0, 0, 21, 0, 48, 0, 21, 0));
    EXPECT_THAT(rule(4), ElementsAre(0xFC, 0x1B, 0x90, 0x04, 20, 0, 0, 0, 20, 0, 20, 0));
    EXPECT_THAT(rule(5), ElementsAre(0xFC, 0x1B, 0x90, 0x04, 49, 0, 0, 0, 49, 0, 20, 0));
    // Empty cells are their word alone; the last cell's text starts at its corner, centred.
    const size_t cells = 16 + 12 * 6;
    EXPECT_THAT(Slice(b, cells, 6), ElementsAre(0xFC, 0x1A, 20, 0xA0, 0, 0));
    const int zWidth = SnapCardFontSize(rc.measurer.CharWidth(u'Z', kText16, true));
    EXPECT_THAT(Slice(b, cells + 18, b.size() - cells - 18),
                ElementsAre(0xFC, 0x1A, 30, 0xC0, 0, 1, 0xFD, 3, 20 + (30 - zWidth) / 2, 0, 10, 0, 0xFA, 16, 0,
                            'Z', 0xFC, 0x19));
}

TEST(ProgramEncoder, CommandFormImagesShareCodeTablesAndKeepTablesInPlace) {
    ProgramTree tree = Screen(1, 2);
    for (size_t p = 0; p < 2; ++p) {
        TextContent& t = Program(tree, 0, p).content;
        t.cells[0] = TextCell(FC_HOUR, kText16);
        t.cells[1] = TextCell(FC_MINUTE, CellAttr::Make(24, 0, 2));
        t.cells[2] = TextCell(FC_WEEK_EN, kText16);
        t.cells[3] = PictureCell(8, 8);
        Program(tree, 0, p).borderType = 3;
    }
    const Built b = Build(tree);
    ASSERT_GT(b.result, 0);
    const ImageWalk walk = WalkProgramImage(b.bytes);
    EXPECT_THAT(walk.problems, IsEmpty());
    EXPECT_EQ(walk.codeTables.size(), 2u);    // digits and English weekdays, shared by both programs
    EXPECT_EQ(walk.borderBlocks.size(), 2u);  // one block each, one set of side images
    EXPECT_EQ(walk.imageSets.size(), 4u + 2u);
    EXPECT_EQ(b.bytes[TextHead(b.bytes, 0, 1) + 4], kTextFormCommands);
}

// The faces the encoder itself uses.
class RenderedFormTest : public ::testing::Test {
protected:
    FontRenderer fonts;
    FontTables tables = MakeFaceLists<FontTables>();
    RenderContext rc{fonts, tables};
};

TEST_F(RenderedFormTest, LinePicturesFieldsAndGlyphSets) {
    ProgramTree tree = Screen(0);
    ProgramRecord& p = Program(tree);
    p.mainAction.effect = kEffectBlindsHorizontal;
    p.right = 400;  // one line
    TextContent& t = p.content;
    PutText(t, u"Hi", CellAttr::Make(16, 0, 3));
    t.cells[2] = TextCell(FC_HOUR, CellAttr::Make(16, 0, 1));
    t.cells[3] = TextCell(FC_MINUTE, CellAttr::Make(16, 0, 2));  // shares the hour's glyph set
    t.cells[4] = TextCell(FC_WEEK_EN, CellAttr::Make(16, 0, 4));
    t.cells[5] = TextCell(FC_WEEK_EN, CellAttr::Make(16, 0, 4, CellAttr::Bold));  // a set of its own
    auto adc = std::make_unique<AdcField>();
    adc->attr = CellAttr::Make(16, 0, 7);  // its digits share the hour's set too
    t.cells[6] = ObjectCell(FC_ADC, std::move(adc));
    t.cells[7] = PictureCell(6, 12);
    auto clock = std::make_unique<ClockObject>();
    clock->size = 16;
    t.cells[8] = ObjectCell(FC_CLOCK, std::move(clock));
    const Built b = Build(tree);
    ASSERT_GT(b.result, 0);
    const ImageWalk walk = WalkProgramImage(b.bytes);
    EXPECT_THAT(walk.problems, IsEmpty());
    EXPECT_EQ(walk.glyphSets.size(), 3u);
    EXPECT_EQ(walk.clockBlocks.size(), 1u);
    EXPECT_EQ(walk.fieldRecords.size(), 1u);

    // Form 1: the clock table (the clock's place in the area), the bytes 2, 0, the code stream.
    const size_t head = TextHead(b.bytes, 0, 0);
    EXPECT_EQ(b.bytes[head + 4], kTextFormClocks);
    const size_t clockTable = head + 6;
    ASSERT_EQ(LoadU16(&b.bytes[clockTable]), 2u);
    const size_t stream = LoadU32(&b.bytes[clockTable + 6]);
    EXPECT_THAT(Slice(b.bytes, stream, 6), ElementsAre(2, 0, 0, 4, 0x00, 0xFF));
    const size_t entries = stream + 2 + 6 + 2 * LoadU16(&b.bytes[stream + 6]);
    // One picture for the one line; its records: hour (red), minute (green), two
    // weekdays (blue), the A-D value and the picture.
    const size_t planes = LoadU32(&b.bytes[entries]);
    const CellSize hi = {rc.measurer.TextWidth(u"Hi", CellAttr::Make(16, 0, 3), false), 16};
    const size_t records = entries + 8;
    EXPECT_THAT(Slice(b.bytes, records, 6), ElementsAre(9, 3, uint8_t(hi.width), 0, 0, 0));
    EXPECT_THAT(Slice(b.bytes, records + 10, 2), ElementsAre(10, 4));
    EXPECT_THAT(Slice(b.bytes, records + 20, 2), ElementsAre(11, 10));
    EXPECT_THAT(Slice(b.bytes, records + 40, 2), ElementsAre(7, 20));
    EXPECT_THAT(Slice(b.bytes, records + 50, 6), ElementsAre(5, 14, _, _, 4, 0));  // 12 high, in a 16-pixel line
    EXPECT_EQ(b.bytes[records + 60], 0);
    EXPECT_EQ(LoadU32(&b.bytes[records + 61]), 0u);
    EXPECT_EQ(LoadU32(&b.bytes[records + 6]), LoadU32(&b.bytes[records + 16]));
    EXPECT_NE(LoadU32(&b.bytes[records + 26]), LoadU32(&b.bytes[records + 36]));
    EXPECT_EQ(LoadU32(&b.bytes[LoadU32(&b.bytes[records + 46]) + 12]), LoadU32(&b.bytes[records + 6]));

    // The picture holds the drawn "Hi" (yellow: both planes of colour code 17) and nothing else.
    EXPECT_EQ(b.bytes[planes + 1], 17);
    const int width = LoadU16(&b.bytes[planes + 2]), height = LoadU16(&b.bytes[planes + 4]);
    EXPECT_EQ(height, 16);
    RawImage shown;
    ASSERT_EQ(ImageFromLedPlanes(width, height, &b.bytes[LoadU32(&b.bytes[planes + 10])],
                                 b.bytes.size() - LoadU32(&b.bytes[planes + 10]), 17, shown), 1);
    Surface expected(width, height);
    fonts.Draw(expected, 0, 0, AttrFontDesc(CellAttr::Make(16, 0, 3), tables, false), u"Hi", 0xFFFF00);
    int lit = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(shown.row32(y)[x] != 0, expected.Pixel(x, y) != 0) << x << "," << y;
            lit += shown.row32(y)[x] != 0;
        }
    EXPECT_GT(lit, 20);

    // The digit glyphs in table order, drawn lit whatever the fields' colours: "8"
    // lights more than "1", the blank nothing.
    const size_t digits = LoadU32(&b.bytes[records + 6]);
    const size_t glyphBytes = size_t((b.bytes[digits] + 7) >> 3) * b.bytes[digits + 1];
    auto litBits = [&](size_t string) {
        const size_t glyph = digits + LoadU16(&b.bytes[digits + LoadU16(&b.bytes[digits + 2 + 2 * string])]);
        int n = 0;
        for (uint8_t v : Slice(b.bytes, glyph, glyphBytes)) n += std::popcount(v);
        return n;
    };
    EXPECT_GT(litBits(1), 0);
    EXPECT_GT(litBits(8), litBits(1));
    EXPECT_EQ(litBits(15), 0);
}

TEST_F(RenderedFormTest, FieldRecordsAndTableFields) {
    ProgramTree tree = Screen(0);
    ProgramRecord& p = Program(tree);
    p.right = 400;
    TextContent& t = p.content;
    const uint32_t attr = CellAttr::Make(16, 0, 2);
    auto timer = std::make_unique<TimerField>();
    timer->attr = attr;
    U16ToField(timer->labels[0].data(), kTimerLabelUnits, u"d");
    t.cells[0] = ObjectCell(FC_TIMER, std::move(timer));
    auto counter = std::make_unique<CounterField>();
    counter->attr = attr;
    t.cells[1] = ObjectCell(FC_COUNTER, std::move(counter));
    auto grid = std::make_unique<GridObject>();
    InitGridObject(*grid);
    ASSERT_TRUE(SetGridSize(*grid, 1, 1));
    const uint16_t marker = CollectGridCells(*grid)[0];
    grid->cells[marker].attr = MakeGridMarker(40, 16);
    grid->cells[marker + 1] = TextCell(u'x', attr);
    grid->cells[marker + 2] = TextCell(FC_SECOND, attr);
    grid->totalWidth = 40, grid->totalHeight = 16;
    t.cells[2] = ObjectCell(FC_TABLE, std::move(grid));
    const Built b = Build(tree);
    ASSERT_GT(b.result, 0);
    const ImageWalk walk = WalkProgramImage(b.bytes);
    EXPECT_THAT(walk.problems, IsEmpty());
    EXPECT_EQ(walk.fieldRecords.size(), 2u);
    EXPECT_EQ(walk.glyphSets.size(), 1u);  // timer, counter and the table's second: one digit set

    const size_t head = TextHead(b.bytes, 0, 0);
    EXPECT_EQ(b.bytes[head + 4], kTextFormRendered);
    const size_t entries = head + 6 + 6 + 2 * LoadU16(&b.bytes[head + 6 + 4]);
    const size_t records = entries + 8;
    EXPECT_THAT(Slice(b.bytes, records, 2), ElementsAre(10, 21));
    EXPECT_THAT(Slice(b.bytes, records + 10, 2), ElementsAre(10, 22));
    // The table's field stands behind the table's "x", the table behind timer and counter.
    const int timerWidth = TimerWidth(*CellObjectAs<TimerField>(t.cells[0]), rc.measurer, false);
    const int counterWidth = CounterWidth(*CellObjectAs<CounterField>(t.cells[1]), rc.measurer, false);
    const int x = timerWidth + counterWidth + rc.measurer.CharWidth(u'x', attr, false);
    EXPECT_THAT(Slice(b.bytes, records + 20, 6), ElementsAre(10, 5, uint8_t(x), uint8_t(x >> 8), 0, 0));
    const size_t timerAt = LoadU32(&b.bytes[records + 6]);
    EXPECT_NE(LoadU32(&b.bytes[timerAt + 44]), 0u);  // the days label's image
    EXPECT_EQ(LoadU32(&b.bytes[timerAt + 60]), LoadU32(&b.bytes[records + 26]));
}

TEST_F(RenderedFormTest, TimerLabelsAndClockFacesAsDrawn) {
    ProgramTree tree = Screen(0);
    ProgramRecord& p = Program(tree);
    p.right = 400;
    const uint32_t attr = CellAttr::Make(16, 0, 2);
    auto timer = std::make_unique<TimerField>();
    timer->attr = attr;
    timer->labels[0].fill(u'W');  // a full label, no 0 unit: 31 units are kept
    U16ToField(timer->labels[1].data(), kTimerLabelUnits, u"h");
    U16ToField(timer->labels[2].data(), kTimerLabelUnits, u"m");
    timer->units[2] = 0;  // minutes hidden: no label, no image
    timer->dayDigits = 4;
    p.content.cells[0] = ObjectCell(FC_TIMER, std::move(timer));
    auto clock = std::make_unique<ClockObject>();
    clock->size = 32;
    const RawImage face = ClockToImage(*clock, false);
    p.content.cells[1] = ObjectCell(FC_CLOCK, std::move(clock));
    const Built b = Build(tree);
    ASSERT_GT(b.result, 0);
    const ImageWalk walk = WalkProgramImage(b.bytes);
    EXPECT_THAT(walk.problems, IsEmpty());
    ASSERT_EQ(walk.fieldRecords.size(), 1u);
    ASSERT_EQ(walk.clockBlocks.size(), 1u);

    const size_t t = *walk.fieldRecords.begin();
    // Units: the attribute word (2), "W" x 31 and 0, "h" and 0, the seconds' empty label's 0.
    EXPECT_EQ(LoadU16(&b.bytes[t + 6]), 2u + 32u + 2u + 1u);
    EXPECT_EQ(LoadU16(&b.bytes[t + 68 + 2 * 30]), u'W');
    EXPECT_EQ(LoadU16(&b.bytes[t + 68 + 2 * 31]), 0u);
    EXPECT_THAT(Slice(b.bytes, t + 68 + 2 * 32, 6), ElementsAre('h', 0, 0, 0, 0, 0));
    const auto labelWidth = [&](size_t k) {
        const size_t set = LoadU32(&b.bytes[t + 44 + 4 * k]);
        return set ? int(LoadU16(&b.bytes[set + 3 + 2])) : -1;
    };
    EXPECT_EQ(labelWidth(0), rc.measurer.TextWidth(std::u16string(31, u'W'), attr, false));
    EXPECT_EQ(labelWidth(1), rc.measurer.TextWidth(u"h", attr, false));
    EXPECT_EQ(labelWidth(2), -1);
    EXPECT_EQ(labelWidth(3), -1);  // shown, but without a label
    // Unit positions: days at 0; hours behind 4 day digits and the days label; minutes hidden;
    // seconds behind 2 hour digits and the hours label. A digit is as wide as "J".
    const int digit = rc.measurer.CharWidth(u'J', attr, false);
    const int hours = 4 * digit + labelWidth(0), seconds = hours + 2 * digit + labelWidth(1);
    EXPECT_THAT(Slice(b.bytes, t + 20, 16),
                ElementsAre(0, 0, 0, 0, uint8_t(hours), uint8_t(hours >> 8), 0, 0, 0, 0, 0, 0, uint8_t(seconds),
                            uint8_t(seconds >> 8), 0, 0));

    // The clock block holds the face without hands, as drawn at its size.
    const size_t block = *walk.clockBlocks.begin();
    EXPECT_THAT(Slice(b.bytes, block, 4), ElementsAre(4, 0, 16, 0));
    const size_t frame = block + 4 + 3;
    ASSERT_EQ(b.bytes[block + 4 + 2], 1u);
    const int w = LoadU16(&b.bytes[frame + 2]), h = LoadU16(&b.bytes[frame + 4]);
    ASSERT_EQ(w, face.width);
    ASSERT_EQ(h, face.height);
    const size_t bits = LoadU32(&b.bytes[frame + 10]);
    RawImage stored;
    ASSERT_EQ(ImageFromLedPlanes(w, h, &b.bytes[bits], b.bytes.size() - bits, b.bytes[frame + 1], stored), 1);
    int lit = 0, differ = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            lit += stored.row32(y)[x] != 0;
            differ += (stored.row32(y)[x] != 0) != (face.row32(y)[x] != 0);
        }
    EXPECT_GT(lit, 20);
    EXPECT_EQ(differ, 0);
}

TEST(ProgramEncoder, EveryProgramOfASetIsChecked) {
    ProgramTree tree = Screen(1, 3);
    PutText(Program(tree, 0, 1).content, u"A", kText16);
    PutText(Program(tree, 0, 2).content, u"B", kText16);
    uint32_t position = 0xDEAD;
    EXPECT_EQ(CheckProgramTree(tree, &position), kEncodeEmptyProgram);  // the first one is empty
    EXPECT_EQ(position, 0u);
}

TEST_F(RenderedFormTest, StagesReportZeroWhenDone) {
    ProgramTree tree = Screen(1);
    PutText(Program(tree).content, u"ab", kText16);
    ProgramImage image(kImageLimit);
    std::vector<PendingContent> contents;
    ASSERT_EQ(WriteImageSkeleton(image, tree, contents), 0);
    std::vector<PendingItem> items;
    std::vector<size_t> actions;
    std::vector<VoiceProgram> voice;
    EXPECT_EQ(EncodeProgramContents(image, rc, contents, items, actions, tree.screen()), 0);
    EXPECT_EQ(WritePendingItems(image, rc, items, actions, tree.screen(), voice), 0);
    EXPECT_GT(WriteImageEnd(image), 0);
}

TEST(ProgramEncoder, LimitIsNeverPassedAndOverflowFailsCleanly) {
    // Growing texts with fields and pictures, each into an exactly 0xFFFF-byte
    // buffer: every result is a valid image or kEncodeTooLarge, never a write
    // past the buffer.
    int fitted = 0, failed = 0;
    for (size_t n = 40; n <= 2048; n += 167) {
        ProgramTree tree = Screen(0, 2);
        for (size_t k = 0; k < 2; ++k) {
            ProgramRecord& p = Program(tree, 0, k);
            p.right = 256, p.bottom = 64, p.borderType = uint8_t(2 + k);
            p.mainAction.effect = kEffectBlindsHorizontal;
            for (size_t i = 0; i < n; ++i) {
                const uint32_t attr = CellAttr::Make(uint32_t(16 + 8 * (i % 3)), 0, uint32_t(1 + i % 7));
                p.content.cells[i] = i % 50 == 7 ? PictureCell(12, 12) : TextCell(i % 11 ? u'中' : char16_t(FC_SECOND), attr);
            }
        }
        const Built b = Build(tree, kPagedImageLimit);
        if (b.result == kEncodeTooLarge) {
            ++failed;
        } else {
            ASSERT_GT(b.result, 0);
            EXPECT_THAT(CheckProgramImage(b.bytes), IsEmpty()) << n;
            ++fitted;
        }
    }
    EXPECT_GT(fitted, 0);
    EXPECT_GT(failed, 0);
}

TEST(ProgramEncoder, RunningLineTooWideForItsFieldsFails) {
    // 2048 characters of 48 pixels (CJK advance 37, snapped to 32 on the card) in one
    // running line: more than 65,535 pixels for the text head and the picture.
    for (uint8_t fontSet : {uint8_t(0), uint8_t(3)}) {
        ProgramTree tree = Screen(fontSet);
        ProgramRecord& p = Program(tree);
        p.right = 512, p.bottom = 48, p.mainAction.effect = kEffectMoveLeft;
        PutText(p.content, std::u16string(kMaxCells, u'中'), CellAttr::Make(48, 0, 1));
        EXPECT_EQ(Build(tree).result, kEncodeTooLarge) << int(fontSet);
        // The same text as pages fits.
        p.mainAction.effect = kEffectBlindsHorizontal;
        const Built b = Build(tree);
        ASSERT_GT(b.result, 0);
        EXPECT_THAT(CheckProgramImage(b.bytes), IsEmpty());
    }
}

TEST(ProgramEncoder, VoicePassSeam) {
    ProgramTree tree = Screen(1, 2);
    for (size_t k = 0; k < 2; ++k) PutText(Program(tree, 0, k).content, u"A", kText16);
    tree.SetProgramKind(0, 1, 2);
    int calls = 0, reports = 0;
    EncodeHooks hooks;
    hooks.progress = [&](const EncodeProgress& p) { reports += p.done == 1; };
    hooks.voicePass = [&](ProgramImage& image, size_t length, std::span<const VoiceProgram> programs,
                          const EncodeProgressFn& progress) {
        ++calls;
        EXPECT_EQ(image.pos(), length);
        ASSERT_EQ(programs.size(), 1u);
        EXPECT_EQ(programs[0].program, &Program(tree, 0, 1));
        StoreSoundIndex(image, programs[0].soundPlace, 0x0102, 2);
        WriteVoiceBlockHead(image);
        progress({1, 1, 1.0f});
    };
    Built b = Build(tree, kImageLimit, hooks);
    ASSERT_GT(b.result, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(reports, 1);
    EXPECT_THAT(CheckProgramImage(b.bytes), IsEmpty());  // the CRC covers the stored index
    const size_t header = LoadU16(&b.bytes[LoadU16(&b.bytes[4]) + 14]);
    EXPECT_THAT(Slice(b.bytes, LoadU32(&b.bytes[header + 6]), 3), ElementsAre(0x02, 0x01, 2));

    // Card models 2 and 3 take voice programs; 1 and 4 do not.
    for (uint8_t model : {1, 3, 4}) {
        tree.screen().cardSubtype = model;
        ASSERT_GT(Build(tree, kImageLimit, hooks).result, 0);
        EXPECT_EQ(calls, model == 3 ? 2 : 1) << int(model);
        calls = 1;
    }
    // The sound alignment only shapes the speech the voice pass builds: the image does not carry it.
    tree.screen().cardSubtype = 0;  // no voice programs on this card
    b = Build(tree, kImageLimit, hooks);
    ASSERT_GT(b.result, 0);
    EXPECT_EQ(calls, 1);
    Program(tree, 0, 1).soundAlign = 3;
    EXPECT_EQ(Build(tree).bytes, b.bytes);
}

TEST(ProgramEncoder, CommandStreamLinesStartInTheArea) {
    // A 16-pixel line in a 16-pixel-high area starts at (0, 0) of the area, wherever the area lies.
    ProgramTree tree = Screen(1);
    ProgramRecord& p = Program(tree);
    p.left = 8, p.top = 4, p.right = 72, p.bottom = 20;
    p.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
    const Built b = Build(tree);
    ASSERT_GT(b.result, 0);
    const size_t head = TextHead(b.bytes, 0, 0);
    ASSERT_EQ(b.bytes[head + 4], kTextFormCommands);
    EXPECT_THAT(Slice(b.bytes, head + 6 + 6, 6), ElementsAre(0xFD, 3, 0, 0, 0, 0));
}
