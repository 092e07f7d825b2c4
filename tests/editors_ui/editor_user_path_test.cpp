// The text editor window as a user meets it, offscreen: the picture pickers and the clock
// background from the shipped pictures, typing over a full text, "To Animate" over all of
// it, a counter typed into its dialog, a table cell at its room, a large dropped file and
// the table dialog on a frame type it does not offer, a table inserted beside a text.
#include <gtest/gtest.h>

#include <tuple>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include "content/model/paths.h"
#include "content/preview/canvas_drawing.h"
#include "content/render/font_renderer.h"
#include "editors/ui/dlg_clock.h"
#include "editors/ui/dlg_counter.h"
#include "editors/ui/dlg_grid.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/edit_grid.h"
#include "tests/editors/editor_test_util.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "toolkit/icon_picker.h"
#include "toolkit/qt_text.h"

namespace ledsuite {
namespace {

class EditorUserPath : public ::testing::Test {
protected:
    void SetUp() override {
        SetUiLanguage(3);
        program->right = 128, program->bottom = 32, program->mainAction.effect = kEffectMoveUp;
        editor.resize(420, 260);
        editor.show();
        Select();
    }
    void TearDown() override { ResetUiLanguageForTests(); }
    void Select() {
        editor.onInternal(IMC_SET_FONT_CHIP, 0);
        editor.onInternal(IMC_PROGRAM_SELECTED, intptr_t(program.get()));
    }
    // `n` copies of `code` in one attribute, shown again.
    void Fill(int n, char16_t code, uint32_t attr = CellAttr::Make(16, 0, 1)) {
        for (int i = 0; i < n; ++i) program->content.cells[size_t(i)] = TextCell(code, attr);
        Select();
    }
    std::u16string Codes() const { return ledsuite::Codes(program->content.cells); }
    void RunMenuCommand(int id) { testing::RunSurfaceMenuCommand(editor.surface(), id); }
    // Opens a picker through the toolbar button of `command` and clicks cell `index` of its popup.
    void PickThroughToolbar(int command, int index, int* cells) {
        QToolBar* bar = nullptr;
        for (QToolBar* b : editor.findChildren<QToolBar*>())
            if (b->actions().contains(editor.action(command))) bar = b;
        ASSERT_NE(bar, nullptr);
        QTest::mouseClick(bar->widgetForAction(editor.action(command)), Qt::LeftButton);
        CIconPicker* picker = editor.picker(command == kToolInsertImage ? 0 : 1);
        ASSERT_TRUE(picker->PopupOpen());
        *cells = int(picker->Entries().size());
        QTest::mouseClick(picker->Popup()->Button(CIconContainer::kFirstCellId + index), Qt::LeftButton);
    }

    RecordingChannel frame;
    std::unique_ptr<ProgramRecord> program = std::make_unique<ProgramRecord>();
    CEditCtrl editor{nullptr, &frame, FontTables{{u"Courier New", u"宋体"}, {u"宋体"}, 1}};
};

TEST_F(EditorUserPath, BothPicturePickersOpenFromTheToolbarWithTheShippedPictures) {
    int cells = 0;
    PickThroughToolbar(kToolInsertImage, 0, &cells);  // the first shipped picture: a red heart
    const QImage heart(QString::fromStdString(ResourcePath("zu_img") + "/01_heart.png"));
    ASSERT_EQ(std::tuple(heart.isNull(), cells, Codes()), std::tuple(false, 8, u"\uE003"));
    const auto* picture = CellObjectAs<PictureObject>(program->content.cells[0]);
    ASSERT_TRUE(picture && !picture->frames.empty());
    const RawImage& frame0 = *picture->frames[0];
    EXPECT_EQ(std::tuple(frame0.width, frame0.height, frame0.row32(16)[16] & 0xFFFFFF, frame0.row32(0)[0] & 0xFFFFFF),
              std::tuple(32, 32, heart.pixel(16, 16) & 0xFFFFFFu, 0u));
    PickThroughToolbar(kToolInsertIcon, 4, &cells);  // a drawn symbol of picker 2
    EXPECT_EQ(std::tuple(cells, Codes()), std::tuple(8, u"\uE003\uE003"));
}

TEST_F(EditorUserPath, AClockTakesAShippedFaceAsItsBackgroundAndTheFirstEntryRemovesIt) {
    editor.action(kToolInsertClock)->trigger();
    ASSERT_EQ(Codes(), u"\uE030");
    QTest::keyClick(editor.surface(), Qt::Key_A, Qt::ControlModifier);
    int entries = 0;
    std::vector<int> picks = {1, 0};  // the first face, then "no background"
    std::vector<uint8_t> styles;
    testing::Answerer<DlgClock> answer([&](DlgClock* d) {
        for (int pick : picks) {
            QTest::mouseClick(d->BackgroundButton(), Qt::LeftButton);
            entries = int(d->Picker()->Entries().size());
            QTest::mouseClick(d->Picker()->Popup()->Button(CIconContainer::kFirstCellId + pick), Qt::LeftButton);
            styles.push_back(CellObjectAs<ClockObject>(program->content.cells[0])->style);
            if (pick == 1) {
                const auto* clock = CellObjectAs<ClockObject>(program->content.cells[0]);
                const QImage ring(QString::fromStdString(ResourcePath("zu_clock") + "/01_ring.png"));
                EXPECT_EQ(std::tuple(clock->face.size(), clock->face[0]->width, clock->face[0]->row32(32)[1] & 0xFFFFFF),
                          std::tuple(size_t(1), 64, ring.pixel(1, 32) & 0xFFFFFFu));
            }
        }
        QTest::keyClick(d, Qt::Key_Escape);
    });
    RunMenuCommand(kCmdEditItem);
    EXPECT_EQ(std::tuple(answer.seen, entries, styles), std::tuple(1, 5, std::vector<uint8_t>{3, 0}));
    EXPECT_TRUE(CellObjectAs<ClockObject>(program->content.cells[0])->face.empty());
}

TEST_F(EditorUserPath, TypingOverAllOfAFullTextReplacesIt) {
    Fill(kMaxCells, u'a');
    QTest::keyClick(editor.surface(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor.surface(), "Hi");
    EXPECT_EQ(Codes(), u"Hi");
}

TEST_F(EditorUserPath, ToAnimateOverAllOfAFullTextKeepsEveryCharacter) {
    Fill(kMaxCells, u'a', CellAttr::Make(8, 0, 1));
    QTest::keyClick(editor.surface(), Qt::Key_A, Qt::ControlModifier);
    RunMenuCommand(kCmdToAnimateFirst + 1);  // Flash
    const auto* picture = CellObjectAs<PictureObject>(program->content.cells[0]);
    ASSERT_TRUE(picture != nullptr && Codes() == u"\uE003");
    EXPECT_EQ(picture->frames[0]->width, kMaxCells * 6);  // 2048 characters of six pixels
}

TEST_F(EditorUserPath, CounterValuesTypedWithUnequalDecimalsOrANegativeZero) {
    const struct { const char *start, *end; int32_t s, sf, e, ef; uint8_t format; const char *shownStart, *shownEnd; }
        cases[] = {{"1.5", "2.25", 1, 50, 2, 25, 0x12, "1.50", "2.25"},
                   {"-0.5", "10", 0, -5, 10, 0, 0x21, "-00.5", " 10.0"},
                   {"-12.5", "300", -12, 5, 300, 0, 0x31, "-012.5", " 300.0"}};  // as it always was
    for (const auto& c : cases) {
        program = std::make_unique<ProgramRecord>();
        program->right = 128, program->bottom = 32;
        Select();
        testing::Answerer<DlgCounter> answer([&](DlgCounter* d) {
            for (auto [edit, text] : {std::pair(d->StartEdit(), c.start), std::pair(d->EndEdit(), c.end)}) {
                edit->setFocus();
                QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(edit, text);
            }
            QTest::keyClick(d->EndEdit(), Qt::Key_Return);  // OK is the default button
        });
        RunMenuCommand(kCmdInsertCounter);
        const auto* counter = CellObjectAs<CounterField>(program->content.cells[0]);
        ASSERT_TRUE(counter != nullptr) << c.start;
        EXPECT_EQ(std::tuple(counter->start, counter->startFraction, counter->end, counter->endFraction,
                             counter->digitFormat), std::tuple(c.s, c.sf, c.e, c.ef, c.format)) << c.start;
        // What the sign and the reopened dialog show.
        EXPECT_EQ(std::tuple(FormatDigitValue(*counter, counter->start, counter->startFraction),
                             FormatDigitValue(*counter, counter->end, counter->endFraction)),
                  std::tuple(ToU16(c.shownStart), ToU16(c.shownEnd)));
    }
}

TEST_F(EditorUserPath, ATableCellTakesOnlyWhatItsTableHasRoomFor) {
    auto* table = new GridObject;
    InitGridObject(*table);
    ASSERT_TRUE(SetGridSize(*table, 255, 8));  // 2040 markers: room for eight characters
    program->content.cells[0] = TextCell(FC_TABLE, 0);
    program->content.cells[0].obj.reset(table);
    Select();
    CEditGrid* g = editor.gridEditor();
    const QPoint a1(48 + 5, 16 + 5), b1(48 + 64 + 5, 16 + 5);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, a1);
    ASSERT_TRUE(g->cellSurface()->isVisible());
    QTest::keyClicks(g->cellSurface(), "abcdefghijklmnopqrst");
    const std::u16string shown = ledsuite::Codes(g->cellSurface()->record()->content.cells);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, b1);  // commits A1, edits B1: no room left
    QTest::keyClicks(g->cellSurface(), "XYZ");
    const std::u16string shownB1 = ledsuite::Codes(g->cellSurface()->record()->content.cells);
    editor.OnToolbarCommand(kToolReturnToText);
    const std::vector<uint16_t> markers = CollectGridCells(*table);
    ASSERT_EQ(markers.size(), 2040u);
    EXPECT_EQ(std::tuple(shown, shownB1, ledsuite::Codes(table->cells).substr(0, 10)),
              std::tuple(u"abcdefgh", u"", u"\uE006abcdefgh\uE006"));
}

TEST_F(EditorUserPath, ALargeDroppedTextFileIsTypedInAsFarAsItFits) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    std::string bytes;
    while (bytes.size() < (size_t(2) << 20)) bytes += "line\r\n";
    ASSERT_TRUE(WriteFileAtomic(path.toStdString(), bytes.data(), bytes.size()));
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.surface()->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.surface()->viewport(), &drop);
    delete mime;
    // CR and LF each become a line feed; typing stops at cell 2047.
    std::u16string expected;
    while (expected.size() < size_t(kMaxCells - 1)) expected += u"line\n\n";
    expected.resize(size_t(kMaxCells - 1));
    EXPECT_EQ(std::tuple(Codes(), editor.surface()->engine().caret()), std::tuple(expected, kMaxCells - 1));
}

TEST_F(EditorUserPath, TheTableDialogShowsAndKeepsFrameType7) {
    auto* table = new GridObject;
    InitGridObject(*table);
    ASSERT_TRUE(SetGridSize(*table, 2, 2));
    table->style = (table->style & ~0xFFu) | 7u << 5 | 2u << 2;
    program->content.cells[0] = TextCell(FC_TABLE, 0);
    program->content.cells[0].obj.reset(table);
    Select();
    QString shown;
    testing::Answerer<DlgGrid> answer([&](DlgGrid* d) {
        shown = d->FrameCombo()->currentText();
        QTest::keyClick(d->FrameCombo(), Qt::Key_Return);
    });
    std::unique_ptr<QMenu> menu(editor.gridEditor()->BuildContextMenu());
    menu->actions().value(0)->trigger();  // "表格属性"
    EXPECT_EQ(std::tuple(answer.seen, shown, table->style & 0xFF), std::tuple(1, QString("7"), 7u << 5 | 2u << 2));
}

// Typing "AB" in a card font set, inserting the table dialog's default 3 x 3 table from the
// toolbar and typing "C" after it: the layout view of the 128 x 32 area still shows "AB"
// where it stood without the table, as the card's command stream places it. (A system-font
// text under Move Left is one running line, as tall as the table, with "AB" on its bottom.)
TEST_F(EditorUserPath, ATableInsertedBesideATextLeavesTheTextInTheLayoutView) {
    program->mainAction.effect = kEffectMoveLeft;
    program->content.header.fontSet = 1;
    editor.onInternal(IMC_SET_FONT_CHIP, 1);  // a screen with a font chip
    editor.onInternal(IMC_PROGRAM_SELECTED, intptr_t(program.get()));
    auto layoutView = [&] {
        FontRenderer fonts;
        FontTables tables{{u"Courier New", u"宋体"}, {u"宋体"}, 1};
        RenderContext rc{fonts, tables};
        ProgramLayout layout;
        EXPECT_TRUE(LayoutProgramContent(rc, program->content, kEffectMoveLeft, 128, 32, 5, layout));
        const Surface s = RenderAreaSurface(rc, program->content, layout, 0, 0, 128, 32, 0, 0, 0, 128, 32);
        std::vector<uint32_t> ab;  // the columns of "AB"
        for (int y = 0; y < 32; ++y) ab.insert(ab.end(), s.row(y), s.row(y) + 16);
        return ab;
    };
    QTest::keyClicks(editor.surface(), "AB");
    const std::vector<uint32_t> alone = layoutView();
    ASSERT_GT(std::count_if(alone.begin(), alone.end(), [](uint32_t px) { return px != 0; }), 20);
    QToolBar* bar = nullptr;
    for (QToolBar* b : editor.findChildren<QToolBar*>())
        if (b->actions().contains(editor.action(kToolInsertGrid))) bar = b;
    ASSERT_NE(bar, nullptr);
    testing::Answerer<DlgGrid> answer([](DlgGrid* d) { QTest::keyClick(d, Qt::Key_Return); });
    QTest::mouseClick(bar->widgetForAction(editor.action(kToolInsertGrid)), Qt::LeftButton);
    ASSERT_EQ(answer.seen, 1);
    ASSERT_EQ(program->content.cells[2].code, FC_TABLE);
    QTest::mouseClick(bar->widgetForAction(editor.action(kToolReturnToText)), Qt::LeftButton);
    QTest::keyClick(editor.surface(), Qt::Key_End);
    QTest::keyClicks(editor.surface(), "C");
    EXPECT_EQ(Codes().substr(0, 4), std::u16string(u"AB") + char16_t(FC_TABLE) + u"C");
    EXPECT_EQ(layoutView(), alone);
}

}  // namespace
}  // namespace ledsuite
