// A picture loaded from a file lights on the card only where it is brighter than its
// flat background, whether that background is black, dark grey or mid grey: the
// loaded thresholds name the first level of the brighter class. Read back from the
// encoded image through the card view.
#include <gtest/gtest.h>

#include <filesystem>

#include "content/card/program_encoder.h"
#include "content/render/image_sources.h"
#include "tests/content/card_view.h"
#include "tests/content/layout_helpers.h"

namespace ledsuite {
namespace {

// Lit LEDs of the card's picture of a 40 x 10 picture with a 20 x 2 bar of `bar` on `background`.
int CardLitOfLoadedPicture(uint32_t background, uint32_t bar) {
    RawImage file;
    ResetImage(file, 40, 10);
    FillImage(file, background);
    for (int y = 4; y < 6; ++y)
        for (int x = 10; x < 30; ++x) file.row32(y)[x] = bar;
    const std::string path = ::testing::TempDir() + "/threshold_picture.bmp";
    EXPECT_EQ(WriteBmpFile(file, path), 1);
    auto picture = std::make_unique<PictureObject>();
    EXPECT_EQ(LoadImageFile(&picture->frames, path), 1);
    std::filesystem::remove(path);

    HardwareParams hw;
    hw.width = 64, hw.height = 16, hw.colorCode = 5, hw.cardType = 3;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    InitProgramRecord(p, 0, 0, 64, 16);
    p.mainAction.effect = kEffectStatic;
    p.content.cells[0] = ObjectCell(FC_PICTURE, std::move(picture));
    std::vector<uint8_t> image(0xFFFFF, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, image.size());
    EXPECT_GT(length, 0);
    const CardView card = DrawCardView(std::span(image).first(size_t(std::max(length, 0))), 0, {64, 16, 5}, {});
    EXPECT_EQ(card.problems, std::vector<std::string>{});
    return CountLit(card.picture);
}

TEST(PictureThreshold, OnlyTheBrightBarOfAFlatBackgroundLightsOnTheCard) {
    EXPECT_EQ(CardLitOfLoadedPicture(0x000000, 0xFFFFFF), 40);  // black
    EXPECT_EQ(CardLitOfLoadedPicture(0x404040, 0xF0F0F0), 40);  // dark grey: all 400 lit before
    EXPECT_EQ(CardLitOfLoadedPicture(0x808080, 0xFFFFFF), 40);  // mid grey
    EXPECT_EQ(CardLitOfLoadedPicture(0xD0D0D0, 0x303030), 360);  // a dark bar on a light ground
}

}  // namespace
}  // namespace ledsuite
