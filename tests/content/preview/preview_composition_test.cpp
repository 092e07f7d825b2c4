// The preview draws a text once and composes only what it drew: the back image it keeps
// round by round is the one a composition afresh gives, through zooms, pans, a resize and
// a new set, and a text taken from its picture is the text drawn at the offsets.
#include "content/preview/preview_player.h"
#include "content/render/led_planes.h"
#include "content/render/image_sources.h"
#include "tests/content/canvas_helpers.h"

namespace ledsuite {
namespace {

constexpr uint32_t kRed16 = CellAttr::Make(16, 0, 1), kCyan16 = CellAttr::Make(16, 0, 6),
                   kWhite8Bold = CellAttr::Make(8, 0, 7, CellAttr::Bold), kGreen12 = CellAttr::Make(12, 1, 2);

// A program of `text` over (l, t, r, b) moving by `effect` at every round.
ProgramRecord& AddTextProgram(ProgramTree& tree, int l, int t, int r, int b, std::u16string_view text, uint32_t attr,
                              uint8_t effect, size_t set = 0) {
    ProgramRecord& p = *tree.AddProgram(set)->record;
    InitProgramRecord(p, l, t, r, b);
    PutText(p.content, text, attr);
    p.mainAction.effect = effect;
    p.mainAction.speed = 1;
    p.mainAction.pause = 0;
    p.mainAction.repeat = 3;
    return p;
}

class PreviewComposition : public RenderTest {
protected:
    // The back image of the canvas composed afresh from its LED image (which the preview
    // has lit as the screen already).
    RawImage Afresh(const LayoutCanvas& c, int colorCode) {
        LayoutCanvas fresh;
        InitCanvas(fresh, rc);
        fresh.ledImage = c.ledImage;
        fresh.backImage = c.backImage;
        fresh.zoom = c.zoom, fresh.originX = c.originX, fresh.originY = c.originY;
        DrawCanvasImage(fresh, colorCode);
        return fresh.backImage;
    }

    // Starts the preview of `tree` on `c` in a 130 x 70 window, on the clock `now`.
    void StartPreview(LayoutCanvas& c, RecordingWindow& window, ProgramTree& tree, uint64_t& now) {
        window.width = 130, window.height = 70;
        InitCanvas(c, rc);
        c.clock = [&now] { return now; };
        AttachCanvas(c, &window);
        c.tree = &tree;
        c.selection = {1, 0, 0};
        SetPreviewRunning(c, true);
    }

    // Plays one round; true when the back image kept is the one composed afresh.
    bool NextRoundComposedAfresh(LayoutCanvas& c, uint64_t& now, int colorCode) {
        now += kPreviewRoundMs;
        PreviewThreadProc(c);
        const auto kept = Picture(c.backImage), afresh = Picture(Afresh(c, colorCode));
        EXPECT_EQ(kept, afresh) << "colour code " << colorCode;
        return kept == afresh;
    }
};

TEST_F(PreviewComposition, TheBackImageKeptRoundByRoundIsTheOneComposedAfresh) {
    for (const uint16_t colorCode : {uint16_t(5), uint16_t(17)}) {
        ProgramTree tree = TinyTree(48, 24, colorCode);
        AddTextProgram(tree, 0, 0, 24, 12, u"AB中", kRed16, kEffectMoveLeft);
        AddTextProgram(tree, 24, 0, 48, 12, u"CD", kCyan16, kEffectMoveUp);
        ProgramRecord& border = AddTextProgram(tree, 4, 12, 30, 24, u"EF", kWhite8Bold, kEffectFlash);
        border.borderType = 1, border.borderEffect = 6, border.borderSpeed = 1;
        MakeBorderFrames(&border.borderFrames, 2);
        AddTextProgram(tree, 20, 8, 60, 30, u"GH", kGreen12, kEffectMoveRight);  // over another, past the screen
        tree.AddProgramSet();
        AddTextProgram(tree, 0, 0, 48, 24, u"IJ", kRed16, kEffectMoveDown, 1);

        RecordingWindow window;
        LayoutCanvas c;
        uint64_t now = 0;
        StartPreview(c, window, tree, now);
        // Each view change at a round: zoom, pans (one that keeps the screen's rectangle on
        // the back image), zooms that keep it, a resize to the same size.
        struct Change {
            int round, zoom, originX, originY;
            bool resize;
        } changes[] = {{0, 2, 5, 3, false},    {20, 2, 5, 3, true},     {30, 3, -7, -2, false}, {40, 3, -9, -2, false},
                       {50, 20, -40, -30, false}, {60, 21, -40, -30, false}, {70, 1, 0, 0, false}};
        size_t next = 0;
        for (int round = 0; round < 400; ++round) {
            if (next < std::size(changes) && changes[next].round == round) {
                const Change& v = changes[next++];
                c.zoom = v.zoom, c.originX = v.originX, c.originY = v.originY;
                if (v.resize) ResizeCanvas(c, window.width, window.height);
            }
            ASSERT_TRUE(NextRoundComposedAfresh(c, now, colorCode)) << "round " << round;
        }
        EXPECT_GE(c.player->programs().size(), 1u);
    }
}

TEST_F(PreviewComposition, ANewSetDarkensWhatTheSetBeforeItLitAndItDoesNotDraw) {
    ProgramTree tree = TinyTree(48, 24, 17);
    AddTextProgram(tree, 0, 0, 48, 8, u"AB", kWhite8Bold, kEffectStatic);
    tree.AddProgramSet();
    AddTextProgram(tree, 0, 8, 48, 24, u"CD", kRed16, kEffectStatic, 1);
    RecordingWindow window;
    LayoutCanvas c;
    uint64_t now = 0;
    StartPreview(c, window, tree, now);
    bool secondSet = false;
    for (int round = 0; round < 2000 && !secondSet; ++round) {
        ASSERT_TRUE(NextRoundComposedAfresh(c, now, 17)) << "round " << round;
        secondSet = c.player && c.player->setIndex() == 2;
    }
    EXPECT_TRUE(secondSet);
}

// The LED image after adding the text at the offsets onto `under`, drawn or taken from its picture.
RawImage TextAt(LayoutCanvas& c, const RawImage& under, const TextContent& text, const ProgramLayout& layout,
                const ContentPicture* picture, int x, int y) {
    c.ledImage = under;
    if (picture) AddContentPicture(c, *picture, 2, 1, 30, 15, x, y);
    else RenderProgramStatic(c, text, layout, 2, 1, 30, 15, x, y);
    return c.ledImage;
}

TEST_F(PreviewComposition, ATextTakenFromItsPictureIsTheTextDrawnAtTheOffsets) {
    struct Case {
        std::u16string text;
        uint32_t attr;
        uint8_t effect;
    } cases[] = {
        {u"AB中文Wy", kRed16, kEffectMoveLeft},           // one running line, wider than the area
        {u"gj\nQ中", kCyan16, kEffectMoveUp},            // lines wrapped and stacked
        {u"Bold8 字", kWhite8Bold, kEffectMoveRight},    // the built-in font and the small one
        {u"ก่าง Thai", kGreen12, kEffectStatic},         // marks drawn with their consonant
        {u"Ital", CellAttr::Make(16, 0, 3, CellAttr::Italic | CellAttr::Underline), kEffectMoveLeftContinue},
    };
    LayoutCanvas c;
    InitCanvas(c, rc);
    RawImage under;  // lit pixels under the text: the sum saturates
    ResetImage(under, 32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) under.row32(y)[x] = (x + y) % 3 == 0 ? 0x80FF40u : 0;
    RawImage black;
    ResetImage(black, 32, 16);
    for (const Case& k : cases) {
        TextContent text;
        PutText(text, k.text, k.attr);
        ProgramLayout layout;
        ASSERT_TRUE(LayoutProgramContent(rc, text, k.effect, 28, 14, 17, layout));
        ContentPicture picture;
        ASSERT_TRUE(MakeContentPicture(rc, text, layout, picture));
        for (const RawImage* base : {&black, &under})
            for (int y = -20; y <= 20; y += 3)
                for (int x = -layout.size.width - 4; x <= 32; x += 5)
                    ASSERT_EQ(Picture(TextAt(c, *base, text, layout, &picture, x, y)),
                              Picture(TextAt(c, *base, text, layout, nullptr, x, y)))
                        << int(k.effect) << " at " << x << "," << y;
    }
}

TEST_F(PreviewComposition, OnlyATextThatDrawsTheSameAlwaysGetsAPicture) {
    struct Case {
        TextCell cell;
        bool made;
    } cases[] = {
        {TextCell(u'A', kRed16), true},
        {PictureCell(4, 4, {0xFFFFFF}), true},                 // a still picture
        {PictureCell(4, 4, {0xFF0000, 0x00FF00}), false},      // frames by the tick
        {TextCell(FC_SECOND, kRed16), false},                  // the time of day
        {TextCell(u' ', kRed16), false},                       // nothing lit
    };
    for (Case& k : cases) {
        TextContent text;
        text.cells[0] = std::move(k.cell);
        ProgramLayout layout;
        LayoutProgramContent(rc, text, kEffectMoveLeft, 28, 14, 5, layout);
        ContentPicture picture;
        EXPECT_EQ(MakeContentPicture(rc, text, layout, picture), k.made) << int(text.cells[0].code);
        EXPECT_EQ(picture.made, k.made);
        // Tried once for the layout: a second call answers the same without drawing.
        EXPECT_EQ(MakeContentPicture(rc, text, layout, picture), k.made);
    }
    // A layout for another screen is drawn again: a red picture lights the red and green screen
    // only (one plane lights by the mean of the channels, below the thresholds' here).
    TextContent text;
    text.cells[0] = PictureCell(4, 4, {0xFF0000});
    ProgramLayout layout;
    ContentPicture picture;
    for (const auto& [colorCode, made] :
         {std::pair(17, true), std::pair(13, false), std::pair(5, false), std::pair(17, true)}) {
        LayoutProgramContent(rc, text, kEffectMoveLeft, 28, 14, colorCode, layout);
        EXPECT_EQ(MakeContentPicture(rc, text, layout, picture), made) << colorCode;
    }
}

TEST(ShowImageAsScreen, ARectangleLightsItsPixelsAsTheScreenAndLeavesTheRest) {
    // Runs of one colour, the faintest blue (0x000001) and black, on one- and two-colour screens.
    const uint32_t pixels[] = {0x000001, 0x000001, 0x00FF00, 0x00FF00, 0, 0x123456, 0x000001, 0xFFFFFF};
    for (const int colorCode : {5, 13, 17}) {
        RawImage image;
        ResetImage(image, 8, 3);
        for (int y = 0; y < 3; ++y) std::copy(std::begin(pixels), std::end(pixels), image.row32(y));
        ShowImageAsScreen(image, colorCode, -2, 1, 6, 9);  // clipped to columns 0..5 of rows 1 and 2
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool inside = y >= 1 && x < 6;
                EXPECT_EQ(image.row32(y)[x], inside ? ScreenLedColour(pixels[x], colorCode) : pixels[x])
                    << colorCode << " at " << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace ledsuite
