// Moving rows while the pane plays: the playing song stays current wherever its row goes,
// and the row that follows it in the list plays next. Driven through the toolbar and the
// list with clicks; the card is the fake card on a pty at its line rate.
#include <gtest/gtest.h>

#include "tests/music_ui/pane_fixture.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

// Plays `songs`, and once `when` lines are on the sign selects `row` and clicks `command`;
// the titles of the list after the move and the lines the card received by the end of it.
std::pair<std::string, std::vector<std::string>> ShiftWhilePlaying(const std::string& songs, size_t when, int row,
                                                                   int command) {
    CardOnPort on(TimedLyricCard());
    ManualClock song;
    PlayingPane p(700, songs, &song);
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    EXPECT_TRUE(PlayUntil(song, [&] { return on.card.log().lyricBodies.size() >= when; }));
    EXPECT_EQ(on.card.log().lyricBodies.size(), when);  // the song of that line still plays
    p.ClickRow(row);
    p.Click(command);
    std::string titles;
    for (int r = 0; r < p.pane->List()->rowCount(); ++r) titles += p.Cell(r, CMusicCtrl::kColTitle).at(0).toLatin1();
    EXPECT_TRUE(PlayUntil(song, [&] { return p.pane->Shared().runState == kRunStopped; }));
    return {titles, Shown(on.card)};
}

// The row moved past the playing song (x) lands before it and does not play in this pass.
TEST(MusicPaneShift, ThePlayingRowMovedDownPlaysOnceAndTheRowNowAfterItFollows) {
    const auto [titles, shown] = ShiftWhilePlaying("axbc", 1, 0, CMusicCtrl::ID_MUSIC_SHIFT_DOWN);
    EXPECT_EQ(titles, "xabc");
    EXPECT_EQ(shown, (std::vector<std::string>{"A", "B", "C"}));
}

TEST(MusicPaneShift, TheRowAfterThePlayingOneMovedUpLeavesTheNextSongInPlace) {
    const auto [titles, shown] = ShiftWhilePlaying("abxc", 2, 2, CMusicCtrl::ID_MUSIC_SHIFT_UP);
    EXPECT_EQ(titles, "axbc");
    EXPECT_EQ(shown, (std::vector<std::string>{"A", "B", "C"}));
}

}  // namespace
}  // namespace ledsuite
