// The layout view, the preview at rest and the card agree: over a grid of programs
// (every effect with every alignment, three faces, one-, two- and full-colour screens,
// fields, pictures on black, dark and light backgrounds, a table, custom and built-in
// borders) the card view drawn from the encoded bytes alone is compared with the
// canvas's static layout and with the preview's frame while the program rests on its
// fully shown content. A second grid takes texts wider than their area under every effect,
// two actions, repeats, offsets under the moves and a set of several programs, and follows
// every frame of the preview's moving passes against the card's content at that step.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "content/card/program_encoder.h"
#include "content/model/clock.h"
#include "content/preview/canvas_snapshot.h"
#include "content/preview/layout_canvas.h"
#include "content/preview/preview_player.h"
#include "content/render/card_layout.h"
#include "content/render/font_tables.h"
#include "content/render/image_sources.h"
#include "content/render/item_painters.h"
#include "content/model/paths.h"
#include "content/render/otsu_threshold.h"
#include "tests/content/card_view.h"
#include "tests/content/canvas_helpers.h"

namespace ledsuite {
namespace {

constexpr int kScreenW = 96, kScreenH = 32;
const LocalTime kNow{2026, 12, 7, 13, 45, 30, 1};

// A move passes through its area (it ends once the content has left), so it never rests on
// the whole content: like Flash, Twinkle and the continuous moves, the layout alone shows it.
bool RestsOnTheWholeContent(int effect) {
    const bool move = effect >= kEffectMoveLeft && effect <= kEffectMoveDown;
    return !move && EffectKeepsPause(uint8_t(effect));
}

// What a program of the grid holds besides its text.
// kPictureGiven, past the grid's kinds, holds the case's own picture.
enum Kind { kText, kDate, kWeekCounter, kPictureBlack, kPictureDark, kPictureLight, kTable, kChip, kKinds,
            kPictureGiven };

struct Case {
    int effect = 0, align = 0, kind = 0, face = 0, colorCode = 5, rgb = 7, border = 0;
    // Beyond the fitting grid: a text wider than its area, a secondary action, a repeat, an
    // offset, and the area (the grid's programs fill most of the screen).
    bool wide = false;
    int second = 0, repeat = 0, offset = 0;
    int left = 4, top = 2, right = 92, bottom = 30;
    std::shared_ptr<const RawImage> picture;  // kPictureGiven: this picture, named by `pictureName`
    std::string pictureName;
    std::string Name() const {
        std::ostringstream s;
        if (picture) s << pictureName << " ";
        s << "effect " << effect << " align " << align << " kind " << kind << " face " << face << " colour code "
          << colorCode << " rgb " << rgb << " border " << border;
        if (wide) s << " wide";
        if (second || repeat || offset) s << " second " << second << " repeat " << repeat << " offset " << offset;
        return s.str();
    }
};

// Thresholds chosen as a loaded picture's are (per channel, Otsu).
void OtsuThresholds(RawImage& image) {
    const uint8_t* base = image.pixels.data();
    image.blueThreshold = uint8_t(OtsuThreshold(image.height, image.width, base, 4));
    image.greenThreshold = uint8_t(OtsuThreshold(image.height, image.width, base + 1, 4));
    image.redThreshold = uint8_t(OtsuThreshold(image.height, image.width, base + 2, 4));
}

TextCell PictureOf(const RawImage& frame) {
    auto picture = std::make_unique<PictureObject>();
    picture->frames.push_back(std::make_unique<RawImage>(frame));
    return ObjectCell(FC_PICTURE, std::move(picture));
}

// A picture of a bright bar on a flat background, thresholds chosen as a loaded picture's are.
TextCell BarPicture(uint32_t background, uint32_t bar) {
    RawImage image;
    ResetImage(image, 24, 12);
    FillImage(image, background);
    for (int y = 4; y < 8; ++y)
        for (int x = 6; x < 18; ++x) image.row32(y)[x] = bar;
    OtsuThresholds(image);
    return PictureOf(image);
}

// Bars of red, green, blue, yellow, cyan, magenta and white, 4 columns each, at half
// brightness (0x80) above and full below, on black.
RawImage ColourBars() {
    static constexpr uint32_t kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF};
    RawImage image;
    ResetImage(image, 28, 12);
    for (int y = 1; y < 11; ++y)
        for (int x = 0; x < 28; ++x) image.row32(y)[x] = kColours[x / 4] & (y < 6 ? 0x808080 : 0xFFFFFF);
    return image;
}

// A photo-like picture: channels that run across and down, with a fine texture.
RawImage Gradient() {
    RawImage image;
    ResetImage(image, 40, 24);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint32_t texture = uint32_t(x * 7 + y * 13) % 23;
            const uint32_t r = std::min<uint32_t>(x * 6 + texture, 255), g = std::min<uint32_t>(y * 10 + texture, 255);
            const uint32_t b = uint32_t(255 - x * 5) / 2 + texture;
            image.row32(y)[x] = r << 16 | g << 8 | b;
        }
    return image;
}

TextCell Table(uint32_t attr) {
    auto grid = std::make_unique<GridObject>();
    grid->columns = 2, grid->rows = 1;
    grid->cells[0] = TextCell(FC_GRIDCELL, MakeGridMarker(28, 14));
    grid->cells[1] = TextCell(u'A', attr);
    grid->cells[2] = TextCell(FC_GRIDCELL, MakeGridMarker(28, 14));
    grid->cells[3] = TextCell(u'7', attr);
    grid->totalWidth = 56, grid->totalHeight = 14, grid->style = 0x24;
    return ObjectCell(FC_TABLE, std::move(grid));
}

TextCell Counter(uint32_t attr) {
    auto counter = std::make_unique<CounterField>();
    counter->attr = attr, counter->start = 7, counter->digitFormat = 0x30;
    return ObjectCell(FC_COUNTER, std::move(counter));
}

void FillContent(TextContent& t, const Case& c, uint32_t face) {
    const uint32_t attr = CellAttr::Make(c.kind == kChip ? 8 : 12, face, uint32_t(c.rgb));
    switch (c.kind) {
        case kText: PutText(t, u"Ab1中", attr); break;
        case kDate:
            t.cells[0] = TextCell(FC_YEAR, attr), t.cells[1] = TextCell(u'年', attr);
            t.cells[2] = TextCell(FC_HOUR, attr), t.cells[3] = TextCell(u':', attr);
            t.cells[4] = TextCell(FC_MINUTE, attr);
            break;
        case kWeekCounter:
            t.cells[0] = TextCell(FC_WEEK_EN, attr), t.cells[1] = Counter(attr);
            t.cells[2] = TextCell(FC_WEEK_CN, attr);
            break;
        case kPictureBlack: t.cells[0] = BarPicture(0x000000, 0xFFFFFF), PutText(t, u"P", attr, 1); break;
        case kPictureDark: t.cells[0] = BarPicture(0x404040, 0xF0F0F0), PutText(t, u"P", attr, 1); break;
        case kPictureLight: t.cells[0] = BarPicture(0xD0D0D0, 0x303030), PutText(t, u"P", attr, 1); break;
        case kTable: t.cells[0] = Table(attr); break;
        case kPictureGiven: t.cells[0] = PictureOf(*c.picture); break;
        case kChip: {  // a wide text runs on before the field: the chip's field is narrower than it is measured
            const std::u16string_view text = c.wide ? u"Hi 42 WIDE TEXT 0123456789" : u"Hi 42";
            PutText(t, text, attr);
            t.cells[text.size()] = TextCell(FC_HOUR, attr);
            t.header.fontSet = 1;
            return;
        }
        default: break;
    }
    // A wide text runs on after what the kind holds: past the area's width on one line, onto
    // several lines where it wraps. The card's chip draws ASCII only.
    if (c.wide) PutText(t, u"欢迎光临ABCDEFGHIJKLMNOP", attr, CountCells(t));
}

void AddProgram(ProgramTree& tree, const Case& c, uint32_t face) {
    ProgramRecord& p = *tree.AddProgram(0)->record;
    InitProgramRecord(p, c.left, c.top, c.right, c.bottom);
    FillContent(p.content, c, face);
    p.content.header.align = uint8_t(c.align);
    p.mainAction.effect = uint8_t(c.effect);
    p.mainAction.speed = 1, p.mainAction.pause = 20, p.mainAction.offset = int16_t(c.offset);
    p.mainAction.repeat = uint8_t(c.repeat);
    p.secondaryAction.effect = uint8_t(c.second);
    p.secondaryAction.speed = 1, p.secondaryAction.pause = 20, p.secondaryAction.offset = int16_t(c.offset);
    p.borderType = uint8_t(c.border), p.borderEffect = 0, p.borderSpeed = 10;
    if (c.border == 1) {  // one tile in the screen's colour, as the frame editor stores it
        auto tile = std::make_unique<RawImage>();
        ResetImage(*tile, 3, 2);
        FillImage(*tile, 0xFF0000);
        tile->row32(1)[1] = 0;
        p.borderFrames.push_back(std::move(tile));
    } else if (c.border >= 2) {
        MakeBorderFrames(&p.borderFrames, c.border);
    }
}

// One program set of the cases' programs, on a screen of the first case's colour code.
ProgramTree MakeTree(const std::vector<Case>& cases, const uint16_t* faces) {
    HardwareParams hw;
    hw.width = kScreenW, hw.height = kScreenH, hw.colorCode = uint16_t(cases.front().colorCode), hw.cardType = 3;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    for (const Case& c : cases) AddProgram(tree, c, faces[c.face]);
    return tree;
}

ProgramTree MakeTree(const Case& c, uint32_t face) {
    const uint16_t faces[3] = {uint16_t(face), uint16_t(face), uint16_t(face)};
    return MakeTree(std::vector<Case>{c}, faces);
}

// Each channel lit at 0x80 or more, as a card with the default threshold shows a colour.
RawImage Lit(RawImage image) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint32_t& px = image.row32(y)[x];
            uint32_t lit = 0;
            for (int shift = 0; shift < 24; shift += 8)
                if ((px >> shift & 0xFF) >= 0x80) lit |= 0xFFu << shift;
            px = lit;
        }
    return image;
}

// "" when the pictures are the same, else where they differ and both pictures.
std::string Difference(const RawImage& card, const RawImage& other) {
    if (card.width != other.width || card.height != other.height) return "sizes differ";
    int count = 0;
    for (int y = 0; y < card.height; ++y)
        for (int x = 0; x < card.width; ++x) count += card.row32(y)[x] != other.row32(y)[x];
    if (count == 0) return "";
    std::string out = std::to_string(count) + " LEDs differ; card, then the other:\n";
    const Rows a = Picture(card), b = Picture(other);
    for (size_t y = 0; y < a.size(); ++y) out += a[y] + "  " + b[y] + "\n";
    return out;
}

class CardViewGrid : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BuildFontTables();
        SetDefaultCardFonts(0);
    }

    // The preview of the tree's first set started on a screen-sized canvas whose clock is `now`.
    void StartPreview(LayoutCanvas& canvas, ProgramTree& tree, uint64_t& now) {
        InitCanvas(canvas, rc);
        canvas.tree = &tree;
        canvas.selection = {1, 0, 0};
        ResizeCanvas(canvas, kScreenW, kScreenH);
        canvas.clock = [&now] { return now; };
        SetPreviewRunning(canvas, true);
    }

    // The preview's picture while the program rests on its fully shown content.
    std::optional<RawImage> PausePicture(ProgramTree& tree) {
        LayoutCanvas canvas;
        uint64_t now = 0;
        StartPreview(canvas, tree, now);
        std::optional<RawImage> rest;
        for (int round = 0; round < 4000 && !rest; ++round) {
            now += kPreviewRoundMs;
            PreviewThreadProc(canvas);
            if (canvas.player && !canvas.player->programs().empty() && canvas.player->programs()[0].waitRounds > 0)
                rest = canvas.backImage;
        }
        ReleaseCanvas(canvas);
        return rest;
    }

    // Plays the preview of the tree's set until every program has finished and compares
    // each round's picture with the card view of the same steps: a program moving left,
    // right, up or down stands where its drawn position puts the card's content, any other
    // shows its content whole. Once a program plays another effect the comparison stops.
    // Each pass of a move is checked to run, one LED a step, from where the card starts it
    // to where the card ends it, both taken from the image's bytes. Returns the rounds compared.
    int ComparePasses(ProgramTree& tree, std::span<const uint8_t> image, const CardScreen& screen,
                      const std::string& name) {
        LayoutCanvas canvas;
        uint64_t now = 0;
        StartPreview(canvas, tree, now);
        const std::vector<CardProgram> card = DrawCardView(image, 0, screen, kNow).programs;
        std::vector<std::optional<CardStep>> shown(card.size());
        std::vector<std::vector<std::pair<std::pair<int, int>, int>>> drawn(card.size());  // (pass, position)
        int compared = 0;
        for (int round = 0; round < 6000 && canvas.player; ++round) {
            std::vector<std::pair<uint32_t, bool>> before;  // (steps played, ends its motion)
            for (const PlayedProgram& p : canvas.player->programs()) before.emplace_back(p.steps, p.ending);
            now += kPreviewRoundMs;
            PreviewThreadProc(canvas);
            const auto& programs = canvas.player->programs();
            before.resize(programs.size());  // the first round loads the set
            bool comparable = programs.size() == card.size();
            for (size_t i = 0; comparable && i < programs.size(); ++i) {
                const PlayState& st = programs[i].state;
                if (programs[i].steps == before[i].first) continue;  // no frame drawn: the picture stays
                if (st.effectClass == 0) {  // in place, at the screenful the pass shows
                    const int h = card[i].bottom - card[i].top;
                    shown[i] = st.page ? std::optional(CardStep{i, 0, 0, -st.page * h}) : std::nullopt;
                } else if (st.effectClass == 8) {  // Flash: the content whole, or its negative
                    const bool negative = programs[i].drawnState.position & 1;
                    shown[i] = CardStep{i, st.phase == kPhaseSecondary ? 1u : 0u, 0, 0, negative};
                    invertedFrames += negative;
                } else if (st.effectClass == 1) {
                    const int at = before[i].second ? st.position : st.position + (st.direction <= 1 ? 1 : -1);
                    const size_t action = st.phase == kPhaseSecondary ? 1 : 0;
                    const bool across = st.direction == 0 || st.direction == 2;
                    shown[i] = CardStep{i, action, across ? at : 0, across ? 0 : at};
                    drawn[i].push_back({{st.phase, st.repeatCount}, at});
                } else {
                    comparable = false;
                }
            }
            if (!comparable) break;
            std::vector<CardStep> steps;
            for (const auto& step : shown)
                if (step) steps.push_back(*step);
            const CardView view = DrawCardView(image, 0, screen, kNow, steps);
            const std::string difference = Difference(Lit(view.picture), Lit(canvas.backImage));
            EXPECT_EQ(difference, "") << name << " round " << round;
            ++compared;
            if (!difference.empty() || canvas.player->finishedBits() == 0xFFFF) break;
        }
        const uint16_t finished = canvas.player ? canvas.player->finishedBits() : 0;
        ReleaseCanvas(canvas);
        for (size_t i = 0; i < card.size(); ++i)
            CheckPasses(card[i], drawn[i], finished >> i & 1, name + " program " + std::to_string(i));
        return compared;
    }

    // Each pass of drawn positions runs one LED a step from the card's start (a secondary
    // pass starts where the main one left the content) to the card's end; the last pass of a
    // program that has not finished has not ended.
    static void CheckPasses(const CardProgram& card, const std::vector<std::pair<std::pair<int, int>, int>>& drawn,
                            bool finished, const std::string& name) {
        for (size_t begin = 0, end = 0; begin < drawn.size(); begin = end) {
            while (end < drawn.size() && drawn[end].first == drawn[begin].first) ++end;
            if (end == drawn.size() && !finished) break;
            const bool secondary = drawn[begin].first.first == kPhaseSecondary;
            const CardProgram::Action& a = card.actions[secondary ? 1 : 0];
            const int w = card.right - card.left, h = card.bottom - card.top;
            const int dir = a.direction & 3, step = dir <= 1 ? -1 : 1;
            const int copy = (dir & 1) == 0 && 2 * card.textWidth > w ? kCardSecondCopyGap : 0;
            const int start = dir == 0 ? w : dir == 1 ? h : dir == 2 ? -card.textWidth : -card.textHeight;
            const int last = dir == 0 ? -card.textWidth - copy : dir == 1 ? -card.textHeight : dir == 2 ? w + copy : h;
            if (!secondary) {
                EXPECT_EQ(drawn[begin].second, start) << name << " pass at " << begin;
            }
            EXPECT_EQ(drawn[end - 1].second, last) << name << " pass at " << begin;
            for (size_t k = begin + 1; k < end; ++k)
                ASSERT_EQ(drawn[k].second, drawn[k - 1].second + step) << name << " pass at " << begin << " step " << k;
        }
    }

    // Encodes the tree; the card view of its first set on the case's screen.
    std::span<const uint8_t> Encode(ProgramTree& tree, const std::string& name) {
        buffer.assign(0xFFFFF, 0xFF);
        uint32_t position = 0;
        const int32_t length = BuildProgramImage(buffer.data(), &position, tree, buffer.size());
        EXPECT_GT(length, 0) << name;
        return std::span(buffer).first(size_t(std::max(length, 0)));
    }

    FontRenderer fonts;
    FontTables tables = MakeFaceLists<FontTables>();
    RenderContext rc{fonts, tables};
    std::vector<uint8_t> buffer;
    int invertedFrames = 0;  // inverted Flash frames ComparePasses compared
};

std::vector<Case> Grid() {
    static const int kColorCodes[] = {5, 17, 13, 7};  // one colour, two colours, full colour (shown as one)
    static const int kRgb[] = {1, 3, 7, 2};
    std::vector<Case> grid;
    for (int effect = 1; effect < kEffectCount; ++effect)
        for (int r = 0; r < 8; ++r) {
            Case c;
            c.effect = effect, c.align = r % 4, c.kind = (r + effect) % kKinds;
            c.face = (r + 2 * effect) % 3;
            c.colorCode = kColorCodes[(r + effect / 2) % 4];
            c.rgb = kRgb[(r + effect) % 4];
            // A one-colour screen offers only colours with red: green or blue text would light
            // its grey plane on the card while the layout view masks it away.
            if (c.colorCode != 17 && c.colorCode != 13 && !(c.rgb & 1)) c.rgb = 7 - c.rgb;
            const int b = (r + 3 * effect) % 9;  // none, custom, and the built-in patterns 2 to 8
            c.border = b;
            grid.push_back(c);
        }
    return grid;
}

TEST_F(CardViewGrid, TheCardShowsWhatTheLayoutShowsOver248ProgramsAndThePreviewAtRestOver184) {
    const ScopedClockOverride clock(kNow);
    const uint16_t faces[3] = {InstalledFontIndexOf(u"宋体"), InstalledFontIndexOf(u"黑体"),
                               InstalledFontIndexOf(u"Courier New")};
    int compared = 0, previewCompared = 0;
    auto check = [&](const std::string& difference, const Case& c, bool preview) {
        EXPECT_EQ(difference, "") << c.Name() << (preview ? " (preview at rest)" : " (layout)");
    };
    std::vector<uint8_t> buffer(0xFFFFF);
    for (const Case& c : Grid()) {
        ProgramTree tree = MakeTree(c, faces[c.face]);
        std::fill(buffer.begin(), buffer.end(), 0xFF);
        uint32_t position = 0;
        const int32_t length = BuildProgramImage(buffer.data(), &position, tree, buffer.size());
        ASSERT_GT(length, 0) << c.Name();
        const CardView card = DrawCardView(std::span(buffer).first(size_t(length)), 0,
                                           {kScreenW, kScreenH, c.colorCode}, kNow);
        EXPECT_EQ(card.problems, std::vector<std::string>{}) << c.Name();
        const RawImage cardLit = Lit(card.picture);
        check(Difference(cardLit, Lit(RenderLayoutPicture(tree, rc, 0, 1))), c, false);
        ++compared;
        if (!RestsOnTheWholeContent(c.effect)) continue;
        const std::optional<RawImage> rest = PausePicture(tree);
        check(rest ? Difference(cardLit, Lit(*rest)) : "the preview never rests", c, true);
        ++previewCompared;
    }
    std::cout << "[ card view ] " << compared << " programs compared with the layout, " << previewCompared
              << " with the preview at rest\n";
    EXPECT_EQ(std::pair(compared, previewCompared), std::pair(31 * 8, 23 * 8));
}

bool Moves(int effect) { return (effect >= kEffectMoveLeft && effect <= kEffectMoveDown) || RunningLineEffect(effect); }

// The sets beyond the fitting grid: each a list of programs.
std::vector<std::vector<Case>> WideGrid() {
    std::vector<std::vector<Case>> sets;
    static const int kWideKinds[] = {kText, kDate, kPictureDark, kTable, kChip, kWeekCounter};
    for (int effect = 1; effect < kEffectCount; ++effect)  // wider than the area under every effect
        for (int align = 0; align < 4; ++align) {
            Case c;
            c.effect = effect, c.align = align, c.wide = true;
            c.kind = kWideKinds[(effect + align) % 6];
            c.face = (effect + align) % 3;
            c.colorCode = (effect + align) % 2 ? 5 : 17;
            c.rgb = c.colorCode == 5 ? 1 : 3;
            c.border = (effect + align) % 4 == 0 ? 2 : 0;
            sets.push_back({c});
        }
    // Two actions, repeats and offsets under the moves.
    const std::tuple<int, int, int, int> moves[] = {
        {kEffectMoveLeft, kEffectMoveRight, 0, 0},  {kEffectMoveRight, kEffectMoveLeft, 0, 3},
        {kEffectMoveLeft, kEffectStatic, 1, 0},     {kEffectMoveUp, kEffectMoveDown, 0, 0},
        {kEffectMoveLeftContinue, 0, 2, 0},         {kEffectMoveRight, 0, 1, -4},
        {kEffectMoveLeft, 0, 0, 5},                 {kEffectMoveUp, 0, 0, 4},
        {kEffectMoveDown, 0, 0, -3},                {kEffectMoveRightContinue, 0, 0, 6},
        {kEffectMoveDown, kEffectMoveUp, 1, 2},     {kEffectStatic, kEffectMoveLeft, 0, 0},
    };
    int k = 0;
    for (const auto& [effect, second, repeat, offset] : moves) {
        Case c;
        c.effect = effect, c.second = second, c.repeat = repeat, c.offset = offset;
        c.wide = k % 3 != 2, c.align = k % 4, c.face = k % 3, c.kind = k % 2 ? kDate : kText;
        ++k;
        sets.push_back({c});
    }
    // Several programs side by side in one set.
    Case a, b, c, d;
    a.effect = kEffectMoveLeft, a.wide = true, a.left = 0, a.top = 0, a.right = 48, a.bottom = 16;
    b.effect = kEffectMoveUp, b.offset = 2, b.kind = kDate, b.left = 48, b.top = 0, b.right = 96, b.bottom = 16;
    c.effect = kEffectStatic, c.wide = true, c.face = 1, c.left = 0, c.top = 16, c.right = 48, c.bottom = 32;
    d.effect = kEffectMoveRightContinue, d.wide = true, d.offset = -2, d.align = 1, d.face = 2;
    d.left = 48, d.top = 16, d.right = 96, d.bottom = 32;
    sets.push_back({a, b, c, d});
    return sets;
}

// Texts wider than their area under every effect, two actions, repeats, offsets and a set of
// several programs: the layout view shows what the card view draws from the bytes, the
// preview at rest too, and under the moves every frame of the preview's passes is the card's
// content at that step of its pass.
TEST_F(CardViewGrid, WideTextsActionsRepeatsOffsetsAndSetsShowWhatTheCardDrawsAtRestAndInEveryPass) {
    const ScopedClockOverride clock(kNow);
    const uint16_t faces[3] = {InstalledFontIndexOf(u"宋体"), InstalledFontIndexOf(u"黑体"),
                               InstalledFontIndexOf(u"Courier New")};
    int programs = 0, sets = 0, atRest = 0, inPasses = 0, rounds = 0;
    std::vector<uint8_t> buffer(0xFFFFF);
    for (const std::vector<Case>& cases : WideGrid()) {
        const Case& c = cases.front();
        const std::string more = cases.size() > 1 ? " and " + std::to_string(cases.size() - 1) + " more" : "";
        const std::string name = c.Name() + more;
        ProgramTree tree = MakeTree(cases, faces);
        std::fill(buffer.begin(), buffer.end(), 0xFF);
        uint32_t position = 0;
        const int32_t length = BuildProgramImage(buffer.data(), &position, tree, buffer.size());
        ASSERT_GT(length, 0) << name;
        const std::span<const uint8_t> image = std::span(buffer).first(size_t(length));
        const CardScreen screen{kScreenW, kScreenH, c.colorCode};
        const CardView card = DrawCardView(image, 0, screen, kNow);
        EXPECT_EQ(card.problems, std::vector<std::string>{}) << name;
        EXPECT_EQ(Difference(Lit(card.picture), Lit(RenderLayoutPicture(tree, rc, 0, 1))), "") << name << " (layout)";
        programs += int(cases.size());
        ++sets;
        if (std::any_of(cases.begin(), cases.end(), [](const Case& p) { return Moves(p.effect) || Moves(p.second); })) {
            rounds += ComparePasses(tree, image, screen, name);
            ++inPasses;
        } else if (cases.size() == 1 && !c.second && RestsOnTheWholeContent(c.effect)) {
            const std::optional<RawImage> rest = PausePicture(tree);
            EXPECT_EQ(rest ? Difference(Lit(card.picture), Lit(*rest)) : "the preview never rests", "")
                << name << " (preview at rest)";
            ++atRest;
        }
    }
    std::cout << "[ card view ] " << programs << " programs in " << sets << " sets compared with the layout, "
              << atRest << " with the preview at rest, " << inPasses << " sets in " << rounds
              << " rounds of their passes\n";
    EXPECT_EQ(std::tuple(programs, sets, atRest, inPasses),
              std::tuple(31 * 4 + 12 + 4, 31 * 4 + 13, 23 * 4, 6 * 4 + 13));
    EXPECT_GT(rounds, 6000);
}

// A text wider than its area moving left or right: the card gets one running line, and the
// layout view and every frame of the preview's pass show that line (no gap after each
// area-width piece), the pass as long as the card's text.
TEST_F(CardViewGrid, AWideTextMovesAsTheCardsOneRunningLine) {
    const ScopedClockOverride clock(kNow);
    const uint16_t song = InstalledFontIndexOf(u"宋体");
    struct Wide {
        std::u16string_view text;
        int width, effect, align;
    };
    std::vector<Wide> wides{{u"欢迎光临本店铺", 64, kEffectMoveLeft, 0}};
    for (int effect : {kEffectMoveLeft, kEffectMoveRight})
        for (int align = 0; align < 4; ++align) wides.push_back({u"ABCDEFGHIJKLMNOPQRST", 32, effect, align});
    std::vector<uint8_t> buffer(0xFFFFF);
    for (const Wide& w : wides) {
        Case c;
        c.effect = w.effect, c.align = w.align, c.left = 0, c.top = 0, c.right = w.width, c.bottom = 16;
        const std::string name = c.Name() + " " + std::to_string(w.width) + " x 16";
        ProgramTree tree = MakeTree(c, song);
        ProgramRecord& p = *tree.program(0, 0)->record;
        p.content.cells = {};
        PutText(p.content, w.text, CellAttr::Make(12, song, 1));
        std::fill(buffer.begin(), buffer.end(), 0xFF);
        uint32_t position = 0;
        const int32_t length = BuildProgramImage(buffer.data(), &position, tree, buffer.size());
        ASSERT_GT(length, 0) << name;
        const std::span<const uint8_t> image = std::span(buffer).first(size_t(length));
        const CardScreen screen{kScreenW, kScreenH, 5};
        const CardView card = DrawCardView(image, 0, screen, kNow);
        ASSERT_EQ(card.programs.size(), 1u);
        EXPECT_GT(card.programs[0].textWidth, w.width) << name;  // one line, not wrapped
        EXPECT_EQ(Difference(Lit(card.picture), Lit(RenderLayoutPicture(tree, rc, 0, 1))), "") << name << " (layout)";
        // The whole pass, from entering to having left, one frame a step.
        const int copy = 2 * card.programs[0].textWidth > w.width ? kCardSecondCopyGap : 0;
        EXPECT_EQ(ComparePasses(tree, image, screen, name), w.width + card.programs[0].textWidth + copy + 1) << name;
    }
}

// Flash on the one-colour (5), full-colour (7, driven as one colour) and two-colour (13, 17)
// screens, with red, green, blue and white text and a picture of coloured bars: every frame
// of the preview is the card's content or, on alternate steps, the negative of what its
// planes light, as the card inverts them.
TEST_F(CardViewGrid, FlashShowsTheNegativeOfWhatTheCardLightsOnEveryScreen) {
    const ScopedClockOverride clock(kNow);
    const uint16_t song = InstalledFontIndexOf(u"宋体");
    int sets = 0, rounds = 0;
    for (const int code : {5, 7, 13, 17})
        for (const int rgb : {1, 2, 4, 7, 0}) {  // 0: the coloured bars
            Case c;
            c.effect = kEffectFlash, c.colorCode = code, c.rgb = rgb ? rgb : 7, c.left = 0, c.top = 0;
            c.right = 32, c.bottom = 16;
            if (!rgb) c.kind = kPictureGiven, c.picture = std::make_shared<RawImage>(ColourBars());
            c.pictureName = rgb ? "" : "bars";
            ProgramTree tree = MakeTree(c, song);
            if (rgb) {  // "AB" in 8 pixels
                TextContent& text = tree.program(0, 0)->record->content;
                text.cells = {};
                PutText(text, u"AB", CellAttr::Make(8, song, uint32_t(rgb)));
            }
            const std::string name = c.Name();
            const std::span<const uint8_t> image = Encode(tree, name);
            const CardScreen screen{kScreenW, kScreenH, code};
            const CardView card = DrawCardView(image, 0, screen, kNow);
            EXPECT_EQ(card.problems, std::vector<std::string>{}) << name;
            if (code == 5 || code == 7) {
                EXPECT_GT(CountLit(card.picture), 0) << name;  // a one-colour screen lights any
            }
            EXPECT_EQ(Difference(card.picture, RenderLayoutPicture(tree, rc, 0, 1)), "") << name << " (layout)";
            rounds += ComparePasses(tree, image, screen, name);
            ++sets;
        }
    std::cout << "[ card view ] Flash: " << sets << " programs in " << rounds << " rounds, " << invertedFrames
              << " of them inverted\n";
    EXPECT_EQ(sets, 20);
    EXPECT_GE(invertedFrames, sets);
}

// Pictures as the card lights them: the shipped ones, a photo-like gradient and bars of pure
// and mixed colours at half and full brightness, each at the thresholds a pasted picture has
// (0x80) and at those a loaded one gets (Otsu), on every colour code: the layout view and the
// preview at rest light the LEDs the card view draws from the image's planes.
TEST_F(CardViewGrid, PicturesLightWhatTheCardsPlanesLightAtEveryThresholdOnEveryScreen) {
    const ScopedClockOverride clock(kNow);
    std::vector<std::pair<std::string, RawImage>> pictures;
    for (const char* file :
         {"01_heart", "02_star", "03_smile", "04_right", "05_left", "06_sun", "07_check", "08_cross"}) {
        FrameVector frames;
        ASSERT_EQ(LoadImageFile(&frames, ResourcePath("zu_img") + "/" + file + ".png"), 1) << file;
        pictures.emplace_back(file, *frames[0]);
    }
    pictures.emplace_back("gradient", Gradient());
    pictures.emplace_back("bars", ColourBars());
    int compared = 0, thresholdsMatter = 0;
    for (const auto& [name, loaded] : pictures)
        for (const int code : {5, 7, 12, 13, 14, 15, 16, 17}) {
            std::vector<int> lit;
            for (const bool otsu : {false, true}) {
                RawImage frame = loaded;
                if (otsu) OtsuThresholds(frame);
                else frame.redThreshold = frame.greenThreshold = frame.blueThreshold = 0x80;
                Case c;
                c.effect = kEffectStatic, c.colorCode = code, c.kind = kPictureGiven, c.left = 0, c.top = 0;
                c.picture = std::make_shared<RawImage>(std::move(frame));
                c.pictureName = name + (otsu ? " (Otsu)" : " (0x80)");
                ProgramTree tree = MakeTree(c, 0);
                const std::string caseName = c.Name();
                const CardView card = DrawCardView(Encode(tree, caseName), 0, {kScreenW, kScreenH, code}, kNow);
                EXPECT_EQ(card.problems, std::vector<std::string>{}) << caseName;
                lit.push_back(CountLit(card.picture));
                EXPECT_EQ(Difference(card.picture, RenderLayoutPicture(tree, rc, 0, 1)), "") << caseName << " (layout)";
                const std::optional<RawImage> rest = PausePicture(tree);
                EXPECT_EQ(rest ? Difference(card.picture, *rest) : "the preview never rests", "")
                    << caseName << " (preview at rest)";
                ++compared;
            }
            thresholdsMatter += lit[0] != lit[1];
        }
    std::cout << "[ card view ] " << compared << " pictures compared, " << thresholdsMatter
              << " lighting other LEDs at the other thresholds\n";
    EXPECT_EQ(compared, 10 * 8 * 2);
    EXPECT_GT(thresholdsMatter, 8);
}

// The shipped clock faces on one-, full- and two-colour screens: the layout view and the
// preview at rest light what the card lights of the face (packed as a picture at the
// default thresholds), with the hands, which the card draws itself, in white over it.
TEST_F(CardViewGrid, AClocksFaceLightsWhatTheCardLightsOfItUnderItsHands) {
    const ScopedClockOverride clock(kNow);
    const std::pair<int, uint32_t> screens[] = {{5, 0xFF0000}, {7, 0xFF0000}, {13, 0x00FFFF}, {17, 0xFFFF00}};
    int compared = 0, darkerOnOneColour = 0;
    for (const char* file : {"01_ring", "02_dots", "03_square", "04_double_ring"}) {
        ClockObject face;
        face.style = 1, face.size = 32;
        ASSERT_EQ(LoadImageFile(&face.face, ResourcePath("zu_clock") + "/" + file + ".png"), 1) << file;
        face.face[0]->displayWidth = face.face[0]->displayHeight = 32;
        std::vector<int> lit;
        for (const auto& [code, white] : screens) {
            Case c;
            c.effect = kEffectStatic, c.colorCode = code, c.left = 0, c.top = 0;
            ProgramTree tree = MakeTree(c, 0);
            TextContent& text = tree.program(0, 0)->record->content;
            text.cells = {};
            text.cells[0] = ObjectCell(FC_CLOCK, face.Clone());
            const std::string name = std::string(file) + " colour code " + std::to_string(code);
            const CardView card = DrawCardView(Encode(tree, name), 0, {kScreenW, kScreenH, code}, kNow);
            EXPECT_EQ(card.problems, std::vector<std::string>{}) << name;
            lit.push_back(CountLit(card.picture));
            Surface hands(kScreenW, kScreenH);
            DrawClockHands(hands, face, 0, 0);
            RawImage expected = card.picture;
            for (int y = 0; y < kScreenH; ++y)
                for (int x = 0; x < kScreenW; ++x) expected.row32(y)[x] |= hands.Pixel(x, y) ? white : 0;
            EXPECT_EQ(Difference(expected, RenderLayoutPicture(tree, rc, 0, 1)), "") << name << " (layout)";
            const std::optional<RawImage> rest = PausePicture(tree);
            EXPECT_EQ(rest ? Difference(expected, *rest) : "the preview never rests", "") << name << " (preview)";
            ++compared;
        }
        darkerOnOneColour += lit[0] < lit[3];
    }
    EXPECT_EQ(compared, 16);
    EXPECT_GT(darkerOnOneColour, 0);  // a pure red or green face stays below the grey plane's threshold
}

TEST(CardViewSource, DrawsFromTheBytesWithoutTheCanvasOrTheLayout) {
    const char* root = std::getenv("LEDSUITE_SOURCE_DIR");
    if (!root) GTEST_SKIP() << "LEDSUITE_SOURCE_DIR not set";
    for (const char* file : {"/tests/content/card_view.cpp", "/tests/content/card_view.h"}) {
        std::ifstream in(std::string(root) + file);
        ASSERT_TRUE(in.good()) << file;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("#include", 0) != 0) continue;
            EXPECT_TRUE(line.find("\"content/preview/") == std::string::npos &&
                        line.find("text_layout") == std::string::npos && line.find("card_layout") == std::string::npos &&
                        line.find("\"content/card/") == std::string::npos)
                << file << ": " << line;
        }
    }
}

}  // namespace
}  // namespace ledsuite
