#pragma once
// The music pane as the GUI tests drive it: its own data folders, a screen record that
// points at the fake card, fake media and speech outputs, shown so its editors open; and
// a pane of songs with one lyric line each, played onto a card at its line rate.
#include <gtest/gtest.h>

#include <QTest>
#include <QToolBar>

#include "content/model/paths.h"
#include "music/ui/music_ctrl.h"
#include "tests/link/link_test_util.h"
#include "tests/music/music_test_util.h"
#include "tests/music/playback_fakes.h"
#include "tests/qt_main/qt_test_util.h"
#include "tools/fakecard_lyric.h"
#include "toolkit/list_ctrl.h"

namespace ledsuite::testing {

// Answers the pane's question for the screen record; records the rest.
struct ScreenChannel : InternalChannel {
    HardwareParams screen;
    ScreenChannel() {
        screen.baudIndex = 8;  // the fake card's 115200
        screen.colorCode = 5;
        screen.fontChip = 0x02;
    }
    intptr_t send(int code, intptr_t) override {
        return code == IMC_GET_SCREEN_RECORD ? reinterpret_cast<intptr_t>(&screen) : 0;
    }
    void post(int, intptr_t) override {}
};

// A pane with its own data folders and fake outputs, shown so that its editors can open.
struct Pane {
    MusicTempDir dir;
    ScopedEnv appdata{"LEDSUITE_APPDATA", dir.file("app")};
    ScopedEnv data{"XDG_DATA_HOME", dir.file("data")};
    ScopedEnv res{"LEDSUITE_RESOURCES", dir.path.string()};
    ScreenChannel channel;
    CMusicCtrl* pane;
    ClockMediaPlayer* media;  // the pane's own
    QWidget window;

    explicit Pane(int64_t mediaMs = 100000, const ManualClock* songClock = nullptr) {
        fs::create_directories(dir.path / "app");
        ResetAppDataFolderForTests();
        auto player = std::make_unique<ClockMediaPlayer>(mediaMs, songClock);
        media = player.get();
        pane = new CMusicCtrl(&window, &channel, std::move(player), std::make_unique<TimedSpeech>(20, 3));
        window.resize(800, 400);
        pane->resize(800, 400);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    ~Pane() { ResetAppDataFolderForTests(); }
    QString Cell(int row, int column) const { return pane->List()->item(row, column)->text(); }
    bool Enabled(int id) const { return pane->Action(id)->isEnabled(); }
    bool Checked(int id) const { return pane->Action(id)->isChecked(); }
    // The two playing commands as "play:on stop:-" (":-" disabled, ":on" checked).
    std::string States() const {
        auto state = [&](int id) { return !Enabled(id) ? ":-" : Checked(id) ? ":on" : ""; };
        return std::string("play") + state(CMusicCtrl::ID_MUSIC_PLAY) + " stop" + state(CMusicCtrl::ID_MUSIC_STOP);
    }
    std::string File(const std::string& name) {
        WriteBytes(dir.file(name), "x");
        return dir.file(name);
    }
};

// A lyric card at 115200 baud whose bytes take their real time on the line.
inline FakeCardScript TimedLyricCard() {
    FakeCardScript s = LyricCard();
    s.lineBaud = 115200;
    return s;
}

// The texts of the lyric lines the card received, in order.
inline std::vector<std::string> Shown(const FakeCard& card) {
    std::vector<std::string> out;
    for (const auto& body : card.log().lyricBodies) {
        const std::string d = DescribeLyricBody(body);
        const size_t at = d.find("text=\"");
        out.push_back(at == std::string::npos ? d : d.substr(at + 6, d.size() - at - 7));
    }
    return out;
}

// Waits until `done`, the song clock moving on 20 ms at each look.
inline bool PlayUntil(ManualClock& songClock, const std::function<bool()>& done) {
    return WaitUntil([&] {
        songClock.Advance(std::chrono::milliseconds(20));
        return done();
    });
}

// A pane with one song for each letter of `songs` ("abcd": a.mp3 .. d.mp3), each with its
// one-line lyric, the upper-case letter, in zu_lyric; driven by clicks on its toolbar and list.
// The songs play on `songClock` when one is given.
struct PlayingPane : Pane {
    explicit PlayingPane(int64_t songMs, const std::string& songs = "abcd", const ManualClock* songClock = nullptr)
        : Pane(songMs, songClock) {
        fs::create_directories(dir.path / "zu_lyric");
        for (char c : songs) {
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

}  // namespace ledsuite::testing
