// The layout canvas without a display: zoom, coordinates, hit tests, area editing with
// the mouse, selection by clicking, and the pictures it composes.
#include <unistd.h>

#include <cstdio>

#include "tests/content/canvas_helpers.h"
#include "content/preview/canvas_drawing.h"
#include "content/preview/layout_canvas.h"
#include "content/card/program_encoder.h"
#include "content/card/program_file.h"
#include "content/preview/canvas_snapshot.h"

namespace ledsuite {
namespace {

class CanvasTest : public RenderTest {
protected:
    LayoutCanvas canvas;
    RecordingWindow window;
    ProgramTree tree = TinyTree(32, 16);

    void SetUp() override { InitCanvas(canvas, rc); }
    void Attach(int w, int h) {
        window.width = w, window.height = h;
        canvas.tree = &tree;
        ASSERT_EQ(AttachCanvas(canvas, &window), 1);
    }
    std::array<int, 4> Area(size_t i) {
        const ProgramRecord& p = *tree.program(0, i)->record;
        return {p.left, p.top, p.right, p.bottom};
    }
};

TEST_F(CanvasTest, WheelZoomKeepsThePointAndStaysWithinOneToThirty) {
    Attach(200, 150);
    struct Case {
        int zoom, delta, ox, oy, px, py;
        int result, zoomAfter, oxAfter, oyAfter;
    } cases[] = {
        {2, -1, 40, 60, 100, 100, 1, 3, 10, 40},  // (o - p) * new / old + p
        {3, 1, 10, 40, 100, 100, 1, 2, 40, 60},
        {30, -1, 5, 6, 50, 50, 1, 30, 5, 6},      // at the top: nothing changes
        {1, 1, 5, 6, 50, 50, 1, 1, 5, 6},         // at the bottom
        {4, 0, 5, 6, 50, 50, 1, 4, 5, 6},         // no delta
        {2, -1, 40, 60, 200, 150, 1, 3, -40, 15},  // the far corner is on the back image
        {2, -1, 40, 60, 201, 100, 0, 2, 40, 60},  // past it
    };
    window.width = 300, window.height = 200;  // larger than the back image: the buffer decides
    for (const Case& c : cases) {
        canvas.zoom = c.zoom, canvas.originX = c.ox, canvas.originY = c.oy;
        const int result = CanvasWheelZoom(canvas, c.delta, window.screenLeft + c.px, window.screenTop + c.py);
        EXPECT_EQ(std::tuple(result, canvas.zoom, canvas.originX, canvas.originY),
                  std::tuple(c.result, c.zoomAfter, c.oxAfter, c.oyAfter)) << c.zoom << " " << c.delta;
    }
    EXPECT_EQ(CanvasWheelZoom(canvas, -1, 10, 10), 0);  // not on the window
    canvas.window = nullptr;
    EXPECT_EQ(CanvasWheelZoom(canvas, -1, window.screenLeft, window.screenTop), 0);
}

TEST_F(CanvasTest, LedCoordinatesRoundToTheNearestLed) {
    canvas.zoom = 3, canvas.originX = 10, canvas.originY = -5;
    const int xs[] = {10, 11, 12, 13, 8, 7, 4};
    const int leds[] = {0, 0, 1, 1, 0, 0, -1};  // trunc((x - 10) / 3 + 0.5)
    for (size_t i = 0; i < std::size(xs); ++i) EXPECT_EQ(CanvasToLedX(canvas, xs[i]), leds[i]) << xs[i];
    EXPECT_EQ(std::tuple(CanvasToLedY(canvas, 1), LedToCanvasX(canvas, 4), LedToCanvasY(canvas, 4)),
              std::tuple(2, 22, 7));
}

TEST(CanvasGeometry, HandlesComeFirstThenTheAreaWithItsEdges) {
    // (10, 0, 20, 8): handles at (10, 4), (15, 0), (20, 4), (15, 8).
    struct Case {
        int x, y;
        bool handles;
        uint16_t hit;
    } cases[] = {
        {10, 4, true, 1},  {14, 4, true, 1},   {6, 0, true, 1},    {5, 4, true, kHitNone}, {15, 0, true, 2},
        {19, -4, true, 2}, {20, 4, true, 3},   {24, 8, true, 3},   {15, 8, true, 4},       {15, 12, true, 4},
        {10, 4, false, 0},  {20, 8, false, 0},  {21, 4, false, kHitNone},
        {15, 9, false, kHitNone}, {15, 13, true, kHitNone},
    };
    for (const Case& c : cases) EXPECT_EQ(HitTestArea(c.x, c.y, c.handles, 10, 0, 20, 8), c.hit) << c.x << "," << c.y;
    EXPECT_EQ(HitTestArea(15, 20, true, 0, 0, 40, 40), 0);  // inside, away from every handle
}

TEST_F(CanvasTest, DraggingAnEdgePastTheOtherSwapsThemAndMovesStopAtTheScreen) {
    AddPictureProgram(tree, 10, 0, 20, 8, 2, 2);
    AddPictureProgram(tree, 4, 2, 24, 14, 2, 2);
    Attach(160, 60);
    canvas.selection = {2, 0, 0};
    canvas.zoom = 2, canvas.originX = 40, canvas.originY = 2;
    const uint32_t down = kCanvasKeyLeftButton;
    auto drag = [&](bool press, int lx, int ly) {  // the canvas point of an LED
        if (press) CanvasMouseDown(canvas, down, 40 + 2 * lx, 2 + 2 * ly);
        else CanvasMouseMove(canvas, down, 40 + 2 * lx, 2 + 2 * ly);
        return std::pair(Area(canvas.selection.program), canvas.hitPart);
    };
    using Step = std::pair<std::array<int, 4>, uint16_t>;

    EXPECT_EQ(drag(true, 10, 4), (Step{{10, 0, 20, 8}, kHitLeft}));  // the left handle
    EXPECT_EQ(canvas.dragMode, kDragArea);
    EXPECT_EQ(drag(false, 25, 4), (Step{{20, 0, 25, 8}, kHitRight}));  // the drag goes on as the right edge
    EXPECT_EQ(drag(false, 40, 4), (Step{{20, 0, 32, 8}, kHitRight}));  // held to the screen width
    EXPECT_EQ(window.geometry.size(), 2u);
    CanvasMouseMove(canvas, 0, 40 + 2 * 30, 10);  // the button is up: nothing
    EXPECT_EQ(window.geometry.size(), 2u);

    EXPECT_EQ(drag(true, 26, 0).second, kHitTop);  // the top handle dragged below the bottom edge
    EXPECT_EQ(drag(false, 26, 11), (Step{{20, 8, 32, 11}, kHitBottom}));

    // Moving: the offset counts from the button-down point and keeps the area on the screen.
    canvas.selection = {2, 0, 1};
    EXPECT_EQ(drag(true, 9, 4).second, kHitMove);
    EXPECT_EQ(drag(false, -1, 3), (Step{{0, 1, 20, 13}, kHitMove}));
    EXPECT_EQ(drag(false, 30, 20), (Step{{12, 4, 32, 16}, kHitMove}));
    EXPECT_EQ(drag(false, 10, 5), (Step{{5, 3, 25, 15}, kHitMove}));
    EXPECT_TRUE(window.selected.empty());
    EXPECT_EQ(window.geometry.size(), 6u);

    EXPECT_EQ(drag(true, 15, 15).second, kHitBottom);  // the bottom handle of (5, 3, 25, 15) above the top edge
    EXPECT_EQ(drag(false, 15, 1), (Step{{5, 1, 25, 3}, kHitTop}));
}

TEST_F(CanvasTest, AnAreaWiderThanTheScreenIsCutToItBeforeAnEdit) {
    AddPictureProgram(tree, 4, 2, 60, 40, 2, 2);
    Attach(100, 60);
    canvas.selection = {2, 0, 0};
    CanvasMouseDown(canvas, kCanvasKeyLeftButton, 10, 10);  // inside, zoom 1, origin 0
    CanvasMouseMove(canvas, kCanvasKeyLeftButton, 10, 10);
    EXPECT_EQ(Area(0), (std::array{0, 0, 32, 16}));
}

TEST_F(CanvasTest, ClicksSelectTheFirstAreaInTreeOrderOnceAndCtrlOnlyPans) {
    AddPictureProgram(tree, 0, 0, 16, 16, 2, 2);
    AddPictureProgram(tree, 8, 0, 32, 16, 2, 2);  // overlaps the first from x 8
    Attach(100, 60);
    canvas.selection = {1, 0, 0};

    CanvasMouseDown(canvas, kCanvasKeyLeftButton | kCanvasKeyControl, 20, 4);
    EXPECT_TRUE(window.selected.empty());
    EXPECT_EQ(canvas.dragMode, kDragPan);
    CanvasMouseMove(canvas, kCanvasKeyLeftButton, 25, 1);
    EXPECT_EQ(std::pair(canvas.originX, canvas.originY), std::pair(5, -3));
    canvas.originX = canvas.originY = 0;

    CanvasMouseDown(canvas, kCanvasKeyLeftButton, 10, 4);  // both contain it: the first wins
    EXPECT_EQ(window.selected, (std::vector<size_t>{0}));
    EXPECT_EQ(std::tuple(canvas.selection.depth, canvas.hitPart, canvas.dragMode), std::tuple(2, kHitNone, kDragArea));
    CanvasMouseMove(canvas, kCanvasKeyLeftButton, 14, 4);  // a selecting click moves nothing
    EXPECT_EQ(Area(0), (std::array{0, 0, 16, 16}));
    EXPECT_TRUE(window.geometry.empty());

    CanvasMouseDown(canvas, kCanvasKeyLeftButton, 11, 5);  // the selected one again: no call
    EXPECT_EQ(window.selected.size(), 1u);
    CanvasMouseDown(canvas, kCanvasKeyLeftButton, 28, 4);
    EXPECT_EQ(window.selected, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(canvas.selection.program, 1u);
    CanvasMouseDown(canvas, kCanvasKeyLeftButton | kCanvasKeyControl, 5, 4);
    EXPECT_EQ(canvas.selection.program, 1u);

    CanvasMouseDown(canvas, kCanvasKeyLeftButton, 101, 4);  // off the back image: ignored
    EXPECT_EQ(std::pair(canvas.dragMode, canvas.mouseFlags), std::pair(kDragNone, 0u));
}

TEST_F(CanvasTest, TheBackImageMagnifiesTheMaskedLedPictureOnGrey) {
    for (const auto& [code, lit] : {std::pair<uint16_t, char>{5, 'r'}, {13, 'c'}, {7, 'r'}}) {
        tree = TinyTree(3, 2, code);
        AddPictureProgram(tree, 0, 0, 2, 2, 2, 1);
        canvas.window = nullptr;
        Attach(10, 7);
        canvas.selection = {1, 0, 0};
        canvas.zoom = 2, canvas.originX = 2, canvas.originY = 1;
        RenderLayout(canvas, false);
        const std::string l(4, lit);
        EXPECT_EQ(Picture(canvas.backImage), (Rows{"----------", "--" + l + "..--", "--" + l + "..--",
                                                   "--......--", "--......--", "----------", "----------"}))
            << code;
    }
    // Partly off the back image on the left and top.
    canvas.originX = -3, canvas.originY = -1;
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.backImage)[0], "r..-------");
    EXPECT_EQ(Picture(canvas.backImage)[3], "----------");
    // Wholly left of the back image: nothing of it is drawn.
    canvas.originX = -6;
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.backImage)[0], "----------");
}

TEST_F(CanvasTest, OverlayOutlinesTheAreasAndMarksTheScreenSize) {
    AddPictureProgram(tree, 0, 0, 8, 4, 2, 2);
    AddPictureProgram(tree, 8, 4, 16, 12, 2, 2);
    Attach(100, 60);
    canvas.selection = {2, 0, 1};
    canvas.zoom = 2, canvas.originX = 30, canvas.originY = 10;
    RenderLayout(canvas, true);
    const std::vector<OverlayRect> rects{
        {30, 10, 46, 18, kAreaPenColour, 2, false},      {46, 18, 62, 34, kSelectionPenColour, 2, false},
        {43, 23, 49, 29, kHandleColour, 1, true},        {51, 15, 57, 21, kHandleColour, 1, true},
        {59, 23, 65, 29, kHandleColour, 1, true},        {51, 31, 57, 37, kHandleColour, 1, true}};
    EXPECT_EQ(canvas.overlay.rects, rects);
    ASSERT_EQ(canvas.overlay.labels.size(), 2u);
    EXPECT_EQ(canvas.overlay.labels[0], (OverlayText{14, 18, u"16", kSizeLabelColour}));
    EXPECT_EQ(canvas.overlay.labels[1], (OverlayText{54, 44, u"32", kSizeLabelColour}));
    const std::vector<OverlayLine> lines{{30, 10, 6, 10, kDimensionPenColour},  {12, 10, 12, 42, kDimensionPenColour},
                                         {30, 42, 6, 42, kDimensionPenColour},  {30, 42, 30, 62, kDimensionPenColour},
                                         {30, 54, 94, 54, kDimensionPenColour}, {94, 42, 94, 62, kDimensionPenColour}};
    EXPECT_EQ(canvas.overlay.lines, lines);
    EXPECT_EQ(window.presents, 1);

    window.multiScreen = true;  // the view shows nothing of the canvas then
    RenderLayout(canvas, true);
    EXPECT_EQ(window.presents, 1);
}

TEST_F(CanvasTest, NoSelectionShowsBlackAndTheScreenIsCentred) {
    AddPictureProgram(tree, 0, 0, 8, 4, 2, 2);
    Attach(40, 20);
    RenderLayout(canvas, true);
    EXPECT_EQ(Picture(canvas.backImage)[0], std::string(40, '.'));
    EXPECT_TRUE(canvas.overlay.empty());
    EXPECT_EQ(window.presents, 1);

    canvas.selection = {0, 0, 0};  // the screen: its size, no set
    canvas.zoom = 5;
    ResetCanvasView(canvas);
    EXPECT_EQ(std::tuple(canvas.zoom, canvas.originX, canvas.originY), std::tuple(1, 4, 2));
    EXPECT_EQ(window.presents, 2);
    EXPECT_EQ(Picture(canvas.backImage)[2], "----" + std::string(32, '.') + "----");
    EXPECT_TRUE(canvas.overlay.rects.empty());
    EXPECT_EQ(canvas.overlay.lines.size(), 6u);

    // A record asking for a screen past the card limits gets a bounded LED image.
    tree.screen().width = 60000;
    RenderLayout(canvas, false);
    EXPECT_EQ(canvas.ledImage.width, kMaxLedSide);
}

TEST_F(CanvasTest, BorderStripsTileInsideTheAreaWithTheirOffsets) {
    ResetImage(canvas.ledImage, 8, 4);
    // Four strips, left, top, right and bottom, each a row (or with `column` a column) of colours.
    auto strips = [](bool column, std::initializer_list<std::initializer_list<uint32_t>> sides) {
        FrameVector frames;
        for (const auto& colours : sides) {
            const bool down = column && frames.frames.size() % 2 == 0;
            auto img = std::make_unique<RawImage>();
            ResetImage(*img, down ? 1 : int(colours.size()), down ? int(colours.size()) : 1);
            for (int i = 0; uint32_t c : colours) *(down ? img->row32(i) : img->row32(0) + i) = c, ++i;
            frames.push_back(std::move(img));
        }
        return frames;
    };
    FrameVector frames = strips(false, {{0xFF0000}, {0x00FF00, 0x0000FF}, {0xFF0000}, {0x00FF00, 0x0000FF}});
    canvas.borderOffsets = {0, uint16_t(-1), 0, 0};
    DrawAreaBorder(frames, 1, canvas, 1, 0, 7, 4);
    // Left, top, right, bottom in this order; the shifted top strip starts with the
    // second half of its tile and paints nothing left of the area.
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{".bgbgbr.", ".r....r.", ".r....r.", ".gbgbgb."}));
    // Side strips of an area that starts above the image keep their phase from the area's top.
    const FrameVector sides =
        strips(true, {{0xFF0000, 0x00FF00}, {0x0000FF}, {0x00FF00, 0xFF0000, 0x0000FF}, {0x0000FF}});
    canvas.borderOffsets = {};
    ResetImage(canvas.ledImage, 8, 4);
    DrawAreaBorder(sides, 1, canvas, 2, -1, 6, 5);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{"..g..r..", "..r..b..", "..g..g..", "..r..r.."}));
    canvas.borderOffsets = {uint16_t(-1), 0, 0, 0};  // only the left strip scrolls
    DrawAreaBorder(sides, 1, canvas, 2, -1, 6, 5);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{"..r..r..", "..g..b..", "..r..g..", "..g..r.."}));
    canvas.borderOffsets = {0, 0, uint16_t(-1), 0};  // only the right strip scrolls
    DrawAreaBorder(sides, 1, canvas, 2, -1, 6, 5);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{"..g..b..", "..r..g..", "..g..r..", "..r..b.."}));
    canvas.borderOffsets = {0, 0, 0, uint16_t(-1)};  // only the bottom strip scrolls
    ResetImage(canvas.ledImage, 8, 4);
    DrawAreaBorder(frames, 1, canvas, 1, 0, 7, 4);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{".gbgbgr.", ".r....r.", ".r....r.", ".bgbgbg."}));
    // A top strip two rows high, cut by the image's left and top edges, keeps its phase along the area.
    FrameVector tall = strips(false, {{0xFF0000}, {0x00FF00, 0x0000FF}, {0xFF0000}, {0x00FF00, 0x0000FF}});
    ResetImage(*tall.frames[1], 2, 2);
    for (int y = 0; y < 2; ++y) tall.frames[1]->row32(y)[0] = 0x00FF00, tall.frames[1]->row32(y)[1] = 0x0000FF;
    canvas.borderOffsets = {};
    ResetImage(canvas.ledImage, 8, 4);
    DrawAreaBorder(tall, 1, canvas, -2, -1, 7, 4);
    EXPECT_EQ(Picture(canvas.ledImage)[0], "gbgbgbr.");
    frames.frames.pop_back();
    ResetImage(canvas.ledImage, 8, 4);
    DrawAreaBorder(frames, 1, canvas, 1, 0, 7, 4);  // three frames: the last serves the bottom too
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{".gbgbgr.", ".r....r.", ".r....r.", ".rrrrrr."}));
    ResetImage(canvas.ledImage, 8, 4);
    DrawAreaBorder(FrameVector{}, 1, canvas, 1, 0, 7, 4);  // no frame: nothing
    EXPECT_EQ(CountLit(canvas.ledImage), 0);
}

TEST_F(CanvasTest, AlignmentUsesTheAreaWidthAndEmptyAreasLayOutNothing) {
    tree = TinyTree(8, 1, 5);
    ProgramRecord& p = AddPictureProgram(tree, 4, 0, 8, 1, 2, 1);
    p.content.header.align = 1;  // centred: (4 - 2) / 2 from the area's left
    Attach(8, 1);
    canvas.selection = {1, 0, 0};
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{".....rr."}));
    p.mainAction.effect = kEffectMoveLeftContinue;  // a continuous move is not aligned
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{"....rr.."}));
    p.mainAction.effect = kEffectMoveRight;  // Move Right is laid out from the left unless aligned right
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{".....rr."}));
    p.mainAction.effect = kEffectStatic;
    p.content.header.align = 2;  // right
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{"......rr"}));
    p.mainAction.effect = kEffectStatic;

    ProgramLayout layout;
    for (const auto& [w, h] : {std::pair{0, 4}, {4, 0}, {kMaxAreaSide + 1, 4}, {4, kMaxAreaSide + 1}}) {
        EXPECT_FALSE(LayoutProgramContent(rc, p.content, kEffectStatic, w, h, 5, layout)) << w << "x" << h;
        EXPECT_TRUE(layout.empty());
    }
    EXPECT_TRUE(LayoutProgramContent(rc, p.content, kEffectStatic, kMaxAreaSide, kMaxAreaSide, 5, layout));
    EXPECT_TRUE(LayoutProgramContent(rc, p.content, kEffectStatic, 4, 1, 5, layout));
    EXPECT_EQ(layout.size, (CellSize{4, 1}));

    // Overlapping areas add their colours, each channel held at 0xFF (the pictures light
    // their channels fully, as the card lights them by their thresholds).
    tree = TinyTree(3, 1, 17);
    AddPictureProgram(tree, 0, 0, 2, 1, 2, 1, 0xC0C000);
    AddPictureProgram(tree, 1, 0, 3, 1, 2, 1, 0x800000);
    RenderLayout(canvas, false);
    EXPECT_EQ(std::vector<uint32_t>(canvas.ledImage.row32(0), canvas.ledImage.row32(0) + 3),
              (std::vector<uint32_t>{0xFFFF00, 0xFFFF00, 0xFF0000}));

    InitCanvas(canvas, rc);  // everything cleared: no back image to click on
    CanvasMouseDown(canvas, kCanvasKeyLeftButton, 1, 1);
    EXPECT_EQ(canvas.dragMode, kDragNone);
    EXPECT_EQ(canvas.window, nullptr);
}

// The first and last lit columns of a picture (-1, -1 when nothing is lit).
std::pair<int, int> LitColumns(const RawImage& img) {
    std::pair<int, int> lit{-1, -1};
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (img.row32(y)[x] != 0) lit = {lit.first < 0 ? x : std::min(lit.first, x), std::max(lit.second, x)};
    return lit;
}

// A right-aligned Move Right is laid out from the right already: the layout view, a file
// opened again, the preview and the card all put the line at the area's right end.
TEST_F(CanvasTest, ARightAlignedMoveRightStandsWhereTheCardPutsIt) {
    tree = TinyTree(64, 16, 5);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 64, 16, 4, 1);
    PutText(p.content, u"AB", CellAttr::Make(16, 0, 1));
    p.content.header.align = 2;
    p.mainAction.effect = kEffectMoveRight;
    ProgramLayout layout;
    ASSERT_TRUE(LayoutProgramContent(rc, p.content, kEffectMoveRight, 64, 16, 5, layout));
    const int width = layout.lines[0].width;
    ASSERT_GT(width, 4);
    const RawImage view = RenderLayoutPicture(tree, rc, 0, 1);
    const auto [first, last] = LitColumns(view);
    EXPECT_GE(first, 64 - width);
    EXPECT_LT(last, 64);
    EXPECT_EQ(PlaceCardLine(p.content.header, kEffectMoveRight, 64, layout.lines[0], layout.placements[0]).x,
              64 - width);
    // The preview brings the content in from the left until it stands there (after 64 steps).
    const uint64_t standing = 10 * (64 + 1);
    EXPECT_EQ(Picture(RenderPreviewPictures(tree, rc, std::vector<uint64_t>{standing}, 1)[0]), Picture(view));

    const std::string path = ::testing::TempDir() + "right_" + std::to_string(::getpid()) + ".lcs";
    ASSERT_EQ(SaveProgramFile(path, tree), 0);
    ProgramTree opened;
    ASSERT_EQ(OpenProgramFile(path, opened), 0);
    std::remove(path.c_str());
    EXPECT_EQ(Picture(RenderLayoutPicture(opened, rc, 0, 1)), Picture(view));
}

TEST_F(CanvasTest, ContentIsLoweredByTheOffsetOfAHorizontalMove) {
    tree = TinyTree(4, 4, 5);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 4, 4, 1, 1);
    Attach(4, 4);
    canvas.selection = {1, 0, 0};
    p.mainAction.offset = 2;
    p.content.header.spread = 0;  // page layouts start at the top
    const std::pair<uint8_t, int> cases[] = {{kEffectMoveLeft, 2}, {kEffectMoveRightContinue, 2},
                                             {kEffectMoveUp, 0}, {kEffectStatic, 0}};
    for (const auto& [effect, row] : cases) {
        p.mainAction.effect = effect;
        RenderLayout(canvas, false);
        EXPECT_EQ(canvas.ledImage.row32(row)[0], 0xFF0000u) << int(effect);
    }
}

TEST_F(CanvasTest, EdgesOfTheBackImageZoomOneAndTheRedrawsThatFollow) {
    AddPictureProgram(tree, 0, 0, 8, 4, 2, 2);
    Attach(100, 60);
    canvas.selection = {1, 0, 0};

    // Zoom 1 still places LEDs at the origin.
    canvas.zoom = 1, canvas.originX = 10, canvas.originY = 7;
    EXPECT_EQ(LedToCanvasX(canvas, 4), 14);
    EXPECT_EQ(LedToCanvasY(canvas, 4), 11);

    // The back image runs from 0 to its size, both ends included.
    CanvasMouseDown(canvas, kCanvasKeyLeftButton | kCanvasKeyControl, 0, 0);
    EXPECT_EQ(canvas.dragMode, kDragPan);
    CanvasMouseDown(canvas, kCanvasKeyLeftButton | kCanvasKeyControl, 100, 60);
    EXPECT_EQ(canvas.dragMode, kDragPan);
    CanvasMouseDown(canvas, kCanvasKeyLeftButton | kCanvasKeyControl, -1, 0);
    EXPECT_EQ(canvas.dragMode, kDragNone);

    // A pan ignores moves off the back image and moves while the preview runs.
    CanvasMouseDown(canvas, kCanvasKeyLeftButton | kCanvasKeyControl, 50, 30);
    CanvasMouseMove(canvas, kCanvasKeyLeftButton, 101, 30);
    EXPECT_EQ(std::pair(canvas.originX, canvas.originY), std::pair(10, 7));
    canvas.runState = kPreviewStopRequested;
    CanvasMouseMove(canvas, kCanvasKeyLeftButton, 52, 31);
    EXPECT_EQ(std::pair(canvas.originX, canvas.originY), std::pair(10, 7));
    canvas.runState = kPreviewStopped;
    const int before = window.presents;
    CanvasMouseMove(canvas, kCanvasKeyLeftButton, 52, 31);
    EXPECT_EQ(std::pair(canvas.originX, canvas.originY), std::pair(12, 8));
    EXPECT_EQ(window.presents, before + 1);  // a pan shows the moved picture

    // A zoom by the wheel redraws and shows the canvas.
    const int shown = window.presents;
    ASSERT_EQ(CanvasWheelZoom(canvas, -1, window.screenLeft + 50, window.screenTop + 30), 1);
    EXPECT_EQ(window.presents, shown + 1);
    EXPECT_EQ(canvas.overlay.lines.size(), 6u);

    ResizeCanvas(canvas, 10, 0);  // a window without height takes no clicks
    EXPECT_EQ(std::pair(canvas.backWidth, canvas.backHeight), std::pair(10, 0));
    CanvasMouseDown(canvas, kCanvasKeyLeftButton | kCanvasKeyControl, 5, 1);
    EXPECT_EQ(canvas.dragMode, kDragNone);
}

TEST_F(CanvasTest, InitialisingACanvasDuringAPreviewEndsItWithoutDrawing) {
    AddPictureProgram(tree, 0, 0, 8, 4, 2, 2);
    Attach(40, 20);
    canvas.selection = {1, 0, 0};
    SetPreviewRunning(canvas, true);
    ASSERT_EQ(canvas.runState, kPreviewRunning);
    const int shown = window.presents;
    InitCanvas(canvas, rc);
    EXPECT_EQ(canvas.runState, kPreviewStopped);
    EXPECT_EQ(canvas.player, nullptr);
    EXPECT_EQ(window.presents, shown);
}

TEST_F(CanvasTest, EveryLineOfTheTextAndEveryCellOfATableReachTheLedImage) {
    tree = TinyTree(12, 8, 5);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 12, 8, 2, 1);
    p.content.header.spread = 0;
    p.content.cells[1] = TextCell(10, 0);  // a hard line break
    p.content.cells[2] = PictureCell(3, 2);
    auto grid = std::make_unique<GridObject>();
    grid->columns = grid->rows = 2;
    grid->style = 0x1C;  // solid frame lines, all colours
    grid->totalWidth = 8, grid->totalHeight = 4;
    for (int i = 0; i < 4; ++i) grid->cells[size_t(i)] = TextCell(FC_GRIDCELL, MakeGridMarker(4, 2));
    AddPictureProgram(tree, 2, 3, 12, 8, 1, 1).content.cells[0] = ObjectCell(FC_TABLE, std::move(grid));
    Attach(12, 8);
    canvas.selection = {1, 0, 0};
    RenderLayout(canvas, false);
    // Two lines stacked from the top; the table from its first row and column, framed.
    EXPECT_EQ(Picture(canvas.ledImage), (Rows{"rr..........", "rrr.........", "rrr.........", "..rrrrrrrr..",
                                              "..r...r..r..", "..rrrrrrrr..", "..rrrrrrrr..", "............"}));
    // An area that starts above the screen: its first line is above the picture.
    for (ProgramRecord* q : {&p, tree.program(0, 1)->record.get()}) q->top -= 1, q->bottom -= 1;
    tree.program(0, 1)->record->content.cells[0] = TextCell();
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.ledImage)[0], "rrr.........");
    EXPECT_EQ(Picture(canvas.ledImage)[2], "............");
    for (ProgramRecord* q : {&p, tree.program(0, 1)->record.get()}) q->left -= 1, q->right -= 1;  // and left of it
    RenderLayout(canvas, false);
    EXPECT_EQ(Picture(canvas.ledImage)[0], "rr..........");
}

TEST_F(CanvasTest, TextCellsAreDrawnInTheFontsOfTheContentsFontSet) {
    tree = TinyTree(24, 16, 7);
    ProgramRecord& p = AddPictureProgram(tree, 0, 0, 24, 16, 1, 1);
    p.content.header.spread = 0;
    p.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 1, 7));  // the second face: only one table has it
    p.content.cells[1] = TextCell(u'B', CellAttr::Make(16, 0, 7));  // the next cell changes the font again
    Attach(24, 16);
    canvas.selection = {1, 0, 0};
    for (const uint8_t fontSet : {0, 1}) {
        p.content.header.fontSet = fontSet;
        RenderLayout(canvas, false);
        int lit = 0;
        for (const TextCell* cell : {&p.content.cells[0], &p.content.cells[1]}) {
            Surface alone(24, 16);
            ASSERT_TRUE(SelectCellFont(rc, alone, *cell, fontSet != 0));
            DrawCell(rc, alone, *cell, {0, 0, 24, 16});
            lit += CountLit(alone);
        }
        EXPECT_EQ(CountLit(canvas.ledImage), lit) << int(fontSet);
    }
}

// A line of a card-font text that shares its moving row with a taller table stands where
// the card's command stream puts it: on its own bottom at the row's top, not pushed below a
// 32-LED area. (A system-font text under Move Left is one running line as tall as the table.)
TEST_F(RenderTest, TextBesideATallTableStaysWhereItStoodWithoutTheTable) {
    auto view = [&](bool withTable) {
        TextContent text;
        text.header.fontSet = 1;
        const uint32_t red16 = CellAttr::Make(16, 0, 1);
        PutText(text, u"AB", red16);
        if (withTable) {
            auto grid = std::make_unique<GridObject>();
            InitGridObject(*grid);
            EXPECT_TRUE(SetGridSize(*grid, 3, 3));  // the table dialog's default, 48 LEDs high
            text.cells[2] = ObjectCell(FC_TABLE, std::move(grid));
        }
        PutText(text, u"C", red16, withTable ? 3 : 2);
        ProgramLayout layout;
        EXPECT_TRUE(LayoutProgramContent(rc, text, kEffectMoveLeft, 128, 32, 5, layout));
        const Surface s = RenderAreaSurface(rc, text, layout, 0, 0, 128, 32, 0, 0, 0, 128, 32);
        std::vector<uint32_t> ab;  // the first 16 columns: "AB"
        for (int y = 0; y < 32; ++y) ab.insert(ab.end(), s.row(y), s.row(y) + 16);
        return ab;
    };
    const std::vector<uint32_t> alone = view(false);
    EXPECT_GT(std::count_if(alone.begin(), alone.end(), [](uint32_t px) { return px != 0; }), 20);
    EXPECT_EQ(view(true), alone);
}

}  // namespace
}  // namespace ledsuite
