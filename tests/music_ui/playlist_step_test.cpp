// Previous and Next while the pane plays: the worker leaves its song for the row asked for,
// at once while playing, on resuming while paused; neither goes past the ends of the list.
// Driven through the toolbar; the card is the fake card on a pty at its line rate.
#include <gtest/gtest.h>

#include "tests/music_ui/pane_fixture.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

TEST(MusicPaneStep, PreviousAndNextMoveThePlaybackWithinTheList) {
    CardOnPort on(TimedLyricCard());
    PlayingPane p(100000, "abc");
    auto shownAfter = [&](int command, size_t lines) {
        if (command) p.Click(command);
        EXPECT_TRUE(WaitUntil([&] { return on.card.log().lyricBodies.size() >= lines; })) << lines;
    };
    shownAfter(CMusicCtrl::ID_MUSIC_PLAY, 1);
    shownAfter(CMusicCtrl::ID_MUSIC_NEXT, 2);
    shownAfter(CMusicCtrl::ID_MUSIC_NEXT, 3);
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);  // pause
    p.Click(CMusicCtrl::ID_MUSIC_NEXT);
    EXPECT_EQ(p.pane->Shared().currentRow, 2);  // the last row stays current
    p.Click(CMusicCtrl::ID_MUSIC_PREVIOUS);
    EXPECT_EQ(p.pane->List()->FirstSelectedRow(), 1);
    shownAfter(CMusicCtrl::ID_MUSIC_PLAY, 4);  // resumed: the row asked for while paused plays
    shownAfter(CMusicCtrl::ID_MUSIC_PREVIOUS, 5);
    p.Click(CMusicCtrl::ID_MUSIC_STOP);
    EXPECT_TRUE(WaitUntil([&] { return p.pane->Shared().runState == kRunStopped; }));
    EXPECT_EQ(Shown(on.card), (std::vector<std::string>{"A", "B", "C", "B", "A"}));
}

}  // namespace
}  // namespace ledsuite
