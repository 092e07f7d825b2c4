// The preview stepper on a clock the tests move: motions by effect class, the passes
// of a program, the walk over the program sets, border scrolling, stopping, and
// pictures of the preview at given times.
#include "tests/content/canvas_helpers.h"
#include "content/preview/canvas_snapshot.h"
#include "content/render/dissolve_random.h"
#include "content/render/image_sources.h"
#include "content/preview/preview_player.h"

namespace ledsuite {
namespace {

CardAction Card(uint8_t effect, int w, int h) {
    ActionRecord a;
    a.effect = effect;
    a.speed = 1;
    return EffectToCardAction(a, 0, 0, w, h);
}

// The motion of `effect` started for cw x ch content in a w x h area at the origin.
PlayState Start(uint8_t effect, int w, int h, int cw, int ch, int passes = 1, uint8_t phase = kPhaseNotStarted,
                bool continuous = false) {
    PlayState s;
    s.phase = phase;
    StepEffectState(s, passes, Card(effect, w, h), 0, 0, w, h, cw, ch, continuous);
    return s;
}

// Steps until the motion ends; the counters seen after each step.
std::vector<int> RunMotion(PlayState s, int h) {
    std::vector<int> seen;
    for (int guard = 0; guard < 1000; ++guard) {
        const bool done = AdvanceMotion(s, h);
        seen.push_back(s.position);
        if (done) break;
    }
    return seen;
}

TEST(PreviewMotion, MovesStartOutsideTheAreaAndEndWhenTheContentHasLeft) {
    struct Case {
        uint8_t effect;
        int cw, start, end;
        uint8_t copy;
        size_t steps;
    } cases[] = {
        {kEffectMoveLeft, 4, 10, -4, 0, 14},   {kEffectMoveUp, 4, 4, -2, 0, 6},
        {kEffectMoveRight, 4, -4, 10, 0, 14},  {kEffectMoveDown, 4, -2, 4, 0, 6},
        {kEffectMoveLeft, 5, 10, -5, 0, 15},   // not wider than half the area
        {kEffectMoveLeft, 6, 10, -38, 1, 48},  // a second copy 32 behind: the end moves on
        {kEffectMoveRightContinue, 6, -6, 42, 4, 48},
    };
    for (const Case& c : cases) {
        const PlayState s = Start(c.effect, 10, 4, c.cw, 2);
        EXPECT_EQ(std::tuple(int(s.effectClass), s.position, s.startPosition, s.limit, int(s.secondCopy)),
                  std::tuple(1, c.start, c.start, c.end, int(c.copy)))
            << int(c.effect) << " " << c.cw;
        const std::vector<int> seen = RunMotion(s, 4);
        EXPECT_EQ(std::pair(seen.size(), seen.back()), std::pair(c.steps, c.end)) << int(c.effect);
    }
    for (const int right : {5, 3}) {  // an area without width: the content starts and ends at its edge
        PlayState s;
        StepEffectState(s, 1, Card(kEffectMoveLeft, 0, 4), 5, 0, right, 4, 0, 2, false);
        EXPECT_EQ(std::pair(s.position, s.limit), std::pair(0, 0)) << right;
    }
    PlayState pending;  // a pending start goes on from where the content is
    pending.phase = kPhaseStartPending;
    pending.position = 3;
    StepEffectState(pending, 2, Card(kEffectMoveLeft, 10, 4), 0, 0, 10, 4, 4, 2, true);
    EXPECT_EQ(std::pair(pending.position, pending.startPosition), std::pair(3, 3));
}

TEST(PreviewMotion, StrokesFollowThePassesAndTheDissolveRisesAndFalls) {
    // Stage by passes: one pass in then out; the first of two in; the last out, or out
    // then in with the horizontal-move flag.
    const std::tuple<int, uint8_t, bool, uint8_t> stages[] = {
        {1, kPhaseNotStarted, false, 2}, {2, kPhaseNotStarted, false, 0}, {2, kPhaseMain, false, 0},
        {2, kPhaseStartPending, false, 1}, {2, kPhaseSecondary, true, 3}};
    for (const auto& [passes, phase, continuous, stage] : stages)
        EXPECT_EQ(Start(kEffectInterweaveHorizontal, 6, 4, 6, 4, passes, phase, continuous).stage, stage) << passes;

    const PlayState snow = Start(kEffectSnow, 8, 8, 8, 8);
    EXPECT_EQ(snow.position, 0);
    std::vector<int> expected;
    for (int i = 1; i <= 15; ++i) expected.push_back(i);
    for (int i = 14; i >= 0; --i) expected.push_back(i);
    EXPECT_EQ(RunMotion(snow, 8), expected);
    // The first of two passes: the displacement runs from the width to 0; a middle pass
    // goes out to the width and back in; the last pass of a stack runs from 0 out to the height.
    EXPECT_EQ(RunMotion(Start(kEffectInterweaveHorizontal, 6, 4, 6, 4, 2), 4), (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(RunMotion(Start(kEffectInterweaveHorizontal, 6, 4, 6, 4, 2, kPhaseSecondary, true), 4),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(RunMotion(Start(kEffectStackUp, 6, 4, 6, 4, 2, kPhaseStartPending), 4), (std::vector<int>{1, 2, 3, 4}));
}

TEST(PreviewMotion, StripCountersOpenFromHPlusOneAndCloseFromZero) {
    // h = 8: 9 up to 17 opens (17 fully open, where the pass turns), 0 to 8 closes (8 fully closed).
    const PlayState single = Start(kEffectBlindsHorizontal, 20, 6, 20, 6);
    EXPECT_EQ(single.position, 9);
    const std::vector<int> seen = RunMotion(single, 6);
    ASSERT_EQ(seen.size(), 17u);
    EXPECT_EQ(std::tuple(seen[7], seen[8], seen.back()), std::tuple(17, 0, 8));
    EXPECT_EQ(RunMotion(Start(kEffectBlindsHorizontal, 20, 6, 20, 6, 2), 6).size(), 8u);  // the first of two ends open
    const PlayState last = Start(kEffectCurtainLeft, 10, 6, 10, 6, 2, kPhaseStartPending);  // the last closes from 0
    EXPECT_EQ(last.position, 0);
    EXPECT_EQ(RunMotion(last, 6).size(), 10u);  // h is the width
}

TEST(PreviewMotion, BorderOffsetsFollowTheBorderEffect) {
    const uint16_t m = uint16_t(-5), p = uint16_t(5 - 256);  // -s and s - 256 for s = 5
    const std::array<uint16_t, 4> kept{1, 2, 3, 4};
    const std::pair<uint8_t, std::array<uint16_t, 4>> table[] = {
        {2, {m, p, p, m}}, {3, {p, m, m, p}}, {4, {p, p, p, p}}, {5, {m, p, m, p}},
        {6, {m, m, m, m}}, {7, {p, m, p, m}}, {0, kept},         {1, kept}, {8, kept}};
    for (const auto& [effect, offsets] : table) EXPECT_EQ(BorderOffsets(effect, 5, kept), offsets) << int(effect);
}

class PreviewTest : public RenderTest {
protected:
    LayoutCanvas canvas;
    RecordingWindow window;
    ProgramTree tree = TinyTree(36, 4, 5);
    uint64_t now = 0;

    void SetUp() override {
        InitCanvas(canvas, rc);
        canvas.clock = [this] { return now; };
        canvas.tree = &tree;
        canvas.selection = {1, 0, 0};
        window.width = 40, window.height = 8;
        AttachCanvas(canvas, &window);
    }
    // Moves the clock to `t` in 10 ms ticks of the view's timer.
    void RunTo(uint64_t t) {
        while (now < t) {
            now += kPreviewRoundMs;
            PreviewThreadProc(canvas);
        }
    }
    // Starts the preview and plays its first round.
    void Play() {
        SetPreviewRunning(canvas, true);
        RunTo(10);
    }
    const PlayedProgram& Played(size_t i) { return canvas.player->programs().at(i); }
    std::pair<int, int> PhaseAndPosition(size_t i) { return {Played(i).state.phase, Played(i).state.position}; }
    uint16_t Finished() { return canvas.player->finishedBits(); }
};

TEST_F(PreviewTest, TheFirstRoundLaysTheGreyAgainAndLaterRoundsKeepIt) {
    AddPictureProgram(tree, 0, 0, 4, 1, 2, 1);
    canvas.originX = canvas.originY = 2;
    RenderLayout(canvas, true);
    canvas.backImage.row32(0)[0] = 0x123456;  // something the layout drew beside the screen
    Play();
    EXPECT_EQ(canvas.backImage.row32(0)[0], kCanvasBackground);
    canvas.backImage.row32(0)[0] = 0x123456;  // while the frame stays, the grey is not laid again
    RunTo(40);
    EXPECT_EQ(canvas.backImage.row32(0)[0], 0x123456u);
    canvas.zoom = 2;  // a new frame lays it again
    RunTo(80);
    EXPECT_EQ(canvas.backImage.row32(0)[0], kCanvasBackground);
}

TEST_F(PreviewTest, WithoutATreeOrAnythingToPlayItWaitsInHalfSeconds) {
    canvas.tree = nullptr;
    Play();
    EXPECT_EQ(canvas.player->sleepingUntil(), 510u);
    canvas.tree = &tree;  // sets without programs: a walk that plays nothing waits again
    tree.AddProgramSet();
    RunTo(500);
    EXPECT_TRUE(canvas.player->programs().empty());
    RunTo(510);
    EXPECT_EQ(canvas.player->sleepingUntil(), 1010u);
    AddPictureProgram(tree, 0, 0, 4, 1, 2, 1, 0xFFFFFF, 1);
    RunTo(1010);
    // The second set was taken; the next is looked for after it.
    EXPECT_EQ(canvas.player->programs().size(), 1u);
    EXPECT_EQ(canvas.player->setIndex(), 2u);

    // Without a render context the programs play on and draw nothing.
    canvas.rc = nullptr;
    ProgramRecord& moving = *tree.sets()[1].programs[0].record;
    moving.mainAction.effect = kEffectMoveLeft;
    moving.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));  // a text is not laid out
    SetPreviewRunning(canvas, false);
    PreviewThreadProc(canvas);
    SetPreviewRunning(canvas, true);
    RunTo(now + 30);
    EXPECT_EQ(std::pair(Played(0).state.position, CountLit(canvas.ledImage)), std::pair(1, 0));
}

TEST_F(PreviewTest, ASetPlaysItsFirstSixteenPrograms) {
    for (int i = 0; i < 20; ++i) AddPictureProgram(tree, i, 0, i + 1, 1, 1, 1).mainAction.pause = 1;
    Play();
    ASSERT_EQ(canvas.player->programs().size(), kMaxPlayedPrograms);
    EXPECT_EQ(Played(15).record.left, 15);
    tree.sets()[0].programs.resize(3);  // the played copy is not touched by edits
    RunTo(20);
    EXPECT_EQ(canvas.player->programs().size(), kMaxPlayedPrograms);
}

TEST_F(PreviewTest, AProgramRepeatsItsMainPassThenPlaysItsSecondaryPassAndWaitsItsPause) {
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 4, 1, 2, 1);
    AddPictureProgram(tree, 8, 0, 12, 1, 2, 1).mainAction.speed = 0;  // corrupt speed: held to 1
    p.mainAction = {};
    p.mainAction.effect = kEffectMoveLeft, p.mainAction.speed = 1, p.mainAction.repeat = 1;
    p.secondaryAction = {};
    p.secondaryAction.effect = kEffectStatic, p.secondaryAction.speed = 1, p.secondaryAction.pause = 2;
    Play();
    EXPECT_EQ(Finished(), 0xFFFE);  // the static one ended at once (no pause)
    EXPECT_EQ(PhaseAndPosition(0), std::pair(int(kPhaseMain), 3));
    RunTo(70);  // 4 -> -2 in six steps, the end drawn at the seventh
    EXPECT_EQ(std::tuple(Played(0).state.position, Played(0).state.repeatCount), std::tuple(-2, 1));
    RunTo(80);  // the next step sets up the repeat and draws its start
    EXPECT_EQ(std::tuple(Played(0).state.position, Played(0).state.repeatCount), std::tuple(3, 0));
    RunTo(140);  // the content left: no pause before the secondary pass
    EXPECT_EQ(std::tuple(Played(0).state.phase, Played(0).next, Played(0).waitRounds),
              std::tuple(kPhaseMain, NextPass::kSecondary, 0u));
    RunTo(150);
    EXPECT_EQ(Played(0).state.phase, kPhaseSecondary);
    EXPECT_EQ(Played(0).waitRounds, 20u);  // a pause of 2 units of 100 ms
    RunTo(340);
    EXPECT_EQ(Finished(), 0xFFFE);
    RunTo(350);
    EXPECT_EQ(Finished(), 0xFFFF);
    RunTo(360);  // the only set starts again
    EXPECT_EQ(PhaseAndPosition(0), std::pair(int(kPhaseMain), 3));
}

TEST_F(PreviewTest, FlashRunsTwiceItsCountAndOneLedAreasAreDrawn) {
    // Card byte 6 is 10: twenty steps, then their end state (shown) is drawn.
    AddPictureProgram(tree, 0, 0, 1, 1, 1, 1).mainAction.effect = kEffectFlash;
    Play();
    EXPECT_EQ(canvas.ledImage.row32(0)[0], 0xFF0000u);
    RunTo(200);
    EXPECT_EQ(Finished(), 0xFFFE);
    RunTo(210);
    EXPECT_EQ(canvas.ledImage.row32(0)[0], 0xFF0000u);
    EXPECT_EQ(Finished(), 0xFFFF);
}

TEST_F(PreviewTest, BorderStepsScrollTheOffsetsAtTheBorderSpeed) {
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 8, 4, 2, 1);
    p.borderType = 1, p.borderEffect = 6, p.borderSpeed = 3;
    MakeBorderFrames(&p.borderFrames, 2);
    p.mainAction.pause = 200;  // the content waits; the border goes on
    SetPreviewRunning(canvas, true);
    RunTo(80);
    EXPECT_EQ(Played(0).state.borderStep, 0);
    EXPECT_GT(CountLit(canvas.ledImage), 2);  // the frames around the 2 x 1 content
    RunTo(90);  // the countdown from 10 reaches 1
    EXPECT_EQ(Played(0).state.borderStep, 1);
    EXPECT_EQ(Played(0).borderOffsets, (std::array<uint16_t, 4>{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));
    const int presents = window.presents;
    RunTo(110);  // then every border speed rounds, drawn again while the content waits
    EXPECT_EQ(std::tuple(int(Played(0).state.borderStep), Played(0).borderOffsets[0], window.presents),
              std::tuple(2, uint16_t(0xFFFE), presents + 1));

    // A border type without its frames has nothing to scroll: no picture while the content waits.
    p.borderFrames.frames.clear();
    SetPreviewRunning(canvas, false);
    PreviewThreadProc(canvas);
    SetPreviewRunning(canvas, true);
    RunTo(200);
    const int still = window.presents;
    RunTo(300);
    EXPECT_EQ(window.presents, still);
}

TEST_F(PreviewTest, StoppingRestoresTheLayoutAndANewRunWaitsForTheOldOne) {
    AddPictureProgram(tree, 0, 0, 8, 4, 2, 1).mainAction.effect = kEffectMoveLeft;
    RenderLayout(canvas, false);
    const Rows still = Picture(canvas.backImage);
    SetPreviewRunning(canvas, true);
    RunTo(30);
    EXPECT_NE(Picture(canvas.backImage), still);
    EXPECT_TRUE(canvas.overlay.empty());
    RenderLayout(canvas, true);  // the preview owns the picture while it runs
    EXPECT_NE(Picture(canvas.backImage), still);

    RunTo(60);
    ASSERT_GT(canvas.tick, 0u);
    SetPreviewRunning(canvas, false);
    EXPECT_EQ(canvas.runState, kPreviewStopRequested);
    const int shown = window.presents;
    SetPreviewRunning(canvas, true);  // a fast toggle: the old run ends first, without showing the layout
    EXPECT_EQ(window.presents, shown);
    EXPECT_EQ(std::pair(canvas.runState, canvas.tick), std::pair(kPreviewRunning, 0u));
    EXPECT_TRUE(canvas.player->programs().empty());

    SetPreviewRunning(canvas, false);
    const int presents = window.presents;
    EXPECT_EQ(PreviewThreadProc(canvas), kPreviewStopped);
    EXPECT_EQ(canvas.player, nullptr);
    EXPECT_EQ(std::pair(canvas.tick, window.presents), std::pair(0u, presents + 1));
    EXPECT_EQ(Picture(canvas.backImage), still);
    EXPECT_FALSE(canvas.overlay.empty());

    SetPreviewRunning(canvas, true);
    SetPreviewRunning(canvas, false);
    RenderLayout(canvas, false);  // a pending stop is finished before rendering
    EXPECT_EQ(canvas.runState, kPreviewStopped);
    SetPreviewRunning(canvas, true);
    ReleaseCanvas(canvas);
    EXPECT_EQ(canvas.runState, kPreviewStopped);
    EXPECT_FALSE(canvas.backImage.hasPixels());
}

TEST_F(PreviewTest, StepCountdownsAndTheHorizontalFlagOfTheSecondaryPass) {
    // Speed 5: the countdown loses 2 while at 5 or more, then 1; a step comes at 1.
    ProgramRecord& slow = AddPictureProgram(tree, 0, 0, 4, 1, 2, 1);
    slow.mainAction.effect = kEffectMoveLeft, slow.mainAction.speed = 5;
    // Moves right and the continuous moves carry the horizontal-move flag into their last
    // pass: out then in (3); the others only go out (1).
    const std::pair<uint8_t, uint8_t> second[] = {{kEffectMoveRight, 3}, {kEffectMoveLeftContinue, 3},
                                                  {kEffectMoveRightContinue, 3}, {kEffectMoveLeft, 3},
                                                  {kEffectMoveUp, 1}, {kEffectMoveDown, 1}};
    for (size_t i = 0; i < std::size(second); ++i) {
        ProgramRecord& p = AddPictureProgram(tree, int(5 + 5 * i), 0, int(9 + 5 * i), 1, 1, 1);
        p.secondaryAction = p.mainAction;
        p.secondaryAction.effect = second[i].first;
    }
    ProgramRecord& corrupt = AddPictureProgram(tree, 0, 1, 4, 2, 2, 1);  // a speed past 253 is held to it
    corrupt.mainAction.effect = kEffectMoveLeft, corrupt.mainAction.speed = 255;
    Play();
    EXPECT_EQ(Played(0).state.position, 3);  // started at the area width, one step in
    for (const auto& [t, position] : {std::pair<uint64_t, int>{30, 3}, {40, 2}, {60, 2}, {70, 1}, {100, 0}}) {
        RunTo(t);
        EXPECT_EQ(Played(0).state.position, position) << t;
    }
    for (size_t i = 0; i < std::size(second); ++i)
        EXPECT_EQ(std::pair(Played(1 + i).state.phase, Played(1 + i).state.stage),
                  std::pair(uint8_t(kPhaseSecondary), second[i].second)) << i;
    // From 253 the countdown takes 127 rounds to come to 1.
    const size_t last = std::size(second) + 1;
    RunTo(1270);
    EXPECT_EQ(Played(last).state.position, 3);
    RunTo(1280);
    EXPECT_EQ(Played(last).state.position, 2);
}

TEST_F(PreviewTest, PausesWaitInTenthsOfASecondAndAPauseOf255WaitsLikeOneOf254) {
    struct Case {
        uint8_t pause, wait;
        uint32_t rounds;
    } cases[] = {{0xFF, 0xFE, 2540}, {0xFE, 0xFE, 2540}, {7, 7, 70}, {1, 1, 10}};
    for (size_t i = 0; i < std::size(cases); ++i)
        AddPictureProgram(tree, int(4 * i), 0, int(4 * i + 2), 1, 1, 1).mainAction.pause = cases[i].pause;
    Play();
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(std::pair(Played(i).state.wait, Played(i).waitRounds), std::pair(cases[i].wait, cases[i].rounds));
    EXPECT_EQ(canvas.tick, 0u);  // four visits so far
    RunTo(50);  // every fifth visit of a program, waiting or not, advances the tick
    EXPECT_EQ(canvas.tick, 4u);
}

TEST_F(PreviewTest, AStalledTimerCatchesUpABoundedNumberOfRoundsAndSkipsTheRest) {
    tree = TinyTree(120, 1, 5);
    AddPictureProgram(tree, 0, 0, 120, 1, 2, 1).mainAction.effect = kEffectMoveLeft;
    Play();
    ASSERT_EQ(Played(0).state.position, 119);
    now = 10010;  // ten seconds without a tick
    PreviewThreadProc(canvas);
    EXPECT_EQ(Played(0).state.position, 119 - kMaxRoundsPerCall);
    RunTo(10020);  // the gap is skipped: the next tick plays one round
    EXPECT_EQ(Played(0).state.position, 118 - kMaxRoundsPerCall);
}

// ---- pictures ----------------------------------------------------------------------------

// The times of the first n rounds.
std::vector<uint64_t> Rounds(int n) {
    std::vector<uint64_t> times;
    for (int i = 1; i <= n; ++i) times.push_back(uint64_t(10 * i));
    return times;
}

class PreviewPictures : public RenderTest {
protected:
    std::vector<Rows> Play(ProgramTree& tree, const std::vector<uint64_t>& times) {
        std::vector<Rows> rows;
        for (const RawImage& img : RenderPreviewPictures(tree, rc, times, 1)) rows.push_back(Picture(img));
        return rows;
    }
};

TEST_F(PreviewPictures, WideMovingContentIsFollowedByASecondCopyAndFlashInverts) {
    ProgramTree tree = TinyTree(36, 1, 5);
    AddPictureProgram(tree, 0, 0, 36, 1, 20, 1).mainAction.effect = kEffectMoveLeft;
    // The first step just outside on the right, the fourth at 36 - 3, then the copy behind.
    EXPECT_EQ(Play(tree, {10, 40, 550}), (std::vector<Rows>{{std::string(36, '.')}, {std::string(33, '.') + "rrr"},
                                                            {"rr" + std::string(32, '.') + "rr"}}));
    tree = TinyTree(4, 1, 5);  // Flash inverts the area on every other step
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 3, 1, 2, 1);
    p.mainAction.effect = kEffectFlash;
    p.content.header.spread = 0;
    EXPECT_EQ(Play(tree, {10, 20, 30, 40}), (std::vector<Rows>{{"rr.."}, {"..r."}, {"rr.."}, {"..r."}}));
}

// Flash inverts what the screen lights, channel by channel: a picture lit in some of the
// screen's channels turns dark there and lights the others, the dark rest of the area
// lights every channel the screen has; a one-colour screen lights its red.
TEST_F(PreviewPictures, FlashInvertsWhatTheScreenLightsOfAColouredPicture) {
    struct Flash {
        int code;
        uint32_t colour;
        std::string shown, inverted;
    };
    const Flash cases[] = {
        {5, 0xFFFFFF, "rr..", "..r."}, {5, 0x00FF00, "....", "rrr."},  // green alone stays below the grey threshold
        {5, 0x80FF80, "rr..", "..r."}, {7, 0x8080FF, "rr..", "..r."},
        {13, 0x00FF00, "gg..", "bbc."}, {17, 0xFF0000, "rr..", "ggy."}, {17, 0x0000FF, "....", "yyy."},
    };
    for (const Flash& f : cases) {
        ProgramTree tree = TinyTree(4, 1, uint16_t(f.code));
        ProgramRecord& p = AddPictureProgram(tree, 0, 0, 3, 1, 2, 1, f.colour);
        p.mainAction.effect = kEffectFlash;
        p.content.header.spread = 0;
        EXPECT_EQ(Play(tree, {10, 20}), (std::vector<Rows>{{f.shown}, {f.inverted}})) << f.code << " " << f.colour;
    }
}

TEST_F(PreviewPictures, SnowDissolvesTheContentInAndOut) {
    ProgramTree tree = TinyTree(16, 16, 5);
    AddPictureProgram(tree, 0, 0, 16, 16, 16, 16).mainAction.effect = kEffectSnow;
    std::vector<int> lit;
    for (const RawImage& img : RenderPreviewPictures(tree, rc, Rounds(31), 1)) lit.push_back(CountLit(img));
    ASSERT_EQ(lit.size(), 31u);
    EXPECT_EQ(std::tuple(lit[0], lit[15], lit[30]), std::tuple(0, 256, 0));
    for (size_t i = 1; i <= 30; ++i) EXPECT_GT(i <= 15 ? lit[i] - lit[i - 1] : lit[i - 1] - lit[i], 0) << i;
    // The masks are the dissolve sequence drawn from a generator seeded with 1.
    FrameVector masks;
    DissolveRandom random(1);
    MakeBorderFrames(&masks, kBorderDissolve, &random);
    const RawImage seventh = RenderPreviewPictures(tree, rc, std::vector<uint64_t>{80}, 1)[0];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(seventh.row32(y)[x] != 0, masks[7]->row32(y)[x] != 0) << x << "," << y;
}

TEST_F(PreviewPictures, TheLayoutPictureIsTheScreenAtTheZoom) {
    ProgramTree tree = TinyTree(3, 1, 13);
    AddPictureProgram(tree, 0, 0, 3, 1, 1, 1).content.header.spread = 0;
    EXPECT_EQ(Picture(RenderLayoutPicture(tree, rc, 0, 2)), (Rows{"cc....", "cc...."}));
    EXPECT_FALSE(RenderLayoutPicture(tree, rc, 1, 2).hasPixels());
}

// Pictures of the first rounds of an effect: a w x h picture filling an area of a
// w x (h + top) screen from row `top`.
TEST_F(PreviewPictures, InterweaveStackAndSweepsDrawTheirGeometry) {
    struct Case {
        uint8_t effect;
        int top, w, h, rounds;
        std::vector<Rows> expected;
    } cases[] = {
        // Even rows come from the left, odd rows from the right, s from 4 to 0.
        {kEffectInterweaveHorizontal, 0, 4, 2, 5,
         {{"....", "...."}, {"r...", "...r"}, {"rr..", "..rr"}, {"rrr.", ".rrr"}, {"rrrr", "rrrr"}}},
        // Going up, the rows still to come fold back below the line (row 2y - L counted from
        // the bottom); the area starts above the screen.
        {kEffectStackUp, -1, 3, 4, 5,
         {{"rrr", "...", "..."}, {"rrr", "...", "..."}, {"rrr", "rrr", "..."}, {"rrr", "rrr", "..."},
          {"rrr", "rrr", "rrr"}}},
        // The column from the left: cleared ahead, the beam from the point to the far edge,
        // then the point turned at the bottom with the first sprite above it.
        {kEffectLaserLeft, 0, 4, 4, 2, {{"rrrr", "....", "....", "...."}, {"rrrr", "rrr.", "r...", "rrrr"}}},
        {kEffectBlackboardRight, 0, 4, 4, 2, {{"....", "....", "....", "...."}, {"rrrr", ".rrr", "...r", "...r"}}},
        // In from the right with the beam toward the left edge, whole when every column has
        // passed, then out again from the same edge.
        {kEffectLaserRight, 0, 4, 4, 8,
         {{"rrrr", "....", "....", "...."}, {"rrrr", ".rrr", "...r", "rrrr"}, {"rrrr", "..rr", "..rr", "..rr"},
          {"rrrr", "rrrr", ".rrr", "rrrr"}, {"rrrr", "rrrr", "rrrr", "rrrr"}, {"r...", "....", "....", "rrrr"},
          {"rrr.", "rr..", "rr..", "rr.."}, {"....", "....", "....", "rr.."}}},
        {kEffectBlackboardLeft, 0, 4, 4, 8,
         {{"....", "....", "....", "...."}, {"rrrr", "rrr.", "r...", "r..."}, {"rr..", "rr..", "rr..", "rr.."},
          {"rrrr", "rrrr", "rrr.", "rrr."}, {"rrrr", "rrrr", "rrrr", "rrrr"}, {"...r", "....", "....", ".rrr"},
          {"..rr", "..rr", "..rr", "..rr"}, {"....", "....", "....", "...r"}}},
        // Blinds, h = 8: strips of 17 from the left (top) edge, dark within r = 2h - c of
        // their middle while c runs from h + 1 up.
        {kEffectBlindsHorizontal, 0, 20, 2, 3,
         {{"r...............rr..", "r...............rr.."}, {"rr.............rrrr.", "rr.............rrrr."},
          {"rrr...........rrrrrr", "rrr...........rrrrrr"}}},
        {kEffectBlindsVertical, 0, 2, 20, 1,
         {{"rr", "..", "..", "..", "..", "..", "..", "..", "..", "..", "..", "..", "..", "..", "..", "..", "rr", "rr",
           "..", ".."}}},
        // Dance: odd columns fold from the other edge.
        {kEffectDanceUp, 0, 4, 4, 4,
         {{"r.r.", "r.r.", ".r.r", ".r.r"}, {"r.r.", "r.r.", ".r.r", ".r.r"}, {"r.r.", "rrrr", "rrrr", ".r.r"},
          {"r.r.", "rrrr", "rrrr", ".r.r"}}},
        // A taller column: passed columns stay, the ones ahead are cleared whole.
        {kEffectLaserLeft, 0, 3, 8, 4,
         {{"rrr", "...", "...", "...", "...", "...", "...", "..."},
          {"rrr", "rrr", "rrr", "r..", "rrr", "r..", "r..", "r.."},
          {"rr.", "rr.", "rr.", "rrr", "rrr", "rrr", "rr.", "rrr"},
          {"rrr", "rrr", "rrr", "rrr", "rrr", "rrr", "rrr", "rrr"}}},
        // Twinkle: shown and hidden on alternate steps, in place.
        {kEffectTwinkle, 0, 3, 2, 3, {{"rrr", "rrr"}, {"...", "..."}, {"rrr", "rrr"}}},
        // Static and random content stays in place.
        {kEffectStatic, 0, 4, 1, 1, {{"rrrr"}}},
        {kEffectRandom, 0, 4, 1, 1, {{"rrrr"}}},
    };
    for (const Case& c : cases) {
        ProgramTree tree = TinyTree(c.w, c.h + std::min(c.top, 0), 5);
        ProgramRecord& p = AddPictureProgram(tree, 0, c.top, c.w, c.top + c.h, c.w, c.h);
        p.mainAction.effect = c.effect;
        p.content.header.spread = 0;
        EXPECT_EQ(Play(tree, Rounds(c.rounds)), c.expected) << int(c.effect);
    }
}

TEST_F(PreviewPictures, HorizontalMovesAreLoweredByTheirOffsetAndOversizedAreasDrawNothing) {
    ProgramTree tree = TinyTree(4, 3, 5);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 4, 3, 1, 1);
    p.mainAction.effect = kEffectMoveLeft;
    p.mainAction.offset = 1;
    p.content.header.spread = 0;
    EXPECT_EQ(Play(tree, {20}), (std::vector<Rows>{{"....", "...r", "...."}}));
    p.mainAction.effect = kEffectMoveRight;  // from the other edge, lowered the same
    EXPECT_EQ(Play(tree, {50}), (std::vector<Rows>{{"....", "r...", "...."}}));

    tree = TinyTree(8, 1, 5);
    AddPictureProgram(tree, 0, 0, 4, 1, 4, 1);
    AddPictureProgram(tree, -kMaxAreaSide, 0, 8, 1, 4, 1);  // past the largest area: left alone
    EXPECT_EQ(Play(tree, {10}), (std::vector<Rows>{{"rrrr...."}}));
}

TEST_F(PreviewPictures, ASweepDrawsOnlyWithinItsArea) {
    // A laser beside a static column: the columns ahead are cleared up to the area's edge only.
    ProgramTree tree = TinyTree(5, 2, 5);
    AddPictureProgram(tree, 0, 0, 4, 2, 4, 2).mainAction.effect = kEffectLaserLeft;
    AddPictureProgram(tree, 4, 0, 5, 2, 1, 2).content.header.spread = 0;
    EXPECT_EQ(Play(tree, {10, 20}), (std::vector<Rows>{{"rrrrr", "....r"}, {"r...r", "rrrrr"}}));
    // An area without height draws no beam over the row it lies on.
    tree = TinyTree(4, 1, 5);
    AddPictureProgram(tree, 0, 0, 1, 1, 1, 1);
    AddPictureProgram(tree, 0, 0, 4, 0, 4, 1).mainAction.effect = kEffectLaserLeft;
    EXPECT_EQ(Play(tree, {10, 20}), (std::vector<Rows>{{"r..."}, {"r..."}}));
}

}  // namespace
}  // namespace ledsuite
