// Times and dates typed into every date and time editor of the suite, in the whole main window,
// as people write them: with separators, digits alone, one-digit parts, and into a section
// clicked in the middle of the value. What the program keeps and what shows when its page is
// shown again are what was typed.
#include <gtest/gtest.h>

#include <functional>

#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimeEdit>

#include "content/bytes.h"
#include "content/model/clock.h"
#include "content/model/field_objects.h"
#include "editors/hardware_grid_rules.h"
#include "editors/ui/dlg_password.h"
#include "editors/ui/dlg_sel_more_period.h"
#include "editors/ui/dlg_timer.h"
#include "editors/ui/hardware_grid.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "link/play_schedule.h"
#include "link/udisk_export.h"
#include "link/ui/dlg_background_music.h"
#include "link/ui/dlg_udisk.h"
#include "music/ui/music_ctrl.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/music/music_test_util.h"
#include "tests/shell/shell_test_util.h"
#include "tests/toolkit/property_grid_keys.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/property_item.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

QString TimeText(int h, int m, int s) { return QTime(h, m, s).toString(QStringLiteral("HH:mm:ss")); }
QString DateText(int y, int m, int d) { return QDate(y, m, d).toString(QStringLiteral("yyyy-MM-dd")); }
QString PackedTimeText(uint32_t word) {
    int h = 0, m = 0, s = 0;
    UnpackTime(uint16_t(word), h, m, s);
    return TimeText(h, m, s);
}
QString PackedDateText(uint16_t word) {
    int y = 0, m = 0, d = 0;
    UnpackDate(word, y, m, d);
    return DateText(y, m, d);
}
int Bcd(uint8_t b) { return (b >> 4) * 10 + (b & 15); }

// The editors, in the order the table takes them.
enum Ed { kGridPeriod, kGridDateEnd, kGridPowerOn, kGridLuminance, kPeriods, kFillAll, kTimerTime, kTimerDate,
          kDiskDate, kDiskTime, kMusicStart, kSchedule, kEditors };
const char* const kNames[kEditors] = {"set grid period", "set grid Date End", "Power-On", "luminance time",
                                      "periods dialog", "Fill All", "timer time A", "timer date B",
                                      "USB-disk date", "USB-disk time", "music Start Playing", "schedule start"};

// Types `typed` into a picker as a user does: a click into its section `section`, the keys, Return.
struct Typing {
    int section;
    QString typed;
    void operator()(QDateTimeEdit* picker) const {
        // A dialog takes clicks once it is the active window. A click into the grid's editor
        // within the double-click time after it opened belongs to the double-click that opened it.
        EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == picker->window(); }));
        if (section > 0 && qobject_cast<CDateTimeCtrlEx*>(picker))
            QTest::qWait(QApplication::doubleClickInterval() + 20);
        ClickSection(picker, section);
        QTest::keyClicks(QApplication::focusWidget(), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
    }
};

// The whole main window with a program set in "Time" mode holding a program with a timer
// field, a music row, and a USB disk.
struct App : ShellApp {
    std::string disk = env.Path("disk");
    Answerer<CDlgPassword> password{[](CDlgPassword* d) {
        d->PasswordField()->setText(QString::fromUtf16(kServicePassword));
        d->OkButton()->click();
    }};
    BoxCloser boxes;

    App() {
        EXPECT_TRUE(Start());
        Frame().OnLanguage(3);
        fs::create_directories(disk);
        setenv("LEDSUITE_REMOVABLE_ROOTS", disk.c_str(), 1);
        Tree().setCurrentItem(Tree().ScreenItem());
        TypeProgram("");
        AnswerNext<DlgTimer>([](DlgTimer* d) { d->accept(); });
        RunSurfaceMenuCommand(Editor().surface(), kCmdInsertTimer);
        SelectSet();
        ClickOption(Grid(kProgramSetGridId), kSetPlayMode, 1);  // "Time": dates and periods open
        WriteBytes(env.Path("song.mp3"), "ID3");
        Music()->AddFile(QString::fromStdString(env.Path("song.mp3")));
    }
    // The main window active again, as the window system leaves it when a dialog closes.
    void Activate() {
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    }
    ~App() { unsetenv("LEDSUITE_REMOVABLE_ROOTS"); }
    CPropertiesWnd& Props() { return *qobject_cast<CPropertiesWnd*>(Frame().PropertyWindow()); }
    PropertyGrid* Grid(int id) { return Props().Grid(id); }
    CMusicCtrl* Music() { return qobject_cast<CMusicCtrl*>(Host().PageWidget(RSEditorWnd::kPageMusic)); }
    ProgramSetRecord& Set() { return *Programs().sets()[0].record; }
    TimerField& Timer() {
        return *CellObjectAs<TimerField>(Programs().sets()[0].programs[0].record->content.cells[0]);
    }
    void SelectSet() { Tree().setCurrentItem(Tree().ItemAt(0)); }
    void SelectScreen() { Tree().setCurrentItem(Tree().ScreenItem()); }
    // Another page, then `select` again.
    void ShowAgain(void (App::*select)()) {
        Tree().setCurrentItem(Tree().ItemAt(0, 0));
        (this->*select)();
    }

    // The grid item `key` typed into; the hardware grid's values are stored by Apply.
    void EditGrid(int grid, int key, const Typing& type) {
        QTest::mouseClick(Grid(grid)->Tree()->viewport(), Qt::LeftButton, {}, ValuePoint(Grid(grid), key));
        auto* editor = qobject_cast<CDateTimeCtrlEx*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        type(editor);
        if (grid == kHardwareGridId) Props().Command(kCmdApplySimulated)->trigger();
    }
    QString GridShown(int grid, int key) {
        ShowAgain(grid == kHardwareGridId ? &App::SelectScreen : &App::SelectSet);
        return Grid(grid)->Value(key);
    }

    // The play-periods dialog opened with "More" in the set's grid; `work` runs in it.
    void InPeriods(const std::function<void(CDlgSelMorePeriod*)>& work) {
        SelectSet();
        AnswerNext<CDlgSelMorePeriod>([&](CDlgSelMorePeriod* d) {
            work(d);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        ClickOption(Grid(kProgramSetGridId), kSetMore, 0);
    }
    void FillAll(const Typing& type) {
        InPeriods([&](CDlgSelMorePeriod* d) {
            d->WindowPicker(true)->setTime(QTime(0, 59, 58));
            type(d->WindowPicker(false));
            QTest::mouseClick(d->FillButton(), Qt::LeftButton);
        });
    }

    // The timer's dialog opened with Edit on the selected field; `work` runs in it.
    void InTimer(const std::function<void(DlgTimer*)>& work) {
        Tree().setCurrentItem(Tree().ItemAt(0, 0));
        QTest::keyClick(Editor().surface(), Qt::Key_A, Qt::ControlModifier);
        AnswerNext<DlgTimer>([&](DlgTimer* d) { work(d); });
        RunSurfaceMenuCommand(Editor().surface(), kCmdEditItem);
    }
    QString TimerShown(bool date) {
        QString text;
        InTimer([&](DlgTimer* d) {
            text = (date ? static_cast<QDateTimeEdit*>(d->DateB()) : d->TimeA())->text().replace('/', '-');
            d->reject();
        });
        return text;
    }

    // File > USB disk: the picker typed into, then "Sync Time"; what the picker shows then.
    QString SyncTime(bool date, const Typing& type) {
        QString shown;
        AnswerNext<DlgUDisk>([&](DlgUDisk* d) {
            QDateTimeEdit* picker = date ? static_cast<QDateTimeEdit*>(d->DatePicker()) : d->TimePicker();
            // The dialog opens at the present; the rows go on from what the row before stored.
            if (const QString before = DiskTime(date); before != "none")
                date ? picker->setDate(QDate::fromString(before, "yyyy-MM-dd"))
                     : picker->setTime(QTime::fromString(before));
            type(picker);
            for (QPushButton* b : d->findChildren<QPushButton*>())
                if (b->text() == "Sync Time") QTest::mouseClick(b, Qt::LeftButton);
            shown = picker->text();
            d->reject();
        });
        Frame().UpdateCommandStates();
        Frame().Commands(ID_UDISK).front()->trigger();
        return shown;
    }
    QString DiskTime(bool date) {
        std::vector<uint8_t> b;
        if (ReadFileBytes(UDiskSyncTimePath(disk), 64, b) != ReadFileResult::Ok || b.size() != 8) return "none";
        return date ? DateText(2000 + Bcd(b[6]), Bcd(b[4]), Bcd(b[3])) : TimeText(Bcd(b[2]), Bcd(b[1]), Bcd(b[0]));
    }

    void EditMusicStart(const Typing& type) {
        SelectScreen();
        OpenListCell(Music()->List(), 0, CMusicCtrl::kColStart);
        type(Music()->List()->InPlaceTime());
    }
    QString MusicStored() {
        const uint32_t t = Music()->Shared().Row(0)->startTime;
        return TimeText(int(t >> 12), int(t >> 6 & 63), int(t & 63));
    }

    // Sound Config's schedule: slot 1's start typed (its type chosen the first time), saved to
    // the disk; the cell as it shows after the other tab and back.
    QString EditSchedule(const Typing& type) {
        QString shown;
        AnswerNext<CDlgBackGroundMusic>([&](CDlgBackGroundMusic* d) {
            EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == d; }));
            QTest::mouseClick(d->Tabs(), Qt::LeftButton, {}, d->Tabs()->tabRect(kTabSchedule).center());
            CMyListCtrl* list = d->List();
            if (list->item(0, 3)->text().isEmpty()) {
                OpenListCell(list, 0, 3);
                QTest::keyClick(list->InPlaceList(), Qt::Key_Down);
                QTest::keyClick(list->InPlaceList(), Qt::Key_Return);
                OpenListCell(list, 0, 2);
                Typing{0, "23:59:58"}(list->InPlaceTime());  // the end, after every start typed
            }
            OpenListCell(list, 0, 1);
            type(list->InPlaceTime());
            QTest::mouseClick(d->SaveButton(), Qt::LeftButton);
            QTest::mouseClick(d->Tabs(), Qt::LeftButton, {}, d->Tabs()->tabRect(kTabMusic).center());
            QTest::mouseClick(d->Tabs(), Qt::LeftButton, {}, d->Tabs()->tabRect(kTabSchedule).center());
            shown = list->item(0, 1)->text();
            d->reject();
        });
        Frame().Commands(ID_MUSIC).front()->trigger();
        return shown;
    }
    QString ScheduleStored() {
        std::vector<uint8_t> b;
        if (ReadFileBytes(PlaytimePath(disk), 1024, b) != ReadFileResult::Ok || b.size() < 10) return "none";
        return PackedTimeText(LoadU16(&b[8]));
    }

    // Types into editor `e`; the value kept and the value shown again.
    std::pair<QString, QString> Run(Ed e, const Typing& t) {
        Activate();
        switch (e) {
        case kGridPeriod:
            EditGrid(kProgramSetGridId, kSetFirstPeriod, t);
            return {PackedTimeText(Set().periods[0] & 0xFFFF), GridShown(kProgramSetGridId, kSetFirstPeriod)};
        case kGridDateEnd:
            EditGrid(kProgramSetGridId, kSetDateEnd, t);
            return {PackedDateText(Set().dates[0].stop), GridShown(kProgramSetGridId, kSetDateEnd)};
        case kGridPowerOn:
            SelectScreen();
            EditGrid(kHardwareGridId, kHwPowerOn, t);
            return {PackedTimeText(Programs().screen().switchOnTime), GridShown(kHardwareGridId, kHwPowerOn)};
        case kGridLuminance:
            EditGrid(kHardwareGridId, TimedTimeKey(1), t);
            return {PackedTimeText(Programs().screen().timedBrightness[1] & 0xFFFF),
                    GridShown(kHardwareGridId, TimedTimeKey(1))};
        case kPeriods:
            InPeriods([&](CDlgSelMorePeriod* d) { t(d->Picker(1, true)); });
            return {PackedTimeText(Set().periods[1] >> 16), GridShown(kProgramSetGridId, kSetFirstPeriod + 3)};
        case kFillAll:
            FillAll(t);
            return {PackedTimeText(Set().periods[0] & 0xFFFF), GridShown(kProgramSetGridId, kSetFirstPeriod)};
        case kTimerTime:
            InTimer([&](DlgTimer* d) { t(d->TimeA()); });
            return {TimeText(Timer().a.monthDayHour & 31, Timer().a.minuteSecond >> 6, Timer().a.minuteSecond & 63),
                    TimerShown(false)};
        case kTimerDate:
            InTimer([&](DlgTimer* d) { t(d->DateB()); });
            return {DateText(Timer().b.year, Timer().b.monthDayHour >> 10, Timer().b.monthDayHour >> 5 & 31),
                    TimerShown(true)};
        case kDiskDate:
        case kDiskTime: {
            const QString shown = SyncTime(e == kDiskDate, t);
            return {DiskTime(e == kDiskDate), shown};
        }
        case kMusicStart:
            EditMusicStart(t);
            ShowAgain(&App::SelectScreen);
            return {MusicStored(), Music()->List()->item(0, CMusicCtrl::kColStart)->text()};
        case kSchedule: {
            const QString shown = EditSchedule(t);
            return {ScheduleStored(), shown};
        }
        default:
            return {};
        }
    }
};

}  // namespace

// Every time and date editor × every way of typing: each row starts from what the row before
// left in its editor, types after a click into the section given, presses Return; the program
// keeps what was typed and shows it again.
TEST(TypedTimes, EveryEditorKeepsTimesAndDatesAsTheyAreWritten) {
    struct Form {
        int section;  // clicked into before typing
        const char* typed;
        QString kept;
    };
    const std::vector<Form> times = {{0, "09:30:00", TimeText(9, 30, 0)}, {0, "21:45:10", TimeText(21, 45, 10)},
                                     {0, "093000", TimeText(9, 30, 0)},   {0, "7:5", TimeText(7, 5, 0)},
                                     {0, "9:30", TimeText(9, 30, 0)},     {1, "15", TimeText(9, 15, 0)},
                                     {2, "42", TimeText(9, 15, 42)},      {0, "7.30.20", TimeText(7, 30, 20)}};
    const std::vector<Form> dates = {{0, "2026-06-15", DateText(2026, 6, 15)}, {0, "2027/1/5", DateText(2027, 1, 5)},
                                     {0, "2026/6/15", DateText(2026, 6, 15)},  {0, "2026-6-5", DateText(2026, 6, 5)},
                                     {0, "20260615", DateText(2026, 6, 15)},   {1, "03", DateText(2026, 3, 15)},
                                     {2, "9", DateText(2026, 3, 9)},
                                     {0, "2028 11 30", DateText(2028, 11, 30)}};
    // The Fill All window: minutes and seconds, from 00:00 each time the dialog opens.
    const std::vector<Form> window = {{0, "05:30", TimeText(0, 5, 30)}, {0, "5:4", TimeText(0, 5, 4)},
                                      {0, "0712", TimeText(0, 7, 12)},  {1, "46", TimeText(0, 0, 46)}};
    const std::pair<std::vector<Ed>, const std::vector<Form>*> table[] = {
        {{kGridPeriod, kGridPowerOn, kGridLuminance, kPeriods, kTimerTime, kDiskTime, kMusicStart, kSchedule},
         &times},
        {{kGridDateEnd, kTimerDate, kDiskDate}, &dates},
        {{kFillAll}, &window}};

    App a;
    for (const auto& [editors, forms] : table)
        for (Ed e : editors)
            for (const Form& f : *forms) {
                const auto [stored, shown] = a.Run(e, {f.section, QString::fromLatin1(f.typed)});
                EXPECT_EQ(std::tuple(stored.toStdString(), shown.toStdString()),
                          std::tuple(f.kept.toStdString(), f.kept.toStdString()))
                    << kNames[e] << ": \"" << f.typed << "\" after a click into section " << f.section;
            }
}
