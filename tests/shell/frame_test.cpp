// The main frame: start-up order, sizing, language switch, editor tab host and tree page.
#include <gtest/gtest.h>

#include <QDialog>
#include <QMenuBar>
#include <QSettings>
#include <QTabWidget>
#include <QToolBar>

#include "content/render/font_tables.h"
#include "content/model/settings.h"
#include "shell/outlook_bar.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* a : actions) texts << a->text();
    return texts;
}

}  // namespace

TEST(FrameSplit, FollowsTheSizingRule) {
    struct Case { int w, h, left, top; };
    // W 800: two fifths 320 > 240, so W - 240; W 600: exactly 240, so three fifths; W 300: 180 raised to 200.
    for (const Case& c : {Case{800, 500, 560, 300}, Case{500, 100, 300, 80}, Case{600, 1000, 360, 600},
                          Case{300, 50, 200, 80}, Case{-20, -5, 200, 80}, Case{601, 134, 360, 80}}) {
        const FrameSplit s = ComputeFrameSplit(c.w, c.h);
        EXPECT_EQ(std::pair(s.leftColumn, s.viewRow), std::pair(c.left, c.top)) << c.w << "x" << c.h;
    }
}

TEST(Frame, StartsUpInOrderAndShowsOnlyWhenEverythingStands) {
    ShellApp r(ShellApp::kRecording);
    HardwareParams hw;  // English, a screen 200 LEDs wide
    DefaultSettings(hw);
    hw.width = 200;
    SetUiLanguage(3);
    ASSERT_TRUE(SaveSettingsFile(hw));
    ResetUiLanguageForTests();
    std::vector<std::string> hidden;
    int fontsReady = 0;
    r.setup["music"] = [](RecordingPane* music) { music->answers[IMC_GET_VOICE_ROLES] = 0x5150; };
    r.setup["property"] = [&](RecordingPane* property) {
        property->onMessage = [&, property](int code, intptr_t arg) {
            if (!property->window()->isVisible()) hidden.push_back(std::to_string(code));
            if (code == IMC_SCREEN_SELECTED) {
                fontsReady += InstalledFontName(0).empty() ? 0 : 1;
                EXPECT_EQ(reinterpret_cast<const HardwareParams*>(arg)->width, 200);  // the record from "ini.dat"
            }
            if (code == IMC_SET_VOICE_ROLES) {
                EXPECT_EQ(arg, 0x5150);  // the music pane's answer
            }
            if (code == IMC_LANGUAGE_CHANGED) {
                EXPECT_EQ(UiLanguageIndex(), 2u);
            }
        };
    };
    ASSERT_TRUE(r.Start());
    // Root added, root selected, mode 0 (the page announces its selection again), language,
    // voice roles; then the state re-applied (language once more); all before the window shows.
    EXPECT_EQ(hidden, (std::vector<std::string>{"48", "48", "48", "3", "20483", "353", "20483"}));
    EXPECT_EQ(fontsReady, 3);
    // The music page is told that start-up is done only once the window is visible.
    EXPECT_EQ(r.Of("music"), "20483 352 20483 1");
    // The other pages of the tab host hear the language as the music page does.
    for (const char* page : {"editor", "list"}) EXPECT_EQ(r.Of(page), "20483 20483") << page;
    EXPECT_TRUE(r.Frame().isVisible());
    EXPECT_EQ(r.Frame().windowTitle(), QString("ZU LED Control Card PC Suit"));
    EXPECT_EQ(r.Tree().ScreenItem()->text(0), QString("LED Screen"));
    EXPECT_TRUE(r.Tree().ScreenItem()->font(0).bold());
    EXPECT_EQ(r.Tree().SelectedItem(), r.Tree().ScreenItem());
    EXPECT_EQ(NavigationMode(), 0);
    EXPECT_TRUE(r.Frame().IsReady());
    EXPECT_EQ(r.Frame().PortPane()->text(), QString("Serial  Port: Com1, Baurdrate: 28800"));
    EXPECT_EQ(QSettings().value("ApplicationLook").toInt(), 215);
    EXPECT_EQ(r.Frame().PropertyWindow(), r.panes["property"]);
    // Closing tells the music page first.
    r.log.Clear();
    r.Frame().close();
    EXPECT_EQ(r.Of("music"), "2");
}

TEST(Frame, FirstStartWithoutSettingsUsesDefaultsAndThePanesKeepTheirProportions) {
    ShellApp r(ShellApp::kRecording);
    ASSERT_TRUE(r.Start());
    const HardwareParams& screen = r.Programs().screen();
    EXPECT_EQ(std::tuple(screen.width, screen.height, screen.cardType), std::tuple(128, 32, 3));
    // No property window built: the placeholder stands in its column; pages not built are left out.
    ShellApp bare(ShellApp::kNone);
    ASSERT_TRUE(bare.Start());
    EXPECT_EQ(bare.Frame().PropertyWindow()->objectName(), QString("propertyWindow"));
    EXPECT_EQ(bare.Host().Tabs()->count(), 0);
    r.Frame().resize(1100, 760);
    QCoreApplication::processEvents();
    const FrameSplit split = r.Frame().CurrentSplit();
    EXPECT_EQ(r.Frame().OuterSplitter()->sizes().value(0), split.leftColumn);
    EXPECT_EQ(r.Frame().InnerSplitter()->sizes().value(0), split.viewRow);
    // The preview lock freezes the frame's size and the toolbar marks it.
    r.Frame().Trigger(ID_PREVIEW);
    EXPECT_TRUE(PreviewLock());
    EXPECT_EQ(r.Frame().minimumSize(), r.Frame().maximumSize());
    EXPECT_TRUE(r.Frame().Commands(ID_PREVIEW).front()->isChecked());
    EXPECT_FALSE(r.Enabled(ID_CARD_UPLOAD));
    EXPECT_FALSE(r.Page().Command(ID_ADD_PROGRAM)->isEnabled());
    r.Frame().Trigger(ID_PREVIEW);
    EXPECT_FALSE(PreviewLock());
    EXPECT_EQ(r.Frame().minimumSize(), kMinFrameSize);
    EXPECT_TRUE(r.Enabled(ID_CARD_UPLOAD));
    // Multi-screen mode disables the card commands.
    r.Frame().Channel().send(IMC_SET_VIEW_MODE, 1);
    EXPECT_FALSE(r.Enabled(ID_CARD_SEND));
    r.Frame().Channel().send(IMC_SET_VIEW_MODE, 0);
    EXPECT_TRUE(r.Enabled(ID_CARD_SEND));
    EXPECT_FALSE(r.Enabled(ID_CHANGE_PASSWORD));
}

TEST(Frame, LanguageSwitchRelabelsMenusToolbarPagesTabsAndTitle) {
    ShellApp r(ShellApp::kRecording);
    ASSERT_TRUE(r.Start());
    struct Expect {
        uint32_t setting;
        QStringList menus, toolbar;
        QString page, tabs, title, set;
    };
    const Expect cases[] = {
        {1, {"文件(&F)", "设置(&S)", "工具(&T)", "帮助(&H)"},
         {"新建", "打开", "保存", "未知", "搜索", "发送", "回传", "开屏", "关屏", "校时", "未知", "预览", "放大", "缩小", "居中",
          "未知", "U盘", "音乐"},
         "节目管理", "节目编辑器|音乐播放器|节目列表", "ZU控制卡PC套件", "节目集"},
        {2, {"檔案(&F)", "設定(&S)", "工具(&T)", "幫助(&H)"},
         {"新建", "打開", "保存", "未知", "搜索", "發送", "回傳", "開屏", "關屏", "校時", "未知", "預覽", "放大", "縮小", "居中",
          "未知", "U盤", "音樂"},
         "節目管理", "節目編輯器|音樂播放器|節目列表", "ZU控制卡PC套件", "節目集"},
        {3, {"&File", "&Setting", "&Tool", "&Help"},
         {"New", "Open", "Save", "Unknow", "Search", "Send", "Upload", "Power On", "Power Off", "Syn Time", "Unknow",
          "Preview", "Zoom in", "Zoom out", "Center", "Unknow", "UDisk", "Music"},
         "Program Manager", "Program Editor|Music Player|Programs List", "ZU LED Control Card PC Suit", "Programs"},
    };
    r.Page().OnAddProgramSet();  // a set with its default name follows the language
    r.Page().OnAddProgramSet();
    r.Tree().ScreenItem()->child(1)->setText(0, "Mine");  // a renamed one keeps its name
    for (const Expect& e : cases) {
        r.log.Clear();
        r.Frame().Trigger(ID_LANGUAGE_AUTO + int(e.setting));
        EXPECT_EQ(Texts(r.Frame().menuBar()->actions()), e.menus);
        EXPECT_EQ(Texts(r.Frame().MainToolBar()->actions()), e.toolbar);
        EXPECT_EQ(r.Frame().OutlookBar()->PageLabel(0), e.page);
        QStringList tabs;
        for (int i = 0; i < r.Host().Tabs()->count(); ++i) tabs << r.Host().Tabs()->tabText(i);
        EXPECT_EQ(tabs.join('|'), e.tabs);
        EXPECT_EQ(r.Frame().windowTitle(), e.title);
        EXPECT_EQ(r.Tree().ScreenItem()->child(0)->text(0), e.set);
        EXPECT_EQ(r.Tree().ScreenItem()->child(1)->text(0), QString("Mine"));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(r.Frame().Commands(ID_LANGUAGE_AUTO + i).front()->isChecked(), i == int(e.setting));
        // Every pane is told, the property window before the tab host's music page.
        EXPECT_EQ(r.Of("property") + "|" + r.Of("music"), "20483|20483");
    }
    EXPECT_EQ(r.Frame().Commands(ID_LANGUAGE_AUTO + 3).front()->text(), QString("English"));
    EXPECT_EQ(r.Frame().Commands(ID_FILE_OPEN).size(), 2u);  // menu and toolbar
}

TEST(EditorHost, ShowsThePageThatFitsTheSelection) {
    ShellApp r(ShellApp::kRecording);
    ASSERT_TRUE(r.Start());
    RSEditorWnd& host = r.Host();
    using P = RSEditorWnd;
    auto shown = [&] {
        std::string s;
        for (int p : {P::kPageEditor, P::kPageMusic, P::kPageList}) s += host.IsPageShown(p) ? '1' : '0';
        return s + ":" + std::to_string(host.CurrentPage());
    };
    // After start-up (mode 0, screen selected): the music page only.
    EXPECT_EQ(shown(), "010:1");
    r.Page().OnAddProgram();  // a set and a program in it, the program selected
    EXPECT_EQ(shown(), "100:0");
    const auto* program = r.Tree().ProgramNodeOf(r.Tree().SelectedItem())->record.get();
    EXPECT_EQ(host.LastProgram(), program);
    EXPECT_EQ(r.panes["editor"]->last[IMC_PROGRAM_SELECTED], reinterpret_cast<intptr_t>(program));
    // A set selected: no page at all in single-screen mode.
    r.Tree().setCurrentItem(r.Tree().ItemAt(0));
    EXPECT_EQ(shown(), "000:-1");
    // Multi-screen mode hides editor and music; back in mode 0 with a program selected the editor returns.
    r.Tree().setCurrentItem(r.Tree().ItemAt(0, 0));
    r.Frame().Channel().send(IMC_SET_VIEW_MODE, 1);
    EXPECT_EQ(shown(), "001:2");  // the program list, the multi-screen page's own
    host.onInternal(IMC_SET_VIEW_MODE, 0);
    EXPECT_EQ(shown().substr(0, 3), "100");
    // Pass-through: voice roles and shutdown to the music page, the list's codes to the list.
    r.panes["music"]->answers[IMC_GET_VOICE_ROLES] = 77;
    EXPECT_EQ(host.onInternal(IMC_GET_VOICE_ROLES, 0), 77);
    r.log.Clear();
    host.onInternal(IMC_SET_FONT_CHIP, 0x31);
    host.onInternal(770, 1);
    host.onInternal(32768, 1);
    EXPECT_EQ(r.log.Joined(), "editor:272 list:770");
}

TEST(SinglePage, AddDeleteMoveAndKindKeepPanesOnLivingRecords) {
    ShellApp r(ShellApp::kRecording);
    ASSERT_TRUE(r.Start());
    CViewSingle& page = r.Page();
    CViewTree& tree = r.Tree();
    tree.clearSelection();
    page.OnAddProgramSet();
    EXPECT_EQ(r.shown.texts, (std::vector<std::u16string>{u"No LED Screen Item"}));
    EXPECT_EQ(r.shown.captions.back(), u"");
    tree.setCurrentItem(tree.ScreenItem());
    page.OnAddProgram();  // the screen selected: a new set with the program
    page.OnAddProgram();  // a program selected: another in the same set
    ASSERT_EQ(tree.Programs().sets().size(), 1u);
    ASSERT_EQ(tree.Programs().sets()[0].programs.size(), 2u);
    EXPECT_EQ(page.onInternal(IMC_SET_PROGRAM_KIND, 255), 0);
    // Making the first program a lyric show turns the second back into "Program".
    tree.setCurrentItem(tree.ItemAt(0, 0));
    page.onInternal(IMC_SET_PROGRAM_KIND, 255);
    EXPECT_EQ(tree.ItemAt(0, 0)->text(0), QString("Lyric Show"));
    EXPECT_EQ(tree.ItemAt(0, 1)->text(0), QString("Program"));
    tree.setCurrentItem(tree.ItemAt(0));
    EXPECT_EQ(page.onInternal(IMC_SET_PROGRAM_KIND, 0), -2);
    tree.clearSelection();
    EXPECT_EQ(page.onInternal(IMC_SET_PROGRAM_KIND, 0), -1);
    // Deleting the selected program: the panes already point at the set when it goes.
    tree.setCurrentItem(tree.ItemAt(0, 0));
    const intptr_t doomed = r.panes["property"]->last[IMC_PROGRAM_SELECTED];
    r.Frame().Trigger(ID_DELETE_ITEM);  // not a frame command: nothing happens
    page.Command(ID_DELETE_ITEM)->trigger();
    ASSERT_EQ(tree.Programs().sets()[0].programs.size(), 1u);
    EXPECT_NE(reinterpret_cast<intptr_t>(tree.Programs().sets()[0].programs[0].record.get()), doomed);
    EXPECT_EQ(r.panes["property"]->last[IMC_PROGRAMS_SELECTED],
              reinterpret_cast<intptr_t>(tree.Programs().sets()[0].record.get()));
    EXPECT_EQ(tree.SelectedItem(), tree.ItemAt(0));
    // The root cannot be deleted; Shift Down moves a set past its sibling.
    tree.setCurrentItem(tree.ScreenItem());
    EXPECT_FALSE(page.Command(ID_DELETE_ITEM)->isEnabled());
    page.OnDeleteItem();
    EXPECT_EQ(tree.Programs().sets().size(), 1u);
    page.OnAddProgramSet();
    tree.setCurrentItem(tree.ItemAt(0));
    page.Command(ID_SHIFT_DOWN)->trigger();
    EXPECT_EQ(tree.Programs().sets()[1].programs.size(), 1u);
    EXPECT_EQ(tree.SelectedItem(), tree.ItemAt(1));
}

TEST(Frame, CardCommandsOpenTheirDialogs) {
    ShellApp r(ShellApp::kRecording);
    setenv("LEDSUITE_REMOVABLE_ROOTS", r.env.dir.c_str(), 1);  // one drive: UDisk can run
    ASSERT_TRUE(r.Start());
    ScopedPorts none({"/no/such/port"});  // no exchange reaches a real line
    for (const auto& [id, name] : {std::pair{ID_CARD_SEARCH, "ledsuite::CLinkDlg"}, {ID_UDISK, "ledsuite::DlgUDisk"},
                                   {ID_MUSIC, "ledsuite::CDlgBackGroundMusic"},
                                   {ID_REMOTE_CONTROL, "ledsuite::CDlgController"}}) {
        QString opened;
        AnswerNext<QDialog>([&opened](QDialog* dialog) {
            opened = dialog->metaObject()->className();
            dialog->reject();
        }, true);
        r.Frame().Trigger(id);
        EXPECT_EQ(opened, QString(name)) << id;
    }
    unsetenv("LEDSUITE_REMOVABLE_ROOTS");
}

// A right-click on the main toolbar, the menu bar or the outlook bar's title, delivered as the
// window system delivers it: no menu opens (it would offer to hide the toolbar, and with it
// the card commands that have no menu entry), and every toolbar command stays on the screen.
TEST(Frame, RightClicksOnTheBarsOpenNoMenuAndHideNoCommand) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    CMainFrame& frame = a.Frame();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QToolBar* toolbar = frame.MainToolBar();
    QWidget* firstButton = toolbar->widgetForAction(toolbar->actions().front());
    const std::pair<QWidget*, QPoint> places[] = {
        {toolbar, {toolbar->width() - 2, toolbar->height() / 2}},
        {firstButton, firstButton->rect().center()},
        {frame.menuBar(), {frame.menuBar()->width() - 2, frame.menuBar()->height() / 2}},
        {frame.OutlookBar(), {frame.OutlookBar()->width() / 2, 3}},  // its title
    };
    for (const auto& [target, at] : places) {
        QTest::mouseClick(frame.windowHandle(), Qt::RightButton, {}, target->mapTo(&frame, at));
        QTest::qWait(20);
        QWidget* popup = QApplication::activePopupWidget();
        EXPECT_EQ(popup, nullptr) << target->metaObject()->className();
        if (popup) popup->close();
    }
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_TRUE(frame.OutlookBar()->isVisible());
    for (QAction* command : toolbar->actions()) {
        if (command->isSeparator()) continue;
        EXPECT_TRUE(toolbar->widgetForAction(command)->isVisible()) << command->text().toStdString();
    }
}
