// Deleting rows while the pane plays: the song after the playing one still comes next, and
// a playback whose rows are all gone can still be stopped. The pane is driven through its
// toolbar and list with clicks and keys; the card is the fake card on a pty at its line rate,
// the songs play on a clock instead of a sound card.
#include <gtest/gtest.h>

#include <QTest>

#include "tests/music_ui/pane_fixture.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

constexpr int64_t kSongMs = 700;

// Plays a..d, and once `when` lines are on the sign selects `rows` and clicks Del; the
// lines the card received by the end of the list.
std::vector<std::string> DeleteWhilePlaying(size_t when, std::vector<int> rows) {
    CardOnPort on(TimedLyricCard());
    ManualClock song;
    PlayingPane p(kSongMs, "abcd", &song);
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    EXPECT_TRUE(PlayUntil(song, [&] { return on.card.log().lyricBodies.size() >= when; }));
    for (size_t i = 0; i < rows.size(); ++i) p.ClickRow(rows[i], i ? Qt::ControlModifier : Qt::NoModifier);
    p.Click(CMusicCtrl::ID_MUSIC_DEL);
    EXPECT_EQ(p.pane->List()->rowCount(), 4 - int(rows.size()));
    EXPECT_TRUE(PlayUntil(song, [&] { return p.pane->Shared().runState == kRunStopped; }));
    return Shown(on.card);
}

TEST(MusicPaneDelete, ARowDeletedAboveThePlayingOneSkipsNothing) {
    // B plays when A is deleted: C and D still follow.
    EXPECT_EQ(DeleteWhilePlaying(2, {0}), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST(MusicPaneDelete, ThePlayingRowDeletedHandsOnToTheRowAfterIt) {
    EXPECT_EQ(DeleteWhilePlaying(2, {1}), (std::vector<std::string>{"A", "B", "C", "D"}));
    // Two rows, the playing one and one above it: D follows C.
    EXPECT_EQ(DeleteWhilePlaying(3, {0, 2}), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST(MusicPaneDelete, APlaybackWithoutRowsCanStillBeStopped) {
    CardOnPort on(TimedLyricCard());
    PlayingPane p(100000);
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return on.card.log().lyricBodies.size() >= 1; }));
    p.ClickRow(0);
    QTest::keyClick(p.pane->List(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(p.pane->List()->selectionModel()->selectedRows().size(), 4);
    p.Click(CMusicCtrl::ID_MUSIC_DEL);
    ASSERT_EQ(p.pane->List()->rowCount(), 0);
    EXPECT_EQ(p.States(), "play:- stop");
    WakeupProbe probe;
    const auto asked = std::chrono::steady_clock::now();
    p.Click(CMusicCtrl::ID_MUSIC_STOP);
    ASSERT_TRUE(WaitUntil([&] { return p.pane->Shared().runState == kRunStopped; }));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, probe.Margin(std::chrono::milliseconds(50)));
    EXPECT_TRUE(WaitUntil([&] { return p.States() == "play:- stop:-"; }));
}

}  // namespace
}  // namespace ledsuite
