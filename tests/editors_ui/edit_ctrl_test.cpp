// The text editor window, its editing surface and the table editor, offscreen: typing,
// input-method commits, the clipboard, dropped files, the context menu in two language
// settings, the size lists of two font chips, and a table edited cell by cell.
#include <gtest/gtest.h>

#include <tuple>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "content/model/paths.h"
#include "editors/ui/dlg_grid.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/edit_grid.h"
#include "tests/editors/editor_test_util.h"
#include "tests/qt_main/qt_test_util.h"
#include "toolkit/qt_text.h"

namespace ledsuite {
namespace {

class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetUiLanguage(3);
        program->right = 200, program->bottom = 64, program->mainAction.effect = kEffectMoveUp;
        editor.resize(420, 260);
        editor.show();
        Select(0);
    }
    void TearDown() override {
        SetUiLanguageEnvForTests(nullptr);
        ResetUiLanguageForTests();
    }
    void Select(int chip) {
        editor.onInternal(IMC_SET_FONT_CHIP, chip);
        editor.onInternal(IMC_PROGRAM_SELECTED, intptr_t(program.get()));
    }
    std::u16string Codes() const { return ledsuite::Codes(program->content.cells); }
    // The action of a menu command, searched through the submenus.
    static QAction* Find(QMenu* menu, int id) {
        for (QAction* a : menu->actions()) {
            if (a->data().toInt() == id) return a;
            if (a->menu())
                if (QAction* found = Find(a->menu(), id)) return found;
        }
        return nullptr;
    }

    RecordingChannel frame;
    std::unique_ptr<ProgramRecord> program = std::make_unique<ProgramRecord>();
    CEditCtrl editor{nullptr, &frame, FontTables{{u"Courier New", u"宋体"}, {u"宋体"}, 1}};
};

TEST_F(EditorWindowTest, TypingAndInputMethodCommitsGoIntoTheProgramWithTheControlsAttribute) {
    CEditEx* surface = editor.surface();
    ASSERT_EQ(editor.activeEditor(), surface);
    EXPECT_EQ((QStringList{editor.fontCombo()->currentText(), editor.OnToolTipText(kToolInsertDate),
                           editor.action(kToolReturnToText)->toolTip(), editor.OnToolTipText(kToolInsertIcon)}),
              (QStringList{QString::fromUtf16(u"宋体"), "Insert Date", "Return to text editor", ""}));
    QTest::keyClicks(surface, "Hi");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_X, Qt::Key_Backspace}) QTest::keyClick(surface, key);
    // An input-method commit types Chinese; its preedit types nothing.
    QInputMethodEvent preedit(QString::fromUtf16(u"zhong"), {});
    QApplication::sendEvent(surface, &preedit);
    EXPECT_EQ(Codes(), u"Hi\n\t");
    const int announced = frame.Count(IMC_REDRAW_LAYOUT);  // the commit announces its own change
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf16(u"中文"));
    QApplication::sendEvent(surface, &commit);
    // The default attribute: 宋体 (index 1), 16 pixels, the first colour.
    EXPECT_EQ(std::tuple(Codes(), surface->engine().caret(), program->content.cells[0].attr,
                         frame.Count(IMC_REDRAW_LAYOUT) > announced),
              std::tuple(u"Hi\n\t中文", 6, CellAttr::Make(16, 1, 1), true));
    EXPECT_TRUE(surface->inputMethodQuery(Qt::ImCursorRectangle).toRect().isValid());
    // Bold applies to the selection and shows in the toolbar.
    surface->SelectAll();
    editor.OnToolbarCommand(kToolBold);
    EXPECT_EQ(std::tuple(program->content.cells[1].attr, editor.action(kToolBold)->isChecked()),
              std::tuple(CellAttr::Make(16, 1, 1, CellAttr::Bold), true));
    // The size combo applies its number.
    editor.sizeCombo()->setCurrentIndex(16);
    emit editor.sizeCombo()->activated(16);
    EXPECT_EQ(CellAttr::SizeOf(program->content.cells[0].attr), 24u);
}

TEST_F(EditorWindowTest, CopyAndPasteThroughTheClipboardAndPickedPictures) {
    CEditEx* surface = editor.surface();
    QTest::keyClicks(surface, "ab");
    QTest::keyClick(surface, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(surface, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(Codes(), QApplication::clipboard()->text()), std::tuple(u"ab", QString("ab")));  // no insert
    QTest::keyClick(surface, Qt::Key_End);
    QApplication::clipboard()->setText(QStringLiteral("x\r\ny\uE003"));
    QTest::keyClick(surface, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Codes(), u"abx\ny");
    surface->engine().SetSelection(0, 2);
    QTest::keyClick(surface, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(Codes(), QApplication::clipboard()->text()), std::tuple(u"x\ny", QString("ab")));
    // A picture on the clipboard becomes a picture cell.
    QApplication::clipboard()->setImage(QImage(6, 6, QImage::Format_RGB32));
    EXPECT_EQ(surface->Paste(), 1);
    // A picked picture too; a pick without one tells so and changes nothing.
    auto picture = std::make_unique<PictureObject>();
    picture->frames.push_back(CreateImage(4, 4));
    surface->onInternal(IMC_ICON_PICKED, intptr_t(picture.release()));
    testing::AnswerNextBox([](CMessageBoxFx* box) { box->done(IDOK); });
    surface->onInternal(IMC_ICON_PICKED, 0);
    EXPECT_EQ(Codes(), u"\uE003\uE003x\ny");
}

TEST_F(EditorWindowTest, ADroppedUtf16BigEndianFileIsTypedIn) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("note.txt"));
    const char bytes[] = {'\xFE', '\xFF', 0, 'A', 0, '\r', 0, '\n', '\x4E', '\x2D', '\xE0', '\x03'};
    ASSERT_TRUE(WriteFileAtomic(path.toStdString(), bytes, sizeof bytes));
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.surface()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.surface()->viewport(), &drop);
    delete mime;
    // Taken as typed: CR and LF both become line feeds; a picture code is refused.
    EXPECT_EQ(Codes(), u"A\n\n中");
    // Three-character names and unknown extensions are skipped.
    EXPECT_EQ(editor.surface()->OnDropFiles({QStringLiteral("txt"), dir.filePath("a.doc")}), 0);
    EXPECT_EQ(Codes(), u"A\n\n中");
}

TEST_F(EditorWindowTest, ContextMenuInEnglishAndInTheAutomaticSetting) {
    CEditEx* surface = editor.surface();
    QTest::keyClicks(surface, "ab");
    surface->engine().SetSelection(0, 1);
    std::unique_ptr<QMenu> menu(surface->BuildContextMenu());
    EXPECT_EQ(std::tuple(Find(menu.get(), kCmdCut)->text(), Find(menu.get(), kCmdCut)->isEnabled(),
                         Find(menu.get(), kCmdEditItem)->isEnabled(),
                         Find(menu.get(), kCmdToAnimateFirst)->parent()->property("enabled").toBool(),
                         Find(menu.get(), 32976)->isEnabled()),
              std::tuple(QString("Cut"), true, false, true, false));
    surface->engine().SetSelection(2, 2);
    Find(menu.get(), kCmdInsertDate)->trigger();
    EXPECT_EQ(Codes(), u"ab\uE010-\uE011-\uE012");

    // Setting 0 on a Chinese system: Chinese labels and the Chinese date form.
    SetUiLanguageEnvForTests([](const char* name) -> const char* {
        return std::string_view(name) == "LANG" ? "zh_CN.UTF-8" : nullptr;
    });
    SetUiLanguage(0);
    std::unique_ptr<QMenu> zh(surface->BuildContextMenu());
    EXPECT_EQ(std::tuple(Find(zh.get(), kCmdCut)->text(), Find(zh.get(), kCmdCut)->isEnabled(),
                         Find(zh.get(), kCmdToAnimateFirst)->parent()->property("enabled").toBool()),
              std::tuple(QString::fromUtf16(u"剪切"), false, false));
    Find(zh.get(), kCmdInsertDate)->trigger();
    EXPECT_EQ(Codes().substr(7), u"\uE010\u5E74\uE011\u6708\uE012\u65E5");
    // "Edit" opens the table editor for a selected table.
    surface->engine().SetSelection(0, 0);
    editor.onInternal(IMC_SHOW_GRID_EDITOR, 0);  // no table: nothing changes
    EXPECT_EQ(editor.activeEditor(), surface);
}

TEST_F(EditorWindowTest, SizeListsFollowTheFontChip) {
    EXPECT_EQ(std::tuple(editor.sizeCombo()->count(), editor.sizeCombo()->itemText(0),
                         editor.sizeCombo()->currentText(), editor.action(kToolUseFontChip)->isEnabled()),
              std::tuple(120, QString("8"), QString("16"), false));
    program->content.header.fontSet = 0x31;
    Select(0);  // no font chip: system fonts whatever the program says; the text is bound to them
    EXPECT_EQ(std::tuple(editor.fontSetMode(), editor.sizeCombo()->count(), program->content.header.fontSet),
              std::tuple(0, 120, 0));
    program->content.header.fontSet = 0x31;
    Select(0x31);
    QComboBox* sizes = editor.sizeCombo();
    EXPECT_EQ(std::tuple(editor.fontSetMode(), sizes->count(), sizes->itemText(0), sizes->itemText(1),
                         sizes->currentText()), std::tuple(0x31, 2, QString("12"), QString("16"), QString("16")));
    // The card's default faces (the process-wide table the chip filled) replace the installed ones.
    EXPECT_EQ(std::tuple(editor.fontCombo()->count(), editor.fontCombo()->itemText(0)),
              std::tuple(DefaultFonts().count, ToQString(DefaultFontName(0))));
    EXPECT_EQ(std::tuple(editor.action(kToolUseFontChip)->isChecked(), editor.action(kToolInsertClock)->isEnabled(),
                         editor.action(kToolBold)->isEnabled()), std::tuple(true, false, false));
    editor.ShowAttr(CellAttr::Make(12, 0, 2));
    EXPECT_EQ(sizes->currentIndex(), 0);
    // "Use font chip" off: system fonts again.
    editor.OnToolbarCommand(kToolUseFontChip);
    EXPECT_EQ(std::tuple(editor.fontSetMode(), editor.sizeCombo()->count()), std::tuple(0, 120));
    // Sizes past the list show 16 and give 16 back.
    editor.ShowAttr(CellAttr::Make(200, 1, 2, CellAttr::Italic));
    EXPECT_EQ(std::tuple(editor.sizeCombo()->currentText(), editor.GetDefaultAttr()),
              std::tuple(QString("16"), CellAttr::Make(16, 1, 2, CellAttr::Italic)));
}

TEST_F(EditorWindowTest, LyricShowAndFontChipSwitchesTellTheFrame) {
    program->content.header.fontSet = 1, program->content.header.kind = kKindLyricShow;
    Select(1);
    EXPECT_TRUE(editor.action(kToolLyricShow)->isEnabled() && editor.action(kToolLyricShow)->isChecked());
    editor.OnToolbarCommand(kToolUseFontChip);
    ASSERT_EQ(frame.Count(IMC_SET_PROGRAM_KIND), 1);
    program->content.header.kind = 0;
    editor.OnToolbarCommand(kToolUseFontChip);
    editor.OnToolbarCommand(kToolLyricShow);
    EXPECT_EQ(frame.sent.back(), std::make_pair(IMC_SET_PROGRAM_KIND, intptr_t(kKindLyricShow)));
}

TEST_F(EditorWindowTest, ATableIsEditedCellByCell) {
    auto* table = new GridObject;
    program->content.cells[0] = TextCell(FC_TABLE, 0);
    program->content.cells[0].obj.reset(table);
    InitGridObject(*table);
    ASSERT_TRUE(SetGridSize(*table, 3, 2));
    Select(0);
    CEditGrid* g = editor.gridEditor();
    EXPECT_EQ(std::tuple(g->isVisible(), editor.activeEditor(), editor.surface()->isVisible(),
                         editor.action(kToolReturnToText)->isEnabled(), editor.action(kToolInsertGrid)->isEnabled()),
              std::tuple(true, g->cellSurface(), false, true, false));
    QWidget* vp = g->viewport();
    QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(10, 10));  // a header cell: no edit
    EXPECT_FALSE(g->cellSurface()->isVisible());
    const QPoint a1(48 + 5, 16 + 5), b1(48 + 64 + 5, 16 + 5), c2(48 + 128 + 5, 32 + 5);
    QTest::mouseDClick(vp, Qt::LeftButton, {}, a1);
    ASSERT_TRUE(g->cellSurface()->isVisible());
    QTest::keyClicks(g->cellSurface(), "ab");
    QTest::mouseClick(vp, Qt::LeftButton, {}, b1);  // commits, then selects B1
    EXPECT_EQ(std::tuple(g->cellSurface()->isVisible(), g->editor().selectedColumn()), std::tuple(false, 2));
    QTest::mouseDClick(vp, Qt::LeftButton, {}, b1);
    QTest::keyClicks(g->cellSurface(), "c");
    QTest::mouseDClick(vp, Qt::LeftButton, {}, c2);  // the next edit commits the last
    QTest::keyClicks(g->cellSurface(), "d");
    editor.OnToolbarCommand(kToolAlignLeft + 2);  // a cell's alignment goes to its marker
    // Save and Send ask for the edit in progress first: "d" is in the table before the text returns.
    editor.onInternal(IMC_COMMIT_PENDING_EDIT, 0);
    EXPECT_NE(ledsuite::Codes(table->cells).find(u'd'), std::u16string::npos);
    editor.OnToolbarCommand(kToolReturnToText);  // commits too
    EXPECT_EQ(std::tuple(editor.surface()->isVisible(), g->isVisible()), std::tuple(true, false));
    const std::vector<uint16_t> index = CollectGridCells(*table);
    ASSERT_EQ(index.size(), 6u);
    EXPECT_EQ(std::tuple(ledsuite::Codes(table->cells), GridCellAlign(table->cells[index[5]].attr)),
              std::tuple(u"\uE006ab\uE006c\uE006\uE006\uE006\uE006d", 2));
    EXPECT_GE(frame.Count(IMC_REDRAW_LAYOUT), 3);
}

TEST_F(EditorWindowTest, ATableFollowedByTextOpensTheSurfaceAndHidingBindsTheWorkCopy) {
    program->content.cells[0] = TextCell(FC_TABLE, 0);
    program->content.cells[0].obj = std::make_unique<GridObject>();
    program->content.cells[1] = TextCell(u'x', CellAttr::Make(16, 0, 1));
    Select(0);
    EXPECT_EQ(std::tuple(editor.activeEditor(), editor.surface()->isVisible()), std::tuple(editor.surface(), true));
    editor.hide();
    EXPECT_EQ(std::tuple(editor.record(), editor.surface()->record()),
              std::tuple(editor.workCopy(), editor.workCopy()));
    QTest::keyClicks(editor.surface(), "zz");
    EXPECT_EQ(std::tuple(Codes(), ledsuite::Codes(editor.workCopy()->content.cells)), std::tuple(u"\uE005x", u"zz"));
}

TEST_F(EditorWindowTest, TheTableDialogDefaultsAndRefusals) {
    DlgGrid fresh(nullptr, nullptr, &frame);
    fresh.show();
    // four colours: the screen is not single-colour
    EXPECT_EQ(std::tuple(fresh.ColumnCombo()->count(), fresh.FrameCombo()->count(), fresh.ColorCombo()->count(),
                         fresh.windowTitle()), std::tuple(255, 7, 4, QString("Insert Grid")));
    fresh.accept();
    EXPECT_EQ(std::tuple(fresh.result(), fresh.Values().columns, fresh.Values().rows, fresh.Values().frameType),
              std::tuple(int(QDialog::Accepted), 3, 3, 0));

    frame.screen.colorCode = 5;
    GridObject grid;
    InitGridObject(grid);
    ASSERT_TRUE(SetGridSize(grid, 2, 1));
    grid.rows = 0;
    grid.style = 6 << 5 | 3 << 2;
    DlgGrid edit(nullptr, &grid, &frame);
    edit.show();
    EXPECT_EQ(std::tuple(grid.rows, edit.RowCombo()->currentIndex(), edit.FrameCombo()->currentIndex(),
                         edit.ColorCombo()->count(), edit.windowTitle()),
              std::tuple(1, 0, 6, 2, QString("Grid property")));
    edit.ColumnCombo()->setCurrentIndex(254);
    edit.RowCombo()->setCurrentIndex(254);
    testing::AnswerNextBox([](CMessageBoxFx* box) { box->done(IDOK); });
    edit.accept();
    EXPECT_TRUE(edit.RefusedSize() && edit.isVisible());
    edit.reject();
}

}  // namespace
}  // namespace ledsuite
