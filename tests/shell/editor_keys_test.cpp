// Keys typed into the program editor of the whole main window: a letter held with Alt
// reaches the menu bar's mnemonic, and no key held with Alt or Ctrl types into the text.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

std::u16string Text(const ProgramRecord& p) {
    std::u16string s;
    for (int i = 0; i < CountCells(p.content); ++i) s += p.content.cells[size_t(i)].code;
    return s;
}

TEST(EditorKeys, AltFInTheProgramEditorOpensTheFileMenuAndAltOrCtrlKeysTypeNothing) {
    ShellApp a;
    ASSERT_TRUE(a.Start());
    a.Frame().OnLanguage(3);
    a.AddProgram(u"");
    auto* editor = qobject_cast<CEditCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageEditor));
    ASSERT_NE(editor, nullptr);
    ProgramRecord* program = editor->record();
    ASSERT_NE(program, editor->workCopy());
    a.Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a.Frame()));
    CEditEx* surface = editor->surface();
    surface->setFocus();
    QTest::keyClicks(surface, "ab");
    QTest::keyClick(surface, Qt::Key_F, Qt::AltModifier);
    QAction* fileTitle = a.Frame().menuBar()->actions().value(0);
    ASSERT_NE(fileTitle, nullptr);
    QMenu* file = fileTitle->menu();
    EXPECT_EQ(std::tuple(fileTitle->text(), file->isVisible(), Text(*program)),
              std::tuple(QString("&File"), true, u"ab"));
    file->close();
    // A letter no menu title marks types nothing either; without Alt it types itself.
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_J, Qt::AltModifier);
    QTest::keyClick(surface, Qt::Key_J, Qt::ControlModifier);
    QTest::keyClick(surface, Qt::Key_F);
    EXPECT_EQ(Text(*program), u"abf");
}

}  // namespace
