// The property window and its dialogs offscreen: the grid per tree level, the language switch, the period
// dialog, the password and the hardware block against the fake card.
#include <fstream>
#include <tuple>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QAbstractItemView>
#include <QScrollBar>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/card/screen_header.h"
#include "content/model/settings.h"
#include "editors/property_rules.h"
#include "editors/property_texts.h"
#include "editors/ui/dlg_edit_frame.h"
#include "editors/ui/dlg_password.h"
#include "editors/ui/dlg_sel_more_period.h"
#include "editors/ui/hardware_grid.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "link/transfer.h"
#include "tests/editors/editor_test_util.h"
#include "tests/toolkit/property_grid_keys.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/link/link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// Records every message; the hardware block codes run the link layer's send and read-back.
struct LinkChannel : RecordingChannel {
    HardwareParams* screen = nullptr;
    int sendCode = -1;
    intptr_t send(int code, intptr_t arg) override {
        RecordingChannel::send(code, arg);
        TransferControl control{.timeouts = {kWaitMs * 4, kWaitMs * 4}};
        if (code == IMC_SEND_HW_PARAMS) {
            const auto* block = reinterpret_cast<const uint8_t*>(arg);
            sendCode = SendTransfer(LinkTargetFromScreen(*screen), TransferMode::Hardware,
                                    std::span<const uint8_t>(block, kHardwareParamBlockSize), control).code;
        } else if (code == IMC_READ_HW_PARAMS) {
            auto* block = reinterpret_cast<HardwareBlockRead*>(arg);
            TransferResult r = ReadBackTransfer(LinkTargetFromScreen(*screen), TransferMode::Hardware,
                                                kHardwareParamBlockSize, control);
            if (r.code != TransferResult::kRead) return r.code;
            std::copy(r.data.begin(), r.data.end(), block->bytes.begin());
            block->received = r.data.size();
        }
        return 0;
    }
};

void TypeServicePassword(CDlgPassword* d) {
    d->PasswordField()->setText(QString::fromUtf16(kServicePassword));
    d->OkButton()->click();
}

struct Fixture {
    TempDir appData;
    LinkChannel channel;
    CPropertiesWnd wnd{nullptr, &channel};
    Fixture() {
        setenv("LEDSUITE_APPDATA", appData.path.c_str(), 1);
        ResetAppDataFolderForTests();
        wnd.resize(320, 600);
        wnd.show();
    }
    ~Fixture() {
        unsetenv("LEDSUITE_APPDATA");
        ResetAppDataFolderForTests();
    }
    PropertyGrid* grid(int id) const { return wnd.Grid(id); }
    template <class T>
    void select(int code, T* record) { wnd.onInternal(code, reinterpret_cast<intptr_t>(record)); }
    std::vector<int> shown() const {
        std::vector<int> out;
        for (int id = kHardwareGridId; id <= kUserGridId; ++id)
            if (!wnd.Grid(id)->isHidden()) out.push_back(id);
        if (!wnd.ToolBar()->isHidden()) out.push_back(311);
        return out;
    }
};

}  // namespace

TEST(PropertiesWnd, OneGridPerTreeLevelAndTheUserGridOnTheMultiScreenPage) {
    Fixture f;
    HardwareParams hw;
    ProgramSetRecord set;
    ProgramRecord program;
    program.right = 64, program.bottom = 16;
    EXPECT_EQ(f.shown(), (std::vector<int>{2, 311}));
    // message, argument -> the one grid shown (the user grid on the multi-screen page)
    const std::tuple<int, intptr_t, int> steps[] = {
        {IMC_PROGRAMS_SELECTED, intptr_t(&set), 3}, {IMC_SET_VIEW_MODE, 1, 5},
        {IMC_PROGRAMS_SELECTED, intptr_t(&set), 5},
        {IMC_SET_VIEW_MODE, 0, 3}, {IMC_PROGRAM_SELECTED, intptr_t(&program), 4}};
    for (auto [code, arg, grid] : steps) {
        f.wnd.onInternal(code, arg);
        EXPECT_EQ(f.shown(), std::vector<int>{grid}) << code;
    }
    EXPECT_EQ(f.grid(kProgramGridId)->IntValue(kPrgWidth), 64);
    f.select(IMC_SCREEN_SELECTED, &hw);
    EXPECT_EQ(f.shown(), (std::vector<int>{2, 311}));
    program.right = 80;
    f.wnd.onInternal(IMC_AREA_GEOMETRY_CHANGED, 0);  // a screen is selected: nothing changes
    EXPECT_EQ(f.grid(kProgramGridId)->IntValue(kPrgWidth), 64);
    EXPECT_EQ(std::tuple(f.grid(kHardwareGridId)->DescriptionVisible(), f.grid(kProgramGridId)->DescriptionVisible(),
                         f.channel.sent.size()), std::tuple(true, false, size_t(0)));
}

TEST(PropertiesWnd, GridsTwoToFourTakeTheMenuFont) {
    const QFont saved = QApplication::font("QMenu");
    QFont menu = saved;
    menu.setPointSize(23);
    QApplication::setFont(menu, "QMenu");
    {
        Fixture f;
        EXPECT_EQ(std::tuple(f.grid(kHardwareGridId)->font().pointSize(), f.grid(kProgramGridId)->font().pointSize(),
                             f.grid(kUserGridId)->font().pointSize() == 23), std::tuple(23, 23, false));
        menu.setPointSize(19);  // the desktop's fonts change: the grids follow
        QApplication::setFont(menu, "QMenu");
        QEvent change(QEvent::ApplicationFontChange);
        QApplication::sendEvent(&f.wnd, &change);
        EXPECT_EQ(f.grid(kProgramSetGridId)->font().pointSize(), 19);
    }
    QApplication::setFont(saved, "QMenu");
}

TEST(PropertiesWnd, LanguageSwitchKeepsEveryChosenOption) {
    SetUiLanguage(3);
    Fixture f;
    HardwareParams hw;
    hw.cardType = 2, hw.cardSubtype = 6;
    ProgramRecord program;
    program.right = 32, program.bottom = 16, program.borderType = 3;
    program.mainAction.effect = kEffectBlindsHorizontal;
    f.select(IMC_SCREEN_SELECTED, &hw);
    f.select(IMC_PROGRAM_SELECTED, &program);
    const std::vector<std::u16string> voices = {u"Anna", u"Bert"};
    f.wnd.onInternal(IMC_SET_VOICE_ROLES, reinterpret_cast<intptr_t>(&voices));
    f.grid(kProgramGridId)->SelectOptionIndex(kPrgRole, 3);
    EXPECT_EQ(f.grid(kHardwareGridId)->Value(kHwModel) + f.wnd.Command(kCmdSetHardware)->text(), "20K GPRSSet");
    SetUiLanguage(1);
    f.wnd.onInternal(IMC_LANGUAGE_CHANGED, 0);
    PropertyGrid* hwGrid = f.grid(kHardwareGridId);
    PropertyGrid* prgGrid = f.grid(kProgramGridId);
    EXPECT_EQ(prgGrid->GetOptionIndex(kPrgMainEffect), kEffectBlindsHorizontal - 1);
    EXPECT_EQ((QStringList{hwGrid->Value(kHwModel), hwGrid->Name(kHwWidth), prgGrid->Value(kPrgMainEffect),
                           prgGrid->Value(kPrgBorderType), prgGrid->Value(kPrgRole), prgGrid->Options(kPrgRole)[1],
                           f.wnd.Command(kCmdSetHardware)->text(), f.wnd.Command(kCmdReadHardware)->toolTip()}),
              (QStringList{"20K GPRS", QString::fromUtf16(u"宽度"),
                           QString::fromUtf16(EffectName(kEffectBlindsHorizontal)), QString::fromUtf16(u"流水线 8"),
                           "Bert", QString::fromUtf16(u"文件"),
                           QString::fromUtf16(u"设置"), QString::fromUtf16(u"读取控制卡硬件参数")}));
    ResetUiLanguageForTests();
}

TEST(DlgSelMorePeriod, FillScrollPickAndTimeline) {
    ProgramSetRecord set;
    set.periods[0] = uint16_t(25 << 11 | 63 << 5);  // a start no clock has
    CDlgSelMorePeriod dlg(&set);
    dlg.show();
    // showing writes nothing
    EXPECT_EQ(std::tuple(dlg.windowTitle(), dlg.Picker(0, false)->time(), set.periods[0]),
              std::tuple(QString("Set the Play Periods of the Programs"), QTime(0, 0, 0), uint32_t(25 << 11 | 63 << 5)));

    dlg.WindowPicker(false)->setTime(QTime(0, 5, 0));
    dlg.WindowPicker(true)->setTime(QTime(0, 35, 0));
    dlg.FillButton()->click();
    EXPECT_EQ(std::tuple(set.periods[23], dlg.Total()->text()),
              std::tuple(uint32_t(PackTime(23, 5, 0)) | uint32_t(PackTime(23, 35, 0)) << 16,
                         QString::fromUtf16(u"Total time: 12:00:00")));
    const QImage& line = dlg.Timeline();
    const int rowHeight = line.height() / 4;
    const int hour = line.width() / 6;
    EXPECT_EQ(line.pixel(hour / 4, 5) & 0xFFFFFF, 0xA000A0u);       // 00:15 inside the first bar
    EXPECT_NE(line.pixel(hour * 3 / 4, 5) & 0xFFFFFF, 0xA000A0u);   // 00:45 between bars
    EXPECT_EQ(line.pixel(hour / 4, rowHeight + 5) & 0xFFFFFF, 0xA000A0u);  // 06:15 in the second row

    dlg.ScrollBar()->setValue(dlg.ScrollBar()->maximum());
    EXPECT_EQ(std::tuple(dlg.RowNumber(0)->text(), dlg.RowNumber(5)->text(), dlg.Picker(5, true)->time()),
              std::tuple(QString("19"), QString("24"), QTime(23, 35, 0)));
    dlg.Picker(5, true)->setTime(QTime(23, 5, 0));  // period 24 becomes empty
    EXPECT_EQ(std::tuple(set.periods[23] >> 16, dlg.Total()->text()),
              std::tuple(uint32_t(PackTime(23, 5, 0)), QString::fromUtf16(u"Total time: 11:30:00")));

    QTest::keyClick(&dlg, Qt::Key_Return);  // Enter does not close it
    EXPECT_TRUE(dlg.isVisible());
}

TEST(DlgSelMorePeriod, EnterInAnyPickerChangesNoPeriod) {
    ProgramSetRecord set;
    for (int h = 0; h < 3; ++h) set.periods[size_t(h)] = uint32_t(PackTime(h * 2, 0, 0)) | uint32_t(PackTime(h * 2 + 1, 0, 0)) << 16;
    const auto before = set.periods;
    CDlgSelMorePeriod dlg(&set);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    EXPECT_FALSE(dlg.FillButton()->isDefault() || dlg.FillButton()->autoDefault());
    for (QTimeEdit* picker : {dlg.Picker(0, false), dlg.Picker(4, true), dlg.WindowPicker(false), dlg.WindowPicker(true)}) {
        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_Return);
        QTest::keyClick(picker, Qt::Key_Enter);
    }
    EXPECT_EQ(std::tuple(set.periods == before, dlg.Total()->text(), dlg.isVisible()),
              std::tuple(true, QString::fromUtf16(u"Total time: 03:00:00"), true));
    // Typing into a picker still writes its period: the first start becomes 00:30:00.
    QTimeEdit* first = dlg.Picker(0, false);
    first->setFocus();
    first->setSelectedSection(QDateTimeEdit::MinuteSection);
    QTest::keyClicks(first, "30");
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(set.periods[0] & 0xFFFF, PackTime(0, 30, 0));
}

// One click into a picker's first section and typed digits set it, in the period rows and in
// the Fill All window, as Tab and typing do.
TEST(DlgSelMorePeriod, TimesTypedAfterAClickAreKept) {
    ProgramSetRecord set;
    CDlgSelMorePeriod dlg(&set);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    ClickFirstSectionAndType(dlg.Picker(3, false), "070000");  // period 4
    ClickFirstSectionAndType(dlg.Picker(3, true), "0930");
    EXPECT_EQ(std::tuple(dlg.Picker(3, false)->time(), dlg.Picker(3, true)->time(), set.periods[3]),
              std::tuple(QTime(7, 0, 0), QTime(9, 30, 0),
                         uint32_t(PackTime(7, 0, 0)) | uint32_t(PackTime(9, 30, 0)) << 16));

    ClickFirstSectionAndType(dlg.WindowPicker(false), "0500");
    ClickFirstSectionAndType(dlg.WindowPicker(true), "3500");
    QTest::mouseClick(dlg.FillButton(), Qt::LeftButton);
    EXPECT_EQ(std::tuple(set.periods[23], dlg.Picker(3, false)->time(), dlg.Total()->text()),
              std::tuple(uint32_t(PackTime(23, 5, 0)) | uint32_t(PackTime(23, 35, 0)) << 16, QTime(3, 5, 0),
                         QString::fromUtf16(u"Total time: 12:00:00")));
}

TEST(PropertiesWnd, ProgramSetEditsPlayModeEnablingAndMoreOpensThePeriodDialogOncePerChoice) {
    Fixture f;
    ProgramSetRecord set;
    set.playMode = 9;  // unknown: repaired to "In Oder"
    f.select(IMC_PROGRAMS_SELECTED, &set);
    PropertyGrid* g = f.grid(kProgramSetGridId);
    EXPECT_EQ(std::tuple(set.playMode, g->IsItemEnabled(kSetBorderType), g->IsItemEnabled(kSetDuration),
                         g->IsItemEnabled(kSetDateStart)), std::tuple(0, false, false, false));
    g->ChooseOption(kSetPlayMode, 2);  // Duration
    EXPECT_EQ(std::tuple(set.playMode, g->IsItemEnabled(kSetDuration), g->IsItemEnabled(kSetFirstWeekday)),
              std::tuple(1, true, false));
    g->ChooseOption(kSetPlayMode, 1);  // Time
    EXPECT_EQ(std::tuple(set.playMode, g->IsItemEnabled(kSetDuration), g->IsItemEnabled(kSetFirstWeekday + 6),
                         g->IsItemEnabled(kSetFirstPeriod)), std::tuple(6, false, true, true));
    g->ChooseOption(kSetFirstWeekday + 2, 1);
    g->CommitPacked(kSetFirstPeriod + 1, PackTime(8, 30, 0));
    g->CommitPacked(kSetDateEnd, PackDate(2030, 1, 2));
    EXPECT_EQ(std::tuple(set.weekdays, set.periods[0] >> 16, set.dates[0].stop),
              std::tuple(4, PackTime(8, 30, 0), PackDate(2030, 1, 2)));

    // "More" opens the period dialog once per choice.
    Answerer<CDlgSelMorePeriod> closer([](CDlgSelMorePeriod* d) {
        d->WindowPicker(false)->setTime(QTime(0, 5, 0));
        d->WindowPicker(true)->setTime(QTime(0, 35, 0));
        d->OnFillAll();
        d->reject();
    });
    ASSERT_TRUE(g->IsItemEnabled(kSetMore) && g->EditValue(kSetMore));  // through the drop-down, as the user does
    auto* combo = g->Tree()->viewport()->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    emit combo->activated(0);
    QApplication::processEvents();
    // the first three periods shown again
    EXPECT_EQ(std::tuple(closer.seen, set.periods[1], g->Value(kSetFirstPeriod + 2)),
              std::tuple(1, uint32_t(PackTime(1, 5, 0)) | uint32_t(PackTime(1, 35, 0)) << 16, QString("01:05:00")));
    g->ChooseOption(kSetMore, 0);
    EXPECT_EQ(closer.seen, 2);
}

TEST(PropertiesWnd, ProgramEditsAreHeldToTheStoredRangesAndTellTheLayout) {
    Fixture f;
    ProgramRecord p;
    p.left = 10, p.right = 74, p.bottom = 16, p.secondaryAction.effect = 3;
    p.mainAction.effect = kEffectBlindsHorizontal, p.mainAction.offset = 3;
    f.select(IMC_PROGRAM_SELECTED, &p);
    PropertyGrid* g = f.grid(kProgramGridId);
    EXPECT_EQ(std::tuple(g->GetOptionIndex(kPrgSecondEffect), p.secondaryAction.effect,
                         g->IsItemEnabled(kPrgSecondSpeed)), std::tuple(0, uint8_t(0), false));
    g->CommitText(kPrgOffsetX, "30");
    EXPECT_EQ(f.channel.Count(IMC_RELAYOUT_TEXT), 0);  // a moved area breaks its lines as before
    g->CommitText(kPrgWidth, "300");
    g->CommitText(kPrgHeight, "8");
    // A new size breaks the editor's lines elsewhere.
    EXPECT_EQ(std::tuple(p.left, p.right, p.bottom, f.channel.Count(IMC_REDRAW_LAYOUT),
                         f.channel.Count(IMC_RELAYOUT_TEXT)), std::tuple(30, 330, 8, 3, 2));
    g->CommitText(kPrgMainPause, "300");
    g->CommitText(kPrgMainSpeed, "0");
    EXPECT_EQ(std::tuple(p.mainAction.pause, p.mainAction.speed, g->IntValue(kPrgMainPause),
                         g->IntValue(kPrgMainSpeed)), std::tuple(255, 1, 255, 1));
    g->ChooseOption(kPrgMainEffect, kEffectMoveLeft - 1);
    EXPECT_EQ(std::tuple(p.mainAction.effect, p.mainAction.offset, f.channel.Count(IMC_RELAYOUT_TEXT)),
              std::tuple(uint8_t(1), int16_t(0), 3));
    g->ChooseOption(kPrgRole, 1);
    ASSERT_EQ(f.channel.sent.back(), (std::pair<int, intptr_t>(IMC_SET_PROGRAM_KIND, 1)));
    f.wnd.onInternal(IMC_SET_PROGRAM_KIND, 255);
    g->ChooseOption(kPrgRate, 0);
    EXPECT_EQ(std::tuple(g->GetOptionIndex(kPrgRole), p.rate), std::tuple(0, -10));

    Answerer<DlgEditFrame> frameEditor([](DlgEditFrame* d) { d->reject(); });  // Cancel keeps the border
    g->ChooseOption(kPrgBorderType, 1);  // Custom opens the frame editor
    EXPECT_EQ(std::tuple(frameEditor.seen, p.borderType, g->GetOptionIndex(kPrgBorderType),
                         g->IsItemEnabled(kPrgBorderEffect)), std::tuple(1, 0, 0, false));
    g->ChooseOption(kPrgBorderType, 2);
    ASSERT_FALSE(p.borderFrames.empty());
    g->ChooseOption(kPrgBorderType, 0);
    EXPECT_EQ(std::tuple(p.borderFrames.size(), g->IsItemEnabled(kPrgBorderEffect)), std::tuple(size_t(0), false));

    g->CommitText(kPrgMusic, "/music/a.mp3");
    EXPECT_EQ(BufferText(p.musicPath), u"/music/a.mp3");
    g->CommitText(kPrgMusic, QString(300, 'x'));  // longer than the record holds: refused
    EXPECT_EQ(std::tuple(BufferText(p.musicPath), g->Value(kPrgMusic)), std::tuple(u"/music/a.mp3", "/music/a.mp3"));
}

TEST(PropertiesWnd, PasswordIsAskedOncePerSelectionAndSizesAreChecked) {
    Fixture f;
    Answerer<CDlgPassword> password(TypeServicePassword);
    BoxCloser boxes;
    HardwareParams hw;
    f.channel.screen = &hw;
    f.select(IMC_SCREEN_SELECTED, &hw);
    PropertyGrid* g = f.grid(kHardwareGridId);
    g->CommitText(kHwBrightness, "120");
    f.wnd.OnApplySimulatedParams();
    f.wnd.OnApplySimulatedParams();
    EXPECT_EQ(std::tuple(password.seen, hw.brightness, std::filesystem::exists(SettingsFilePath())),
              std::tuple(1, 120, true));
    f.wnd.OnDefaultHardwareParams();  // drops the edits and the acceptance
    g->CommitText(kHwWidth, "0");
    f.wnd.OnApplySimulatedParams();
    const QString applied = QString::fromUtf16(ptext::kApplySucceeded());
    EXPECT_EQ(std::tuple(password.seen, hw.width, boxes.texts),
              std::tuple(2, 128,
                         std::vector{applied, applied, QString::fromUtf16(SizeCheckMessage(SizeCheck::Zero)())}));
    f.select(IMC_PROGRAM_SELECTED, static_cast<ProgramRecord*>(nullptr));
    EXPECT_FALSE(f.wnd.PasswordAccepted());
    // A settings folder that cannot be made (a file stands in its way): applied, and told so.
    const std::string blocked = std::string(SettingsFilePath()) + ".blocked";
    std::ofstream(blocked) << "x";
    setenv("LEDSUITE_APPDATA", (blocked + "/app").c_str(), 1);
    ResetAppDataFolderForTests();
    f.select(IMC_SCREEN_SELECTED, &hw);
    g->CommitText(kHwBrightness, "90");
    f.wnd.OnApplySimulatedParams();
    EXPECT_EQ(std::tuple(hw.brightness, boxes.texts.back()),
              std::tuple(90, QString::fromUtf16(ptext::kSettingsNotSaved())));
}

TEST(PropertiesWnd, SetThenReadAgainstTheCardGivesBackTheSameHeader) {
    Fixture f;
    Answerer<CDlgPassword> password(TypeServicePassword);
    BoxCloser boxes;
    HardwareParams hw;
    hw.cardType = 2, hw.cardSubtype = 7, hw.width = 320, hw.baudIndex = 8;
    hw.timedBrightness[0] = uint32_t(PackTime(11, 16, 0)) | 255u << 16;
    f.channel.screen = &hw;
    f.select(IMC_SCREEN_SELECTED, &hw);
    PropertyGrid* g = f.grid(kHardwareGridId);
    EXPECT_EQ(g->GetOptionIndex(kHwModel), 4);
    g->CommitText(kHwBrightness, "77");
    std::vector<uint8_t> sentBlock;
    {
        CardOnPort card({.info = MakeInfoReply(0, 2, 3, {{7, 1}})});
        f.wnd.OnSetHardwareParams();
        EXPECT_EQ(f.channel.sendCode, TransferResult::kSent);
        sentBlock = card.card.log().data;
    }
    EXPECT_EQ(std::tuple(hw.brightness, sentBlock, std::filesystem::exists(SettingsFilePath())),
              std::tuple(77, BuildHardwareParamBlock(hw), true));

    g->CommitText(kHwBrightness, "5");  // an edit the read replaces
    g->SelectOptionIndex(kHwSerialPort, 6);
    {
        CardOnPort card({.info = MakeInfoReply(0, 2, 3, {{7, 0}}), .readBackData = sentBlock});
        f.wnd.OnReadHardwareParams();
    }
    // the model 20K GPRS (subtype 6) from the reply's pairs, the port kept; the screen record waits for Set or Apply
    EXPECT_EQ(std::tuple(g->IntValue(kHwBrightness), g->GetOptionIndex(kHwModel), g->GetOptionIndex(kHwSerialPort),
                         hw.cardSubtype), std::tuple(77, 3, 6, 7));
    g->SelectOptionIndex(kHwSerialPort, 0);
    f.wnd.OnApplySimulatedParams();
    ScreenHeader header{};
    BuildProgramHeader(hw, header);
    EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.end()),
              std::vector<uint8_t>(sentBlock.begin(), sentBlock.begin() + 64));
    EXPECT_EQ(std::tuple(password.seen, hw.cardSubtype), std::tuple(1, 6));
}

TEST(PasswordPrompt, EmptyOrWrongKeepsItOpen) {
    CDlgPassword prompt;
    BoxCloser boxes;
    QTimer::singleShot(0, [&] {
        prompt.OkButton()->click();
        prompt.PasswordField()->setText("999");
        prompt.OkButton()->click();
        EXPECT_TRUE(prompt.isVisible());
        prompt.PasswordField()->setText(QString::fromUtf16(kServicePassword));
        prompt.OkButton()->click();
    });
    EXPECT_EQ(prompt.exec(), QDialog::Accepted);
    EXPECT_EQ(boxes.texts, (std::vector<QString>{"Password is empty", "Password Error"}));
}

TEST(PropertiesWnd, NumbersTypedPastTheirRangeAreHeldToItNotCut) {
    Fixture f;
    ProgramRecord p;
    p.right = 64, p.bottom = 16, p.secondaryAction.effect = 5;
    f.select(IMC_PROGRAM_SELECTED, &p);
    PropertyGrid* g = f.grid(kProgramGridId);
    TypeNumber(g, kPrgMainPause, "300");
    TypeNumber(g, kPrgMainSpeed, "0");
    TypeNumber(g, kPrgSecondPause, "300");
    EXPECT_EQ(std::tuple(p.mainAction.pause, p.mainAction.speed, p.secondaryAction.pause, g->Value(kPrgMainPause),
                         g->Value(kPrgMainSpeed)), std::tuple(255, 1, 254, "255", "1"));
    // The arrows stay inside the range.
    auto* spin = qobject_cast<QSpinBox*>(OpenValue(g, kPrgMainPause));
    ASSERT_NE(spin, nullptr);
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(p.mainAction.pause, 255);

    // The hardware grid: brightness, ID and a timed level typed as 300 are sent as 255.
    Answerer<CDlgPassword> password(TypeServicePassword);
    BoxCloser boxes;
    HardwareParams hw;
    f.select(IMC_SCREEN_SELECTED, &hw);
    PropertyGrid* h = f.grid(kHardwareGridId);
    for (int key : {int(kHwBrightness), int(kHwCardId), TimedLevelKey(2)}) TypeNumber(h, key, "300");
    f.wnd.Command(kCmdApplySimulated)->trigger();
    EXPECT_EQ(std::tuple(hw.brightness, hw.cardId, hw.timedBrightness[2] >> 16, password.seen),
              std::tuple(255, 255, 255u, 1));
}

TEST(PropertiesWnd, WhatTheHardwareGridOffersIsWhatIsStoredAndSent) {
    Fixture f;
    Answerer<CDlgPassword> password(TypeServicePassword);
    BoxCloser boxes;
    HardwareParams hw;
    hw.cardType = 3, hw.cardSubtype = 5, hw.pageSize = 4, hw.baudIndex = 8;
    f.channel.screen = &hw;
    f.select(IMC_SCREEN_SELECTED, &hw);
    PropertyGrid* g = f.grid(kHardwareGridId);
    // Only the page sizes a record keeps are offered; the largest stays what it is.
    EXPECT_EQ(std::tuple(g->Options(kHwPageSize).size(), g->Value(kHwPageSize)), std::tuple(5, "12K"));
    ClickOption(g, kHwModel, 9);  // "40K Asyn Voice-III": subtype 4 offers the font chip only
    EXPECT_EQ(std::tuple(g->IsItemEnabled(kHwFontChip), g->IsItemEnabled(kHwPageSize)), std::tuple(true, false));
    ClickOption(g, kHwFontChip, 3);
    std::vector<uint8_t> sent;
    {
        CardOnPort card({.info = MakeInfoReply(0, 3, 3, {{15, 1}})});
        f.wnd.Command(kCmdSetHardware)->trigger();
        sent = card.card.log().data;
    }
    EXPECT_EQ(std::tuple(hw.cardSubtype, hw.fontChip, hw.pageSize, hw.fileSystem), std::tuple(4, 3, 0, 0));
    EXPECT_EQ(sent, BuildHardwareParamBlock(hw));
    f.select(IMC_SCREEN_SELECTED, &hw);  // shown again: the grid still shows what was sent
    EXPECT_EQ(std::tuple(g->GetOptionIndex(kHwModel), g->GetOptionIndex(kHwFontChip)), std::tuple(9, 3));
}

TEST(PropertiesWnd, TakingTheFocusHandsItToTheProgramGrid) {
    Fixture f;
    ProgramRecord p;
    p.right = 64, p.bottom = 16;
    f.select(IMC_PROGRAM_SELECTED, &p);
    f.wnd.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.wnd));
    f.wnd.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), f.grid(kProgramGridId)->Tree());
}
