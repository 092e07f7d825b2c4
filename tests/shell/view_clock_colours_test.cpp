// In the whole main window: the preview started from the main toolbar ticks the time in a
// picture its pause holds, and a program file made for a full-colour screen, opened with
// File > Open (as the one-colour screen the card drives), lights in the layout view and
// the preview what the card lights.
#include <gtest/gtest.h>

#include "content/card/program_file.h"
#include "content/model/clock.h"
#include "content/model/paths.h"
#include "content/preview/preview_player.h"
#include "shell/zu_view.h"
#include "tests/content/card_view.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

struct ViewRig {
    ShellApp a;
    uint64_t now = 0;
    // The local time runs with the preview's clock from 13:45:20.
    ScopedClockOverride localTime{[this] { return LocalTime{2026, 12, 7, 13, 45, 20 + int(now / 1000), 1}; }};
    CZUView* view = nullptr;

    bool Start() {
        if (!a.Start()) return false;
        view = qobject_cast<CZUView*>(a.Frame().ViewWidget());
        if (!view) return false;
        view->Canvas().clock = [this] { return now; };
        return true;
    }
    // Starts the preview with its toolbar button.
    void Preview() { CommandAction(a.Frame().MainToolBar(), ID_PREVIEW)->trigger(); }
    // Moves the preview's clock to `t` and lets the view's timer play up to it.
    void RunTo(uint64_t t) {
        now = t;
        QTest::qWait(40);
    }
};

TEST(ViewClock, ThePreviewFromTheToolbarTicksTheSecondsOfAPictureItsPauseHolds) {
    ViewRig r;
    ASSERT_TRUE(r.Start());
    r.a.AddProgram(u"");
    ProgramRecord& p = *r.a.Tree().ProgramNodeOf(r.a.Tree().SelectedItem())->record;
    const uint32_t attr = CellAttr::Make(16, 0, 1);
    p.content.cells[0] = TextCell(FC_MINUTE, attr);
    p.content.cells[1] = TextCell(u':', attr);
    p.content.cells[2] = TextCell(FC_SECOND, attr);
    p.mainAction.effect = kEffectStatic;
    p.mainAction.pause = 30;
    r.Preview();
    ASSERT_EQ(r.view->Canvas().runState, kPreviewRunning);
    std::vector<QImage> seen;
    for (uint64_t t : {300, 500, 1300, 1500, 2300, 2500}) {  // 50 rounds or fewer at a time
        r.RunTo(t);
        if (t % 1000 != 500) continue;
        ASSERT_NE(r.view->Canvas().player, nullptr);
        EXPECT_GT(r.view->Canvas().player->programs()[0].waitRounds, 0u) << t;
        seen.push_back(r.view->BackImage().copy());
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
}

// A w x h screen of the colour code with one program set, for a card of type 3.
ProgramTree OneSetTree(int w, int h, int colorCode) {
    HardwareParams hw;
    hw.width = uint16_t(w), hw.height = uint16_t(h), hw.colorCode = uint16_t(colorCode), hw.cardType = 3;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    return tree;
}

int CountLitLeds(const RawImage& picture) {
    int lit = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) lit += picture.row32(y)[x] == 0xFF0000;
    return lit;
}

// Green and blue text composed for a full-colour screen (colour code 7, which the card
// drives with one plane, as a one-colour screen).
std::string FullColourFile(const ShellApp& a) {
    ProgramTree made = OneSetTree(96, 32, 7);
    const std::pair<std::u16string_view, uint32_t> texts[] = {{u"Ab", 2}, {u"Cd", 4}};
    for (size_t i = 0; i < 2; ++i) {
        ProgramRecord& p = *made.AddProgram(0)->record;
        InitProgramRecord(p, int(48 * i), 0, int(48 * i + 48), 32);
        for (size_t k = 0; k < texts[i].first.size(); ++k)
            p.content.cells[k] = TextCell(texts[i].first[k], CellAttr::Make(16, 0, texts[i].second));
        p.mainAction.effect = kEffectStatic;
        p.mainAction.pause = 20;
    }
    const std::string path = a.env.Path("full colour.lcs");
    return SaveProgramFile(path, made) == 0 ? path : "";
}

TEST(ViewColours, AFileForAFullColourScreenLightsItsGreenAndBlueTextInTheViewAsOnTheCard) {
    ViewRig r;
    ASSERT_TRUE(r.Start());
    const std::string path = FullColourFile(r.a);
    ASSERT_FALSE(path.empty());
    ChooseNextFile(QString::fromStdString(path));
    r.a.Menu(ID_FILE_OPEN)->trigger();
    QApplication::processEvents();
    ASSERT_EQ(r.a.Programs().screen().colorCode, 5);  // opened as the one-colour screen it is driven as
    const size_t set = r.a.Programs().sets().size() - 1;
    r.a.Tree().setCurrentItem(r.a.Tree().ItemAt(int(set)));
    QApplication::processEvents();

    std::vector<uint8_t> file;
    ASSERT_EQ(ReadFileBytes(path, kMaxProgramFileSize, file), ReadFileResult::Ok);
    const std::span<const uint8_t> image = std::span(file).subspan(kProgramFileHeaderSize);
    const CardView card = DrawCardView(image, 0, {96, 32, 5}, CurrentLocalTime());
    ASSERT_EQ(card.problems, std::vector<std::string>{});
    ASSERT_GT(CountLitLeds(card.picture), 40);  // both texts light in red
    const RawImage& led = r.view->Canvas().ledImage;
    EXPECT_EQ(led.pixels, card.picture.pixels) << "layout view";

    r.Preview();  // at rest on the whole content from the first round
    r.RunTo(300);
    EXPECT_GT(r.view->Canvas().player->programs()[0].waitRounds, 0u);
    EXPECT_EQ(led.pixels, card.picture.pixels) << "preview at rest";
}

// "AB" in red, 8 pixels, flashing on a red one-colour screen of 32 x 16, opened with File >
// Open and played with the toolbar's Preview: each frame is what the card lights, and every
// other one its negative (dark text on a lit area), not a wholly lit area.
TEST(ViewColours, FlashOnAOneColourScreenShowsTheCardsNegativeInThePreview) {
    ViewRig r;
    ASSERT_TRUE(r.Start());
    ProgramTree made = OneSetTree(32, 16, 5);
    ProgramRecord& p = *made.AddProgram(0)->record;
    InitProgramRecord(p, 0, 0, 32, 16);
    p.content.cells[0] = TextCell(u'A', CellAttr::Make(8, 0, 1));
    p.content.cells[1] = TextCell(u'B', CellAttr::Make(8, 0, 1));
    p.mainAction.effect = kEffectFlash;
    p.mainAction.speed = 1;  // a step each round
    const std::string path = r.a.env.Path("flash.lcs");
    ASSERT_EQ(SaveProgramFile(path, made), 0);
    ChooseNextFile(QString::fromStdString(path));
    r.a.Menu(ID_FILE_OPEN)->trigger();
    QApplication::processEvents();
    r.a.Tree().setCurrentItem(r.a.Tree().ItemAt(int(r.a.Programs().sets().size() - 1)));
    QApplication::processEvents();

    std::vector<uint8_t> file;
    ASSERT_EQ(ReadFileBytes(path, kMaxProgramFileSize, file), ReadFileResult::Ok);
    const std::span<const uint8_t> image = std::span(file).subspan(kProgramFileHeaderSize);
    std::vector<RawImage> card;
    for (const bool inverted : {false, true}) {
        const CardStep step{0, 0, 0, 0, inverted};
        card.push_back(DrawCardView(image, 0, {32, 16, 5}, CurrentLocalTime(), std::span(&step, 1)).picture);
    }
    const int lit = CountLitLeds(card[0]);
    ASSERT_GT(lit, 10);
    ASSERT_EQ(CountLitLeds(card[1]), 32 * 16 - lit);

    r.Preview();
    int inverted = 0;
    for (uint64_t t = 10; t <= 100; t += 10) {
        r.RunTo(t);
        const PlayedProgram& played = r.view->Canvas().player->programs()[0];
        const bool negative = played.drawnState.position & 1;
        inverted += negative;
        EXPECT_EQ(r.view->Canvas().ledImage.pixels, card[negative].pixels) << t;
    }
    EXPECT_GE(inverted, 3);
}

}  // namespace
