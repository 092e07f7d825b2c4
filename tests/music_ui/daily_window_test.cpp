// A song whose daily window closes while it plays: it pauses where it is, the playback
// waits with Play still checked and nothing sent, and the song goes on when the window
// opens again the next day; the user's pause and resume meanwhile keep their meaning.
// The local clock is one the test moves; the window is set in the row's time editors,
// the commands come from the toolbar, the card is on a pty.
#include <gtest/gtest.h>

#include <atomic>

#include "content/model/clock.h"
#include "tests/music_ui/pane_fixture.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

TEST(MusicPaneDailyWindow, ASongOutsideItsWindowWaitsPausedAndGoesOnWhenItOpens) {
    std::atomic<int> day{1}, second{5};  // the local time is 12:00:<second> of May <day>
    const ScopedClockOverride clock([&] { return LocalTime{2024, 5, day, 12, 0, second, 3, 0}; });
    CardOnPort on(TimedLyricCard());
    ManualClock song;  // the song's time moves only when the test moves it
    PlayingPane p(2000, "a", &song);
    WriteBytes(p.dir.file("zu_lyric/a.lrc"), "[00:00.00]A\n[00:01.50]later\n");
    CMyListCtrl* list = p.pane->List();
    const std::pair<int, QTime> window[] = {{CMusicCtrl::kColStart, QTime(12, 0, 0)},
                                            {CMusicCtrl::kColStop, QTime(12, 0, 10)}};
    for (auto [column, at] : window) {
        emit list->BeginCellEdit(column, 0);
        list->InPlaceTime()->setTime(at);
        list->InPlaceTime()->EndEdit();
    }
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return on.card.log().lyricBodies.size() == 1; }));
    song.Advance(std::chrono::milliseconds(400));

    second = 11;  // the window closes
    ASSERT_TRUE(WaitUntil([&] { return p.media->log().pauses == 1; }));
    EXPECT_EQ(p.media->PositionMs(), 400);
    // Paused and resumed by the user meanwhile: the song still waits for its window.
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    EXPECT_EQ(p.States(), "play stop");
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    song.Advance(std::chrono::milliseconds(1700));  // the second line would be due by now
    QTest::qWait(200);
    EXPECT_EQ(p.States(), "play:on stop");
    EXPECT_EQ(on.card.log().lyricBodies.size(), 1u);
    EXPECT_EQ(p.media->PositionMs(), 400);

    // Paused by the user when the window opens the next day: the song waits for the user.
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    day = 2, second = 0;
    QTest::qWait(200);
    song.Advance(std::chrono::milliseconds(300));
    EXPECT_EQ(p.media->PositionMs(), 400);
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    auto playedUntil = [&](auto done) {
        return WaitUntil([&] { return song.Advance(std::chrono::milliseconds(20)), done(); });
    };
    ASSERT_TRUE(playedUntil([&] { return p.pane->Shared().runState == kRunStopped; }));
    EXPECT_EQ(Shown(on.card), (std::vector<std::string>{"A", "later"}));
    EXPECT_TRUE(WaitUntil([&] { return p.States() == "play stop:-"; }));
}

}  // namespace
}  // namespace ledsuite
