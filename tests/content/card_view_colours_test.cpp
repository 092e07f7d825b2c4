// The layout view, the preview at rest and the card light the same LEDs whatever colour a
// text has and whatever colours its screen shows: red, green, blue, yellow and white text
// with a time field, and chip text, on the one-colour screen (5), each two-colour screen
// (12 to 17) and a full-colour one (7, which the card drives as one colour).
#include <gtest/gtest.h>

#include "content/card/program_encoder.h"
#include "content/model/clock.h"
#include "content/preview/canvas_snapshot.h"
#include "content/render/font_tables.h"
#include "content/render/led_planes.h"
#include "tests/content/canvas_helpers.h"
#include "tests/content/card_view.h"

namespace ledsuite {
namespace {

constexpr int kW = 96, kH = 32;
const LocalTime kNow{2026, 12, 7, 13, 45, 30, 1};

ProgramTree ColourTree(int colorCode, uint32_t rgb) {
    HardwareParams hw;
    hw.width = kW, hw.height = kH, hw.colorCode = uint16_t(colorCode), hw.cardType = 3;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    // A system-font text and its minute field: line pictures and glyphs on the card.
    ProgramRecord& text = *tree.AddProgram(0)->record;
    InitProgramRecord(text, 0, 0, 60, kH);
    const uint32_t attr = CellAttr::Make(12, InstalledFontIndexOf(u"宋体"), rgb);
    PutText(text.content, u"Ab1中", attr);
    text.content.cells[4] = TextCell(FC_MINUTE, attr);
    // Text of the card's chip: a command stream with a colour command.
    ProgramRecord& chip = *tree.AddProgram(0)->record;
    InitProgramRecord(chip, 60, 0, kW, kH);
    PutText(chip.content, u"Hi 4", CellAttr::Make(8, 0, rgb));
    chip.content.cells[4] = TextCell(FC_HOUR, CellAttr::Make(8, 0, rgb));
    chip.content.header.fontSet = 1;
    for (ProgramRecord* p : {&text, &chip}) {
        p->mainAction.effect = kEffectStatic;
        p->mainAction.pause = 20;
        p->mainAction.speed = 1;
    }
    return tree;
}

class ScreenColours : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BuildFontTables();
        SetDefaultCardFonts(0);
    }
    FontRenderer fonts;
    FontTables tables = MakeFaceLists<FontTables>();
    RenderContext rc{fonts, tables};
};

TEST_F(ScreenColours, EveryTextColourLightsTheSameLedsInTheLayoutThePreviewAndOnTheCard) {
    const ScopedClockOverride clock(kNow);
    std::vector<uint8_t> buffer(0xFFFFF);
    for (const int code : {5, 12, 13, 14, 15, 16, 17, 7})
        for (const uint32_t rgb : {1u, 2u, 4u, 3u, 7u}) {  // red, green, blue, yellow, white
            const std::string name = "colour code " + std::to_string(code) + " rgb " + std::to_string(rgb);
            ProgramTree tree = ColourTree(code, rgb);
            std::fill(buffer.begin(), buffer.end(), 0xFF);
            uint32_t position = 0;
            const int32_t length = BuildProgramImage(buffer.data(), &position, tree, buffer.size());
            ASSERT_GT(length, 0) << name;
            const CardView card = DrawCardView(std::span(buffer).first(size_t(length)), 0, {kW, kH, code}, kNow);
            EXPECT_EQ(card.problems, std::vector<std::string>{}) << name;
            // A one-colour screen lights every colour; a two-colour one the colours that share a channel with it.
            const uint32_t channels = (rgb & 1 ? 0xFF0000 : 0) | (rgb & 2 ? 0x00FF00 : 0) | (rgb & 4 ? 0x0000FF : 0);
            EXPECT_EQ(CountLit(card.picture) > 0, LedPlanes::PlaneCount(code) == 1 || (channels & ColorCodeMask(code)))
                << name;
            EXPECT_EQ(Picture(RenderLayoutPicture(tree, rc, 0, 1)), Picture(card.picture)) << name << " (layout)";
            const uint64_t atRest[] = {500};
            EXPECT_EQ(Picture(RenderPreviewPictures(tree, rc, atRest, 1)[0]), Picture(card.picture))
                << name << " (preview at rest)";
        }
}

TEST(ScreenLedColour, OneColourLightsItsRedByTheBrightestChannelTwoColoursKeepTheirChannels) {
    EXPECT_EQ(ScreenLedColour(0x00FF00, 5), 0xFF0000u);
    EXPECT_EQ(ScreenLedColour(0x0000FF, 7), 0xFF0000u);
    EXPECT_EQ(ScreenLedColour(0x204060, 5), 0x600000u);  // a dark picture pixel stays dark
    EXPECT_EQ(ScreenLedColour(0x302010, 5), 0x300000u);
    EXPECT_EQ(ScreenLedColour(0x123456, 12), 0x123400u);
    EXPECT_EQ(ScreenLedColour(0x123456, 13), 0x003456u);
    EXPECT_EQ(ScreenLedColour(0x123456, 14), 0x120056u);
    RawImage image;
    ResetImage(image, 2, 1);
    image.row32(0)[0] = 0x0000FF, image.row32(0)[1] = 0xFFFF00;
    ShowImageAsScreen(image, 16);
    EXPECT_EQ(std::pair(image.row32(0)[0], image.row32(0)[1]), std::pair(0x0000FFu, 0x00FF00u));
}

}  // namespace
}  // namespace ledsuite
