// A system-font text under the moves to the left and right is sent as one running
// line per hard line; under every other effect its lines wrap within the area.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "content/bytes.h"
#include "content/card/program_encoder.h"
#include "content/model/program_tree.h"
#include "tests/content/layout_helpers.h"
#include "tests/content/image_walker.h"

using namespace ledsuite;
using ::testing::IsEmpty;

namespace {

struct Encoded {
    uint8_t flags = 0;                  // the content header's flags
    std::vector<std::pair<int, int>> pictures;  // width and height of each line picture, in order
};

// One program of two hard lines in a 40 x 16 area, in system fonts, under `effect`.
Encoded EncodeTwoLines(uint8_t effect) {
    ProgramTree tree;
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    p.content.header.fontSet = 0;
    p.right = 40, p.bottom = 16;
    p.mainAction.effect = effect;
    PutText(p.content, u"ABCDEFGHIJ\nKLMNOPQR", CellAttr::Make(16, 0, 1));
    std::vector<uint8_t> image(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, image.size());
    EXPECT_GT(length, 0);
    if (length <= 0) return {};
    image.resize(size_t(length));
    const ImageWalk walk = WalkProgramImage(image);
    EXPECT_THAT(walk.problems, IsEmpty());
    Encoded out;
    const size_t header = LoadU16(&image[LoadU16(&image[4])]);
    out.flags = image[header + 1];
    for (uint32_t at : walk.pictures) out.pictures.emplace_back(LoadU16(&image[at + 2]), LoadU16(&image[at + 4]));
    return out;
}

}  // namespace

TEST(RunningLine, MovesLeftAndRightKeepEachHardLineWhole) {
    for (uint8_t effect : {1, 3, 30, 31}) {
        SCOPED_TRACE(int(effect));
        const Encoded e = EncodeTwoLines(effect);
        EXPECT_EQ(e.flags & 0x40, 0x40);
        ASSERT_EQ(e.pictures.size(), 2u);  // one picture per hard line
        for (auto [w, h] : e.pictures) {
            EXPECT_GT(w, 40);  // wider than the area: not wrapped
            EXPECT_EQ(h, 16);
        }
        EXPECT_GT(e.pictures[0].first, e.pictures[1].first);  // ten letters against eight
    }
}

TEST(RunningLine, OtherEffectsWrapWithinTheArea) {
    // Move Up and Move Down are moves for the card (flag 0x40) but their lines wrap.
    for (uint8_t effect : {2, 4, 5, 17, 28}) {
        SCOPED_TRACE(int(effect));
        const Encoded e = EncodeTwoLines(effect);
        EXPECT_EQ(e.flags & 0x40, effect == 2 || effect == 4 ? 0x40 : 0);
        EXPECT_GT(e.pictures.size(), 2u);
        for (auto [w, h] : e.pictures) EXPECT_LE(w, 40);
    }
}

TEST(RunningLine, FieldRecordsOfYearAndUncolouredFields) {
    // A one-line system-font text of a year field without colour bits and a red hour:
    // records of card types 0 and 3, colour codes 5 and 9.
    ProgramTree tree;
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    p.content.header.fontSet = 0;
    p.right = 200, p.bottom = 16;
    p.mainAction.effect = kEffectStatic;
    p.content.cells[0] = TextCell(FC_YEAR, CellAttr::Make(16, 0, 0));
    p.content.cells[1] = TextCell(FC_HOUR, CellAttr::Make(16, 0, 1));
    std::vector<uint8_t> image(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, image.size());
    ASSERT_GT(length, 0);
    image.resize(size_t(length));
    EXPECT_THAT(WalkProgramImage(image).problems, IsEmpty());
    const size_t header = LoadU16(&image[LoadU16(&image[4])]);
    const size_t textHead = LoadU32(&image[header + 6]) + 12;  // no border, no sound place, one action
    ASSERT_EQ(image[textHead + 4], 2);  // the rendered form without clocks
    const size_t stream = textHead + 6;
    const size_t records = stream + 6 + 2 * LoadU16(&image[stream + 4]) + 8;
    EXPECT_EQ(image[records], 5);
    EXPECT_EQ(image[records + 1], 0);
    EXPECT_EQ(image[records + 10], 9);
    EXPECT_EQ(image[records + 11], 3);
    EXPECT_EQ(image[records + 20], 0);  // no more records on the picture
}

class RunningLinePlaces : public RenderTest {};

TEST_F(RunningLinePlaces, EachHardLineStartsItsOwnRow) {
    // A wide line and a short centred one in a 40 x 16 area: the rows stack at 0 and 16;
    // the short line is centred under Move Left and Move Right, left-aligned under the
    // continuous moves; the wide line starts at 0 whatever its alignment.
    const uint32_t attr = CellAttr::Make(16, 0, 1);
    TextContent t;
    t.header.align = 1;
    PutText(t, u"ABCDEFGHIJ\nKL", attr);
    const int kl = rc.measurer.TextWidth(u"KL", attr, false);
    ASSERT_LT(kl, 40);
    for (uint8_t effect : {1, 3, 30, 31}) {
        SCOPED_TRACE(int(effect));
        RenderedText out;
        ASSERT_EQ(RenderTextPictures(rc, t, effect, 40, 16, 17, 1 << 20, out), 0);
        ASSERT_EQ(out.pictures.size(), 2u);
        EXPECT_EQ(std::make_pair(out.pictures[0].x, out.pictures[0].y), std::make_pair(0, 0));
        const int x = effect == 30 || effect == 31 ? 0 : (40 - kl) / 2;
        EXPECT_EQ(std::make_pair(out.pictures[1].x, out.pictures[1].y), std::make_pair(x, 16));
        EXPECT_GT(out.pictures[0].image.width, 40);
    }
}
