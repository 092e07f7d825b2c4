// The README's steps for trying the music pane without a sign, followed as a new user
// follows them: the fake card program on a pty at a new screen's baud rate, the screen
// selected in the tree, a text row added through Add and the file dialog, Play; the card
// prints the first sentence as a lyric line.
#include <gtest/gtest.h>

#include <QTest>
#include <QToolBar>

#include "music/ui/music_ctrl.h"
#include "tests/music/fakecard_program.h"
#include "tests/music/music_test_util.h"
#include "toolkit/list_ctrl.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(MusicReadme, TheStepsShowALyricLineOnTheFakeCard) {
    // "build/tools/fakecard --pty --voice --baud 28800"
    FakeCardProgram card({"--pty", "--voice", "--baud", "28800"});
    const std::string slave = card.Line();
    ASSERT_TRUE(slave.starts_with("/dev/pts/")) << slave;
    // "put the path it prints in LEDSUITE_SERIAL_PORTS"
    ScopedPorts ports({slave});
    ShellApp a;
    ASSERT_TRUE(a.Start());
    a.Frame().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&a.Frame()));

    // "select "LED Screen" in the tree: the Music Player page shows"
    CViewTree& tree = a.Tree();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(tree.ScreenItem()).center());
    ASSERT_EQ(a.Host().CurrentPage(), int(RSEditorWnd::kPageMusic));
    auto* music = qobject_cast<CMusicCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageMusic));
    ASSERT_NE(music, nullptr);
    QToolBar* bar = music->findChild<QToolBar*>();
    auto click = [&](int id) { QTest::mouseClick(bar->widgetForAction(music->Action(id)), Qt::LeftButton); };

    // "Add a text file: each sentence is spoken and goes to the sign"
    const std::string text = a.env.Path("hello.txt");
    WriteBytes(text, "Hello, sign!");
    ChooseNextFile(QString::fromStdString(text));
    click(CMusicCtrl::ID_MUSIC_ADD);
    ASSERT_EQ(music->List()->rowCount(), 1);

    // "press Play"
    QString said;  // a refusal ("No Ctrl Card found", ...) is answered and kept
    AnswerBox(&said);
    click(CMusicCtrl::ID_MUSIC_PLAY);
    ASSERT_TRUE(said.isEmpty()) << said.toStdString();
    std::string line;
    for (int i = 0; i < 5 && line.find("text=") == std::string::npos; ++i) line = card.Line();
    EXPECT_NE(line.find("text=\"Hello,\""), std::string::npos) << line;
    click(CMusicCtrl::ID_MUSIC_STOP);
    EXPECT_TRUE(WaitUntil([&] { return music->Shared().runState == kRunStopped; }));
}
