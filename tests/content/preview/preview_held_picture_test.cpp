// A pause holds the content's picture on the preview; the time fields and clock hands in
// it go on with the clock, as the card's do, and nothing else in it changes.
#include <functional>
#include <optional>

#include "content/model/clock.h"
#include "content/preview/canvas_snapshot.h"
#include "content/preview/preview_player.h"
#include "content/render/image_sources.h"
#include "tests/content/canvas_helpers.h"

namespace ledsuite {
namespace {

constexpr int kW = 80, kH = 32;
const uint32_t kRed12 = CellAttr::Make(12, 0, 1);

class HeldPicture : public RenderTest {
protected:
    uint64_t now = 0;
    // The local time runs with the preview's clock from 13:45:20.
    ScopedClockOverride localTime{[this] { return LocalTime{2026, 12, 7, 13, 45, 20 + int(now / 1000), 1}; }};
    ProgramTree tree = TinyTree(kW, kH, 5);

    ProgramRecord& Add(int left, int right, uint8_t effect, uint8_t pause) {
        ProgramRecord& p = *tree.AddProgram(0)->record;
        InitProgramRecord(p, left, 0, right, kH);
        p.mainAction.effect = effect;
        p.mainAction.pause = pause;
        p.mainAction.speed = 1;
        return p;
    }

    // Plays the preview up to `until`, calling `seen` with the canvas after every round; a
    // window of the screen's size shows it when one is given.
    template <class F>
    void Play(uint64_t until, F&& seen, RecordingWindow* window = nullptr) {
        LayoutCanvas canvas;
        InitCanvas(canvas, rc);
        canvas.tree = &tree;
        canvas.selection = {1, 0, 0};
        if (window) window->width = kW, window->height = kH, AttachCanvas(canvas, window);
        else ResizeCanvas(canvas, kW, kH);
        canvas.clock = [this] { return now; };
        SetPreviewRunning(canvas, true);
        while (now < until) {
            now += kPreviewRoundMs;
            PreviewThreadProc(canvas);
            seen(canvas);
        }
        ReleaseCanvas(canvas);
    }
};

TEST_F(HeldPicture, APauseRedrawsItsSecondsFieldAndClockHandsEachSecondAndKeepsTheRest) {
    // Static, Pause 30: an animated picture and "45:SS"; beside it an analogue clock.
    ProgramRecord& text = Add(0, 40, kEffectStatic, 30);
    text.content.cells[0] = PictureCell(3, 4, {0xFFFFFF, 0x404040, 0x202020});
    text.content.cells[1] = TextCell(FC_MINUTE, kRed12);
    text.content.cells[2] = TextCell(u':', kRed12);
    text.content.cells[3] = TextCell(FC_SECOND, kRed12);
    auto clock = std::make_unique<ClockObject>();
    clock->size = 32;
    Add(44, 76, kEffectStatic, 30).content.cells[0] = ObjectCell(FC_CLOCK, std::move(clock));

    // The layout at each second: both areas differ from one second to the next.
    std::vector<RawImage> layout;
    for (uint64_t t : {500, 1500, 2500}) {
        now = t;
        layout.push_back(RenderLayoutPicture(tree, rc, 0, 1));
    }
    for (const PixelRect area : {PixelRect{0, 0, 40, kH}, PixelRect{44, 0, 76, kH}}) {
        auto part = [&](const RawImage& img) {
            std::vector<std::string> rows = Picture(img);
            for (std::string& r : rows) r = r.substr(size_t(area.left), size_t(area.width()));
            return rows;
        };
        EXPECT_NE(part(layout[0]), part(layout[1])) << area.left;
        EXPECT_NE(part(layout[1]), part(layout[2])) << area.left;
    }

    now = 0;
    std::vector<uint64_t> changes;
    std::vector<uint8_t> last;
    Play(3500, [&](LayoutCanvas& c) {
        if (c.backImage.pixels != last) changes.push_back(now);
        last = c.backImage.pixels;
        if (now % 1000 == 500 && now < 3000) {  // the held picture: the layout at this second (picture frame 0)
            ASSERT_GT(c.player->programs()[0].waitRounds, 0u) << now;
            EXPECT_EQ(Picture(c.backImage), Picture(layout[now / 1000])) << now;
        }
    });
    // The pause holds 3 s from the first round; the next pass starts at 3020 ms.
    EXPECT_EQ(changes, (std::vector<uint64_t>{10, 1000, 2000, 3000}));
}

// The window gets a held picture again once a second when it shows the time, never when not.
TEST_F(HeldPicture, APauseIsShownAgainOnlyWhenItsTimeHasMovedOn) {
    const TextCell seconds(FC_SECOND, kRed12);
    for (const bool time : {true, false}) {
        tree = TinyTree(kW, kH, 5);
        TextContent& t = Add(0, 40, kEffectStatic, 30).content;
        PutText(t, u"Ab", kRed12);
        if (time) t.cells[2] = seconds;
        RecordingWindow window;
        now = 0;
        Play(2990, [](LayoutCanvas&) {}, &window);
        EXPECT_EQ(window.presents, time ? 3 : 1) << time;  // the first round, then at 1000 and 2000 ms
    }
}

// A seconds field goes on with the clock in a program that has finished while the one
// beside it still plays (its area shows the layout at each second), and between the steps
// of a slow move (each turn of the second redraws the area where the move left it).
TEST_F(HeldPicture, TimeFieldsGoOnInAFinishedProgramAndBetweenTheStepsOfASlowMove) {
    struct Way {
        const char* name;
        uint8_t effect, speed;
    };
    for (const Way& way : {Way{"finished", kEffectStatic, 1}, Way{"slow move", kEffectMoveDown, 20}}) {
        tree = TinyTree(kW, kH, 5);
        ProgramRecord& fields = Add(0, 40, way.effect, 1);
        fields.mainAction.speed = way.speed;
        PutText(fields.content, u"ss", kRed12);
        fields.content.cells[2] = TextCell(FC_SECOND, kRed12);
        PutText(Add(44, 76, kEffectMoveDown, 0).content, u"A", kRed12);  // plays on, slowly
        tree.program(0, 1)->record->mainAction.speed = 253;
        std::vector<std::vector<std::string>> layout;  // the fields' area at each second
        for (uint64_t t : {500, 1500, 2500, 3500}) {
            now = t;
            layout.push_back(Picture(RenderLayoutPicture(tree, rc, 0, 1)));
            for (std::string& row : layout.back()) row.resize(40);
        }
        now = 0;
        std::vector<std::string> before;
        uint32_t steps = 0;
        int turns = 0;  // turns of the second at which the area was seen, without a step of its own
        Play(3990, [&](LayoutCanvas& c) {
            std::vector<std::string> area = Picture(c.backImage);
            for (std::string& row : area) row.resize(40);
            const PlayedProgram& p = c.player->programs()[0];
            const bool finished = c.player->finishedBits() & 1, stepped = p.steps != steps;
            const bool shown = std::any_of(before.begin(), before.end(), [](auto& r) { return r.find('r') != r.npos; });
            const bool moving = !finished && p.waitRounds == 0 && shown;  // in sight, not pausing
            if (now % 1000 == 0 && !stepped && (way.effect == kEffectStatic ? finished : moving)) {
                ++turns;
                EXPECT_NE(area, before) << way.name << " " << now;
                if (finished) {
                    EXPECT_EQ(area, layout[now / 1000]) << way.name << " " << now;
                }
            }
            before = area, steps = p.steps;
        });
        EXPECT_GE(turns, 2) << way.name;
    }
}

TEST(TextReadsTheClock, TimeFieldsAndClocksInTheTextOrInATable) {
    auto table = [](char16_t code) {
        auto grid = std::make_unique<GridObject>();
        grid->columns = 1, grid->rows = 1;
        grid->cells[0] = TextCell(FC_GRIDCELL, MakeGridMarker(28, 14));
        grid->cells[1] = TextCell(u'A', kRed12), grid->cells[2] = TextCell(code, kRed12);
        return ObjectCell(FC_TABLE, std::move(grid));
    };
    const std::pair<std::function<TextCell()>, bool> cases[] = {
        {[] { return TextCell(u'A', kRed12); }, false},
        {[] { return TextCell(FC_TIMER, kRed12); }, false},
        {[] { return TextCell(FC_SECOND, kRed12); }, true},
        {[] { return TextCell(FC_MONTH_EN_SHORT, kRed12); }, true},
        {[] { return ObjectCell(FC_CLOCK, std::make_unique<ClockObject>()); }, true},
        {[&] { return table(u'B'); }, false},
        {[&] { return table(FC_HOUR); }, true},
    };
    for (const auto& [cell, reads] : cases) {
        TextContent t;
        PutText(t, u"Ab", kRed12);
        t.cells[2] = cell();
        EXPECT_EQ(TextReadsTheClock(t), reads) << std::hex << int(t.cells[2].code);
    }
}

// A border that scrolls while an in-then-out pass waits at its turn moves alone: the
// content stays as the turn showed it (the pass has already set up its way out).
TEST_F(HeldPicture, AScrollingBorderMovesWhileTheTurnOfAnInterweaveHoldsTheContent) {
    ProgramRecord& p = Add(0, 40, kEffectInterweaveHorizontal, 10);
    PutText(p.content, u"ABCDE", kRed12);
    p.borderType = 3, p.borderEffect = 6, p.borderSpeed = 1;
    MakeBorderFrames(&p.borderFrames, p.borderType);
    const RawImage* side = BorderSideFrames(p.borderFrames, p.borderType)[0];
    ASSERT_NE(side, nullptr);
    const int inset = std::max(side->displayWidth, side->displayHeight);
    auto inside = [&](const RawImage& led) {
        std::vector<std::string> rows = Picture(led);
        std::vector<std::string> part;
        for (int y = inset; y < kH - inset; ++y)
            part.push_back(rows[size_t(y)].substr(size_t(inset), size_t(40 - 2 * inset)));
        return part;
    };
    std::optional<std::vector<std::string>> held;
    int waited = 0, borderMoved = 0;
    std::vector<uint8_t> last;
    Play(4000, [&](LayoutCanvas& c) {
        const PlayedProgram& played = c.player->programs()[0];
        if (played.waitRounds == 0 || played.finishing) return;
        if (!held) held = inside(c.ledImage);
        ++waited;
        borderMoved += !last.empty() && c.ledImage.pixels != last;
        last = c.ledImage.pixels;
        EXPECT_EQ(inside(c.ledImage), *held) << now;
    });
    EXPECT_GT(waited, 50);
    EXPECT_GT(borderMoved, 10);
}

}  // namespace
}  // namespace ledsuite
