// Typing into the text editor window as a user does, offscreen: what a typed cell carries
// after the font chip is switched on (by its button or by selecting a chip program), a
// paste over the cell limit, the caret at the end of a wrapped line, and keys held with
// Alt or Ctrl.
#include <gtest/gtest.h>

#include <tuple>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QTest>

#include "content/model/lang.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "tests/editors/editor_test_util.h"

namespace ledsuite {
namespace {

constexpr int kChip = 3;  // a font chip of the sizes 12, 16, 24 and 32
constexpr uint32_t kStyles = CellAttr::Bold | CellAttr::Italic | CellAttr::Underline;

class EditorTyping : public ::testing::Test {
protected:
    void SetUp() override {
        SetUiLanguage(3);
        for (ProgramRecord* p : {program.get(), chipProgram.get()})
            p->right = 100, p->bottom = 64, p->mainAction.effect = kEffectMoveUp;
        editor.resize(420, 260);
        editor.show();
        Select(program.get());
    }
    void TearDown() override { ResetUiLanguageForTests(); }
    void Select(ProgramRecord* p) {
        editor.onInternal(IMC_SET_FONT_CHIP, kChip);
        editor.onInternal(IMC_PROGRAM_SELECTED, intptr_t(p));
    }
    CEditEx* Surface() const { return editor.surface(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Surface(), key, mods); }
    void Type(const char* s) { QTest::keyClicks(Surface(), s); }
    void Trigger(int id) { editor.action(id)->trigger(); }
    // Chooses an entry of the size combo as the user does.
    void ChooseSize(const QString& size) {
        QComboBox* c = editor.sizeCombo();
        c->setCurrentIndex(c->findText(size));
        emit c->activated(c->currentIndex());
    }
    const TextCell& Cell(const ProgramRecord& p, int i) const { return p.content.cells[size_t(i)]; }
    std::u16string Codes(const ProgramRecord& p) const { return ledsuite::Codes(p.content.cells); }
    // What the controls show: the Bold button's state and the size combo's number.
    std::tuple<bool, int> Controls() const {
        return {editor.action(kToolBold)->isChecked(), editor.sizeCombo()->currentText().toInt()};
    }
    static std::tuple<bool, int> Carried(const TextCell& cell) {
        return {(cell.attr & kStyles) != 0, int(CellAttr::SizeOf(cell.attr))};
    }

    RecordingChannel frame;
    std::unique_ptr<ProgramRecord> program = std::make_unique<ProgramRecord>();
    std::unique_ptr<ProgramRecord> chipProgram = std::make_unique<ProgramRecord>();
    CEditCtrl editor{nullptr, &frame, FontTables{{u"Courier New", u"宋体"}, {u"宋体"}, 1}};
};

TEST_F(EditorTyping, AfterSwitchingToTheFontChipTypedCellsCarryWhatTheControlsShow) {
    // Bold first, then the chip: B loses its bold, and neither x at the end nor y at the start is bold.
    Trigger(kToolBold);
    Type("B");
    ASSERT_TRUE(Cell(*program, 0).attr & CellAttr::Bold);
    Trigger(kToolUseFontChip);
    EXPECT_EQ(std::tuple(editor.fontSetMode(), editor.action(kToolBold)->isEnabled(), Controls()),
              std::tuple(kChip, false, std::tuple(false, 16)));
    Type("x");
    EXPECT_EQ(Carried(Cell(*program, 1)), Controls());
    Key(Qt::Key_Home);
    Type("y");
    EXPECT_EQ(std::tuple(Codes(*program), Carried(Cell(*program, 0)), Carried(Cell(*program, 1))),
              std::tuple(u"yBx", Controls(), std::tuple(false, 16)));
    // The chip's buttons cannot bring the styles back.
    editor.OnToolbarCommand(kToolBold);
    Type("z");
    EXPECT_EQ(Carried(Cell(*program, 1)), std::tuple(false, 16));

    // A size first, then the chip: a 20-pixel A becomes 24, and so does what is typed after it.
    Trigger(kToolUseFontChip);
    ASSERT_EQ(editor.fontSetMode(), 0);
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    ChooseSize("20");
    Type("A");
    ASSERT_EQ(CellAttr::SizeOf(Cell(*program, 0).attr), 20u);
    Key(Qt::Key_End);
    Trigger(kToolUseFontChip);
    Type("b");
    EXPECT_EQ(std::tuple(Carried(Cell(*program, 0)), Carried(Cell(*program, 1)), Controls()),
              std::tuple(std::tuple(false, 24), std::tuple(false, 24), std::tuple(false, 24)));
    Key(Qt::Key_Home);
    Type("c");
    EXPECT_EQ(std::tuple(Codes(*program), Carried(Cell(*program, 0))), std::tuple(u"cAb", Controls()));
    // With the chip on, a chosen size is what is typed.
    ChooseSize("32");
    Type("d");
    EXPECT_EQ(Carried(Cell(*program, 1)), std::tuple(false, 32));
}

TEST_F(EditorTyping, AChipProgramSelectedAfterABoldOneTakesNoBold) {
    Trigger(kToolBold);
    ChooseSize("20");
    Type("a");
    ASSERT_EQ(Carried(Cell(*program, 0)), std::tuple(true, 20));
    chipProgram->content.header.fontSet = kChip;
    chipProgram->content.cells[0] = TextCell(u'Q', CellAttr::Make(24, 0, 1));
    Select(chipProgram.get());
    EXPECT_EQ(std::tuple(editor.fontSetMode(), editor.action(kToolBold)->isChecked()), std::tuple(kChip, false));
    Type("y");
    Key(Qt::Key_End);
    Type("x");
    EXPECT_EQ(std::tuple(Codes(*chipProgram), Carried(Cell(*chipProgram, 0)), Carried(Cell(*chipProgram, 2))),
              std::tuple(u"yQx", std::tuple(false, 16), std::tuple(false, 24)));
    // Back in the system-font program, Bold is the user's again.
    Select(program.get());
    Trigger(kToolBold);
    Key(Qt::Key_End);
    Type("b");
    EXPECT_EQ(Carried(Cell(*program, 1)), Controls());
}

TEST_F(EditorTyping, APasteOverTheLimitKeepsAllThePastedCharacters) {
    std::u16string old;
    for (int i = 0; i < 2040; ++i) {
        old += char16_t(u'a' + i % 26);
        program->content.cells[size_t(i)] = TextCell(old.back(), CellAttr::Make(16, 0, 1));
    }
    Select(program.get());
    Key(Qt::Key_End);
    Key(Qt::Key_Home);
    QApplication::clipboard()->setText(QStringLiteral("0123456789"));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(Codes(*program).size(), Surface()->engine().caret()), std::tuple(size_t(kMaxCells), 10));
    EXPECT_EQ(Codes(*program), u"0123456789" + old.substr(0, kMaxCells - 10));
}

TEST_F(EditorTyping, EndOrAClickPastAWrappedLineAndTypingAppendsToThatLine) {
    Type("abcdefghijklmnopqrstuvwxyzabcd");
    const CellEditor& engine = Surface()->engine();
    ASSERT_GE(engine.lines().size(), 2u);
    const LineExtent first = engine.lines()[0];
    const int after = first.last + 1;
    const QPoint lineEnd(first.width, 0);
    auto caret = [&] { return std::tuple(engine.caret(), QPoint(engine.caretPlace().x, engine.caretPlace().y)); };
    for (int i = 0; i < 5; ++i) Key(Qt::Key_Up);
    Key(Qt::Key_End);
    EXPECT_EQ(caret(), std::tuple(after, lineEnd));
    Type("1");
    EXPECT_EQ(Codes(*program).substr(size_t(first.last), 2), (std::u16string{Cell(*program, first.last).code, u'1'}));
    // A click right of the first line's end: the next character follows that line too.
    QTest::mouseClick(Surface()->viewport(), Qt::LeftButton, {}, QPoint(first.width + 40, first.height / 2));
    const LineExtent now = engine.lines()[0];
    EXPECT_EQ(caret(), std::tuple(now.last + 1, QPoint(now.width, 0)));
    Type("2");
    EXPECT_EQ(Codes(*program).substr(size_t(now.last), 2), (std::u16string{Cell(*program, now.last).code, u'2'}));
}

TEST_F(EditorTyping, KeysHeldWithAltOrCtrlTypeNothing) {
    Type("ab");
    Key(Qt::Key_F, Qt::AltModifier);
    Key(Qt::Key_Q, Qt::ControlModifier);
    Key(Qt::Key_Return, Qt::ControlModifier);
    Key(Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(Surface(), 'e', Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Codes(*program), u"ab");
    // The editor's own shortcuts still act, and Shift types capitals.
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(Surface(), 'Z', Qt::ShiftModifier);
    EXPECT_EQ(std::tuple(Codes(*program), QApplication::clipboard()->text()), std::tuple(u"Z", QString("ab")));
}

}  // namespace
}  // namespace ledsuite
