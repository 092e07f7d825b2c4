// Deleting rows while the pane plays: the song after the playing one still comes next, and
// a playback whose rows are all gone can still be stopped. The pane is driven through its
// toolbar and list with clicks and keys; the card is the fake card on a pty at its line rate,
// the songs play on a clock instead of a sound card.
#include <gtest/gtest.h>

#include <QTest>
#include <QToolBar>

#include "tests/music_ui/pane_fixture.h"
#include "tests/toolkit/gui_test_util.h"
#include "tools/fakecard_lyric.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

constexpr int64_t kSongMs = 700;

// A lyric card at 115200 baud whose bytes take their real time on the line.
FakeCardScript TimedLyricCard() {
    FakeCardScript s = LyricCard();
    s.lineBaud = 115200;
    return s;
}

// The texts of the lyric lines the card received, in order.
std::vector<std::string> Shown(const FakeCard& card) {
    std::vector<std::string> out;
    for (const auto& body : card.log().lyricBodies) {
        const std::string d = DescribeLyricBody(body);
        const size_t at = d.find("text=\"");
        out.push_back(at == std::string::npos ? d : d.substr(at + 6, d.size() - at - 7));
    }
    return out;
}

// A pane with the songs a..d, each with its one-line lyric "A".."D" in zu_lyric.
struct PlayingPane : Pane {
    explicit PlayingPane(int64_t songMs) : Pane(songMs) {
        fs::create_directories(dir.path / "zu_lyric");
        for (char c : std::string("abcd")) {
            WriteBytes(dir.file(std::string("zu_lyric/") + c + ".lrc"),
                       std::string("[00:00.00]") + char(std::toupper(c)) + "\n");
            EXPECT_TRUE(pane->AddFile(QString::fromStdString(File(std::string(1, c) + ".mp3"))));
        }
    }
    void Click(int id) {
        QToolBar* bar = pane->findChild<QToolBar*>();
        QTest::mouseClick(bar->widgetForAction(pane->Action(id)), Qt::LeftButton);
    }
    void ClickRow(int row, Qt::KeyboardModifiers mods = {}) {
        CMyListCtrl* list = pane->List();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, mods, list->visualItemRect(list->item(row, 1)).center());
    }
};

// Plays a..d, and once `when` lines are on the sign selects `rows` and clicks Del; the
// lines the card received by the end of the list.
std::vector<std::string> DeleteWhilePlaying(size_t when, std::vector<int> rows) {
    CardOnPort on(TimedLyricCard());
    PlayingPane p(kSongMs);
    p.Click(CMusicCtrl::ID_MUSIC_PLAY);
    EXPECT_TRUE(WaitUntil([&] { return on.card.log().lyricBodies.size() >= when; }));
    for (size_t i = 0; i < rows.size(); ++i) p.ClickRow(rows[i], i ? Qt::ControlModifier : Qt::NoModifier);
    p.Click(CMusicCtrl::ID_MUSIC_DEL);
    EXPECT_EQ(p.pane->List()->rowCount(), 4 - int(rows.size()));
    EXPECT_TRUE(WaitUntil([&] { return p.pane->Shared().runState == kRunStopped; }));
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
    const auto asked = std::chrono::steady_clock::now();
    p.Click(CMusicCtrl::ID_MUSIC_STOP);
    ASSERT_TRUE(WaitUntil([&] { return p.pane->Shared().runState == kRunStopped; }));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(100));
    EXPECT_TRUE(WaitUntil([&] { return p.States() == "play:- stop:-"; }));
}

}  // namespace
}  // namespace ledsuite
