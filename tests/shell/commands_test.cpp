// Every command of the frame, the tree page, the group page and the list panes, reached as
// a user reaches it: its action found in the real window's menu bar, toolbar or context
// menu (popped up by a right click) and triggered.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenuBar>
#include <QTest>
#include <QToolBox>

#include "link/ui/dlg_send_index.h"
#include "link/ui/quest_program_dlg.h"
#include "shell/dlg_preference.h"
#include "shell/list_view_car_info.h"
#include "shell/list_view_program_edit.h"
#include "shell/list_view_program_server.h"
#include "shell/outlook_bar.h"
#include "shell/page_toolbars.h"
#include "shell/view_multi.h"
#include "shell/zu_view.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// Right-clicks the item and triggers `id` in the menu that comes up; false when none came or
// it does not hold the command.
bool FromContextMenu(QTreeWidget* tree, QTreeWidgetItem* item, int id) {
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at);  // the right button selects the item
    QMenu* menu = RightClick(tree->viewport(), at);
    QAction* action = menu ? CommandAction(menu, id) : nullptr;
    if (menu) menu->hide();
    if (!action) return false;
    action->trigger();
    return true;
}

// The class name of the next modal dialog while `run` runs (closed again), or "". The watch
// ends with the call: a command that opens nothing leaves no answer behind for a later dialog.
QString DialogOpenedBy(const std::function<void()>& run) {
    QString opened;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        watch.stop();
        opened = dialog->metaObject()->className();
        dialog->done(QDialog::Rejected);
    });
    watch.start(1);
    run();
    return opened;
}

struct App : ShellApp {
    App() {
        EXPECT_TRUE(Start());
        Frame().OnLanguage(3);
    }
    QAction* Tool(int id) { return CommandAction(Frame().MainToolBar(), id); }
    CZUView& View() { return *static_cast<CZUView*>(Frame().ViewWidget()); }
};

// ---- the main frame: menus and main toolbar ----

TEST(FrameCommands, FileMenuAndToolbar) {
    App a;
    a.AddProgram(u"abc");
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE}) {
        ASSERT_NE(a.Menu(id), nullptr) << id;
        ASSERT_EQ(a.Tool(id) != nullptr, true) << id;
    }
    // New keeps the programs; Save and Save As open the chooser, which adds ".lcs"; Open opens it
    // for an existing file (nothing to ask once saved).
    a.Menu(ID_FILE_NEW)->trigger();
    a.Tool(ID_FILE_NEW)->trigger();
    EXPECT_EQ(a.Programs().sets().size(), 1u);
    int n = 0;
    for (QAction* save : {a.Menu(ID_FILE_SAVE), a.Tool(ID_FILE_SAVE), a.Menu(ID_FILE_SAVE_AS)}) {
        const QString name = QString::fromStdString(a.env.Path("saved" + std::to_string(n++)));
        ChooseNextFile(name);
        save->trigger();
        EXPECT_TRUE(QFile::exists(name + ".lcs")) << name.toStdString();
    }
    for (QAction* open : {a.Menu(ID_FILE_OPEN), a.Tool(ID_FILE_OPEN)}) {
        QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
        AnswerNext<QFileDialog>([&mode](QFileDialog* d) {
            mode = d->acceptMode();
            d->reject();
        });
        open->trigger();
        EXPECT_EQ(mode, QFileDialog::AcceptOpen);
    }
    a.Menu(ID_APP_EXIT)->trigger();  // saved just now: nothing to ask
    EXPECT_FALSE(a.Frame().isVisible());
}

TEST(FrameCommands, SettingToolAndHelpMenus) {
    App a;
    const std::pair<int, const char*> languages[] = {
        {ID_LANGUAGE_AUTO + 1, "文件(&F)"}, {ID_LANGUAGE_AUTO + 2, "檔案(&F)"}, {ID_LANGUAGE_AUTO + 3, "&File"}};
    for (const auto& [id, file] : languages) {
        a.Menu(id)->trigger();
        EXPECT_EQ(a.Frame().menuBar()->actions().front()->text(), QString(file)) << id;
        EXPECT_TRUE(a.Menu(id)->isChecked());
    }
    a.Menu(ID_LANGUAGE_AUTO)->trigger();
    EXPECT_EQ(UiLanguageSetting(), 0u);
    a.Menu(ID_LANGUAGE_AUTO + 3)->trigger();
    EXPECT_FALSE(a.Menu(ID_CHANGE_PASSWORD)->isEnabled());  // no server, no user: the server tests enable it
    const std::pair<int, const char*> dialogs[] = {{ID_PREFERENCE, "ledsuite::DlgPreference"},
                                                   {ID_REMOTE_CONTROL, "ledsuite::CDlgController"},
                                                   {ID_APP_ABOUT, "ledsuite::CAboutDlg"}};
    ScopedPorts none({"/no/such/port"});
    for (const auto& [id, name] : dialogs) EXPECT_EQ(DialogOpenedBy([&] { a.Menu(id)->trigger(); }), name) << id;
    // The lyric editor has no window: the command runs and nothing opens.
    EXPECT_TRUE(a.Menu(ID_LRC_EDITOR)->isEnabled());
    EXPECT_EQ(DialogOpenedBy([&] { a.Menu(ID_LRC_EDITOR)->trigger(); }), "");
}

TEST(FrameCommands, CardToolbarCommands) {
    App a;
    setenv("LEDSUITE_REMOVABLE_ROOTS", a.env.dir.c_str(), 1);
    a.Frame().UpdateCommandStates();
    ScopedPorts none({"/no/such/port"});  // no exchange reaches a real line
    a.AddProgram(u"abc");
    const std::pair<int, const char*> dialogs[] = {{ID_CARD_SEARCH, "ledsuite::CLinkDlg"},
                                                   {ID_UDISK, "ledsuite::DlgUDisk"},
                                                   {ID_MUSIC, "ledsuite::CDlgBackGroundMusic"}};
    for (const auto& [id, name] : dialogs) EXPECT_EQ(DialogOpenedBy([&] { a.Tool(id)->trigger(); }), name) << id;
    unsetenv("LEDSUITE_REMOVABLE_ROOTS");
    // Send, Upload, power and clock each end in their message (the port is missing).
    for (int id : {ID_CARD_SEND, ID_CARD_UPLOAD, ID_POWER_ON, ID_POWER_OFF, ID_SYN_TIME}) {
        a.shown.texts.clear();
        a.Tool(id)->trigger();
        ASSERT_EQ(a.shown.texts.size(), 1u) << id;
        EXPECT_FALSE(a.shown.Last().empty()) << id;
    }
    EXPECT_NE(a.shown.texts.empty(), true);
    // Preview locks and starts the player, again unlocks; zoom in, out and back.
    a.Tool(ID_PREVIEW)->trigger();
    EXPECT_EQ(std::pair(PreviewLock(), a.Tool(ID_PREVIEW)->isChecked()), std::pair(true, true));
    a.Tool(ID_PREVIEW)->trigger();
    EXPECT_FALSE(PreviewLock());
    const int start = a.View().Canvas().zoom;
    a.Tool(ID_ZOOM_IN)->trigger();
    EXPECT_GT(a.View().Canvas().zoom, start);
    a.Tool(ID_ZOOM_OUT)->trigger();
    EXPECT_EQ(a.View().Canvas().zoom, start);
    a.Tool(ID_ZOOM_IN)->trigger();
    a.Tool(ID_ZOOM_CENTER)->trigger();
    EXPECT_EQ(a.View().Canvas().zoom, 1);
    // The view's own menu (119) zooms too.
    QMenu* menu = RightClick(&a.View(), {10, 10});
    ASSERT_NE(menu, nullptr);
    CommandAction(menu, ID_ZOOM_IN)->trigger();
    menu->hide();
    EXPECT_GT(a.View().Canvas().zoom, 1);
}

TEST(FrameCommands, UDiskNeedsADriveAndMusicWorksInBothModes) {
    App a;
    setenv("LEDSUITE_REMOVABLE_ROOTS", a.env.Path("no-such-drive").c_str(), 1);
    a.Frame().UpdateCommandStates();
    EXPECT_FALSE(a.Tool(ID_UDISK)->isEnabled());
    setenv("LEDSUITE_REMOVABLE_ROOTS", a.env.dir.c_str(), 1);
    a.Frame().OutlookBar()->SetActivePage(1);  // multi-screen mode
    EXPECT_EQ(std::tuple(a.Tool(ID_UDISK)->isEnabled(), a.Tool(ID_MUSIC)->isEnabled(), a.Tool(ID_CARD_SEND)->isEnabled()),
              std::tuple(true, true, false));
    unsetenv("LEDSUITE_REMOVABLE_ROOTS");
}

// ---- the tree page: its toolbar and the tree's context menu ----

TEST(TreePageCommands, ToolbarAndContextMenu) {
    App a;
    CViewTree& tree = a.Tree();
    QToolBar* bar = a.Page().ToolBar();
    tree.setCurrentItem(tree.ScreenItem());
    CommandAction(bar, ID_ADD_PROGRAM_SET)->trigger();
    CommandAction(bar, ID_ADD_PROGRAM)->trigger();  // into the selected set
    tree.setCurrentItem(tree.ScreenItem());
    CommandAction(bar, ID_ADD_PROGRAM)->trigger();  // the screen selected: a new set with it
    ASSERT_EQ(a.Programs().sets().size(), 2u);
    EXPECT_EQ(a.Programs().sets()[0].programs.size(), 1u);
    // Shift the second set up and back down through the tree's context menu.
    a.Programs().sets()[1].programs[0].record->left = 7;
    ASSERT_TRUE(FromContextMenu(&tree, tree.ItemAt(1), ID_SHIFT_UP));
    EXPECT_EQ(a.Programs().sets()[0].programs[0].record->left, 7);
    ASSERT_TRUE(FromContextMenu(&tree, tree.ItemAt(0), ID_SHIFT_DOWN));
    EXPECT_EQ(a.Programs().sets()[1].programs[0].record->left, 7);
    EXPECT_EQ(DialogOpenedBy([&] { ASSERT_TRUE(FromContextMenu(&tree, tree.ItemAt(0), ID_SEND_TO)); }),
              "ledsuite::DlgSendIndex");
    // Delete the program under the selection: the canvas is told after the delete and drops its outline.
    ASSERT_TRUE(WaitUntil([&] { return a.View().Canvas().window != nullptr; }));
    tree.setCurrentItem(tree.ItemAt(1));
    const size_t withProgram = a.View().Canvas().overlay.rects.size();
    tree.setCurrentItem(tree.ItemAt(1, 0));
    CommandAction(bar, ID_DELETE_ITEM)->trigger();
    EXPECT_EQ(a.Programs().sets()[1].programs.size(), 0u);
    EXPECT_EQ(a.View().Canvas().selection.depth, 1);
    EXPECT_LT(a.View().Canvas().overlay.rects.size(), withProgram);
}

// ---- the group page ----

TEST(GroupPageCommands, ToolbarAndContextMenu) {
    App a;
    auto& page = *static_cast<CViewMulti*>(a.Frame().OutlookBar()->Pages()->widget(1));
    EXPECT_EQ(page.Notice()->text(), "Not connected to the server");
    GroupTable table;
    SetGroupName(table.groups[0], u"East");
    table.groups[0].count = 1;
    table.groups[0].ids[0] = 101;
    a.Frame().Server().ReceiveGroups(table);
    QAction* toolbar = CommandAction(page.ToolBar(), CViewMulti::kCmdToolbar);
    ASSERT_NE(toolbar, nullptr);
    toolbar->trigger();  // changes nothing
    QTreeWidgetItem* east = page.Tree()->topLevelItem(0)->child(0);
    for (int id : {CViewMulti::kCmdAdd, CViewMulti::kCmdEdit, CViewMulti::kCmdDelete})
        EXPECT_TRUE(FromContextMenu(page.Tree(), east, id)) << id;
    EXPECT_EQ(a.Frame().Server().Groups().groups[0].count, 1);
    // Move To asks for the group (the upload is the server tests' part).
    EXPECT_EQ(DialogOpenedBy([&] { FromContextMenu(page.Tree(), east->child(0), CViewMulti::kCmdMoveTo); }),
              "ledsuite::CGroupListDlg");
    // The root follows the language.
    a.Menu(ID_LANGUAGE_AUTO + 1)->trigger();
    EXPECT_EQ(page.Tree()->topLevelItem(0)->text(0), QString("车辆分组"));
}

// ---- the list panes ----

TEST(VehicleListCommands, FilledFromTheGroupPageWithToolbarAndContextMenu) {
    App a;
    auto& page = *static_cast<CViewMulti*>(a.Frame().OutlookBar()->Pages()->widget(1));
    GroupTable table;
    SetGroupName(table.groups[0], u"East");
    table.groups[0].count = 3;
    table.groups[0].ids = {301, 102, 203};
    a.Frame().Server().ReceiveGroups(table);
    a.Frame().OutlookBar()->SetActivePage(1);
    page.Tree()->setCurrentItem(page.Tree()->topLevelItem(0));  // every screen goes to the vehicle list
    ListViewCarInfo& cars = *a.View().VehicleList();
    ASSERT_TRUE(cars.isVisible());
    ASSERT_EQ(cars.List()->rowCount(), 3);
    EXPECT_EQ(cars.List()->item(2, 1)->text(), "203");
    // Search: the field chosen, the text typed, the toolbar's button.
    cars.SearchField()->setCurrentIndex(0);
    QTest::keyClicks(cars.SearchEdit(), "10");
    CommandAction(cars.ToolBar(), ListViewCarInfo::kSearchId)->trigger();
    EXPECT_EQ(cars.List()->currentRow(), 1);
    // The check commands of the context menu.
    auto checks = [&] {
        QString s;
        for (int r = 0; r < 3; ++r) s += cars.List()->item(r, 0)->checkState() == Qt::Checked ? "x" : "-";
        return s;
    };
    const std::pair<int, const char*> menu[] = {{ListViewCarInfo::kSelectAll, "xxx"}, {ListViewCarInfo::kDeselect, "---"},
                                                {ListViewCarInfo::kSelectInverse, "xxx"}, {ListViewCarInfo::kResend, "xxx"},
                                                {ListViewCarInfo::kDeleteAllPrograms, "xxx"}, {ListViewCarInfo::kRestart, "xxx"}};
    const QPoint at = cars.List()->visualItemRect(cars.List()->item(1, 1)).center();
    for (const auto& [id, after] : menu) {
        QMenu* popup = RightClick(cars.List()->viewport(), at);
        ASSERT_NE(popup, nullptr);
        CommandAction(popup, id)->trigger();
        popup->hide();
        EXPECT_EQ(checks(), after) << id;
    }
    // View Program asks for the selected vehicle's GPRS ID.
    std::u16string asked;
    AnswerNext<CQuestProgramDlg>([&](CQuestProgramDlg* d) {
        asked = d->VehicleId();
        d->reject();
    });
    QMenu* popup = RightClick(cars.List()->viewport(), at);
    CommandAction(popup, ListViewCarInfo::kViewProgram)->trigger();
    popup->hide();
    EXPECT_EQ(asked, u"102");
    // Export from the toolbar and from the context menu: the chooser, then the workbook.
    for (QWidget* place : {static_cast<QWidget*>(cars.ToolBar()), static_cast<QWidget*>(cars.ContextMenu())}) {
        const QString path = QString::fromStdString(a.env.Path("cars")) + QString::number(place == cars.ToolBar());
        AnswerNext<QFileDialog>([path](QFileDialog* d) {
            d->selectFile(path);
            QMetaObject::invokeMethod(d, "accept");
        });
        QString text;
        AnswerBox(&text);
        CommandAction(place, ListViewCarInfo::kExportId)->trigger();
        EXPECT_TRUE(QFile::exists(path + ".xlsx"));
        EXPECT_EQ(text, "Save");
    }
}

TEST(ProgramListCommands, ProgramsListToolbarAndServerListMenu) {
    App a;
    ListViewProgramEdit& list = *static_cast<ListViewProgramEdit*>(a.Host().PageWidget(RSEditorWnd::kPageList));
    list.SetRows({{{u"0", u"t"}, 3}, {{u"1", u"u"}, 6}});
    list.List()->item(1, 0)->setCheckState(Qt::Checked);
    // (command, what the user is told or asked, whether the checked row is taken): Get Programs and
    // Refresh need the server, and there is none.
    const std::tuple<int, const char*, bool> tools[] = {
        {ListViewProgramEdit::kCmdFirst, "Not connected to the server", false},
        {ListViewProgramEdit::kCmdRelease, "Release the selected program?", true},
        {ListViewProgramEdit::kCmdDelete, "Delete the selected program?", true},
        {ListViewProgramEdit::kCmdRefresh, "Not connected to the server", false},
        {ListViewProgramEdit::kCmdRequest, "Request specified program?", true},
        {ListViewProgramEdit::kCmdCancelRequest, "Cancel Request ?", true}};
    for (const auto& [id, told, taken] : tools) {
        QAction* action = CommandAction(list.ToolBar(), id);
        ASSERT_NE(action, nullptr) << id;
        QString asked;
        AnswerBox(&asked, IDYES);
        action->trigger();
        EXPECT_EQ(asked, QString(told)) << id;
        EXPECT_EQ(list.PendingRows(), taken ? std::vector<int>{1} : std::vector<int>{}) << id;
    }
    // Connected to a server they say nothing of the kind.
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    a.Frame().Server().Adopt(ends[0], 500);
    {
        Answerer<CMessageBoxFx> boxes([](CMessageBoxFx* b) { b->done(IDOK); });
        for (int id : {ListViewProgramEdit::kCmdFirst, ListViewProgramEdit::kCmdRefresh})
            CommandAction(list.ToolBar(), id)->trigger();
        QTest::qWait(10);
        EXPECT_EQ(boxes.seen, 0);
    }
    close(ends[1]);
    ListViewProgramServer& server = *a.View().ServerProgramList();
    a.Frame().OutlookBar()->SetActivePage(1);
    server.SetRows({{{u"0", u"t"}, 1}});
    const QString questions[] = {"Edit the selected program again?", "Cancel the selected program awaiting audit?",
                                 "Delete the selected program?", ""};
    for (int i = 0; i < 4; ++i) {
        QMenu* popup = RightClick(server.List()->viewport(), server.List()->visualItemRect(server.List()->item(0, 1)).center());
        ASSERT_NE(popup, nullptr);
        QString asked;
        if (!questions[i].isEmpty()) AnswerBox(&asked, IDNO);
        CommandAction(popup, i)->trigger();
        popup->hide();
        EXPECT_EQ(asked, questions[i]) << i;
    }
}

TEST(PageToolbars, AreThePagesOwnClassesInTheWindow) {
    App a;
    CMainFrame& frame = a.Frame();
    // The tree page's two toolbars: the first shown with the page's commands, the second never filled.
    const QList<CClassToolBar*> bars = frame.findChildren<CClassToolBar*>();
    ASSERT_EQ(bars.size(), 2);
    EXPECT_EQ(bars[0], a.Page().ToolBar());
    EXPECT_TRUE(bars[0]->isVisible());
    EXPECT_TRUE(bars[1]->isHidden() && bars[1]->actions().isEmpty());
    for (int id : {ID_ADD_PROGRAM_SET, ID_ADD_PROGRAM, ID_DELETE_ITEM}) EXPECT_NE(CommandAction(bars[0], id), nullptr);
    // Its menu button carries the tree's commands.
    const QList<CViewSingleMenuButton*> buttons = frame.findChildren<CViewSingleMenuButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->parentWidget(), bars[0]);
    ASSERT_NE(buttons[0]->menu(), nullptr);
    for (int id : {ID_SHIFT_UP, ID_SHIFT_DOWN, ID_SEND_TO}) EXPECT_NE(CommandAction(buttons[0]->menu(), id), nullptr);
    // The multi-screen page's toolbar.
    auto& multi = *static_cast<CViewMulti*>(frame.OutlookBar()->Pages()->widget(1));
    const QList<CViewMultiToolBar*> multiBars = frame.findChildren<CViewMultiToolBar*>();
    ASSERT_EQ(multiBars.size(), 1);
    EXPECT_EQ(multiBars[0], multi.ToolBar());
    // The tree page's labels follow the language.
    a.Menu(ID_LANGUAGE_AUTO + 1)->trigger();
    EXPECT_EQ(CommandAction(bars[0], ID_ADD_PROGRAM_SET)->text(), QString("添加节目集"));
    EXPECT_EQ(CommandAction(buttons[0]->menu(), ID_SHIFT_UP)->text(), QString("上移"));
    EXPECT_EQ(buttons[0]->text(), QString("更多"));
}

TEST(TreePage, DrawsAFrameAroundItsTree) {
    App a;
    QWidget& page = a.Page();
    const QImage shot = page.grab().toImage();
    const QRect tree = a.Tree().geometry();
    const QColor shadow = page.palette().color(QPalette::Shadow);
    EXPECT_EQ(shot.pixelColor(tree.left() - 1, tree.center().y()).rgb(), shadow.rgb());
    EXPECT_EQ(shot.pixelColor(tree.center().x(), tree.bottom() + 1).rgb(), shadow.rgb());
}

}  // namespace
