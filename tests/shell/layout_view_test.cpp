// The layout view in the whole main window shows a program where the card puts it, after
// the user has chosen its motion in the property window and its alignment in the editor.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "content/card/program_encoder.h"
#include "content/model/clock.h"
#include "content/preview/canvas_drawing.h"
#include "content/preview/preview_player.h"
#include "editors/edit_rules.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "shell/vehicle_pane_util.h"
#include "shell/zu_view.h"
#include "tests/content/card_view.h"
#include "tests/shell/shell_test_util.h"
#include "toolkit/property_grid.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// Clicks the value cell of `key` and, in the drop-down that opens, option `option`.
void ClickOption(PropertyGrid* g, int key, int option) {
    QTreeWidget* tree = g->Tree();
    tree->scrollToItem(g->Item(key));
    const QRect row = tree->visualItemRect(g->Item(key));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(tree->columnViewportPosition(1) + 4, row.center().y()));
    QComboBox* combo = nullptr;
    for (QWidget* w : tree->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && qobject_cast<QComboBox*>(w)) combo = qobject_cast<QComboBox*>(w);
    ASSERT_NE(combo, nullptr) << key;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QModelIndex index = view->model()->index(option, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QApplication::processEvents();
}

// The first and last lit LED columns within rows [top, bottom) and columns [left, right).
std::pair<int, int> LitColumns(const RawImage& led, int left, int top, int right, int bottom) {
    std::pair<int, int> lit{-1, -1};
    for (int y = std::max(top, 0); y < std::min(bottom, led.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, led.width); ++x)
            if (led.row32(y)[x] != 0) lit = {lit.first < 0 ? x : std::min(lit.first, x), std::max(lit.second, x)};
    return lit;
}

TEST(LayoutView, AMoveRightAlignedRightStandsAtTheAreasRightEndAsOnTheCard) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    a.Frame().OnLanguage(3);
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    CommandAction(a.Page().ToolBar(), ID_ADD_PROGRAM)->trigger();
    auto* editor = qobject_cast<CEditCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageEditor));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor->surface(), "AB");

    auto* properties = qobject_cast<CPropertiesWnd*>(a.Frame().PropertyWindow());
    ASSERT_NE(properties, nullptr);
    ClickOption(properties->Grid(kProgramGridId), kPrgMainEffect, kEffectMoveRight - 1);
    QToolBar* bar = nullptr;
    for (QToolBar* b : editor->findChildren<QToolBar*>())
        if (b->actions().contains(editor->action(kToolAlignLeft + 2))) bar = b;
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar->widgetForAction(editor->action(kToolAlignLeft + 2)), Qt::LeftButton);
    QApplication::processEvents();

    const ProgramRecord& p = *a.Tree().ProgramNodeOf(a.Tree().SelectedItem())->record;
    ASSERT_EQ(std::pair(int(p.mainAction.effect), int(p.content.header.align)), std::pair(int(kEffectMoveRight), 2));
    LayoutCanvas& canvas = static_cast<CZUView*>(a.Frame().ViewWidget())->Canvas();
    ASSERT_NE(canvas.rc, nullptr);
    ProgramLayout layout;
    ASSERT_TRUE(LayoutProgramContent(*canvas.rc, p.content, p.mainAction.effect, p.width(), p.height(), 5, layout));
    const int start = p.left + PlaceCardLine(p.content.header, kEffectMoveRight, p.width(), layout.lines[0],
                                             layout.placements[0]).x;
    ASSERT_GT(start, p.left + p.width() / 2);  // the card's line stands at the right end
    // The view shows the line there, its glyphs within the line's width.
    const auto [first, last] = LitColumns(canvas.ledImage, p.left, p.top, p.right, p.bottom);
    EXPECT_GE(first, start);
    EXPECT_LT(first, start + 4);
    EXPECT_LT(last, p.right);
}

// The LED picture's area [0, w) x [0, h), each channel lit at 0x80 or more, as rows of text.
std::vector<std::string> LitRows(const RawImage& img, int w, int h) {
    std::vector<std::string> rows;
    for (int y = 0; y < h; ++y) {
        std::string row;
        for (int x = 0; x < w; ++x) row += (img.row32(y)[x] & 0x808080) != 0 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// A text wider than its 64 x 16 area typed into a new program (Move Left, as a new program
// moves): the layout view shows the card's one running line, and after Preview is pressed
// in the main window every frame of the pass is that line one LED further left, from
// entering at the right edge to having left, as long as the card's text.
TEST(LayoutView, AWideTypedTextPreviewsAsTheCardsRunningLineStepByStep) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    constexpr int kW = 64, kH = 16;
    a.Programs().screen().width = kW, a.Programs().screen().height = kH;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    const ProgramRecord& p = a.TypeProgram("");  // the text comes through an input method, as Chinese does
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf16(u"欢迎光临本店铺"));
    auto* editor = qobject_cast<CEditCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageEditor));
    QApplication::sendEvent(editor->surface(), &commit);
    ASSERT_EQ(std::tuple(p.mainAction.effect, p.width(), p.height()), std::tuple(uint8_t(kEffectMoveLeft), kW, kH));
    ASSERT_EQ(p.content.cells[6].code, u'铺');

    std::vector<uint8_t> image(0xFFFFF, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, a.Programs(), image.size());
    ASSERT_GT(length, 0);
    image.resize(size_t(length));
    const LocalTime now = CurrentLocalTime();
    const CardScreen screen{kW, kH, a.Programs().screen().colorCode};
    auto card = [&](std::span<const CardStep> steps = {}) { return DrawCardView(image, 0, screen, now, steps); };
    const CardView rest = card();
    ASSERT_EQ(rest.programs.size(), 1u);
    const int text = rest.programs[0].textWidth;
    ASSERT_GT(text, kW);  // one running line

    LayoutCanvas& canvas = static_cast<CZUView*>(a.Frame().ViewWidget())->Canvas();
    RenderLayout(canvas, true);
    EXPECT_EQ(LitRows(canvas.ledImage, kW, kH), LitRows(rest.picture, kW, kH));

    uint64_t clock = 0;
    canvas.clock = [&clock] { return clock; };
    QAction* preview = CommandAction(a.Frame().MainToolBar(), ID_PREVIEW);
    ASSERT_NE(preview, nullptr);
    preview->trigger();
    ASSERT_EQ(canvas.runState, kPreviewRunning);
    int frames = 0;
    // Until the program has finished (before the first round nothing is loaded and all count as finished).
    for (int round = 0; round < 20000 && canvas.player && (frames == 0 || canvas.player->finishedBits() != 0xFFFF);
         ++round) {
        clock += kPreviewRoundMs;
        PreviewThreadProc(canvas);  // what the view's timer calls; its own calls find no round due
        QApplication::processEvents();
        const auto& played = canvas.player->programs();
        if (played.empty()) continue;
        frames = int(played[0].steps);
        const CardStep step{0, 0, kW - (frames - 1), 0};  // step k draws the line k - 1 LEDs left of the edge
        ASSERT_EQ(LitRows(canvas.ledImage, kW, kH), LitRows(card({&step, 1}).picture, kW, kH)) << "frame " << frames;
    }
    const int copy = 2 * text > kW ? kCardSecondCopyGap : 0;
    EXPECT_EQ(frames, kW + text + copy + 1);
    preview->trigger();
    EXPECT_TRUE(WaitUntil([&] { return canvas.runState == kPreviewStopped; }));
}

}  // namespace

// Whatever brings text into the program editor shows on the layout view at once, without
// anything else redrawing the view: keys, an input method's commit (alone, after a preedit,
// several characters at once) and the Backspace key.
TEST(LayoutView, TextFromKeysAndAnInputMethodShowsOnTheViewAtOnce) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    const ProgramRecord& p = a.TypeProgram("");
    CEditEx* surface = a.Editor().surface();
    auto inputMethod = [surface](const char16_t* preedit, const char16_t* commit) {
        QInputMethodEvent composing(QString::fromUtf16(preedit), {});
        QApplication::sendEvent(surface, &composing);
        QInputMethodEvent done;
        done.setCommitString(QString::fromUtf16(commit));
        QApplication::sendEvent(surface, &done);
    };
    const std::vector<std::pair<std::string, std::function<void()>>> inputs = {
        {"key A", [&] { QTest::keyClicks(surface, "A"); }},
        {"commit", [&] { inputMethod(u"", u"中"); }},
        {"preedit and commit", [&] { inputMethod(u"wen", u"文"); }},
        {"commit of two", [&] { inputMethod(u"", u"欢迎"); }},
        {"Backspace", [&] { QTest::keyClick(surface, Qt::Key_Backspace); }},
    };
    LayoutCanvas& canvas = static_cast<CZUView*>(a.Frame().ViewWidget())->Canvas();
    RenderLayout(canvas, true);
    for (const auto& [name, input] : inputs) {
        const int cells = CountCells(p.content);
        const std::vector<uint8_t> before = canvas.ledImage.pixels;
        input();
        const std::vector<uint8_t> shown = canvas.ledImage.pixels;
        RenderLayout(canvas, true);  // what the view would show had it been told
        EXPECT_NE(CountCells(p.content), cells) << name;
        EXPECT_NE(shown, before) << name;
        EXPECT_TRUE(shown == canvas.ledImage.pixels) << name;
    }
}
