#include "content/card/bitmap_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "content/model/crc16.h"
#include "content/render/font_renderer.h"
#include "content/card/program_encoder.h"
#include "content/render/surface.h"
#include "tests/content/image_walker.h"
#include "tests/content/layout_helpers.h"

using namespace ledsuite;
using ::testing::ElementsAre;

namespace {

using Bytes = std::vector<uint8_t>;

ProgramTree CardZeroTree(std::u16string_view text, uint8_t effect, uint32_t attr = CellAttr::Make(16, 0, 1)) {
    HardwareParams hw;
    hw.cardType = 0, hw.cardSubtype = 0, hw.width = 64, hw.height = 32;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    for (size_t i = 0; i < text.size(); ++i) p.content.cells[i] = TextCell(text[i], attr);
    p.mainAction.effect = effect;
    p.mainAction.speed = 7;
    return tree;
}

// Built through the encoder's entry, which hands card type 0 to the bitmap image.
Bytes Build(const ProgramTree& tree, int32_t* result = nullptr) {
    Bytes b(kImageLimit, 0xFF);
    uint32_t pos = 0xFFFF;
    const int32_t r = BuildProgramImage(b.data(), &pos, tree, b.size());
    EXPECT_EQ(pos, 0u);
    if (result) *result = r;
    b.resize(r > 0 ? size_t(r) : 0);
    return b;
}

uint16_t Be(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

// The picture block's size and bits.
struct Picture {
    int width = 0, height = 0, colour = 0;
    std::vector<bool> lit;
};
Picture PictureOf(const Bytes& b) {
    const size_t at = Be(b, 14);
    Picture p{b[at + 8], b[at + 9], b[at + 10], {}};
    const size_t bits = Be(b, at + 12);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.lit.push_back(b[bits + size_t(y * p.width + x) / 8] >> (x % 8) & 1);
    return p;
}

// An image is valid when the walker only notes what kind of image it is.
void ExpectValid(const Bytes& b) {
    EXPECT_THAT(CheckProgramImage(b), ElementsAre("a bitmap program image"));
}

}  // namespace

TEST(BitmapProgramImage, HeaderScheduleCharactersAndPicture) {
    ProgramTree tree = CardZeroTree(u"A中B", kEffectMoveLeft, CellAttr::Make(16, 0, 3));
    ProgramSetRecord& set = *tree.set(0)->record;
    set.dates[0] = {0x2D00, 0x2C00};  // start after stop: skipped
    set.dates[1] = {0x2C21, 0x2D9F};
    set.weekdays = 0x7F;
    set.periods = {0x30002000, 0x50005000, 0x70006000};
    const Bytes b = Build(tree);
    ASSERT_FALSE(b.empty());
    ExpectValid(b);
    // Header, schedule, the attribute word, the characters, then the picture block at 42.
    EXPECT_EQ(b.size(), 56u + 64 + 4);
    EXPECT_THAT(Bytes(b.begin() + 4, b.begin() + 30),
                ElementsAre(0, 0, 0xFF, 0xFF, 'g', 'i', 'f', 1, 1, 7, 0, 42, 0x2C, 0x21, 0x2D, 0x9F, 0x7F, 2, 0x20,
                            0x00, 0x30, 0x00, 0x60, 0x00, 0x70, 0x00));
    EXPECT_EQ(LoadU32(&b[30]), CellAttr::Make(16, 0, 3));
    EXPECT_THAT(Bytes(b.begin() + 34, b.begin() + 56),
                ElementsAre('A', 0, 0x2D, 0x4E, 'B', 0, 0, 0, 'b', 'm', 'p', 0, 0, 0, 0, 0, 32, 16, 3, 0x1E, 0, 56));
    EXPECT_THAT(Bytes(b.end() - 4, b.end() - 2), ElementsAre(0xFF, 0x00));

    // The bits are the text in the 16-pixel Song face, 8 pixels a character below
    // U+0100 and 16 any other, whatever the face's own advances.
    Surface expected(32, 16);
    FontRenderer fonts;
    const FontDesc song{u"宋体", 16, 400};
    fonts.Draw(expected, 0, 0, song, u"A", 0xFFFFFF);
    fonts.Draw(expected, 8, 0, song, u"中", 0xFFFFFF);
    fonts.Draw(expected, 24, 0, song, u"B", 0xFFFFFF);
    std::vector<bool> drawn;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) drawn.push_back(expected.Pixel(x, y) != 0);
    EXPECT_EQ(PictureOf(b).lit, drawn);
    EXPECT_GT(CountLit(expected), 40);
}

TEST(BitmapProgramImage, LinesColoursAndFailures) {
    // Pages: lines end once they hold more than 31 pixels.
    // The picture's size and the effect byte; 14 characters at most on one moving line.
    const std::tuple<std::u16string, uint8_t, int, int, int> texts[] = {
        {u"ABCDEF", kEffectBlindsHorizontal, 32, 32, 0},
        {u"中文AB中", kEffectBlindsHorizontal, 32, 32, 0},  // 16 + 16 | 8 + 8 + 16
        {u"ABCDEFGHIJKLMNOPQ", kEffectMoveRightContinue, 14 * 8, 16, 3}};
    for (const auto& [text, effect, w, h, code] : texts) {
        const Bytes b = Build(CardZeroTree(text, effect));
        ExpectValid(b);
        EXPECT_EQ(std::tuple(PictureOf(b).width, PictureOf(b).height, int(b[12])), std::tuple(w, h, code));
    }

    // The colour and the word come from the first character, not from a field before it.
    ProgramTree tree = CardZeroTree(u"?Z", kEffectTwinkle, CellAttr::Make(16, 0, 6));
    tree.program(0, 0)->record->content.cells[0] = TextCell(FC_HOUR, CellAttr::Make(24, 0, 1));
    Bytes b = Build(tree);
    ExpectValid(b);
    EXPECT_EQ(std::tuple(int(b[12]), LoadU32(&b[22]), PictureOf(b).colour, PictureOf(b).width),
              std::tuple(6, CellAttr::Make(16, 0, 6), 6, 8));  // green + blue

    // A set whose periods are all empty stores none.
    tree.set(0)->record->periods = {0x20002000, 0x10001000};
    b = Build(tree);
    EXPECT_EQ(b[21], 0);

    int32_t result = 0;
    ProgramTree fields = CardZeroTree(u"", kEffectMoveLeft);
    fields.program(0, 0)->record->content.cells[0] = ObjectCell(FC_CLOCK, std::make_unique<ClockObject>());
    fields.program(0, 0)->record->content.cells[1] = TextCell(FC_DAY, CellAttr::Make(16, 0, 1));
    Build(fields, &result);
    EXPECT_EQ(result, -3);  // no characters; then no program; then no set
    fields.RemoveProgram(0, 0);
    Build(fields, &result);
    EXPECT_EQ(result, -2);
    fields.RemoveProgramSet(0);
    Build(fields, &result);
    EXPECT_EQ(result, -1);
}

TEST(BitmapProgramImage, RoundTripThroughTheLoader) {
    ProgramTree tree = CardZeroTree(u"Hi中", kEffectMoveDown, CellAttr::Make(16, 0, 5));
    ProgramSetRecord& set = *tree.set(0)->record;
    set.dates[0] = {0x2C21, 0x2D9F};
    set.weekdays = 0x15;
    set.periods = {0x30002000, 0x70006000};
    set.playMode = 6;
    const Bytes b = Build(tree);
    ASSERT_FALSE(b.empty());

    ProgramTree back(tree.screen());
    EXPECT_EQ(LoadBitmapProgramImage(b, back), 3);
    ASSERT_EQ(back.sets().size(), 1u);
    ASSERT_EQ(back.sets()[0].programs.size(), 1u);
    const ProgramSetRecord& s = *back.set(0)->record;
    EXPECT_EQ(std::tuple(int(s.playMode), s.dates[0].start, s.dates[0].stop, int(s.weekdays), int(s.borderSpeed)),
              std::tuple(0, 0x2C21, 0x2D9F, 0x15, 40));
    EXPECT_EQ(std::tuple(s.periods[0], s.periods[1], s.periods[2]), std::tuple(0x30002000u, 0x70006000u, 0u));
    const ProgramRecord& p = *back.program(0, 0)->record;
    EXPECT_EQ(std::tuple(p.right, p.bottom, int(p.mainAction.effect), int(p.mainAction.speed)),
              std::tuple(64, 32, int(kEffectMoveDown), 7));
    EXPECT_EQ(std::tuple(CountCells(p.content), p.content.cells[2].code, p.content.cells[2].attr),
              std::tuple(3, u'中', CellAttr::Make(16, 0, 5)));

    // Effect class 0 reads back as Static.
    ProgramTree still = CardZeroTree(u"A", kEffectSnow);
    ProgramTree again(still.screen());
    EXPECT_EQ(LoadBitmapProgramImage(Build(still), again), 1);
    EXPECT_EQ(again.program(0, 0)->record->mainAction.effect, kEffectStatic);

    // Damaged images add nothing.
    Bytes bad = b;
    bad[34] ^= 1;
    EXPECT_EQ(LoadBitmapProgramImage(bad, back), -1);
    EXPECT_EQ(LoadBitmapProgramImage(Bytes(b.begin(), b.end() - 4), back), -1);
    bad = b;
    bad[14] = 0x7F;  // picture block outside
    StoreU16(&bad[bad.size() - 2], Crc16Modbus(bad.size() - 2, bad.data()));
    EXPECT_EQ(LoadBitmapProgramImage(bad, back), -1);
    EXPECT_EQ(back.sets().size(), 1u);
}

// What the small card is told it loses: the characters past the 14 the image keeps (fields
// are not characters) and every program but the first one of the first set.
TEST(BitmapProgramImage, WhatTheImageLeavesOutIsCounted) {
    ProgramTree tree = CardZeroTree(u"ABCDEFGHIJKLMNOPQ", kEffectMoveLeft);
    tree.program(0, 0)->record->content.cells[17] = TextCell(FC_HOUR, CellAttr::Make(16, 0, 1));
    BitmapImageLoss loss = BitmapImageLeftOut(tree);
    EXPECT_EQ(std::tuple(loss.charsKept, loss.charsLeftOut, loss.programsLeftOut, loss.any()),
              std::tuple(14u, 3u, 0u, true));
    ProgramTree back(tree.screen());
    EXPECT_EQ(LoadBitmapProgramImage(Build(tree), back), int(loss.charsKept));  // what the card really gets

    tree = CardZeroTree(u"AB", kEffectMoveLeft);
    tree.program(0, 0)->record->content.cells[1] = TextCell(FC_HOUR, CellAttr::Make(16, 0, 1));
    loss = BitmapImageLeftOut(tree);
    EXPECT_EQ(std::tuple(loss.charsKept, loss.charsLeftOut, loss.programsLeftOut, loss.any()),
              std::tuple(1u, 0u, 0u, false));
    tree.AddProgram(0);
    tree.AddProgramSet();
    tree.AddProgram(1);
    tree.AddProgram(1);
    loss = BitmapImageLeftOut(tree);
    EXPECT_EQ(std::tuple(loss.charsKept, loss.charsLeftOut, loss.programsLeftOut, loss.any()),
              std::tuple(1u, 0u, 3u, true));

    ProgramTree empty(tree.screen());
    EXPECT_FALSE(BitmapImageLeftOut(empty).any());
}
