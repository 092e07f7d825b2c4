// The property window's grids at the width of a narrow and of a default right column, in the
// three languages: names and values share the row, each cut with an ellipsis and readable
// whole in its tooltip, and an edit leaves the grid scrolled back to the names' start.
#include <gtest/gtest.h>

#include <QDir>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>

#include "content/model/lang.h"
#include "content/model/paths.h"
#include "editors/ui/hardware_grid.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "tests/editors/editor_test_util.h"
#include "tests/link/link_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr int kNarrow = 180, kDefaultWidth = 240;  // the frame leaves the right column 240 pixels

struct Window {
    TempDir appData;
    RecordingChannel channel;
    HardwareParams hw;
    ProgramSetRecord set;
    ProgramRecord program;
    CPropertiesWnd wnd{nullptr, &channel};
    explicit Window(uint32_t language) {
        setenv("LEDSUITE_APPDATA", appData.path.c_str(), 1);
        ResetAppDataFolderForTests();
        SetUiLanguage(language);
        wnd.onInternal(IMC_LANGUAGE_CHANGED, 0);
        // Long values: a model name, a data flow, a sequence of effects.
        hw.cardType = 3, hw.cardSubtype = 4, hw.dataFlow = 9, hw.baudIndex = 5;
        program.right = 64, program.bottom = 16;
        program.mainAction.effect = kEffectInterweaveHorizontal;
        program.secondaryAction.effect = kEffectMoveLeft;
        wnd.show();
    }
    ~Window() {
        unsetenv("LEDSUITE_APPDATA");
        ResetAppDataFolderForTests();
        ResetUiLanguageForTests();
    }
    // The grid of `code`'s level shown at `width`, laid out and painted.
    PropertyGrid* Show(int code, int width) {
        const intptr_t records[] = {intptr_t(&hw), intptr_t(&set), intptr_t(&program)};
        const int codes[] = {IMC_SCREEN_SELECTED, IMC_PROGRAMS_SELECTED, IMC_PROGRAM_SELECTED};
        for (int i = 0; i < 3; ++i)
            if (codes[i] == code) wnd.onInternal(code, records[i]);
        wnd.resize(width, 700);
        QTest::qWait(10);
        const int id = code == IMC_SCREEN_SELECTED ? kHardwareGridId
                       : code == IMC_PROGRAMS_SELECTED ? kProgramSetGridId : kProgramGridId;
        return wnd.Grid(id);
    }
};

// What a cell of `width` pixels shows of `text`, as the item view draws it.
QString Shown(const QTreeWidget* tree, const QString& text, int width) {
    const int margin = tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
    return QFontMetrics(tree->font()).elidedText(text, Qt::ElideRight, width - 2 * margin);
}

// Whether `shown` is `text` whole, or its first `count` characters (at the least) and an ellipsis.
bool Keeps(const QString& shown, const QString& text, qsizetype count) {
    const qsizetype kept = shown.endsWith(QChar(0x2026)) ? shown.size() - 1 : -1;
    return shown == text || kept >= std::min(count, text.size());
}

// Every row of `g` inside the viewport; every value shows its first six characters (or all
// of it) and an ellipsis when cut, every name its first `nameCharacters`; names and values
// are their own tooltips.
void ExpectReadable(PropertyGrid* g, const std::string& where, qsizetype nameCharacters) {
    QTreeWidget* tree = g->Tree();
    const int right = tree->viewport()->width();
    EXPECT_EQ(tree->horizontalScrollBar()->maximum(), 0) << where;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        QTreeWidgetItem* item = *it;
        const std::string name = where + " " + item->text(0).toStdString();
        EXPECT_EQ(item->toolTip(0), item->text(0)) << name;
        EXPECT_LE(tree->visualItemRect(item).right(), right) << name;
        if (item->isFirstColumnSpanned())
            continue;  // a group title: the whole row
        const QString value = item->text(1);
        const QString shown = Shown(tree, value, tree->columnWidth(1));
        EXPECT_TRUE(Keeps(shown, value, 6))
            << name << ": " << value.toStdString() << " shown as " << shown.toStdString();
        EXPECT_EQ(item->toolTip(1), value) << name;
        const QString nameShown = Shown(tree, item->text(0), tree->columnWidth(0) - tree->visualItemRect(item).left());
        EXPECT_TRUE(Keeps(nameShown, item->text(0), nameCharacters)) << name << " shown as " << nameShown.toStdString();
    }
}

}  // namespace

TEST(PropertyWidths, NamesAndValuesShareTheRowInEveryLanguageAndWidth) {
    const QString grabs = qEnvironmentVariable("LEDSUITE_GRAB_DIR");
    if (!grabs.isEmpty()) QDir().mkpath(grabs);
    for (uint32_t language : {1u, 2u, 3u}) {
        Window w(language);
        for (int code : {IMC_SCREEN_SELECTED, IMC_PROGRAMS_SELECTED, IMC_PROGRAM_SELECTED}) {
            for (int width : {kNarrow, kDefaultWidth}) {
                PropertyGrid* g = w.Show(code, width);
                const std::string where = std::to_string(language) + "/" + std::to_string(code) + "/" +
                                          std::to_string(width);
                ExpectReadable(g, where, width == kNarrow ? 2 : 4);
                const QPixmap grab = w.wnd.grab();
                EXPECT_EQ(grab.width(), width * grab.devicePixelRatio());
                if (!grabs.isEmpty() && language != 2)
                    grab.save(grabs + QString("/properties_%1_%2_%3.png")
                                          .arg(language == 3 ? "en" : "zh").arg(code).arg(width));
            }
        }
    }
}

TEST(PropertyWidths, ALongerValueShownAtTheSameWidthSharesTheRowAnew) {
    Window w(3), fresh(3);
    w.program.mainAction.effect = w.program.secondaryAction.effect = kEffectNone;
    PropertyGrid* g = w.Show(IMC_PROGRAM_SELECTED, kNarrow);
    ExpectReadable(g, "short values", 2);
    // The long effect at the same width: the row is shared as for a grid that shows it first.
    ProgramRecord longer = w.program;
    longer.mainAction.effect = kEffectInterweaveHorizontal;
    w.wnd.onInternal(IMC_PROGRAM_SELECTED, reinterpret_cast<intptr_t>(&longer));
    QTest::qWait(10);
    ExpectReadable(g, "a long value", 2);
    fresh.program = longer;
    EXPECT_EQ(g->Tree()->columnWidth(0), fresh.Show(IMC_PROGRAM_SELECTED, kNarrow)->Tree()->columnWidth(0));
}

TEST(PropertyWidths, AnEditLeavesTheGridScrolledToTheNamesStart) {
    Window w(3);
    PropertyGrid* g = w.Show(IMC_SCREEN_SELECTED, kNarrow);
    QTreeWidget* tree = g->Tree();
    // Scrolled sideways as far as it goes to reach the value, which is then typed.
    const int key = TimedLevelKey(3);  // the deepest row, at the bottom
    tree->scrollToItem(g->Item(key));
    tree->horizontalScrollBar()->setValue(tree->horizontalScrollBar()->maximum());
    const QRect row = tree->visualItemRect(g->Item(key));
    const QPoint value(tree->columnViewportPosition(1) + 4, row.center().y());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, value);
    auto* spin = tree->viewport()->findChild<QSpinBox*>();
    ASSERT_NE(spin, nullptr);
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, "200");
    QTest::keyClick(spin, Qt::Key_Return);
    QTest::qWait(10);
    // The group titles start at the row's left edge again, their expand arrows in view.
    EXPECT_EQ(std::tuple(g->IntValue(key), tree->horizontalScrollBar()->value(), tree->columnViewportPosition(0)),
              std::tuple(200, 0, 0));
}
