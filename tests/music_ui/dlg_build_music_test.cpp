#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <atomic>

#include "content/sound/voice_pass.h"
#include "music/ui/dlg_build_music.h"
#include "tests/music/music_test_util.h"
#include "tests/toolkit/gui_test_util.h"
#include "toolkit/qt_text.h"

namespace ledsuite {
namespace {

using namespace ledsuite::testing;

TEST(DlgBuildMusic, SpeechPassMovesBothBarsAndEndsWithOk) {
    std::atomic<bool> release{false};
    DlgBuildMusic dlg([&](InternalChannel& channel) {
        ProgressToChannel(channel)(EncodeProgress{3, 1, 0.5f});
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return 1234;
    });
    int all = -1, current = -1;
    QString text;
    QTimer::singleShot(0, &dlg, [&] {
        EXPECT_TRUE(WaitUntil([&] { return dlg.AllBar()->value() > 0; }));
        all = dlg.AllBar()->value();
        current = dlg.CurrentBar()->value();
        text = dlg.StatusLabel()->text();
        release = true;
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(all, 33);
    EXPECT_EQ(current, 50);
    EXPECT_EQ(text, ToQString(kVoiceProgressText));
    EXPECT_EQ(dlg.SpeechResult(), 1234);
    EXPECT_EQ(dlg.windowTitle(), "Sound/Music Code");
}

TEST(DlgBuildMusic, SecondSourceMissingWritesTheFirstThenSaysSo) {
    MusicTempDir dir;
    ASSERT_TRUE(soundtest::MakeToneWav(dir.file("a.wav"), 8000, 1, 0.1));
    DlgBuildMusic dlg({dir.file("a.wav"), dir.file("b.mp3")}, {dir.file("1.ssf"), dir.file("2.ssf")});
    QString said;
    bool firstWritten = false;
    AnswerNextBox([&](CMessageBoxFx* box) {
        said = box->TextLabel()->text();
        firstWritten = fs::exists(dir.file("1.ssf"));
        box->done(IDOK);
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);  // a failed build is no success for the caller
    EXPECT_TRUE(firstWritten);
    EXPECT_EQ(said, QString::fromStdString("The file does not exist: " + dir.file("b.mp3")));
    EXPECT_FALSE(fs::exists(dir.file("2.ssf")));
    EXPECT_EQ(dlg.MusicResult().written, 1u);
    EXPECT_EQ(dlg.AllBar()->value(), 50);
}

TEST(DlgBuildMusic, AllWrittenEndsWithSaveAndOk) {
    MusicTempDir dir;
    DlgBuildMusic unequal({dir.file("a.wav")}, {});
    QString said;
    AnswerBox(&said);
    EXPECT_EQ(unequal.exec(), QDialog::Rejected);
    EXPECT_EQ(unequal.MusicResult().status, MusicBuildStatus::ListsDiffer);
    EXPECT_FALSE(said.isEmpty());

    DlgBuildMusic none(std::vector<std::string>{}, std::vector<std::string>{});
    AnswerBox(&said);
    EXPECT_EQ(none.exec(), QDialog::Accepted);
    EXPECT_EQ(said, "Save");
}

}  // namespace
}  // namespace ledsuite
