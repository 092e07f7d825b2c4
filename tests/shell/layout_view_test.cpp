// The layout view in the whole main window shows a program where the card puts it, after
// the user has chosen its motion in the property window and its alignment in the editor.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "content/card/program_encoder.h"
#include "content/preview/canvas_drawing.h"
#include "editors/edit_rules.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "shell/vehicle_pane_util.h"
#include "shell/zu_view.h"
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
    ASSERT_TRUE(LayoutProgramContent(*canvas.rc, p.content, p.mainAction.effect, p.width(), p.height(), layout));
    const int start = p.left + PlaceCardLine(p.content.header, kEffectMoveRight, p.width(), layout.lines[0],
                                             layout.placements[0]).x;
    ASSERT_GT(start, p.left + p.width() / 2);  // the card's line stands at the right end
    // The view shows the line there, its glyphs within the line's width.
    const auto [first, last] = LitColumns(canvas.ledImage, p.left, p.top, p.right, p.bottom);
    EXPECT_GE(first, start);
    EXPECT_LT(first, start + 4);
    EXPECT_LT(last, p.right);
}

}  // namespace
