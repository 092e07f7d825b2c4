#include "link/ui/dlg_background_music.h"

#include <gtest/gtest.h>

#include <QTabBar>

#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"
#include "link/udisk_export.h"
#include "link_ui_test_util.h"
#include "tests/qt_main/qt_test_util.h"
#include "tests/content/sound/sound_test_util.h"
#include "toolkit/list_ctrl.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

struct Dialog {
    Messages shown;
    CDlgBackGroundMusic dlg;
    Dialog() {
        dlg.SetMessageSink(shown.Sink());
        dlg.show();
    }
};

}  // namespace

TEST(CDlgBackGroundMusic, ScheduleSavedAndShownWithOneVolume) {
    SetUiLanguage(3);
    RemovableRoot disk;
    Dialog d;
    d.dlg.SetTab(kTabSchedule);
    EXPECT_EQ(d.dlg.List()->rowCount(), 32);
    d.dlg.SetEntry(0, {PackTime(8, 0, 0), PackTime(9, 0, 0), 1, 100});
    d.dlg.SetEntry(1, {PackTime(9, 0, 0), PackTime(9, 0, 0), 1, 100});  // start == end
    d.dlg.SetEntry(6, {PackTime(10, 0, 0), PackTime(11, 0, 0), 2, kVolumeNotUse});
    d.dlg.SetEntry(127, {PackTime(12, 0, 0), PackTime(13, 0, 0), 1, 0});
    d.dlg.OnSave();
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"保存节目时间表成功!"});
    std::vector<uint8_t> b;
    ASSERT_EQ(ReadFileBytes(PlaytimePath(disk.root()), 1024, b), ReadFileResult::Ok);
    EXPECT_EQ(b.size(), 26u);
    EXPECT_EQ(LoadU16(&b[6]), 3);
    // Reloaded from the disk: entries in order, the volume shown as the choice it stores.
    EXPECT_EQ(d.dlg.List()->item(0, 1)->text(), QString("08:00:00"));
    EXPECT_EQ(d.dlg.List()->item(0, 3)->text(), QString("Background Music"));
    EXPECT_EQ(d.dlg.List()->item(0, 4)->text(), QString("50"));
    EXPECT_EQ(d.dlg.List()->item(0, 8)->text(), QString("Not Use"));
    EXPECT_EQ(d.dlg.Schedule()[2].volume, 0);
    EXPECT_EQ(d.dlg.List()->item(0, 12)->text(), QString("0"));
    EXPECT_EQ(d.dlg.List()->item(0, 13)->text(), QString());

    // A count that disagrees with the size loads nothing.
    b[6] = 2;
    WriteFileAtomic(PlaytimePath(disk.root()), b.data(), b.size());
    d.dlg.Reload();
    EXPECT_EQ(d.dlg.Schedule()[0].type, 0);
    EXPECT_EQ(d.dlg.List()->item(0, 1)->text(), QString());
}

TEST(CDlgBackGroundMusic, MusicConvertedIntoSlotsAndFailuresReported) {
    RemovableRoot disk;
    soundtest::TempFolder dir("bgm");
    const std::string wav = dir / "first.wav", mp3 = dir / "second.mp3";
    ASSERT_TRUE(soundtest::MakeToneWav(wav, 22050, 1, 0.2));
    ASSERT_TRUE(soundtest::MakeToneMp3(mp3, 44100, 2, 0.2));
    Dialog d;
    EXPECT_EQ(d.dlg.List()->rowCount(), kMusicSlots);
    d.dlg.SetSource(0, wav);
    d.dlg.SetSource(1, mp3);
    EXPECT_EQ(d.dlg.List()->item(0, 1)->text(), QString::fromStdString(wav + "*"));
    d.dlg.OnSave();
    EXPECT_TRUE(d.shown.texts.empty());
    EXPECT_EQ(d.dlg.Slots()[0].state, kSlotOnDisk);
    EXPECT_EQ(d.dlg.List()->item(0, 1)->text(), QString("first"));
    EXPECT_EQ(d.dlg.List()->item(1, 1)->text(), QString("second"));
    EXPECT_EQ(d.dlg.Slots()[1].sound[0], 0x23);  // 44,100 Hz stereo MP3 made 16-bit mono 22,050 Hz
    std::vector<uint8_t> b;
    ASSERT_EQ(ReadFileBytes(MusicSlotPath(disk.root(), 0), 1 << 22, b), ReadFileResult::Ok);
    EXPECT_TRUE(ReadMusicSlot(b));

    // A slot whose second header is broken shows empty.
    b[262] ^= 0xFF;
    WriteFileAtomic(MusicSlotPath(disk.root(), 0), b.data(), b.size());
    d.dlg.Reload();
    EXPECT_EQ(d.dlg.Slots()[0].state, kSlotEmpty);
    EXPECT_EQ(d.dlg.List()->item(0, 1)->text(), QString());

    // A build that ends without OK is reported; a missing source ends the save.
    d.dlg.SetConverter([](const auto&, const auto&) { return false; });
    d.dlg.SetSource(2, wav);
    d.dlg.OnSave();
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"音乐转换失败"});
    d.dlg.SetSource(3, dir / "gone.wav");
    d.dlg.OnSave();
    EXPECT_EQ(d.shown.texts.back(), u"文件不存在: " + Utf8ToWide(dir / "gone.wav"));
}
