// Pictures of single-effect programs as the preview plays them: every mirrored effect pair
// is told apart (and is the mirror image of its partner), and the fold-back rows of Stack
// and Snow are pinned row by row on content whose rows have different colours.
#include <algorithm>

#include "content/preview/canvas_snapshot.h"
#include "content/preview/preview_player.h"
#include "tests/content/canvas_helpers.h"

namespace ledsuite {
namespace {

// A one-frame picture whose row y has the colour colours[y % n].
TextCell StripedPicture(int w, int h, const std::vector<uint32_t>& colours) {
    auto picture = std::make_unique<PictureObject>();
    auto image = std::make_unique<RawImage>();
    ResetImage(*image, w, h);
    for (int y = 0; y < h; ++y) std::fill_n(image->row32(y), w, colours[size_t(y) % colours.size()]);
    picture->frames.push_back(std::move(image));
    return ObjectCell(FC_PICTURE, std::move(picture));
}

Rows FlipH(Rows rows) {
    for (auto& r : rows) std::reverse(r.begin(), r.end());
    return rows;
}
Rows FlipV(Rows rows) {
    std::reverse(rows.begin(), rows.end());
    return rows;
}

class PreviewEffects : public RenderTest {
protected:
    // The first `rounds` pictures (one per 10 ms round) of one program filling a w x h screen.
    std::vector<Rows> Play(uint8_t effect, int w, int h, int rounds, TextCell cell = {}, uint16_t colorCode = 5,
                           uint8_t pause = 0) {
        ProgramTree tree = TinyTree(w, h, colorCode);
        ProgramRecord& p = AddPictureProgram(tree, 0, 0, w, h, w, h);
        p.mainAction.pause = pause;
        if (cell.code != 0) p.content.cells[0] = std::move(cell);
        p.mainAction.effect = effect;
        p.content.header.spread = 0;
        std::vector<uint64_t> times;
        for (int i = 1; i <= rounds; ++i) times.push_back(uint64_t(10 * i));
        std::vector<Rows> pictures;
        for (const RawImage& img : RenderPreviewPictures(tree, rc, times, 1)) pictures.push_back(Picture(img));
        return pictures;
    }
};

TEST_F(PreviewEffects, EveryMirroredPairIsTheMirrorImageOfItsPartnerAndNotItsEqual) {
    struct Pair {
        uint8_t a, b;
        bool vertical;
    } pairs[] = {
        {kEffectMoveLeft, kEffectMoveRight, false},       {kEffectMoveUp, kEffectMoveDown, true},
        {kEffectCurtainLeft, kEffectCurtainRight, false}, {kEffectCurtainUp, kEffectCurtainDown, true},
        {kEffectStackUp, kEffectStackDown, true},         {kEffectSnowUp, kEffectSnowDown, true},
        {kEffectDanceUp, kEffectDanceDown, true},
    };
    for (const Pair& p : pairs) {
        const auto a = Play(p.a, 8, 8, 12), b = Play(p.b, 8, 8, 12);
        EXPECT_NE(a, b) << int(p.a);
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(a[i], p.vertical ? FlipV(b[i]) : FlipH(b[i])) << int(p.a) << " " << i;
    }
}

TEST_F(PreviewEffects, CurtainsDoorAndScrollOpenFromTheirOwnEdges) {
    // Curtain-Left opens from the left edge, Curtain-Right from the right (h = width 6).
    EXPECT_EQ(Play(kEffectCurtainLeft, 6, 1, 3), (std::vector<Rows>{{"r....."}, {"rr...."}, {"rrr..."}}));
    EXPECT_EQ(Play(kEffectCurtainRight, 6, 1, 3), (std::vector<Rows>{{".....r"}, {"....rr"}, {"...rrr"}}));
    EXPECT_EQ(Play(kEffectCurtainUp, 1, 3, 1), (std::vector<Rows>{{"r", ".", "."}}));
    EXPECT_EQ(Play(kEffectCurtainDown, 1, 3, 1), (std::vector<Rows>{{".", ".", "r"}}));
    // Door opens from the middle, Scroll from both edges toward it (h = width / 2).
    EXPECT_EQ(Play(kEffectDoor, 8, 1, 3), (std::vector<Rows>{{"...rr..."}, {"..rrrr.."}, {".rrrrrr."}}));
    EXPECT_EQ(Play(kEffectScroll, 8, 1, 3), (std::vector<Rows>{{"r......."}, {"rr.....r"}, {"rrr...rr"}}));
}

TEST_F(PreviewEffects, TheContentStaysForThePauseAndNoBlankPauseFollowsTheLastMotion) {
    // Interweave with a pause of 1 (100 ms): in, shown for ten rounds, out to the empty
    // area, and at once in again.
    std::vector<Rows> expected = {{"...."}, {"r..."}, {"rr.."}, {"rrr."}};
    expected.insert(expected.end(), 11, Rows{"rrrr"});
    for (const char* row : {"rrr.", "rr..", "r...", "....", "....", "r..."}) expected.push_back({row});
    EXPECT_EQ(Play(kEffectInterweaveHorizontal, 4, 1, 21, {}, 5, 1), expected);
    // Curtain-Left the same: opened, held for the pause, then closed at once, to the end.
    expected = {{"r..."}, {"rr.."}, {"rrr."}};
    expected.insert(expected.end(), 13, Rows{"rrrr"});
    for (const char* row : {"rrr.", "rr..", "r...", "....", "r..."}) expected.push_back({row});
    EXPECT_EQ(Play(kEffectCurtainLeft, 4, 1, 21, {}, 5, 1), expected);
}

TEST_F(PreviewEffects, ATextLongerThanTheAreaIsPlayedScreenfulByScreenful) {
    // A red line, then a green one, in an area one line (8 LEDs) high: two screenfuls.
    ProgramTree tree = TinyTree(4, 8, 17);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 4, 8, 4, 8, 0xFF0000);
    p.content.cells[1] = TextCell(kNewline, kWhite8);
    p.content.cells[2] = PictureCell(4, 8, {0x00FF00});
    const auto still = RenderPreviewPictures(tree, rc, std::vector<uint64_t>{10, 20}, 1);
    EXPECT_EQ(Picture(still[0])[0], "rrrr");
    EXPECT_EQ(Picture(still[1])[7], "gggg");
    // Scroll opens and closes the first screenful, then the second.
    p.mainAction.effect = kEffectScroll;
    std::vector<uint64_t> times;
    for (int i = 1; i <= 12; ++i) times.push_back(uint64_t(10 * i));
    std::string seen;
    for (const RawImage& img : RenderPreviewPictures(tree, rc, times, 1)) seen += Picture(img)[4] + "|";
    EXPECT_EQ(seen.find('g') < seen.size(), true) << seen;
    EXPECT_LT(seen.find('r'), seen.find('g')) << seen;
    // A move is not paged: the whole text passes once, then the program starts again with the red line.
    p.mainAction.effect = kEffectMoveUp;
    for (int i = 13; i <= 27; ++i) times.push_back(uint64_t(10 * i));
    const auto moved = RenderPreviewPictures(tree, rc, times, 1);
    EXPECT_EQ(std::pair(Picture(moved[9])[7], Picture(moved[26])[7]),
              std::pair(std::string("gggg"), std::string("rrrr")));
}

TEST_F(PreviewEffects, StackFoldsTheRowsStillToComeBehindTheLine) {
    const std::vector<uint32_t> rows = {0xFF0000, 0x00FF00, 0xFFFF00, 0x800000};  // r g y r
    // Going down, line L from 4 to 0: rows at or below it in place, row y above it shows row 2y - L.
    EXPECT_EQ(Play(kEffectStackDown, 1, 4, 5, StripedPicture(1, 4, rows), 17),
              (std::vector<Rows>{{".", ".", "r", "y"}, {".", ".", "g", "r"}, {".", "r", "y", "r"}, {".", "g", "y", "r"},
                                 {"r", "g", "y", "r"}}));
    // Going up the same, upside down.
    EXPECT_EQ(Play(kEffectStackUp, 1, 4, 3, StripedPicture(1, 4, rows), 17),
              (std::vector<Rows>{{"g", "r", ".", "."}, {"r", "y", ".", "."}, {"r", "g", "r", "."}}));
    // In an area one row high the line runs from 1 to 0: nothing, then the row.
    EXPECT_EQ(Play(kEffectStackDown, 2, 1, 2), (std::vector<Rows>{{".."}, {"rr"}}));
}

TEST_F(PreviewEffects, SnowDithersTheFoldedRowsAndRepeatsThemBehind) {
    const std::vector<uint32_t> rows = {0xFF0000, 0x00FF00, 0xFFFF00, 0x800000};
    // L = 4: row 2 shows content row 0 where 0x44 allows (columns 2, 6) and row 2 repeated by
    // 0x11 (columns 0, 4); row 3 row 2 by 0x88; row 1 the repeat of row 0 by 0x88.
    const auto down = Play(kEffectSnowDown, 8, 4, 5, StripedPicture(8, 4, rows), 17);
    EXPECT_EQ(down[0], (Rows{"........", "...r...r", "y.r.y.r.", "...y...y"}));
    EXPECT_EQ(down[4], (Rows{"rrrrrrrr", "gggggggg", "yyyyyyyy", "rrrrrrrr"}));  // L = 0: all in place
    // L = 3: row 3 in place; row 2 shows row 1 by 0x44 and repeats nothing; row 1 shows nothing
    // of its own (2 - 3 < 0) and repeats row 1 by 0x88.
    EXPECT_EQ(down[1], (Rows{"........", "...g...g", "..g...g.", "rrrrrrrr"}));
}

}  // namespace
}  // namespace ledsuite
