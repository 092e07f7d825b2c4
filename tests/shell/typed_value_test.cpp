// A value still being typed when a command runs is the value the command keeps: Save, Save
// As, the USB disk, Preview, Exit, the window's close button, a click into the tree or the
// layout view and the property window's Apply commit it first, as Return would, be it in a
// grid or in a list's cell. File > Save with a folder's name goes into the folder.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>

#include "content/card/program_file.h"
#include "content/model/clock.h"
#include "content/preview/layout_canvas.h"
#include "editors/hardware_grid_rules.h"
#include "editors/ui/dlg_password.h"
#include "editors/ui/hardware_grid.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "link/udisk_export.h"
#include "link/ui/dlg_udisk.h"
#include "music/playlist.h"
#include "music/ui/music_ctrl.h"
#include "shell/zu_view.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/shell/shell_test_util.h"
#include "tests/toolkit/property_grid_keys.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

struct App : ActiveApp {
    void ClickTool(int id) {
        QToolBar* bar = Frame().MainToolBar();
        QTest::mouseClick(bar->widgetForAction(CommandAction(bar, id)), Qt::LeftButton);
    }
};

// A value typed into an editor of the grids and left open (no Return), and whether a tree
// read from a file holds it.
struct Typing {
    const char* what;
    void (*type)(App&);
    bool (*kept)(const ProgramTree&);
};

const Typing kTypings[] = {
    {"the program's width",
     [](App& a) {
         auto* spin = qobject_cast<QSpinBox*>(OpenValue(a.Grid(kProgramGridId), kPrgWidth));
         ASSERT_NE(spin, nullptr);
         QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
         QTest::keyClicks(spin, "40");
     },
     [](const ProgramTree& t) { return t.sets()[0].programs[0].record->width() == 40; }},
    {"the end of the set's first period",
     [](App& a) {
         a.Tree().setCurrentItem(a.Tree().ItemAt(0));
         PropertyGrid* g = a.Grid(kProgramSetGridId);
         ClickOption(g, kSetPlayMode, 1);  // "Time": the periods open
         QTest::mouseClick(g->Tree()->viewport(), Qt::LeftButton, {}, ValuePoint(g, kSetFirstPeriod + 1));
         QTest::keyClicks(QApplication::focusWidget(), "174500");
     },
     [](const ProgramTree& t) { return (t.sets()[0].record->periods[0] >> 16) == PackTime(17, 45, 0); }},
};

// A command reached as the user reaches it; the file it leaves (none for a command that
// only reads the records) and the question it asks on the way.
struct Command {
    const char* what;
    bool asks;  // the save question comes, and is answered Yes
    std::string (*run)(App&, QString* asked);
};

const Command kCommands[] = {
    {"Save on the toolbar", false,
     [](App& a, QString*) {
         ChooseNextFile(QString::fromStdString(a.env.Path("saved")));
         a.ClickTool(ID_FILE_SAVE);
         return a.env.Path("saved.lcs");
     }},
    {"Save As in the menu", false,
     [](App& a, QString*) {
         ChooseNextFile(QString::fromStdString(a.env.Path("other")));
         a.Menu(ID_FILE_SAVE_AS)->trigger();
         return a.env.Path("other.lcs");
     }},
    {"USB disk on the toolbar", false,
     [](App& a, QString*) {
         const std::string disk = a.env.Path("disk");
         fs::create_directories(disk);
         setenv("LEDSUITE_REMOVABLE_ROOTS", disk.c_str(), 1);
         a.Frame().UpdateCommandStates();
         BoxCloser boxes;
         AnswerNext<DlgUDisk>([](DlgUDisk* d) {
             QTest::mouseClick(d->SaveButton(), Qt::LeftButton);
             d->accept();
         });
         a.ClickTool(ID_UDISK);
         unsetenv("LEDSUITE_REMOVABLE_ROOTS");
         return UDiskProgramPath(disk, *ModelPrefix(a.Programs().screen().cardType), 0);
     }},
    {"Exit in the menu, Yes", true,
     [](App& a, QString* asked) {
         AnswerBox(asked, IDYES);
         ChooseNextFile(QString::fromStdString(a.env.Path("exit")));
         a.Menu(ID_APP_EXIT)->trigger();
         return a.env.Path("exit.lcs");
     }},
    {"the window's close button, Yes", true,
     [](App& a, QString* asked) {
         AnswerBox(asked, IDYES);
         ChooseNextFile(QString::fromStdString(a.env.Path("closed")));
         a.Frame().close();
         return a.env.Path("closed.lcs");
     }},
    {"Preview on the toolbar", false,
     [](App& a, QString*) {
         a.ClickTool(ID_PREVIEW);
         EXPECT_TRUE(PreviewLock());
         a.ClickTool(ID_PREVIEW);
         return std::string();
     }},
    {"a click on the screen in the tree, then Save", false,
     [](App& a, QString*) {
         CViewTree& tree = a.Tree();
         QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(tree.ScreenItem()).center());
         EXPECT_EQ(tree.currentItem(), tree.ScreenItem());
         ChooseNextFile(QString::fromStdString(a.env.Path("after_click")));
         a.Menu(ID_FILE_SAVE)->trigger();
         return a.env.Path("after_click.lcs");
     }},
};

}  // namespace

TEST(TypedValue, EveryCommandThatReadsTheRecordsKeepsTheValueStillBeingTyped) {
    for (const Typing& typing : kTypings)
        for (const Command& command : kCommands) {
            SCOPED_TRACE(std::string(typing.what) + ", " + command.what);
            App a;
            a.Tree().setCurrentItem(a.Tree().ScreenItem());
            a.TypeProgram("Typed");
            ChooseNextFile(QString::fromStdString(a.env.Path("start")));
            a.Menu(ID_FILE_SAVE)->trigger();  // nothing unsaved: only the typed value can make Exit ask
            a.Activate();
            typing.type(a);
            QString asked;
            const std::string file = command.run(a, &asked);
            EXPECT_TRUE(typing.kept(a.Programs()));
            ProgramTree back;
            if (!file.empty()) {
                ASSERT_EQ(OpenProgramFile(file, back), 0);
                ASSERT_EQ(back.sets().size(), 1u);
                EXPECT_TRUE(typing.kept(back));
            }
            EXPECT_EQ(asked, command.asks ? "The programs have been changed. Save them?" : "");
        }
}

// The screen's width typed into its grid and left open, then Apply on the property window's
// toolbar (its password given before, for this selection): the screen takes the typed width.
TEST(TypedValue, ApplyOnThePropertyToolbarKeepsTheWidthStillBeingTyped) {
    App a;
    Answerer<CDlgPassword> password([](CDlgPassword* d) {
        d->PasswordField()->setText(QString::fromUtf16(kServicePassword));
        d->OkButton()->click();
    });
    BoxCloser boxes;
    QAction* apply = a.Props().Command(kCmdApplySimulated);
    QWidget* button = qobject_cast<QToolBar*>(apply->parent())->widgetForAction(apply);
    QTest::mouseClick(button, Qt::LeftButton);
    a.Activate();
    auto* spin = qobject_cast<QSpinBox*>(OpenValue(a.Grid(kHardwareGridId), kHwWidth));
    ASSERT_NE(spin, nullptr);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, "96");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(a.Programs().screen().width, 96);
}

// Two programs side by side; the left one's width typed into the grid and left open, then a
// click on the right one in the layout view: the left program takes the width, the right
// one keeps its own.
TEST(TypedValue, AClickOnAnotherAreaKeepsTheValueForTheProgramItWasTypedFor) {
    App a;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    ProgramRecord& left = a.TypeProgram("L");
    ProgramRecord& right = a.TypeProgram("R");
    left.right = 64;
    right.left = 64;
    a.Tree().setCurrentItem(a.Tree().ItemAt(0, 0));
    auto* spin = qobject_cast<QSpinBox*>(OpenValue(a.Grid(kProgramGridId), kPrgWidth));
    ASSERT_NE(spin, nullptr);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, "40");
    auto* view = static_cast<CZUView*>(a.Frame().ViewWidget());
    QTest::mouseClick(view, Qt::LeftButton, {},
                      QPoint(LedToCanvasX(view->Canvas(), 96), LedToCanvasY(view->Canvas(), 8)));
    ASSERT_EQ(a.Tree().SelectedItem(), a.Tree().ItemAt(0, 1));
    QApplication::processEvents();
    EXPECT_EQ(std::pair(left.width(), right.width()), std::pair(40, 64));
}

// A song's daily start typed into the music list's cell and left open, then File > Exit: the
// playlist written on the way out holds the typed time.
TEST(TypedValue, ASongsStartStillBeingTypedIsInThePlaylistWrittenOnExit) {
    App a;
    auto* music = qobject_cast<CMusicCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageMusic));
    ASSERT_TRUE(music && music->AddFile("/m/first.mp3"));
    a.Tree().setCurrentItem(a.Tree().ScreenItem());  // the music page shows
    ASSERT_TRUE(music->isVisible());
    CMyListCtrl* list = music->List();
    list->setCurrentCell(0, CMusicCtrl::kColStart);
    const QPoint cell = list->visualItemRect(list->item(0, CMusicCtrl::kColStart)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_TRUE(list->InPlaceTime()->hasFocus());
    QTest::keyClicks(list->InPlaceTime(), "071500");
    a.Menu(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(a.Frame().isVisible());
    const std::optional<PlaylistFile> written = LoadPlaylistFile(PlaylistFilePath());
    ASSERT_TRUE(written && written->rows.size() == 1);
    EXPECT_EQ(written->rows[0].startTime, PackDailyTime(7, 15, 0));
}

// "Shows", the name of a folder, typed into the chooser of File > Save while the program runs
// from another folder: the chooser goes into the folder and nothing is written beside it.
TEST(TypedValue, SaveWithAFoldersNameGoesIntoTheFolder) {
    App a;
    a.TypeProgram("Folder");
    const fs::path shows = a.env.dir / "Shows", elsewhere = a.env.dir / "elsewhere";
    fs::create_directories(shows);
    fs::create_directories(elsewhere);
    const fs::path before = fs::current_path();
    fs::current_path(elsewhere);
    QString shown;
    AnswerNext<QFileDialog>([&](QFileDialog* d) {
        d->setDirectory(QString::fromStdString(a.env.dir.string()));
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, "Shows");
        QTest::keyClick(edit, Qt::Key_Return);
        shown = d->directory().absolutePath();
        if (d->isVisible()) d->reject();
    });
    a.Menu(ID_FILE_SAVE)->trigger();
    fs::current_path(before);
    EXPECT_EQ(shown.toStdString(), shows.string());
    for (const fs::path& beside : {a.env.dir / "Shows.lcs", elsewhere / "Shows.lcs", shows / "Shows.lcs"})
        EXPECT_FALSE(fs::exists(beside)) << beside;
}
