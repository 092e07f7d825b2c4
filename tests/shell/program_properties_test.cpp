// The program and program-set grids in the whole main window, as a user drives them: what
// the grid shows for every effect's pause and offset is what the record keeps and what an
// ".lcs" file brings back; the arrows in a list browse without choosing; a double-click on a
// time or date opens its editor ready for typing; a date the record cannot hold is not taken;
// a new size of the area or an effect of another movement class lays the editor's text out
// again; a typed frame speed stays in 10..200, and one the record holds outside it shows as held;
// the fixed sounds offered as prefix and suffix frame the speech written to a USB disk.
#include <gtest/gtest.h>

#include <cmath>

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "content/bytes.h"
#include "content/model/text_codec.h"
#include "content/sound/sound_clip.h"
#include "editors/hardware_grid_rules.h"
#include "content/preview/canvas_drawing.h"
#include "content/preview/layout_canvas.h"
#include "editors/property_rules.h"
#include "editors/ui/dlg_edit_frame.h"
#include "editors/ui/dlg_password.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/hardware_grid.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "link/udisk_export.h"
#include "link/ui/dlg_udisk.h"
#include "shell/vehicle_pane_util.h"
#include "tests/content/sound/sound_test_util.h"
#include "shell/zu_view.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/shell/shell_test_util.h"
#include "tests/toolkit/property_grid_keys.h"
#include "toolkit/color_combo.h"
#include "toolkit/property_item.h"
#include "toolkit/small_widgets.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

using App = ActiveApp;

// In the next file chooser: goes to `folder`, types `name` into its name field and presses Return.
void TypeInChooser(const QString& folder, const QString& name) {
    AnswerNext<QFileDialog>([=](QFileDialog* d) {
        d->setDirectory(folder);
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
        if (d->isVisible()) d->reject();
    });
}

// The numbers of both actions as the grid shows them.
struct Shown {
    int mainPause, mainOffset, secondPause;
    bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.mainPause << "/" << s.mainOffset << "/" << s.secondPause;
}
Shown GridNumbers(PropertyGrid* g) {
    return {g->IntValue(kPrgMainPause), g->IntValue(kPrgMainOffset), g->IntValue(kPrgSecondPause)};
}
Shown RecordNumbers(const ProgramRecord& p) {
    return {p.mainAction.pause, p.mainAction.offset, p.secondaryAction.pause};
}

}  // namespace

// Every effect as main action and every secondary effect, each with a pause and an offset
// typed before and after the effect is chosen: the grid shows what the record holds at
// every step, and after Save As and File > Open it shows the same, as does the record read
// back from the card form.
TEST(ProgramProperties, EveryEffectShowsWhatItKeepsThroughSaveAsAndOpen) {
    App a;
    PropertyGrid* g = a.Grid(kProgramGridId);
    const char* offsets[] = {"0", "5", "-1", "100"};
    std::vector<Shown> shown;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    for (int i = 0; i < kMainEffectOptions; ++i) {
        ProgramRecord& p = a.TypeProgram(QString("P%1").arg(i));
        const int second = 1 + i % (kSecondaryEffectOptions - 1);
        SCOPED_TRACE(::testing::Message() << "main " << i + 1 << " secondary " << int(SecondaryEffectOfOption(second)));
        ClickOption(g, kPrgSecondEffect, SecondaryEffectOptionOf(kEffectCurtainUp));  // its numbers open
        TypeNumber(g, kPrgMainPause, "13");
        TypeNumber(g, kPrgMainOffset, "7");
        TypeNumber(g, kPrgSecondPause, "13");
        ClickOption(g, kPrgMainEffect, i);
        ClickOption(g, kPrgSecondEffect, second);
        ASSERT_EQ(std::tuple(p.mainAction.effect, p.secondaryAction.effect),
                  std::tuple(uint8_t(i + 1), SecondaryEffectOfOption(second)));
        EXPECT_EQ(GridNumbers(g), RecordNumbers(p));  // after the choice
        TypeNumber(g, kPrgMainPause, QString::number(20 + i));
        TypeNumber(g, kPrgMainOffset, offsets[i % 4]);
        TypeNumber(g, kPrgSecondPause, QString::number(40 + i));
        EXPECT_EQ(GridNumbers(g), RecordNumbers(p));  // after typing
        const bool pause = EffectKeepsPause(p.mainAction.effect), offset = EffectKeepsOffset(p.mainAction.effect);
        EXPECT_EQ(GridNumbers(g), (Shown{pause ? 20 + i : 0, offset ? atoi(offsets[i % 4]) : 0,
                                         EffectKeepsPause(p.secondaryAction.effect) ? 40 + i : 0}));
        shown.push_back(GridNumbers(g));
    }
    const QString folder = QString::fromStdString(a.env.dir.string());
    TypeInChooser(folder, "effects");
    a.Menu(ID_FILE_SAVE_AS)->trigger();
    TypeInChooser(folder, "effects.lcs");
    a.Menu(ID_FILE_OPEN)->trigger();  // the file's set joins the tree after the one there
    ASSERT_EQ(a.Programs().sets().size(), 2u);
    const auto& reopened = a.Programs().sets()[1].programs;
    ASSERT_EQ(reopened.size(), size_t(kMainEffectOptions));
    for (int i = 0; i < kMainEffectOptions; ++i) {
        SCOPED_TRACE(i + 1);
        a.Tree().setCurrentItem(a.Tree().ItemAt(1)->child(i));
        const ProgramRecord& p = *reopened[size_t(i)].record;
        EXPECT_EQ(p.mainAction.effect, i + 1);
        EXPECT_EQ(RecordNumbers(p), shown[size_t(i)]);  // what the card form carried
        EXPECT_EQ(GridNumbers(g), shown[size_t(i)]);
    }
    // A reopened Snow switched to Move Up has no offset it never had.
    a.Tree().setCurrentItem(a.Tree().ItemAt(1)->child(kEffectSnow - 1));
    ClickOption(g, kPrgMainEffect, kEffectMoveUp - 1);
    EXPECT_EQ(std::tuple(reopened[kEffectSnow - 1].record->mainAction.offset, g->IntValue(kPrgMainOffset)),
              std::tuple(int16_t(0), 0));
}

// Arrows in a closed list only browse; Return or a click chooses. "Custom" opens the frame
// editor when chosen, and an editor closed without a tile leaves the frame type as it was.
TEST(ProgramProperties, ArrowsBrowseAListAndCustomOpensTheFrameEditorOnlyWhenChosen) {
    App a;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    ProgramRecord& p = a.TypeProgram("Frame");
    PropertyGrid* g = a.Grid(kProgramGridId);
    BoxCloser boxes;
    int tiles = 0;  // the editor's next answer: 0 OK without a tile, 1 a tile drawn, saved and OK, 2 Cancel
    Answerer<DlgEditFrame> editor([&](DlgEditFrame* d) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
        if (tiles == 1) {
            d->ColorCombo()->setCurrentIndex(1);
            QTest::mouseClick(d->Canvas(), Qt::LeftButton, {}, QPoint(kFrameGridLeft + 4, kFrameGridTop + 4));
            QTest::mouseClick(d->SaveButton(), Qt::LeftButton);
        }
        if (tiles == 2) d->reject();
        else d->accept();
    });
    QPointer<QComboBox> combo = qobject_cast<QComboBox*>(OpenValue(g, kPrgBorderType));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Down);  // onto "Custom": nothing chosen yet
    QTest::qWait(20);
    EXPECT_EQ(std::tuple(editor.seen, p.borderType), std::tuple(0, uint8_t(0)));
    ASSERT_TRUE(combo);  // still open, browsing
    QTest::keyClick(combo, Qt::Key_Return);  // chosen: the editor opens, closed with no tile
    EXPECT_TRUE(WaitUntil([&] { return editor.seen == 1; }));
    QTest::qWait(20);
    EXPECT_EQ(std::tuple(editor.seen, p.borderType, g->GetOptionIndex(kPrgBorderType)), std::tuple(1, uint8_t(0), 0));
    a.Activate();

    tiles = 1;
    combo = qobject_cast<QComboBox*>(OpenValue(g, kPrgBorderType));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(std::tuple(editor.seen, p.borderType, p.borderFrames.size(), g->GetOptionIndex(kPrgBorderType)),
              std::tuple(2, uint8_t(1), size_t(1), 1));
    a.Activate();

    // From "Line", "Custom" clicked and cancelled keeps "Line" with its frames.
    ClickOption(g, kPrgBorderType, 2);
    const size_t lineFrames = p.borderFrames.size();
    tiles = 2;
    ClickOption(g, kPrgBorderType, 1);
    EXPECT_EQ(std::tuple(editor.seen, p.borderType, p.borderFrames.size(), g->GetOptionIndex(kPrgBorderType)),
              std::tuple(3, uint8_t(2), lineFrames, 2));
    EXPECT_GT(lineFrames, 0u);
    a.Activate();

    // Any list: arrows and then leaving choose nothing; arrows and Return choose.
    const uint8_t effect = p.mainAction.effect;
    combo = qobject_cast<QComboBox*>(OpenValue(g, kPrgMainEffect));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    a.Tree().setFocus();
    QTest::qWait(20);
    EXPECT_FALSE(combo);  // closed
    EXPECT_EQ(std::tuple(p.mainAction.effect, g->GetOptionIndex(kPrgMainEffect)), std::tuple(effect, effect - 1));
    combo = qobject_cast<QComboBox*>(OpenValue(g, kPrgMainEffect));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(std::tuple(p.mainAction.effect, g->GetOptionIndex(kPrgMainEffect)),
              std::tuple(uint8_t(effect + 1), int(effect)));
}

namespace {

// Double-clicks the value of `key` as the window system delivers it: the second click goes
// to whatever the first one opened under the pointer. Then types `text` and Return.
void DoubleClickAndType(App& a, PropertyGrid* g, int key, const QString& text) {
    QTreeWidget* tree = g->Tree();
    const int left = tree->columnViewportPosition(1);
    const int right = std::min(left + tree->columnWidth(1), tree->viewport()->width());
    const QPoint inCell(left + (right - left) * 3 / 4, ValuePoint(g, key).y());  // past the value's text
    const QPoint at = tree->viewport()->mapTo(&a.Frame(), inCell);
    QTest::mouseDClick(a.Frame().windowHandle(), Qt::LeftButton, {}, at);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
}

}  // namespace

// A double-click on a period start, a date, a switch-on or a luminance time opens the editor
// ready for typing, as one click does: the typed value is the one stored.
TEST(ProgramProperties, ADoubleClickOnATimeOrDateOpensItReadyForTyping) {
    App a;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    a.TypeProgram("Times");
    a.Tree().setCurrentItem(a.Tree().ItemAt(0));
    ProgramSetRecord& set = *a.Programs().sets()[0].record;
    PropertyGrid* g = a.Grid(kProgramSetGridId);
    ClickOption(g, kSetPlayMode, 1);  // "Time": dates and periods open
    ASSERT_EQ(set.playMode, 6);
    DoubleClickAndType(a, g, kSetFirstPeriod, "093000");
    EXPECT_EQ(set.periods[0] & 0xFFFF, PackTime(9, 30, 0));
    EXPECT_EQ(g->Value(kSetFirstPeriod), "09:30:00");
    DoubleClickAndType(a, g, kSetDateStart, "20300102");
    EXPECT_EQ(set.dates[0].start, PackDate(2030, 1, 2));
    // One click does the same.
    TypeDateTime(g, kSetFirstPeriod + 1, "174500");
    EXPECT_EQ(set.periods[0] >> 16, PackTime(17, 45, 0));

    // The screen's switch-on time, stored by Apply.
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    PropertyGrid* h = a.Grid(kHardwareGridId);
    DoubleClickAndType(a, h, kHwPowerOn, "071500");
    DoubleClickAndType(a, h, TimedTimeKey(1), "111500");  // a luminance time
    Answerer<CDlgPassword> password([](CDlgPassword* d) {
        d->PasswordField()->setText(QString::fromUtf16(kServicePassword));
        d->OkButton()->click();
    });
    BoxCloser boxes;
    a.Props().Command(kCmdApplySimulated)->trigger();
    EXPECT_EQ(std::tuple(a.Programs().screen().switchOnTime, a.Programs().screen().timedBrightness[1] & 0xFFFF),
              std::tuple(PackTime(7, 15, 0), uint32_t(PackTime(11, 15, 0))));
}

namespace {

// The texts of the drop-down of `key`, opened with a click on its value and closed again.
QStringList DropDownTexts(App& a, int key) {
    auto* combo = qobject_cast<QComboBox*>(OpenValue(a.Grid(kProgramGridId), key));
    if (!combo) return {};
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    QTest::keyClick(combo, Qt::Key_Escape);
    return texts;
}

// Whether the card samples of `file` (stored unsigned, low four bits cleared) from sample
// `at` on are the clip's samples.
constexpr int kVoiceModelOption = 8;

bool HoldsClipAt(const std::vector<uint8_t>& file, size_t at, const SoundClip& clip) {
    const size_t offset = LoadU32(&file[272]) + 2 * at;
    if (offset + clip.data.size() > file.size()) return false;
    for (size_t i = 0; i < clip.data.size(); i += 2)
        if (LoadU16(&file[offset + i]) != ((LoadU16(&clip.data[i]) ^ 0x8000) & 0xFFF0)) return false;
    return true;
}

// The screen made an "Asyn Voice-II" card (type 3, subtype 3, whose programs have sounds) in the
// hardware grid and applied; then a program with `text` typed, selected.
ProgramRecord& VoiceProgram(App& a, const QString& text) {
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    EXPECT_EQ(ModelOfOption(kVoiceModelOption).subtype, 3);
    ClickOption(a.Grid(kHardwareGridId), kHwModel, kVoiceModelOption);
    Answerer<CDlgPassword> password([](CDlgPassword* d) {
        d->PasswordField()->setText(QString::fromUtf16(kServicePassword));
        d->OkButton()->click();
    });
    BoxCloser boxes;
    a.Props().Command(kCmdApplySimulated)->trigger();
    EXPECT_EQ(a.Programs().screen().cardSubtype, 3);
    return a.TypeProgram(text);
}

// The first cell of each line: as the program editor breaks its text, and as the card
// breaks the program's text in the program's area as it now stands.
std::vector<int> EditorLineStarts(CEditEx* surface) {
    std::vector<int> starts;
    for (const LineExtent& line : surface->engine().lines()) starts.push_back(line.first);
    return starts;
}
std::vector<int> CardLineStarts(App& a, const ProgramRecord& p) {
    LayoutCanvas& canvas = static_cast<CZUView*>(a.Frame().ViewWidget())->Canvas();
    ProgramLayout layout;
    EXPECT_TRUE(LayoutProgramContent(*canvas.rc, p.content, p.mainAction.effect, p.width(), p.height(), 5, layout));
    std::vector<int> starts;
    for (const LineExtent& line : layout.lines) starts.push_back(line.first);
    return starts;
}

// A Move Up program whose text takes two lines in the screen's width; the caret at its end.
ProgramRecord& TwoLineMoveUp(App& a) {
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    ProgramRecord& p = a.TypeProgram("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    ClickOption(a.Grid(kProgramGridId), kPrgMainEffect, kEffectMoveUp - 1);
    EXPECT_EQ(CardLineStarts(a, p).size(), 2u);
    return p;
}

// The editor wraps as the card does at the area's width now, and the caret at the text's end
// moves by those lines: Home to the last line's start, Up to the line before, Down back.
void ExpectEditorWrapsAsTheCard(App& a, const ProgramRecord& p, int width) {
    ASSERT_EQ(p.width(), width);
    CEditEx* surface = a.Editor().surface();
    const std::vector<int> card = CardLineStarts(a, p);
    ASSERT_GE(card.size(), 5u);
    EXPECT_EQ(EditorLineStarts(surface), card);
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_Home);
    EXPECT_EQ(surface->engine().caret(), card.back());
    QTest::keyClick(surface, Qt::Key_Up);
    EXPECT_EQ(surface->engine().caret(), card[card.size() - 2]);
    QTest::keyClick(surface, Qt::Key_Down);
    EXPECT_EQ(surface->engine().caret(), card.back());
}

}  // namespace

// A new user's account offers the shipped sounds as prefix and suffix; a sound put into the
// user's folder is offered after them. Both chosen in the drop-down frame the speech that the
// USB-disk command writes; a file there that is no sound is told and left out.
TEST(ProgramProperties, ShippedAndUsersFixedSoundsFrameTheSpeechOnAUsbDisk) {
    TempDir data;
    setenv("XDG_DATA_HOME", data.path.c_str(), 1);
    const fs::path mine = data.path / "ledsuite/zu_soundfix";
    const QStringList shipped{"Mute",     "beep.wav", "beep_twice.wav", "chime_down.wav",
                              "chime_up.wav", "ding.wav", "dingdong.wav"};
    {
        App fresh;
        VoiceProgram(fresh, "Fresh");
        EXPECT_EQ(DropDownTexts(fresh, kPrgPrefix), shipped);
        EXPECT_TRUE(fs::is_directory(mine));  // made at start-up, ready for the user's own
    }
    // The user's own: a rising sweep at 8,000 Hz, and a file that is no sound.
    std::vector<int16_t> sweep(2400);
    for (size_t i = 0; i < sweep.size(); ++i) sweep[i] = int16_t(9000 * std::sin(0.0004 * double(i * i)));
    soundtest::WriteFile((mine / "my_bell.wav").string(), soundtest::Wav(soundtest::FmtBody(1, 8000, 16),
                                                                         soundtest::Samples16(sweep)));
    soundtest::WriteFile((mine / "broken.wav").string(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});

    App a;
    const std::string disk = a.env.Path("disk");
    fs::create_directories(disk);
    setenv("LEDSUITE_REMOVABLE_ROOTS", disk.c_str(), 1);
    ProgramRecord& p = VoiceProgram(a, "Hello there.");
    const std::string program = UDiskProgramPath(disk, *ModelPrefix(a.Programs().screen().cardType), 0);
    PropertyGrid* g = a.Grid(kProgramGridId);
    const QStringList offered = DropDownTexts(a, kPrgSuffix);
    EXPECT_EQ(offered, shipped + QStringList({"broken.wav", "my_bell.wav"}));
    ASSERT_GT(g->Options(kPrgRole).size(), 4);
    ClickOption(g, kPrgRole, 4);  // the third voice
    ClickOption(g, kPrgPrefix, int(offered.indexOf("chime_up.wav")));
    ClickOption(g, kPrgSuffix, int(offered.indexOf("my_bell.wav")));
    EXPECT_EQ(std::tuple(p.content.header.kind, BufferText(p.prefixSound), BufferText(p.suffixSound)),
              std::tuple(uint8_t(4), std::u16string(u"chime_up.wav"), std::u16string(u"my_bell.wav")));

    // File > USB disk, Save.
    const auto saveToDisk = [&] {
        BoxCloser boxes;
        AnswerNext<DlgUDisk>([](DlgUDisk* d) {
            QTest::mouseClick(d->SaveButton(), Qt::LeftButton);
            d->accept();
        });
        a.Frame().UpdateCommandStates();
        a.Frame().Commands(ID_UDISK).front()->trigger();
        a.Activate();
        return boxes.texts;
    };
    EXPECT_EQ(saveToDisk(), std::vector<QString>{"Save to usb disk successfully\n" + QString::fromStdString(program)});
    const std::vector<uint8_t> sound = soundtest::ReadAll(disk + "/ZIZodo/Sound/000.ssf");
    ASSERT_GT(sound.size(), 1024u);
    // The prefix and the suffix at the rate of the speech, at the start and at the end of the
    // samples (whose count the file rounds down to whole words).
    SoundClip prefix, suffix;
    ASSERT_TRUE(LoadSoundFile({}, prefix, GetExeFolder() + "res/zu_soundfix/chime_up.wav"));
    ASSERT_TRUE(LoadSoundFile({}, suffix, (mine / "my_bell.wav").string()));
    for (SoundClip* c : {&prefix, &suffix}) ResampleClip(RateCodeOf(sound[262]), *c);
    const size_t samples = LoadU32(&sound[268]) / 2, suffixSamples = suffix.data.size() / 2;
    EXPECT_TRUE(HoldsClipAt(sound, 0, prefix));
    suffix.data.resize(suffix.data.size() - 2);  // its last sample may be cut
    EXPECT_TRUE(HoldsClipAt(sound, samples - suffixSamples, suffix) ||
                HoldsClipAt(sound, samples + 1 - suffixSamples, suffix));
    EXPECT_TRUE(a.shown.texts.empty());

    // The broken file as the suffix: the speech is saved with the prefix alone, and the user told.
    ClickOption(g, kPrgSuffix, int(offered.indexOf("broken.wav")));
    EXPECT_EQ(saveToDisk().size(), 1u);
    EXPECT_EQ(a.shown.Last(), u"The sound file could not be read and is left out of the speech: " +
                                  Utf8ToWide((mine / "broken.wav").string()));
    const std::vector<uint8_t> prefixed = soundtest::ReadAll(disk + "/ZIZodo/Sound/000.ssf");
    ASSERT_GT(prefixed.size(), 1024u);
    EXPECT_TRUE(HoldsClipAt(prefixed, 0, prefix));
    EXPECT_NEAR(double(LoadU32(&prefixed[264])), double(samples - suffixSamples), 2000);
    unsetenv("LEDSUITE_REMOVABLE_ROOTS");
    unsetenv("XDG_DATA_HOME");
}

namespace {

QString ShownDate(uint16_t word) {
    int year = 0, month = 0, day = 0;
    UnpackDate(word, year, month, day);
    return QString::asprintf("%04d-%02d-%02d", year, std::max(month, 1), std::max(day, 1));
}
}  // namespace

// The packed date keeps two digits of the year: the date editor offers only 2000 to 2099, and
// what the grid shows after an edit is what the record holds.
TEST(ProgramProperties, ADateTheRecordCannotHoldIsNotTakenAndTheGridShowsWhatItHolds) {
    App a;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    a.TypeProgram("Dates");
    a.Tree().setCurrentItem(a.Tree().ItemAt(0));
    ProgramSetRecord& set = *a.Programs().sets()[0].record;
    PropertyGrid* g = a.Grid(kProgramSetGridId);
    ClickOption(g, kSetPlayMode, 1);  // "Time": the dates open
    TypeDateTime(g, kSetDateStart, "22000101");
    TypeDateTime(g, kSetDateEnd, "19991231");
    const CDateTimeCtrlEx* editor = CDateTimeCtrlEx::Existing();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(std::tuple(editor->minimumDate(), editor->maximumDate()),
              std::tuple(QDate(2000, 1, 1), QDate(2099, 12, 31)));
    EXPECT_EQ((QStringList{g->Value(kSetDateStart), g->Value(kSetDateEnd)}),
              (QStringList{ShownDate(set.dates[0].start), ShownDate(set.dates[0].stop)}));
    EXPECT_NE(set.dates[0].stop, PackDate(2099, 12, 31));
    TypeDateTime(g, kSetDateEnd, "20991231");  // the last date a record holds
    EXPECT_EQ(std::tuple(set.dates[0].stop, g->Value(kSetDateEnd)),
              std::tuple(PackDate(2099, 12, 31), QString("2099-12-31")));
}

// A width typed into the program grid lays the editor's text out again at once.
TEST(ProgramProperties, AWidthTypedIntoTheGridRewrapsTheEditorAtOnce) {
    App a;
    const ProgramRecord& p = TwoLineMoveUp(a);
    TypeNumber(a.Grid(kProgramGridId), kPrgWidth, "40");
    ExpectEditorWrapsAsTheCard(a, p, 40);
    // A move of the area keeps the lines (its width stays); a new height keeps them as well.
    TypeNumber(a.Grid(kProgramGridId), kPrgOffsetX, "30");
    TypeNumber(a.Grid(kProgramGridId), kPrgHeight, "8");
    EXPECT_EQ(p.left, 30);
    ExpectEditorWrapsAsTheCard(a, p, 40);
}

// The area's right edge dragged on the canvas lays the editor's text out again at once.
TEST(ProgramProperties, AResizeDragOnTheCanvasRewrapsTheEditorAtOnce) {
    App a;
    const ProgramRecord& p = TwoLineMoveUp(a);
    auto* view = static_cast<CZUView*>(a.Frame().ViewWidget());
    const LayoutCanvas& canvas = view->Canvas();
    ASSERT_NE(canvas.window, nullptr);
    const int y = LedToCanvasY(canvas, (p.top + p.bottom) / 2);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(LedToCanvasX(canvas, p.right), y));
    for (int x : {100, 70, 40}) QTest::mouseMove(view, QPoint(LedToCanvasX(canvas, p.left + x), y));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(LedToCanvasX(canvas, p.left + 40), y));
    EXPECT_EQ(a.Grid(kProgramGridId)->IntValue(kPrgWidth), 40);
    ExpectEditorWrapsAsTheCard(a, p, 40);
}

// The frame's "Effect Speed" offers 10..200: 5 typed keeps 10, as do the down arrow below
// 10, and 250 typed keeps 200; the record holds what the grid shows.
TEST(ProgramProperties, TheFrameSpeedStaysWithinTenToTwoHundred) {
    App a;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    const ProgramRecord& p = a.TypeProgram("Speed");
    PropertyGrid* g = a.Grid(kProgramGridId);
    ClickOption(g, kPrgBorderType, 2);  // "Line": the frame's speed opens
    ASSERT_TRUE(g->IsItemEnabled(kPrgBorderSpeed));
    TypeNumber(g, kPrgBorderSpeed, "5");
    EXPECT_EQ(std::tuple(p.borderSpeed, g->IntValue(kPrgBorderSpeed)), std::tuple(uint8_t(10), 10));
    TypeNumber(g, kPrgBorderSpeed, "12");
    auto* spin = qobject_cast<QSpinBox*>(OpenValue(g, kPrgBorderSpeed));
    ASSERT_NE(spin, nullptr);
    for (int i = 0; i < 4; ++i) QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->value(), 10);
    QTest::keyClick(spin, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(p.borderSpeed, g->IntValue(kPrgBorderSpeed)), std::tuple(uint8_t(10), 10));
    TypeNumber(g, kPrgBorderSpeed, "250");
    EXPECT_EQ(std::tuple(p.borderSpeed, g->IntValue(kPrgBorderSpeed)), std::tuple(uint8_t(200), 200));
    spin = qobject_cast<QSpinBox*>(OpenValue(g, kPrgBorderSpeed));
    ASSERT_NE(spin, nullptr);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->value(), 200);
}

// A record may hold a frame speed outside what the spin offers (a file or a card's read-back
// gives 5 or 250): the program and set grids show the byte the record keeps, and showing it
// changes nothing in the record.
TEST(ProgramProperties, AFrameSpeedOutsideTheSpinShowsAsTheRecordKeepsIt) {
    App a;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    ProgramRecord& p = a.TypeProgram("Speed");
    ProgramSetRecord& set = *a.Programs().sets()[0].record;
    QTreeWidgetItem* program = a.Tree().SelectedItem();
    ClickOption(a.Grid(kProgramGridId), kPrgBorderType, 2);  // "Line": the frame's speed opens
    for (uint8_t speed : {5, 250, 0, 254, 10, 200}) {
        p.borderSpeed = set.borderSpeed = speed;
        a.Tree().setCurrentItem(program->parent());
        EXPECT_EQ(std::tuple(a.Grid(kProgramSetGridId)->IntValue(kSetBorderSpeed), set.borderSpeed),
                  std::tuple(int(speed), speed));
        a.Tree().setCurrentItem(program);
        EXPECT_EQ(std::tuple(a.Grid(kProgramGridId)->IntValue(kPrgBorderSpeed), p.borderSpeed),
                  std::tuple(int(speed), speed));
    }
}

// A new effect of another movement class lays the editor's text out again at once, as the
// card lays it out: a horizontal move runs the text as one line, the others wrap at the area.
TEST(ProgramProperties, AnEffectOfAnotherMovementClassRewrapsTheEditorAtOnce) {
    App a;
    const ProgramRecord& p = TwoLineMoveUp(a);
    CEditEx* surface = a.Editor().surface();
    for (uint8_t effect : {kEffectMoveLeft, kEffectMoveUp, kEffectMoveRight, kEffectMoveDown, kEffectMoveLeftContinue,
                           kEffectMoveDown, kEffectMoveUp}) {
        ClickOption(a.Grid(kProgramGridId), kPrgMainEffect, effect - 1);
        ASSERT_EQ(p.mainAction.effect, effect);
        // Down and End take the caret to the text's end (two lines at most); Home to the start
        // of that line as the card breaks it.
        surface->setFocus();
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_Home}) QTest::keyClick(surface, key);
        EXPECT_EQ(surface->engine().caret(), CardLineStarts(a, p).back()) << int(effect);
        EXPECT_EQ(surface->engine().moveClass(), EffectMoveClass(p.mainAction)) << int(effect);
    }
}
