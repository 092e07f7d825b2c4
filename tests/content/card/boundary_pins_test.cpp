// Values at the edges of the content tables: the size ladders, the Thai classes,
// colour and alignment boundaries, punctuation, the clock's hands, the system
// language, the screen header's times, schedules, the loader's stops and the
// command stream's font and field commands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "content/card/bitmap_image.h"
#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/render/item_painters.h"
#include "content/model/lang.h"
#include "content/render/plain_text.h"
#include "content/card/program_encoder.h"
#include "content/card/program_loader.h"
#include "content/card/screen_header.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;
using ::testing::ElementsAre;

namespace {

using Bytes = std::vector<uint8_t>;

}  // namespace

TEST(BoundaryPins, RepairKeepsTheEndsOfEveryRange) {
    HardwareParams hw;
    hw.cardType = 5, hw.cardSubtype = 1, hw.colorCode = 12, hw.refresh = 6, hw.columnOrder = 4, hw.rowOrder = 2;
    hw.dataFlow = 26, hw.baudIndex = 8, hw.fileSystem = 4, hw.pageSize = 4, hw.soundMode = 2;
    hw.timedBrightness = {0x0005BFFF, 0, 0, 0};
    const HardwareParams kept = hw;
    RepairHardwareParams(hw);
    EXPECT_EQ(SerializeHardwareParams(hw), SerializeHardwareParams(kept));
    // Type 2 keeps its model (0, 6 or 7); only types 0 and 1 force it to 0.
    hw.cardType = 2, hw.cardSubtype = 6;
    RepairHardwareParams(hw);
    EXPECT_EQ(hw.cardSubtype, 6);
    hw.cardType = 1;
    RepairHardwareParams(hw);
    EXPECT_EQ(hw.cardSubtype, 0);
    const std::pair<uint16_t, uint16_t> codes[] = {{4, 5}, {5, 5}, {11, 5}, {12, 12}, {13, 13}, {14, 14},
                                                   {15, 15}, {16, 16}, {17, 17}, {18, 5}};
    for (auto [in, out] : codes) {
        hw.colorCode = in;
        RepairHardwareParams(hw);
        EXPECT_EQ(hw.colorCode, out) << in;
    }
    hw.dataFlow = 27;
    RepairHardwareParams(hw);
    EXPECT_EQ(hw.dataFlow, 0);
}

TEST(BoundaryPins, SizeLaddersOfEveryMode) {
    const int sizes[] = {8, 13, 14, 19, 20, 27, 28, 39, 40, 55, 56, 90};
    const std::pair<uint8_t, std::array<int, 12>> ladders[] = {
        {1, {12, 12, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16}},
        {2, {24, 24, 24, 24, 24, 24, 24, 24, 24, 24, 24, 24}},
        {3, {12, 12, 16, 16, 24, 24, 32, 32, 32, 32, 32, 32}},
        {4, {12, 12, 16, 16, 24, 24, 32, 32, 48, 48, 48, 48}},
        {5, {12, 12, 16, 16, 24, 24, 32, 32, 48, 48, 64, 64}},
    };
    const FontTables none;
    for (const auto& [mode, want] : ladders) {
        TextContent t;
        for (size_t i = 0; i < 12; ++i) t.cells[i] = TextCell(u'a', CellAttr::Make(uint32_t(sizes[i]), 3, 2, CellAttr::Bold));
        ConvertCardFontSet(t, mode, none);
        EXPECT_EQ(t.header.fontSet, mode);
        for (size_t i = 0; i < 12; ++i)
            EXPECT_EQ(t.cells[i].attr, CellAttr::Make(uint32_t(want[i]), 0, 2)) << "mode " << int(mode) << " size " << sizes[i];
    }
}

TEST(BoundaryPins, CellColoursThaiClassAndAlignment) {
    EXPECT_EQ(ThaiCharClass(TextCell(0x0E00, 0)), 4);
    EXPECT_EQ(ThaiCharClass(TextCell(0x0DFF, 0)), -1);
    EXPECT_TRUE(IsThaiChar(TextCell(0x0E00, 0)));
    EXPECT_FALSE(IsThaiChar(TextCell(0x0DFF, 0)));

    // Each channel counts from 128 on.
    const std::pair<uint32_t, uint32_t> colours[] = {{0x7F7F7F, 0}, {0x000080, 0x0000FF}, {0x008000, 0x00FF00},
                                                     {0x800000, 0xFF0000}, {0x80807F, 0xFFFF00}};
    for (auto [in, out] : colours) {
        TextCell c(u'A', CellAttr::Make(16, 0, 7));
        SetCellColor(c, in);
        EXPECT_EQ(CellColor(c), out) << std::hex << in;
    }

    // A centred line with an odd gap starts at half of it, rounded down.
    EXPECT_EQ(AlignLine(1, 64, {41, 16, 0, 4}).x, 11);
    EXPECT_EQ(AlignLine(2, 64, {41, 16, 0, 4}).x, 23);
    EXPECT_EQ(AlignLine(0, 64, {41, 16, 0, 4}).x, 0);
    EXPECT_EQ(AlignLine(3, 64, {41, 16, 0, 4}).gap, 3);  // 23 / 6
}

TEST(BoundaryPins, PunctuationBreaks) {
    // U+FF1B (full-width semicolon) and its neighbours U+FF1A, U+FF1F break; U+FF1C does not.
    EXPECT_THAT(ListPunctuationBreaks(u"ab\uFF1Bcd\uFF1Cef\uFF1Agh\uFF1Fi"), ElementsAre(0, 3, 9, 12));
    EXPECT_THAT(ListPunctuationBreaks(u"a;b:c?d!e,f.g\rh\ni"), ElementsAre(0, 2, 4, 6, 8, 10, 12, 14, 16));
    EXPECT_THAT(ListPunctuationBreaks(u"a\uFF0Cb\u3002c\uFF01d"), ElementsAre(0, 2, 4, 6));
}

class BoundaryLayout : public RenderTest {};

TEST_F(BoundaryLayout, MaxCellExtentSkipsObjectsAndAddsAFifth) {
    TextContent t;
    EXPECT_EQ(MaxCellExtent(rc, t), (CellSize{9, 8}));  // 8 x 8, plus 8 / 5
    t.cells[0] = TextCell(u'W', CellAttr::Make(24, 0, 1));
    t.cells[1] = PictureCell(60, 40);
    t.cells[2] = TextCell(u'i', CellAttr::Make(16, 0, 1));
    const CellSize w = CellExtent(t.cells[0], rc.measurer, false, false);
    ASSERT_GT(w.width, 10);
    EXPECT_EQ(MaxCellExtent(rc, t), (CellSize{w.width + w.width / 5, 24}));
}

TEST_F(BoundaryLayout, PictureFrameChangesAfterItsPause) {
    // Frames of pauses 10 and 20: of every 30, times 0..10 show the first, 11..29 the second.
    TextContent t;
    t.header.spread = 0;
    t.cells[0] = PictureCell(4, 4, {0xFF0000}, 10);
    auto& frames = static_cast<PictureObject*>(t.cells[0].obj.get())->frames;
    frames.push_back(std::make_unique<RawImage>());
    ResetImage(*frames[1], 4, 4);
    FillImage(*frames[1], 0x00FF00);
    frames[1]->pause = 20;
    const std::pair<uint32_t, uint32_t> shown[] = {{0, 0xFF0000}, {10, 0xFF0000}, {11, 0x00FF00},
                                                   {29, 0x00FF00}, {30, 0xFF0000}, {41, 0x00FF00}};
    for (auto [time, colour] : shown) {
        Surface s(8, 4);
        RenderText(rc, s, t, time, {0, 0, 8, 4});
        EXPECT_EQ(s.Pixel(1, 1), colour) << time;
    }
}

TEST(BoundaryPins, HourHandReachesSevenTenthsDown) {
    // At 06:00:00 the hour hand points down from (16, 16): 16 + trunc(0.7 x 16) = 27, end excluded.
    const ScopedClockOverride at(LocalTime{2024, 6, 1, 6, 0, 0, 6});
    ClockObject clock;
    clock.size = 32;
    Surface s(32, 32);
    DrawClock(s, clock, true, 0, 0, 32, 32);
    for (int y = 17; y <= 26; ++y) EXPECT_EQ(s.Pixel(16, y), 0xFFFFFFu) << y;
    EXPECT_EQ(s.Pixel(16, 27), 0u);
    EXPECT_EQ(s.Pixel(16, 28), 0u);
}

TEST(BoundaryPins, MacaoIsTraditionalChinese) {
    const auto macao = [](const char* n) -> const char* {
        return std::string_view(n) == "LANG" ? "zh_MO.UTF-8" : nullptr;
    };
    EXPECT_EQ(SystemUiLanguageId(macao), 0xC04);
    ResetUiLanguageForTests();
    SetUiLanguageEnvForTests(macao);
    SetUiLanguage(0);
    EXPECT_EQ(UiLanguageIndex(), 1u);
    SetUiLanguageEnvForTests(nullptr);
    ResetUiLanguageForTests();
}

TEST(BoundaryPins, ScreenHeaderTimes) {
    // Brightness entries go out by time; two equal times are never exchanged with
    // each other, an entry at 0xC000 or with level 0 is left out.
    auto entry = [](uint16_t time, uint8_t level) { return uint32_t(time) | uint32_t(level) << 16; };
    HardwareParams hw;
    hw.timedBrightness = {entry(0x3000, 5), entry(0x3000, 9), entry(0xBFFF, 2), entry(0xC000, 1)};
    Bytes h(kScreenHeaderSize);
    ASSERT_EQ(BuildProgramHeader(hw, h), int(kScreenHeaderSize));
    EXPECT_THAT(Bytes(h.begin() + 36, h.begin() + 48),
                ElementsAre(0x00, 0x30, 5, 0x00, 0x30, 9, 0xFF, 0xBF, 2, 0xFF, 0xFF, 0xFF));
    // The exchange order (position i against each later j): 5 swaps with 7, then 9
    // with the unset 0x2000, and the equal pair ends as 5, 9.
    hw.timedBrightness = {entry(0x3000, 5), entry(0x3000, 9), entry(0x1000, 7), entry(0x2000, 0)};
    ASSERT_EQ(BuildProgramHeader(hw, h), int(kScreenHeaderSize));
    EXPECT_THAT(Bytes(h.begin() + 36, h.begin() + 45), ElementsAre(0x00, 0x10, 7, 0x00, 0x30, 5, 0x00, 0x30, 9));

    // A switch time up to 0xC000 is read as it is, above it as 0.
    for (auto [stored, read] : {std::pair<uint16_t, uint16_t>{0xC000, 0xC000}, {0xC001, 0}, {0xBF7D, 0xBF7D}}) {
        StoreU16(&h[32], stored);
        StoreU16(&h[34], stored);
        HardwareParams back;
        ASSERT_EQ(ParseProgramHeader(h, back), 0);
        EXPECT_EQ(std::make_pair(back.switchOnTime, back.switchOffTime), std::make_pair(read, read)) << stored;
    }
}

TEST(BoundaryPins, ADateRangeOfOneDayIsValid) {
    HardwareParams hw;
    hw.cardType = 0;
    ProgramTree tree(hw);
    ProgramSetRecord& set = *tree.AddProgramSet()->record;
    set.dates[0] = {0x2000, 0x1000};  // stop before start: skipped
    set.dates[1] = {0x3000, 0x3000};
    set.dates[2] = {0x4000, 0x5000};
    tree.AddProgram(0)->record->content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
    Bytes b(kImageLimit, 0xFF);
    uint32_t pos = 0;
    ASSERT_GT(BuildProgramImage(b.data(), &pos, tree, b.size()), 0);
    EXPECT_THAT(Bytes(b.begin() + 16, b.begin() + 20), ElementsAre(0x30, 0x00, 0x30, 0x00));  // big-endian
}

namespace {

// A program image of one set with one program made by hand: the set record's
// program-record offset `first`, the content body at `body` holding a Flash action
// (card class 8), `size` bytes in all.
Bytes HandImage(uint16_t first, uint32_t body, size_t size) {
    Bytes b(size, 0);
    StoreU32(&b[0], uint32_t(size));
    StoreU16(&b[4], first);
    StoreU16(&b[6], 1);  // one program
    // b[14..17]: the u32 0 that ends the set table
    if (first >= 18) {
        StoreU16(&b[first], 32);  // content header
        StoreU16(&b[first + 2], 1);
        StoreU16(&b[first + 8], 64);
        StoreU16(&b[first + 10], 16);
        b[32] = 1;  // one action, no flags
        StoreU32(&b[32 + 6], body);
        if (body + 12 <= size) b[body] = 8, b[body + 1] = 9;
    }
    return b;
}

}  // namespace

TEST(BoundaryPins, LoaderStopsAtLowRecordOffsetsAndTheBodyLimit) {
    // Program records from offset 10 on are read (here over the set table's own bytes:
    // no content, the area from bytes 14 to 21); below 10 the walk ends.
    Bytes low = HandImage(10, 0, 24);
    StoreU16(&low[18], 64);
    StoreU16(&low[20], 16);
    ProgramTree tree;
    LoadProgramImage(tree, low);
    ASSERT_EQ(tree.sets().size(), 1u);
    ASSERT_EQ(tree.sets()[0].programs.size(), 1u);
    EXPECT_EQ(std::make_pair(tree.program(0, 0)->record->right, tree.program(0, 0)->record->bottom),
              std::make_pair(64, 16));
    StoreU16(&low[4], 9);
    ProgramTree none;
    LoadProgramImage(none, low);
    ASSERT_EQ(none.sets().size(), 1u);
    EXPECT_TRUE(none.sets()[0].programs.empty());

    // A body is read when it starts below the length less 13.
    for (auto [body, read] : {std::pair<uint32_t, bool>{42, true}, {43, false}}) {
        ProgramTree t;
        LoadProgramImage(t, HandImage(18, body, 56));
        ASSERT_EQ(t.sets().size(), 1u);
        ASSERT_EQ(t.sets()[0].programs.size(), 1u);
        const ActionRecord& a = t.program(0, 0)->record->mainAction;
        EXPECT_EQ(a.effect, read ? kEffectFlash : kEffectMoveLeft) << body;
        EXPECT_EQ(a.speed, read ? 9 : 21) << body;
    }
}

class BoundaryStream : public RenderTest {
protected:
    Bytes Encode(const TextContent& text) {
        ProgramImage image(0x10000);
        items.clear();
        EncodeCommandStream(image, rc, text, 128, 16, kEffectBlindsHorizontal, 0, 0, 0, items);
        return Bytes(image.bytes().begin(), image.bytes().end());
    }
    std::vector<PendingItem> items;
};

TEST_F(BoundaryStream, FontCommandsFromModeEightAndCardFieldTypes) {
    TextContent t;
    t.cells[0] = TextCell(u'x', CellAttr::Make(16, 2, 0));
    t.header.fontSet = 7;
    EXPECT_THAT(Encode(t), ElementsAre(0xFD, 3, 0, 0, 0, 0, 0xFA, 16, 0, 'x', 0, 0));
    t.header.fontSet = 8;
    EXPECT_THAT(Encode(t), ElementsAre(0xFD, 3, 0, 0, 0, 0, 0xF9, 2, 0xFA, 16, 0, 'x', 0, 0));

    TextContent f;
    f.header.fontSet = 1;
    f.cells[0] = TextCell(FC_CARD17, CellAttr::Make(16, 0, 0));
    f.cells[1] = TextCell(FC_CARD18, CellAttr::Make(16, 0, 0));
    f.cells[2] = TextCell(FC_CARD19, CellAttr::Make(16, 0, 0));
    f.cells[3] = TextCell(FC_CARD13, CellAttr::Make(16, 0, 0));
    const Bytes b = Encode(f);
    ASSERT_EQ(b.size(), 6u + 2 + 4 * 6 + 2);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(b[8 + 6 * k], 0xFC) << k;
    EXPECT_THAT((std::array<int, 4>{b[9], b[15], b[21], b[27]}), ElementsAre(17, 18, 19, 13));
    ASSERT_EQ(items.size(), 4u);
    for (const PendingItem& item : items) EXPECT_EQ(item.subKind, kFieldTableDigits);

    // The loader reads the types back into their codes.
    HardwareParams hw;
    hw.fileSystem = 1, hw.fontChip = 1;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    p.content.header.fontSet = 1;
    for (int k = 0; k < 4; ++k) p.content.cells[size_t(k)] = TextCell(f.cells[size_t(k)].code, CellAttr::Make(16, 0, 0));
    Bytes image(kImageLimit, 0xFF);
    uint32_t pos = 0;
    const int32_t length = BuildProgramImage(image.data(), &pos, tree, image.size());
    ASSERT_GT(length, 0);
    image.resize(size_t(length));
    ProgramTree back;
    LoadProgramImage(back, image);
    ASSERT_NE(back.program(0, 0), nullptr);
    const auto& cells = back.program(0, 0)->record->content.cells;
    EXPECT_EQ(std::u16string({cells[0].code, cells[1].code, cells[2].code, cells[3].code, cells[4].code}),
              std::u16string({FC_CARD17, FC_CARD18, FC_CARD19, FC_CARD13, 0}));
}
