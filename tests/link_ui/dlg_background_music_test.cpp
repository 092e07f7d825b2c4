#include "link/ui/dlg_background_music.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabBar>
#include <QTimeEdit>
#include <QToolButton>
#include <filesystem>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"
#include "link/udisk_export.h"
#include "link_ui_test_util.h"
#include "tests/qt_main/qt_test_util.h"
#include "tests/content/sound/sound_test_util.h"
#include "tests/toolkit/gui_test_util.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/qt_text.h"

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

// Sets a time in the open time editor by keys (the hour stepped up with the arrow key from
// 0, minutes and seconds typed after ':') and commits it.
void TypeTime(CMyListCtrl* list, int hour, const char* minutesAndSeconds) {
    QTimeEdit* edit = list->InPlaceTime();
    ASSERT_TRUE(edit->isVisible());
    edit->setCurrentSection(QDateTimeEdit::HourSection);
    for (int i = 0; i < hour; ++i) QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClicks(edit, minutesAndSeconds);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Picks item `index` of the open drop-down editor with the arrow keys and commits it.
void PickItem(CMyListCtrl* list, int index) {
    CInPlaceList* choice = list->InPlaceList();
    ASSERT_TRUE(choice->isVisible());
    QTest::keyClick(choice, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(choice, Qt::Key_Down);
    QTest::keyClick(choice, Qt::Key_Return);
}

}  // namespace

TEST(CDlgBackGroundMusic, ScheduleValuesTypedIntoABlankSlotShowBeforeItsTypeIsChosen) {
    SetUiLanguage(3);
    RemovableRoot disk;
    Dialog d;
    QTest::mouseClick(d.dlg.Tabs(), Qt::LeftButton, {}, d.dlg.Tabs()->tabRect(kTabSchedule).center());
    ASSERT_EQ(d.dlg.Tabs()->currentIndex(), kTabSchedule);
    CMyListCtrl* list = d.dlg.List();
    OpenListCell(list, 0, 1);
    TypeTime(list, 8, ":30:00");
    EXPECT_EQ(list->item(0, 1)->text(), QString("08:30:00"));
    OpenListCell(list, 0, 2);
    TypeTime(list, 9, ":15:10");
    OpenListCell(list, 0, 4);
    PickItem(list, 8);  // "40"
    EXPECT_EQ(list->item(0, 2)->text(), QString("09:15:10"));
    EXPECT_EQ(list->item(0, 4)->text(), QString("40"));
    EXPECT_EQ(list->item(0, 3)->text(), QString());  // no type yet
    EXPECT_EQ(d.dlg.Schedule()[0].type, 0);
    OpenListCell(list, 0, 3);
    PickItem(list, 1);  // "Sound Program"
    const ScheduleEntry& e = d.dlg.Schedule()[0];
    EXPECT_EQ(std::tuple(e.start, e.end, e.type, e.volume),
              std::tuple(PackTime(8, 30, 0), PackTime(9, 15, 10), uint8_t(2), uint8_t(80)));  // item k stores 10 x k
    QTest::mouseClick(d.dlg.SaveButton(), Qt::LeftButton);
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"The schedule was saved!"});
    std::vector<uint8_t> b;
    ASSERT_EQ(ReadFileBytes(PlaytimePath(disk.root()), 1024, b), ReadFileResult::Ok);
    EXPECT_EQ(b.size(), 14u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 8, b.end()),
              (std::vector<uint8_t>{uint8_t(PackTime(8, 30, 0)), uint8_t(PackTime(8, 30, 0) >> 8),
                                    uint8_t(PackTime(9, 15, 10)), uint8_t(PackTime(9, 15, 10) >> 8), 2, 80}));
}

TEST(CDlgBackGroundMusic, APathClearedInTheSlotEditorRemovesTheMusicAndBrowsingSetsANewOne) {
    RemovableRoot disk;
    soundtest::TempFolder dir("bgm-edit");
    const std::string wav = dir / "first.wav";
    ASSERT_TRUE(soundtest::MakeToneWav(wav, 22050, 1, 0.1));
    std::filesystem::create_directories(std::filesystem::path(MusicSlotPath(disk.root(), 0)).parent_path());
    ASSERT_TRUE(ConvertMusicFile(wav, MusicSlotPath(disk.root(), 0)));
    Dialog d;
    CMyListCtrl* list = d.dlg.List();
    ASSERT_EQ(list->item(0, 1)->text(), QString("first"));
    OpenListCell(list, 0, 1);
    CInPlaceEditBrowseCtrl* edit = list->InPlaceBrowseEdit();
    ASSERT_TRUE(edit->isVisible());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(d.dlg.Slots()[0].state, kSlotNewSource);
    QTest::mouseClick(d.dlg.SaveButton(), Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(MusicSlotPath(disk.root(), 0)));
    EXPECT_EQ(d.dlg.Slots()[0].state, kSlotEmpty);
    EXPECT_EQ(list->item(0, 1)->text(), QString());
    EXPECT_TRUE(d.shown.texts.empty());

    // The browse button picks a file through the file dialog.
    OpenListCell(list, 1, 1);
    ChooseNextFile(QString::fromStdString(wav));
    QTest::mouseClick(edit->BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(edit->text(), QString::fromStdString(wav));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(list->item(1, 1)->text(), QString::fromStdString(wav + "*"));
    // Esc leaves the slot as it was.
    OpenListCell(list, 1, 1);
    QTest::keyClicks(edit, "x");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(d.dlg.Slots()[1].source, wav);
}

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
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"The schedule was saved!"});
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
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"The music could not be converted"});
    d.dlg.SetSource(3, dir / "gone.wav");
    d.dlg.OnSave();
    EXPECT_EQ(d.shown.texts.back(), u"The file does not exist: " + Utf8ToWide(dir / "gone.wav"));
}

TEST(CDlgBackGroundMusic, EscInAnOpenDropDownLeavesABlankTypeBlankAndTheScheduleFileAsItWas) {
    SetUiLanguage(3);
    RemovableRoot disk;
    ScheduleTable table{};
    table[0] = {PackTime(8, 0, 0), PackTime(9, 0, 0), 1, 50};
    ASSERT_TRUE(SavePlaytimeFile(disk.root(), table));
    std::vector<uint8_t> before, after;
    ASSERT_EQ(ReadFileBytes(PlaytimePath(disk.root()), 1024, before), ReadFileResult::Ok);
    Dialog d;
    QTest::mouseClick(d.dlg.Tabs(), Qt::LeftButton, {}, d.dlg.Tabs()->tabRect(kTabSchedule).center());
    CMyListCtrl* list = d.dlg.List();
    // The blank second slot of row 1 gets times, so that any type would make it an entry.
    OpenListCell(list, 0, 5);
    TypeTime(list, 10, ":00:00");
    OpenListCell(list, 0, 6);
    TypeTime(list, 11, ":00:00");
    CInPlaceList* choice = list->InPlaceList();
    for (bool byKey : {true, false}) {
        OpenListCell(list, 0, 7);
        ASSERT_TRUE(choice->isVisible());
        if (byKey) QTest::keyClick(choice, Qt::Key_F4);
        else QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(choice->width() - 4, choice->height() / 2));
        QWidget* popup = choice->view()->window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup)) << byKey;
        QTest::keyClick(choice->view(), Qt::Key_Down);  // "Sound Program" highlighted
        QTest::keyClick(choice->view(), Qt::Key_Escape);
        ASSERT_TRUE(WaitUntil([&] { return !choice->isVisible(); })) << byKey;
        QTest::qWait(20);
        EXPECT_EQ(list->item(0, 7)->text(), QString()) << byKey;
        EXPECT_EQ(d.dlg.Schedule()[1].type, 0) << byKey;
    }
    QTest::mouseClick(d.dlg.SaveButton(), Qt::LeftButton);
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"The schedule was saved!"});
    ASSERT_EQ(ReadFileBytes(PlaytimePath(disk.root()), 1024, after), ReadFileResult::Ok);
    EXPECT_EQ(after, before);
}

TEST(CDlgBackGroundMusic, APathTypedIntoTheOpenEditorIsKeptWhenTheScheduleTabIsClicked) {
    RemovableRoot disk;
    soundtest::TempFolder dir("bgm-tab");
    const std::string wav = dir / "first.wav";
    ASSERT_TRUE(soundtest::MakeToneWav(wav, 22050, 1, 0.1));
    const ScopedClockOverride clock(LocalTime{2026, 3, 4, 10, 20, 30, 3, 400});  // the header's time
    Dialog d;
    CMyListCtrl* list = d.dlg.List();
    OpenListCell(list, 2, 1);
    CInPlaceEditBrowseCtrl* edit = list->InPlaceBrowseEdit();
    ASSERT_TRUE(edit->isVisible());
    QTest::keyClicks(edit, QString::fromStdString(wav));
    QTest::mouseClick(d.dlg.Tabs(), Qt::LeftButton, {}, d.dlg.Tabs()->tabRect(kTabSchedule).center());
    EXPECT_FALSE(edit->isVisible());  // the edit ended with the tab
    EXPECT_EQ(std::tuple(d.dlg.Slots()[2].state, d.dlg.Slots()[2].source), std::tuple(kSlotNewSource, wav));
    EXPECT_EQ(list->item(0, 3)->text(), QString());  // the schedule shows nothing of the path
    QTest::mouseClick(d.dlg.Tabs(), Qt::LeftButton, {}, d.dlg.Tabs()->tabRect(kTabMusic).center());
    EXPECT_EQ(list->item(2, 1)->text(), QString::fromStdString(wav + "*"));
    QTest::mouseClick(d.dlg.SaveButton(), Qt::LeftButton);
    EXPECT_TRUE(d.shown.texts.empty());
    // The slot holds what converting the typed file gives.
    const std::string expected = dir / "expected.ssf";
    ASSERT_TRUE(ConvertMusicFile(wav, expected));
    std::vector<uint8_t> slot, reference;
    ASSERT_EQ(ReadFileBytes(MusicSlotPath(disk.root(), 2), 1 << 22, slot), ReadFileResult::Ok);
    ASSERT_EQ(ReadFileBytes(expected, 1 << 22, reference), ReadFileResult::Ok);
    EXPECT_EQ(slot, reference);
    EXPECT_EQ(list->item(2, 1)->text(), QString("first"));
}

TEST(CDlgBackGroundMusic, PathsAndScheduleChoicesShowWholeAtTheDialogsSize) {
    SetUiLanguage(3);
    RemovableRoot disk;
    soundtest::TempFolder dir("bgm-widths");
    const std::string path = dir / "Morning music/Background music for the morning.wav";
    Dialog d;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d.dlg));
    CMyListCtrl* list = d.dlg.List();
    auto typePath = [&](int row, const std::string& text) {
        OpenListCell(list, row, 1);
        QTest::keyClicks(list->InPlaceBrowseEdit(), QString::fromStdString(text));
        QTest::keyClick(list->InPlaceBrowseEdit(), Qt::Key_Return);
    };
    typePath(0, path);
    typePath(1, dir / (std::string(300, 'm') + "/a.wav"));  // longer than any list is wide
    ASSERT_EQ(list->item(0, 1)->text(), QString::fromStdString(path + "*"));
    EXPECT_TRUE(ColumnShowsWhole(list, 1, list->item(0, 1)->text())) << list->columnWidth(1);
    for (int row : {0, 1}) EXPECT_EQ(list->item(row, 1)->toolTip(), list->item(row, 1)->text());

    QTest::mouseClick(d.dlg.Tabs(), Qt::LeftButton, {}, d.dlg.Tabs()->tabRect(kTabSchedule).center());
    OpenListCell(list, 0, 3);
    PickItem(list, 0);
    ASSERT_EQ(list->item(0, 3)->text(), QString("Background Music"));
    QStringList volumes;
    for (int k = 0; k < kVolumeChoices; ++k) volumes << ToQString(VolumeChoiceText(k));
    const QStringList texts[4] = {{"00:00:00", "23:59:58"}, {"00:00:00", "23:59:58"},
                                  {"Background Music", "Sound Program"}, volumes};
    for (int column = 1; column < list->columnCount(); ++column)
        for (const QString& text : texts[(column - 1) % 4])
            EXPECT_TRUE(ColumnShowsWhole(list, column, text)) << text.toStdString() << " in " << list->columnWidth(column);
}
