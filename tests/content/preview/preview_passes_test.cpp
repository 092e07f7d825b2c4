// Pictures of whole passes as the preview plays them: what the pauses hold (the whole
// content after coming in, the empty area after going out), the end states of the strip
// effects, and the order of the passes over the screenfuls of a long text.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "content/card/program_file.h"

#include "content/preview/canvas_snapshot.h"
#include "content/preview/preview_player.h"
#include "content/render/image_decode.h"
#include "tests/content/canvas_helpers.h"

namespace ledsuite {
namespace {

const std::string kFull4 = "rrrr", kEmpty4 = "....";

// Consecutive equal pictures: the picture and how many rounds it stayed.
struct Hold {
    Rows picture;
    int rounds;
};

std::vector<Hold> Runs(const std::vector<Rows>& frames) {
    std::vector<Hold> runs;
    for (const Rows& f : frames) {
        if (!runs.empty() && runs.back().picture == f) ++runs.back().rounds;
        else runs.push_back({f, 1});
    }
    return runs;
}

// The runs of at least `rounds` rounds: the pauses.
std::vector<Hold> Pauses(const std::vector<Hold>& runs, int rounds) {
    std::vector<Hold> out;
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(out), [&](const Hold& r) { return r.rounds >= rounds; });
    return out;
}

bool AllOf(const Rows& rows, char c) {
    return std::all_of(rows.begin(), rows.end(),
                       [&](const std::string& r) { return r.find_first_not_of(c) == std::string::npos; });
}

bool Long(const Hold& h, int rounds) { return h.rounds >= rounds; }

// A pass that comes in without a pause, holds the whole content for a pause of at least
// `pause` rounds, and goes out to the empty area without another pause.
void ExpectInShownOutEmpty(const std::vector<Hold>& runs, int pause, int effect) {
    const auto held = std::find_if(runs.begin(), runs.end(), [&](const Hold& h) { return Long(h, pause); });
    ASSERT_NE(held, runs.end()) << effect;
    EXPECT_TRUE(AllOf(held->picture, 'r')) << effect;
    EXPECT_GE(held->rounds, pause + 1) << effect;  // its end frame, then the pause
    EXPECT_FALSE(AllOf(runs.front().picture, 'r')) << effect;
    const auto empty = std::find_if(held, runs.end(), [](const Hold& h) { return AllOf(h.picture, '.'); });
    ASSERT_NE(empty, runs.end()) << effect;
    EXPECT_GT(empty - held, 1) << effect;  // partly shown on the way out
    EXPECT_TRUE(std::none_of(held + 1, empty, [&](const Hold& h) { return Long(h, pause); })) << effect;
}

class PreviewPasses : public RenderTest {
protected:
    // The first `rounds` pictures (one per 10 ms round) of the tree.
    std::vector<Rows> Play(ProgramTree& tree, int rounds) {
        std::vector<uint64_t> times;
        for (int i = 1; i <= rounds; ++i) times.push_back(uint64_t(10 * i));
        std::vector<Rows> pictures;
        for (const RawImage& img : RenderPreviewPictures(tree, rc, times, 1)) pictures.push_back(Picture(img));
        return pictures;
    }
    // One program filling a w x h one-colour screen (lit red) with `effect` and `pause`
    // (tenths of a second).
    ProgramRecord& Program(ProgramTree& tree, int w, int h, uint8_t effect, uint8_t pause) {
        ProgramRecord& p = AddPictureProgram(tree, 0, 0, w, h, w, h);
        p.content.header.spread = 0;
        p.mainAction.effect = effect;
        p.mainAction.pause = pause;
        return p;
    }
};

TEST_F(PreviewPasses, TheMainPauseHoldsTheWholeContentBetweenTheMainAndTheSecondaryPass) {
    const std::pair<uint8_t, uint8_t> pairs[] = {{kEffectInterweaveHorizontal, kEffectInterweaveHorizontal},
                                                 {kEffectCurtainLeft, kEffectCurtainRight},
                                                 {kEffectSnow, kEffectSnow},
                                                 {kEffectStackDown, kEffectStackUp}};
    for (const auto& [main, secondary] : pairs) {
        ProgramTree tree = TinyTree(16, 4, 5);
        ProgramRecord& p = Program(tree, 16, 4, main, 3);  // 300 ms: 30 rounds
        p.secondaryAction = p.mainAction;
        p.secondaryAction.effect = secondary;
        const std::vector<Hold> runs = Runs(Play(tree, 120));
        ExpectInShownOutEmpty(runs, 30, int(main));
    }
}

TEST_F(PreviewPasses, StripEffectsHoldTheOpenStateForThePauseAndEndFullyClosed) {
    for (uint8_t effect = kEffectBlindsHorizontal; effect <= kEffectCurtainDown; ++effect) {
        ProgramTree tree = TinyTree(64, 32, 5);
        Program(tree, 64, 32, effect, 2);
        const std::vector<Rows> frames = Play(tree, 400);
        const std::vector<Hold> runs = Runs(frames);
        const std::vector<Hold> pauses = Pauses(runs, 20);
        ASSERT_FALSE(pauses.empty()) << int(effect);
        EXPECT_TRUE(AllOf(pauses[0].picture, 'r')) << int(effect);
        // Closing ends on the empty area, before the pass starts again.
        const auto open = std::find_if(runs.begin(), runs.end(), [](const Hold& r) { return r.rounds >= 20; });
        const auto closed = std::find_if(open, runs.end(), [](const Hold& r) { return AllOf(r.picture, '.'); });
        ASSERT_NE(closed, runs.end()) << int(effect);
        // Between the two only partly open pictures: the content closes without opening again.
        for (auto r = open + 1; r != closed; ++r) EXPECT_FALSE(AllOf(r->picture, 'r')) << int(effect);
    }
}

TEST_F(PreviewPasses, EachScreenfulComesInPausesAndGoesOutBeforeTheNext) {
    // A red, a green and a yellow line of one area's height: three screenfuls.
    ProgramTree tree = TinyTree(4, 8, 17);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 4, 8, 4, 8, 0xFF0000);
    p.content.cells[1] = TextCell(kNewline, kWhite8);
    p.content.cells[2] = PictureCell(4, 8, {0x00FF00});
    p.content.cells[3] = TextCell(kNewline, kWhite8);
    p.content.cells[4] = PictureCell(4, 8, {0xFFFF00});
    p.content.header.spread = 0;
    p.mainAction.effect = kEffectInterweaveHorizontal;
    p.mainAction.pause = 1;
    p.secondaryAction = p.mainAction;
    p.secondaryAction.effect = kEffectCurtainRight;
    // The colour of each picture in turn ('.' when it is empty), and of each pause.
    auto colours = [&](int rounds) {
        std::pair<std::string, std::string> seen;
        for (const Hold& r : Runs(Play(tree, rounds))) {
            char c = '.';
            for (const std::string& row : r.picture)
                if (row.find_first_not_of('.') != std::string::npos) c = row[row.find_first_not_of('.')];
            if (seen.first.empty() || seen.first.back() != c) seen.first += c;
            if (r.rounds >= 10) seen.second += c;
        }
        return seen;
    };
    // Each screenful whole in its pause, then gone, before the next one comes in.
    auto [order, pauses] = colours(110);
    EXPECT_EQ(order.substr(0, 7), ".r.g.y.") << order;
    EXPECT_EQ(pauses.substr(0, 3), "rgy") << order;
    // With one action and a repeat: every screenful, then every screenful again.
    p.secondaryAction.effect = kEffectNone;
    p.mainAction.repeat = 1;
    std::tie(order, pauses) = colours(150);
    EXPECT_EQ(order.substr(0, 13), ".r.g.y.r.g.y.") << order;
    // With two actions and a repeat of the main one, every screenful comes in twice.
    p.secondaryAction.effect = kEffectCurtainRight;
    std::tie(order, pauses) = colours(200);
    EXPECT_EQ(order.substr(0, 13), ".r.r.g.g.y.y.") << order;
}

TEST_F(PreviewPasses, TheAreaIsEmptyAfterGoingOutDuringTheRepeatPauseAndWhenFinished) {
    for (const uint8_t effect : {kEffectCurtainLeft, kEffectInterweaveHorizontal, kEffectSnowDown, kEffectMoveLeft,
                                 kEffectBlindsHorizontal, kEffectLaserLeft}) {
        ProgramTree tree = TinyTree(64, 16, 5);
        ProgramRecord& p = Program(tree, 64, 16, effect, 3);
        p.mainAction.repeat = 1;
        if (effect == kEffectMoveLeft) p.content.cells[0] = PictureCell(16, 16);  // no second copy
        const std::vector<Hold> runs = Runs(Play(tree, 400));
        // In then out: the whole content at the turn (not for a move), then the empty area
        // for the pause before the repeat.
        const std::vector<Hold> pauses = Pauses(runs, 30);
        ASSERT_GE(pauses.size(), effect == kEffectMoveLeft ? 1u : 2u) << int(effect);
        EXPECT_TRUE(AllOf(pauses[effect == kEffectMoveLeft ? 0 : 1].picture, '.')) << int(effect);
    }
    // Beside a program that is still playing, a finished area stays empty.
    ProgramTree tree = TinyTree(8, 2, 5);
    AddPictureProgram(tree, 0, 0, 4, 2, 4, 2).mainAction.effect = kEffectInterweaveHorizontal;
    AddPictureProgram(tree, 4, 0, 8, 2, 4, 2).mainAction.pause = 10;
    const std::vector<Rows> frames = Play(tree, 60);
    EXPECT_EQ(frames[4], (Rows{"rrrrrrrr", "rrrrrrrr"}));  // came in
    EXPECT_EQ(frames.back(), (Rows{"....rrrr", "....rrrr"}));
}

TEST_F(PreviewPasses, BlackboardAndLaserHoldTheWholeContentForThePause) {
    for (const uint8_t effect : {kEffectBlackboardLeft, kEffectBlackboardRight, kEffectLaserLeft, kEffectLaserRight}) {
        ProgramTree tree = TinyTree(16, 8, 5);
        Program(tree, 16, 8, effect, 2);
        ExpectInShownOutEmpty(Runs(Play(tree, 120)), 20, int(effect));
    }
}

// A program with two actions and Repeat 1, saved and opened again: its preview holds the
// whole content for the pause before the repeat and again between the two passes, both
// through the picture library and through the lcs_render tool.
TEST_F(PreviewPasses, ASavedProgramWithTwoActionsAndARepeatHoldsItsPauses) {
    ProgramTree tree = TinyTree(64, 16, 5);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 64, 16, 4, 1);
    PutText(p.content, u"AB", CellAttr::Make(16, 0, 1));
    p.mainAction.effect = kEffectInterweaveHorizontal;
    p.mainAction.pause = 5;  // 50 rounds
    p.mainAction.repeat = 1;
    p.secondaryAction = p.mainAction;
    p.secondaryAction.repeat = 0;
    p.secondaryAction.pause = 0;
    const std::string path = ::testing::TempDir() + "holds_" + std::to_string(::getpid()) + ".lcs";
    ASSERT_EQ(SaveProgramFile(path, tree), 0);
    ProgramTree opened;
    ASSERT_EQ(OpenProgramFile(path, opened), 0);

    // One play of the program: in, held, in again, held, out (then it starts over).
    const uint64_t cycle = 2400;
    const int lit = CountLit(RenderLayoutPicture(opened, rc, 0, 1));
    std::vector<std::pair<int, int>> held;  // rounds and lit LEDs of every hold of 50 rounds or more
    for (const PreviewHold& h : PreviewHolds(opened, rc, cycle))
        if (h.rounds >= 50) held.emplace_back(h.rounds, h.lit);
    // The end frame of the pass and the pause; between the passes the secondary pass's
    // first frame shows the same.
    EXPECT_EQ(held, (std::vector<std::pair<int, int>>{{51, lit}, {52, lit}}));

    const std::string command = std::string(LEDSUITE_LCS_RENDER_BIN) + " --holds " + path + " " + std::to_string(cycle);
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::vector<int> printed;  // the same from the tool's lines "<ms> ms: <rounds> rounds, <lit> lit"
    unsigned long long ms = 0;
    int rounds = 0, leds = 0;
    char line[256];
    while (std::fgets(line, sizeof line, out))
        if (std::sscanf(line, "%llu ms: %d rounds, %d lit", &ms, &rounds, &leds) == 3 && rounds >= 50)
            printed.push_back(leds);
    EXPECT_EQ(pclose(out), 0);
    std::remove(path.c_str());
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_GT(printed[0], 0);
}

// "lcs_render FILE.lcs OUTDIR" into a folder that does not exist yet: the folder is made
// and holds the layout and the preview pictures of the first seconds, the screen at the
// default zoom of 4, with the text lit in the layout and in the preview.
TEST_F(PreviewPasses, TheToolMakesTheFolderAndDrawsTheLayoutAndThePreview) {
    ProgramTree tree = TinyTree(64, 16, 5);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 64, 16, 4, 1);
    PutText(p.content, u"AB", CellAttr::Make(16, 0, 1));
    p.mainAction.effect = kEffectInterweaveHorizontal;
    const std::string base = ::testing::TempDir() + "render_" + std::to_string(::getpid());
    const std::string path = base + ".lcs", folder = base + "/new/out";
    ASSERT_EQ(SaveProgramFile(path, tree), 0);
    const std::string command = std::string(LEDSUITE_LCS_RENDER_BIN) + " " + path + " " + folder + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<int> lit;  // LEDs lit in each picture
    for (const char* name : {"layout_0", "preview_0", "preview_1000", "preview_2000", "preview_3000", "preview_4000"}) {
        const DecodedImage png = DecodeImageFile(folder + "/" + name + ".png");
        ASSERT_EQ(png.frames.size(), 1u) << name;
        EXPECT_EQ(std::pair(png.width, png.height), std::pair(64 * 4, 16 * 4)) << name;
        const auto& px = png.frames[0];
        lit.push_back(int(std::count_if(px.begin(), px.end(), [](uint32_t c) { return c != 0; })));
    }
    EXPECT_GT(lit[0], 0);
    EXPECT_NE(std::find(lit.begin() + 1, lit.end(), lit[0]), lit.end());  // the whole text shows in the preview
    std::filesystem::remove_all(base);
    std::remove(path.c_str());
}

TEST_F(PreviewPasses, AStillPictureIsOneHoldOfEveryLedItLights) {
    ProgramTree tree = TinyTree(4, 2, 5);
    Program(tree, 4, 2, kEffectStatic, 1);
    const std::vector<PreviewHold> holds = PreviewHolds(tree, rc, 100);
    ASSERT_EQ(holds.size(), 1u);
    EXPECT_EQ(std::tuple(holds[0].fromMs, holds[0].rounds, holds[0].lit), std::tuple(uint64_t(10), 10, 8));
}

}  // namespace
}  // namespace ledsuite
