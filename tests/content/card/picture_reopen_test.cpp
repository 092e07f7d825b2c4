// A picture program keeps what the layout view lights through an .lcs save and open, on
// every colour code and in system fonts or a card font set: pictures shown at their own
// size and pictures as the editor inserts them, fitted to the text's height (shown at
// another size than their pixels). The card lights the same.
#include <unistd.h>

#include <cstdio>

#include "content/card/program_encoder.h"
#include "content/card/program_file.h"
#include "content/preview/canvas_snapshot.h"
#include "tests/content/canvas_helpers.h"
#include "tests/content/card_view.h"

namespace ledsuite {
namespace {

struct Shape {
    int w, h;
    int fitted;  // the text height the editor fits it to; 0: shown at its own size
};

class PictureReopen : public RenderTest {
protected:
    const std::string path = ::testing::TempDir() + "picture_reopen_" + std::to_string(::getpid()) + ".lcs";
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kImageLimit);

    void TearDown() override { std::remove(path.c_str()); }

    void Check(int code, const Shape& s, uint32_t colour, uint8_t fontSet) {
        const std::string name = "code " + std::to_string(code) + ", " + std::to_string(s.w) + "x" +
                                 std::to_string(s.h) + " fitted to " + std::to_string(s.fitted) + ", colour " +
                                 std::to_string(colour) + ", font set " + std::to_string(fontSet);
        ProgramTree tree = TinyTree(64, 16, uint16_t(code));
        ProgramRecord& p = AddPictureProgram(tree, 0, 0, 64, 16, s.w, s.h, colour);
        p.content.header.fontSet = fontSet;
        if (s.fitted) FitFramesToHeight(CellObjectAs<PictureObject>(p.content.cells[0])->frames, s.fitted);
        const RawImage before = RenderLayoutPicture(tree, rc, 0, 1);
        if (colour == 0xFFFFFF) {
            EXPECT_GT(CountLit(before), 0) << name;  // white lights on every screen
        }

        ASSERT_EQ(SaveProgramFile(path, tree), 0) << name;
        ProgramTree opened;  // an empty page: the file's set becomes set 0
        ASSERT_EQ(OpenProgramFile(path, opened), 0) << name;
        EXPECT_EQ(Picture(RenderLayoutPicture(opened, rc, 0, 1)), Picture(before)) << name;

        std::fill(buffer.begin(), buffer.end(), 0xFF);
        uint32_t position = 0;
        const int32_t length = BuildProgramImage(buffer.data(), &position, tree, buffer.size());
        ASSERT_GT(length, 0) << name;
        const CardView card = DrawCardView(std::span(buffer).first(size_t(length)), 0, {64, 16, code}, {});
        EXPECT_EQ(Picture(card.picture), Picture(before)) << name << " (card)";
    }
};

TEST_F(PictureReopen, TheLayoutViewLightsTheSameBeforeAndAfterAndTheCardAgrees) {
    const Shape shapes[] = {{4, 1, 0}, {4, 1, 16}, {7, 3, 12}, {16, 16, 0}, {24, 8, 16}, {100, 20, 0}, {3, 40, 16}};
    for (const int code : {5, 7, 12, 13, 14, 15, 16, 17})
        for (const Shape& s : shapes)
            for (const uint32_t colour : {0xFFFFFFu, 0xFFFF00u})
                for (const uint8_t fontSet : {0, 1}) Check(code, s, colour, fontSet);
}

}  // namespace
}  // namespace ledsuite
