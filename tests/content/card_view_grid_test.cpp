// The layout view, the preview at rest and the card agree: over a grid of programs
// (every effect with every alignment, three faces, one-, two- and full-colour screens,
// fields, pictures on black, dark and light backgrounds, a table, custom and built-in
// borders) the card view drawn from the encoded bytes alone is compared with the
// canvas's static layout and with the preview's frame while the program rests on its
// fully shown content.
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
#include "content/render/font_tables.h"
#include "content/render/image_sources.h"
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
enum Kind { kText, kDate, kWeekCounter, kPictureBlack, kPictureDark, kPictureLight, kTable, kChip, kKinds };

struct Case {
    int effect = 0, align = 0, kind = 0, face = 0, colorCode = 5, rgb = 7, border = 0;
    std::string Name() const {
        std::ostringstream s;
        s << "effect " << effect << " align " << align << " kind " << kind << " face " << face << " colour code "
          << colorCode << " rgb " << rgb << " border " << border;
        return s.str();
    }
};

// A picture of a bright bar on a flat background, thresholds chosen as a loaded picture's are.
TextCell BarPicture(uint32_t background, uint32_t bar) {
    auto image = std::make_unique<RawImage>();
    ResetImage(*image, 24, 12);
    FillImage(*image, background);
    for (int y = 4; y < 8; ++y)
        for (int x = 6; x < 18; ++x) image->row32(y)[x] = bar;
    const uint8_t* base = image->pixels.data();
    image->blueThreshold = uint8_t(OtsuThreshold(image->height, image->width, base, 4));
    image->greenThreshold = uint8_t(OtsuThreshold(image->height, image->width, base + 1, 4));
    image->redThreshold = uint8_t(OtsuThreshold(image->height, image->width, base + 2, 4));
    auto picture = std::make_unique<PictureObject>();
    picture->frames.push_back(std::move(image));
    return ObjectCell(FC_PICTURE, std::move(picture));
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
        case kChip:
            PutText(t, u"Hi 42", attr);
            t.cells[5] = TextCell(FC_HOUR, attr);
            t.header.fontSet = 1;
            break;
        default: break;
    }
}

ProgramTree MakeTree(const Case& c, uint32_t face) {
    HardwareParams hw;
    hw.width = kScreenW, hw.height = kScreenH, hw.colorCode = uint16_t(c.colorCode), hw.cardType = 3;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    InitProgramRecord(p, 4, 2, 92, 30);
    FillContent(p.content, c, face);
    p.content.header.align = uint8_t(c.align);
    p.mainAction.effect = uint8_t(c.effect);
    p.mainAction.speed = 1, p.mainAction.pause = 20, p.mainAction.offset = 0;
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
    return tree;
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

    // The preview's picture while the program rests on its fully shown content.
    std::optional<RawImage> PausePicture(ProgramTree& tree) {
        LayoutCanvas canvas;
        InitCanvas(canvas, rc);
        canvas.tree = &tree;
        canvas.selection = {1, 0, 0};
        ResizeCanvas(canvas, kScreenW, kScreenH);
        uint64_t now = 0;
        canvas.clock = [&now] { return now; };
        SetPreviewRunning(canvas, true);
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

    FontRenderer fonts;
    FontTables tables = MakeFaceLists<FontTables>();
    RenderContext rc{fonts, tables};
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

TEST(CardViewSource, DrawsFromTheBytesWithoutTheCanvasOrTheLayout) {
    const char* root = std::getenv("LEDSUITE_SOURCE_DIR");
    if (!root) GTEST_SKIP() << "LEDSUITE_SOURCE_DIR not set";
    for (const char* file : {"/tests/content/card_view.cpp", "/tests/content/card_view.h"}) {
        std::ifstream in(std::string(root) + file);
        ASSERT_TRUE(in.good()) << file;
        for (std::string line; std::getline(in, line);)
            if (line.rfind("#include", 0) == 0)
                EXPECT_TRUE(line.find("\"content/preview/") == std::string::npos &&
                            line.find("text_layout") == std::string::npos &&
                            line.find("\"content/card/") == std::string::npos)
                    << file << ": " << line;
    }
}

}  // namespace
}  // namespace ledsuite
