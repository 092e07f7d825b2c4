// The lyric a user picks in "Download lyric" while the pane plays: after searching again,
// on either server, the request goes to the server and row the user chose, the sign shows
// that lyric and song.lrc keeps it. Two lyric servers over HTTP on the loopback, the fake
// card on a pty.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "content/model/text_codec.h"
#include "music/ui/sel_lrc_dlg.h"
#include "tests/music/http_server.h"
#include "tests/music_ui/pane_fixture.h"
#include "tests/toolkit/gui_test_util.h"
#include "tools/fakecard_lyric.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

// Searches for "song" find two rows, for "other" three; a download answers with the
// server's name and the id, so the sign and the file tell where a lyric came from.
class LyricServer {
public:
    LyricServer(std::string name, int firstId)
        : name_(std::move(name)), first_(firstId), http_([this](const std::string& t) { return Answer(t); }) {}
    std::string host() const { return http_.host(); }
    std::vector<std::string> Downloads() const {
        std::vector<std::string> out;
        for (const std::string& r : http_.requests())
            if (r.find("?dl?") != std::string::npos) out.push_back(r.substr(4, r.find(" HTTP/") - 4));
        return out;
    }

private:
    HttpAnswer Answer(const std::string& target) {
        auto row = [&](int k, const std::string& title) {
            return "<lrc id=\"" + std::to_string(first_ + k) + "\" artist=\"" + name_ + "\" title=\"" + title +
                   "\"></lrc>";
        };
        auto searched = [&](std::u16string_view title) {
            return target.find("Title=" + WideToUtf8(HexEncodeUtf16(title)) + "&") != std::string::npos;
        };
        if (searched(u"song")) return {200, row(1, "song one") + row(2, "song two")};
        if (searched(u"other")) return {200, row(7, "other x") + row(8, "other y") + row(9, "other z")};
        if (auto at = target.find("?dl?Id="); at != std::string::npos)
            return {200, "[00:00.00]" + name_ + " " + target.substr(at + 7, target.find('&') - at - 7) + "\n"};
        return {404, ""};
    }

    std::string name_;
    int first_;
    LoopbackHttpServer http_;
};

// The download request a user's pick should make: id and check value of that row.
std::string DownloadOf(const std::string& artist, const std::string& title, int id) {
    return "/dll/lyricsvr.dll?dl?Id=" + std::to_string(id) +
           "&Code=" + WideToUtf8(LyricRequestCode(Utf8ToWide(artist), Utf8ToWide(title), id));
}

struct Outcome {
    std::string shown;       // the first lyric line the card received
    std::u16string saved;    // song.lrc as kept for the next play
    bool dialogSeen = false;
};

// Plays song.mp3 (added through Add and the file dialog); in "Download lyric" the user
// types "other", optionally switches to the second server, searches, and picks `row`.
Outcome PlayAndPick(const LyricServer& first, const LyricServer& second, bool switchServer, int row) {
    CardOnPort on(LyricCard());
    Pane p;
    LyricServerConfig servers;
    servers.hosts = {first.host(), second.host()};
    p.pane->SetLyricServer(servers);
    ChooseNextFile(QString::fromStdString(p.File("song.mp3")));
    p.pane->Action(CMusicCtrl::ID_MUSIC_ADD)->trigger();
    Outcome out;
    AnswerNext<CSelLrcDlg>([&](CSelLrcDlg* dlg) {
        out.dialogSeen = dlg->List()->rowCount() == 2;
        QTest::keyClicks(dlg->TitleEdit(), "other");
        if (switchServer) QTest::keyClick(dlg->ServerBox(), Qt::Key_Down);
        QTest::mouseClick(dlg->SearchButton(), Qt::LeftButton);
        CMyListCtrl* list = dlg->List();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row, 2)).center());
        for (QPushButton* b : dlg->findChildren<QPushButton*>())
            if (b->text() == "OK") QTest::mouseClick(b, Qt::LeftButton);
    });
    p.pane->Action(CMusicCtrl::ID_MUSIC_PLAY)->trigger();
    EXPECT_TRUE(WaitUntil([&] { return !on.card.log().lyricBodies.empty(); }));
    p.pane->Action(CMusicCtrl::ID_MUSIC_STOP)->trigger();
    EXPECT_TRUE(WaitUntil([&] { return p.pane->Shared().runState == kRunStopped; }));
    if (auto bodies = on.card.log().lyricBodies; !bodies.empty()) out.shown = DescribeLyricBody(bodies.front());
    const std::string file = ReadBytes(p.dir.file("data/ledsuite/zu_lyric/song.lrc"));
    for (size_t i = 2; i + 1 < file.size(); i += 2) out.saved.push_back(char16_t(uint8_t(file[i]) | file[i + 1] << 8));
    return out;
}

TEST(LyricChoice, SearchAgainAndPickTheSecondRow) {
    LyricServer telecom("A", 0), netcom("B", 10);
    const Outcome out = PlayAndPick(telecom, netcom, false, 1);
    EXPECT_TRUE(out.dialogSeen);
    EXPECT_EQ(telecom.Downloads(), std::vector<std::string>{DownloadOf("A", "other y", 8)});
    EXPECT_TRUE(out.shown.ends_with("text=\"A 8\"")) << out.shown;
    EXPECT_EQ(out.saved, u"[00:00.00]A 8\n");
    EXPECT_TRUE(netcom.Downloads().empty());
}

TEST(LyricChoice, TheThirdRowOfANewSearchIsDownloadedToo) {
    LyricServer telecom("A", 0), netcom("B", 10);
    const Outcome out = PlayAndPick(telecom, netcom, false, 2);
    EXPECT_EQ(telecom.Downloads(), std::vector<std::string>{DownloadOf("A", "other z", 9)});
    EXPECT_TRUE(out.shown.ends_with("text=\"A 9\"")) << out.shown;
    EXPECT_EQ(out.saved, u"[00:00.00]A 9\n");
}

TEST(LyricChoice, AfterSwitchingServerTheLyricComesFromTheOtherServer) {
    LyricServer telecom("A", 0), netcom("B", 10);
    const Outcome out = PlayAndPick(telecom, netcom, true, 1);
    EXPECT_TRUE(telecom.Downloads().empty());
    EXPECT_EQ(netcom.Downloads(), std::vector<std::string>{DownloadOf("B", "other y", 18)});
    EXPECT_TRUE(out.shown.ends_with("text=\"B 18\"")) << out.shown;
    EXPECT_EQ(out.saved, u"[00:00.00]B 18\n");
}

}  // namespace
}  // namespace ledsuite
