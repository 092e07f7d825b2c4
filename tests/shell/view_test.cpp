// The view: the canvas of the active tree, zoom, the preview driven from its timer, clicks
// that select areas.
#include "shell/zu_view.h"

#include <gtest/gtest.h>

#include <QWheelEvent>

#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(View, ShowsTheActiveTreeZoomsPreviewsAndSelectsAreasByClick) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    CMainFrame& frame = a.Frame();
    auto* view = qobject_cast<CZUView*>(frame.ViewWidget());
    ASSERT_NE(view, nullptr);
    CViewTree& tree = a.Tree();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->ShownTree(), &tree);
    EXPECT_EQ(view->Canvas().tree, &tree.Programs());
    EXPECT_EQ(view->BackImage().size(), view->size());
    EXPECT_EQ(view->BackImage().constBits(), view->Canvas().backImage.pixels.data());  // no copy

    // Two programs side by side: a click on the right one selects it in the tree.
    tree.setCurrentItem(tree.ScreenItem());
    a.Page().OnAddProgram();
    a.Page().OnAddProgram();
    ProgramSetNode& set = tree.Programs().sets()[0];
    set.programs[0].record->right = 64;
    set.programs[1].record->left = 64;
    tree.setCurrentItem(tree.ItemAt(0, 0));
    EXPECT_EQ(view->Canvas().selection.depth, 2);
    EXPECT_EQ(frame.Channel().send(IMC_REDRAW_LAYOUT, 0), 0);
    const int x = LedToCanvasX(view->Canvas(), 96), y = LedToCanvasY(view->Canvas(), 16);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(x, y));
    EXPECT_EQ(tree.SelectedItem(), tree.ItemAt(0, 1));
    EXPECT_EQ(view->Canvas().selection.program, 1u);

    // Zoom in about the centre, then back.
    const int zoom = view->Canvas().zoom;
    frame.Trigger(ID_ZOOM_IN);
    EXPECT_EQ(view->Canvas().zoom, zoom + 1);
    frame.Trigger(ID_ZOOM_CENTER);
    EXPECT_EQ(view->Canvas().zoom, 1);

    // The wheel turned toward the user (a negative delta) zooms in, away zooms out.
    auto wheel = [&](int delta) {
        const QPoint at(view->width() / 2, view->height() / 2);
        QWheelEvent e(at, view->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &e);
    };
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(view->Canvas().zoom, 3);
    wheel(120);
    EXPECT_EQ(view->Canvas().zoom, 2);
    frame.Trigger(ID_ZOOM_CENTER);

    // The preview runs from the view's timer and stops on the second press.
    frame.Trigger(ID_PREVIEW);
    EXPECT_EQ(view->Canvas().runState, kPreviewRunning);
    EXPECT_TRUE(view->PreviewTimerActive());
    QTest::qWait(40);
    frame.Trigger(ID_PREVIEW);
    EXPECT_TRUE(WaitUntil([&] { return !view->PreviewTimerActive(); }));
    EXPECT_EQ(view->Canvas().runState, kPreviewStopped);

    // In multi-screen mode nothing of the canvas is shown.
    frame.Channel().send(IMC_SET_VIEW_MODE, 1);
    EXPECT_TRUE(view->MultiScreenMode());
    frame.Channel().send(IMC_SET_VIEW_MODE, 0);
    EXPECT_FALSE(view->MultiScreenMode());
}
