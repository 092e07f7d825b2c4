#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTest>

#include "content/model/paths.h"
#include "music/ui/lrc_setting_dlg.h"
#include "music/ui/music_ctrl.h"
#include "music/ui/sel_lrc_dlg.h"
#include "music/ui/volume_dlg.h"
#include "tests/link/link_test_util.h"
#include "tests/music/http_server.h"
#include "tests/music/music_test_util.h"
#include "tests/music/playback_fakes.h"
#include "tests/music_ui/pane_fixture.h"
#include "tests/toolkit/gui_test_util.h"
#include "toolkit/list_ctrl.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

TEST(MusicPane, CommandStatesFollowTheListAndThePlayback) {
    CardOnPort on(LyricCard({{4, 1}, {6, 1}}, std::pair<uint16_t, uint16_t>(64, 16)));
    Pane p;
    using C = CMusicCtrl;
    EXPECT_EQ(p.States(), "play:- stop:-");
    EXPECT_EQ(std::tuple(p.Enabled(C::ID_MUSIC_PREVIOUS), p.Enabled(C::ID_MUSIC_DEL), p.Enabled(C::ID_MUSIC_ADD)),
              std::tuple(false, false, true));
    ASSERT_TRUE(p.pane->AddFile(QString::fromStdString(p.File("a.mp3"))));
    // A new row shows its pause as "0", its rate as "0" and its start as "00:00:00".
    EXPECT_EQ(p.Cell(0, 1) + "|" + p.Cell(0, 3) + "|" + p.Cell(0, 4) + "|" + p.Cell(0, 5), "a.mp3|0|0|00:00:00");
    EXPECT_EQ(p.States(), "play stop:-");

    // No lyric server is set: the search for a.mp3's lyric says so, and where to set one.
    p.pane->SetLyricServer({});
    QString told, caption;
    AnswerBox(&told, IDOK, &caption);
    p.pane->Action(C::ID_MUSIC_PLAY)->trigger();
    EXPECT_EQ(p.States(), "play:on stop");
    EXPECT_EQ(p.pane->Shared().Settings().signWidth, 64);
    EXPECT_TRUE(WaitUntil([&] { return !told.isEmpty(); }));
    EXPECT_EQ(told, "No lyric server is set. Give \"Lyrics/Server1\" (and \"Lyrics/Server2\") a host or host:port "
                    "in the settings file:\n" + QSettings().fileName());
    EXPECT_EQ(caption, "Lyric Show");
    p.pane->RunCommand(C::ID_MUSIC_PLAY);  // pause
    EXPECT_EQ(p.pane->Shared().runState, kRunPaused);
    EXPECT_FALSE(p.Checked(C::ID_MUSIC_PLAY));
    p.pane->RunCommand(C::ID_MUSIC_PLAY);  // resume
    EXPECT_EQ(p.pane->Shared().runState, kRunPlaying);
    p.pane->RunCommand(C::ID_MUSIC_STOP);
    EXPECT_TRUE(WaitUntil([&] { return p.States() == "play stop:-"; }));

    p.pane->RunCommand(C::ID_MUSIC_LOOP);
    EXPECT_TRUE(p.Checked(C::ID_MUSIC_LOOP));
    EXPECT_EQ(p.pane->Shared().Settings().loop, 1);
}

TEST(MusicPane, StartFailuresAndTheBrokenLinkAreShown) {
    CardOnPort on(LyricCard({{4, 1}}, std::nullopt));  // no lyric protocol pair
    Pane p;
    p.pane->AddFile(QString::fromStdString(p.File("a.mp3")));
    QString text, caption;
    AnswerBox(&text, IDOK, &caption);
    p.pane->RunCommand(CMusicCtrl::ID_MUSIC_PLAY);
    EXPECT_EQ(text, "The connected ctrl card doesn't support lyric show");
    EXPECT_EQ(p.pane->Shared().runState, kRunStopped);

    AnswerBox(&text, IDOK, &caption);
    p.pane->onInternal(IMC_LINK_BROKEN, 0);
    EXPECT_EQ(text, "The connection to Ctrl Card has been broken");
    EXPECT_EQ(caption, "Lyric Show");

    AnswerBox(&text, IDOK, &caption);
    EXPECT_FALSE(p.pane->AddFile(QString(260, 'p')));
    EXPECT_EQ(p.pane->List()->rowCount(), 1);
    EXPECT_TRUE(p.pane->AddFile(QString(259, 'p')));
}

TEST(MusicPane, PlaylistFileAtStartupAndShutdown) {
    Pane p;
    const std::string path = PlaylistFilePath();
    PlaylistFile file;
    file.rows = {{u"/m/song.mp3", 7, 90, 3, PackDailyTime(8, 5, 9), PackDailyTime(20, 0, 1)}};
    file.settings.color = kLrcColorRandom;
    ASSERT_TRUE(SavePlaylistFile(file, path));
    EXPECT_TRUE(p.pane->onInternal(IMC_STARTUP_DONE, 0));
    ASSERT_EQ(p.pane->List()->rowCount(), 1);
    const QStringList expected = {"1", "song.mp3", "voice 2", "00:01:30", "-7", "08:05:09", "20:00:01"};
    for (int c = 0; c < CMusicCtrl::kColumnCount; ++c) EXPECT_EQ(p.Cell(0, c), expected[c]) << c;
    // Role 7 is shown clamped but kept as stored.
    EXPECT_EQ(p.pane->Shared().Row(0)->voiceRole, 7);
    auto voices = reinterpret_cast<const std::vector<std::u16string>*>(p.pane->onInternal(IMC_GET_VOICE_ROLES, 0));
    EXPECT_EQ(*voices, (std::vector<std::u16string>{u"voice 0", u"voice 1", u"voice 2"}));

    p.pane->List()->selectRow(0);
    p.pane->RunCommand(CMusicCtrl::ID_MUSIC_DEL);
    EXPECT_EQ(p.pane->List()->rowCount(), 0);
    EXPECT_TRUE(p.pane->onInternal(IMC_SHUTDOWN, 0));
    EXPECT_EQ(fs::file_size(path), 282u);

    // A damaged file loads nothing and says nothing.
    auto bytes = ReadBytes(path);
    bytes[290 % bytes.size()] ^= 1;
    WriteBytes(path, bytes);
    p.pane->AddFile("/x.mp3");
    EXPECT_FALSE(p.pane->onInternal(IMC_STARTUP_DONE, 0));
    EXPECT_EQ(p.pane->List()->rowCount(), 1);
}

TEST(MusicPane, CellEditorsStoreRoleRateAndTheThreeTimes) {
    Pane p;
    p.pane->AddFile("/a.txt");
    p.pane->AddFile("/b.txt");
    CMyListCtrl* list = p.pane->List();
    list->setCurrentCell(1, 0);
    auto pick = [&](int column, int index) {
        emit list->BeginCellEdit(column, 1);
        ASSERT_TRUE(list->InPlaceList()->isVisible());
        list->InPlaceList()->setCurrentIndex(index);
        list->InPlaceList()->EndEdit();
    };
    auto time = [&](int column, QTime t) {
        emit list->BeginCellEdit(column, 1);
        ASSERT_TRUE(list->InPlaceTime()->isVisible());
        list->InPlaceTime()->setTime(t);
        list->InPlaceTime()->EndEdit();
    };
    pick(CMusicCtrl::kColRole, 2);
    pick(CMusicCtrl::kColRate, 0);
    time(CMusicCtrl::kColPause, QTime(1, 2, 3));
    time(CMusicCtrl::kColStart, QTime(22, 30, 15));
    time(CMusicCtrl::kColStop, QTime(6, 0, 59));
    const PlaylistEntry e = *p.pane->Shared().Row(1);
    EXPECT_EQ(std::tuple(e.voiceRole, e.rateIndex, e.pauseAfter, e.startTime, e.stopTime),
              std::tuple(2u, 0u, 3723u, 22u << 12 | 30u << 6 | 15u, 6u << 12 | 0u << 6 | 59u));
    EXPECT_EQ(p.Cell(1, CMusicCtrl::kColRate), "-10");
    EXPECT_EQ(p.Cell(1, CMusicCtrl::kColPause), "01:02:03");
    // The editor opens on the stored value.
    emit list->BeginCellEdit(CMusicCtrl::kColStart, 1);
    EXPECT_EQ(list->InPlaceTime()->time(), QTime(22, 30, 15));
    list->InPlaceTime()->EndEdit();
    EXPECT_EQ(p.pane->Shared().Row(0)->rateIndex, 10u);  // the other row is untouched

    // Shift Down moves the selected row; the worker's rows follow under the lock.
    list->selectRow(0);
    p.pane->RunCommand(CMusicCtrl::ID_MUSIC_SHIFT_DOWN);
    EXPECT_EQ(p.pane->Shared().Row(1)->path, u"/a.txt");
    EXPECT_EQ(p.Cell(1, 0), "2");
}

TEST(LrcSettingDialog, OpensOnTheStoredChoicesAndWritesThemBack) {
    LrcSettings s;
    s.color = kLrcColorRandom;
    s.moveSpeed = 7;
    s.fontHeight = 24;
    s.alignment = 3;
    CLRCSettingDlg dlg(s, 0x02, nullptr);
    QTimer::singleShot(0, &dlg, [&] {
        EXPECT_EQ(dlg.HeightBox()->count(), 3);  // chip 2: 12, 16, 24
        EXPECT_EQ(QStringList({dlg.ColorBox()->currentText(), dlg.SpeedBox()->currentText(),
                               dlg.HeightBox()->currentText(), dlg.AlignBox()->currentText()}),
                  QStringList({"Random", "7", "24", "Move"}));
        dlg.HeightBox()->setCurrentIndex(0);
        dlg.TextEdit()->setText(QString(200, 'd'));
        dlg.PauseEdit()->setText("15");
        dlg.accept();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(std::tuple(s.color, s.moveSpeed, s.fontHeight, s.sentencePause, s.defaultText.size()),
              std::tuple(241, 7, 12, 15, kLrcDefaultTextMax));

    // No height offered (chip 0): OK keeps the stored height.
    LrcSettings t;
    t.fontHeight = 48;
    CLRCSettingDlg none(t, 0x00, nullptr);
    QTimer::singleShot(0, &none, [&] { none.accept(); });
    none.exec();
    EXPECT_EQ(t.fontHeight, 48);
}

TEST(SelLrcDialog, ChoosingSearchingAndCancelling) {
    LoopbackHttpServer server([](const std::string&) -> HttpAnswer {
        return {200, "<lrc id=\"9\" artist=\"n\" title=\"new\"></lrc>"};
    });
    std::vector<LyricMatch> matches = {{u"1", u"a", u"x"}, {u"2", u"b", u"y"}};
    LyricServerConfig config;
    config.hosts = {"", server.host()};
    {
        CSelLrcDlg dlg(matches, config, nullptr);
        QString said;
        QTimer::singleShot(0, &dlg, [&] {
            EXPECT_EQ(dlg.List()->rowCount(), 2);
            EXPECT_EQ(dlg.List()->item(1, 2)->text(), "y");
            AnswerNextBox([&](CMessageBoxFx* box) {
                said = box->TextLabel()->text();
                box->done(IDOK);
                dlg.List()->selectRow(1);
                dlg.accept();
            });
            dlg.accept();  // no row yet: "Please select"
        });
        dlg.exec();
        EXPECT_EQ(said, "Please select");
        EXPECT_EQ(dlg.Chosen(), 1);
    }
    {
        CSelLrcDlg dlg(matches, config, nullptr);
        QTimer::singleShot(0, &dlg, [&] {
            dlg.ServerBox()->setCurrentIndex(1);
            dlg.TitleEdit()->setText("New");
            dlg.SearchButton()->click();
            EXPECT_EQ(dlg.List()->rowCount(), 1);
            dlg.reject();
        });
        dlg.exec();
        EXPECT_EQ(dlg.Chosen(), -1);
        EXPECT_EQ(config.choice, 1);
        EXPECT_EQ(matches, (std::vector<LyricMatch>{{u"9", u"n", u"new"}}));
    }
    {
        // Back on the first server, which has no host: the user is told, the list stays.
        CSelLrcDlg dlg(matches, config, nullptr);
        QString said;
        QTimer::singleShot(0, &dlg, [&] {
            AnswerBox(&said);
            QTest::keyClick(dlg.ServerBox(), Qt::Key_Up);
            QTest::mouseClick(dlg.SearchButton(), Qt::LeftButton);
            dlg.reject();
        });
        dlg.exec();
        EXPECT_TRUE(said.startsWith("No lyric server is set.")) << said.toStdString();
        EXPECT_EQ(std::pair(config.choice, matches.size()), std::pair(0, size_t(1)));
    }
}

TEST(VolumeDialog, SlidersChangeThePaneVolumes) {
    Pane p;
    p.pane->RunCommand(CMusicCtrl::ID_MUSIC_VOLUME);
    CVolumeDlg* dlg = p.pane->VolumeDialog();
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->MusicSlider()->value(), 1000);
    dlg->MusicSlider()->setValue(250);
    dlg->SpeechSlider()->setValue(40);
    EXPECT_EQ(p.pane->Shared().musicVolume, 250);
    EXPECT_EQ(p.pane->Shared().speechVolume, 40);
    dlg->hide();
}

}  // namespace
}  // namespace ledsuite
