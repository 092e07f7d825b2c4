#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "content/model/lang.h"
#include "toolkit/property_grid.h"
#include "toolkit/property_item.h"

using namespace ledsuite;

// Item descriptions name only the fields each test needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const LangText kGroupRow{{u"组", u"組", u"Group"}};
const LangText kChoiceRow{{u"选择", u"選擇", u"Choice"}};
const LangText kRed{{u"红", u"紅", u"Red"}}, kGreen{{u"绿", u"綠", u"Green"}};

std::vector<PropertySpec> Specs() {
    PropertySpec group{.key = 100, .kind = PropertyKind::Group, .label = [] { return QString::fromUtf16(kGroupRow()); }};
    PropertySpec list{.key = 1, .parent = 100, .kind = PropertyKind::List,
                      .label = [] { return QString::fromUtf16(kChoiceRow()); },
                      .options = [] { return QStringList{QString::fromUtf16(kRed()), QString::fromUtf16(kGreen())}; },
                      .relabelOptions = true, .description = [] { return QString("pick one"); }};
    PropertySpec spin{.key = 2, .parent = 100, .kind = PropertyKind::Spin, .label = [] { return QString("Pause"); },
                      .lo = 0, .hi = 255};
    PropertySpec time{.key = 3, .parent = 100, .kind = PropertyKind::Time, .label = [] { return QString("At"); }};
    PropertySpec fixed{.key = 4, .parent = 100, .kind = PropertyKind::List, .label = [] { return QString("Rate"); },
                       .options = [] { return QStringList{"1", "2"}; }};
    return {group, list, spin, time, fixed};
}

}  // namespace

TEST(PropertyGrid, BuildsItemsRelabelsKeepingOptionsAndShowsDescriptions) {
    SetUiLanguage(3);
    PropertyGrid grid(7);
    grid.Build(Specs());
    ASSERT_NE(grid.Item(1), nullptr);
    EXPECT_EQ(grid.Item(1)->parent(), grid.Item(100));
    EXPECT_EQ(grid.Name(1), "Choice");
    EXPECT_EQ(grid.GetOptionIndex(1), -1);  // nothing chosen yet
    grid.SelectOptionIndex(1, 1);
    grid.SelectOptionIndex(1, 5);  // no such option: the value stays
    EXPECT_EQ(grid.Value(1), "Green");
    grid.SelectOptionIndex(4, 1);
    grid.SetOptions(1, grid.Options(1) << "Blue");  // an appended option survives relabelling
    SetUiLanguage(1);
    grid.Relabel();
    EXPECT_EQ(grid.Name(100), QString::fromUtf16(u"组"));
    EXPECT_EQ(grid.Value(1), QString::fromUtf16(u"绿"));
    EXPECT_EQ(grid.Options(1), (QStringList{QString::fromUtf16(u"红"), QString::fromUtf16(u"绿"), "Blue"}));
    EXPECT_EQ(grid.Value(4), "2");
    grid.SetCurrentKey(1);
    EXPECT_TRUE(grid.DescriptionText().contains("pick one"));
    ResetUiLanguageForTests();
}

TEST(PropertyGrid, EachCommitNotifiesOnceAndNumbersKeepToTheStoredRange) {
    PropertyGrid grid(9);
    grid.Build(Specs());
    QSignalSpy changed(&grid, &PropertyGrid::PropertyChanged);
    QSignalSpy chosen(&grid, &PropertyGrid::OptionChosen);
    grid.CommitText(2, "300");
    EXPECT_EQ(grid.IntValue(2), 255);
    grid.CommitText(2, "-4");
    EXPECT_EQ(grid.IntValue(2), 0);
    grid.CommitText(2, "x");  // not a number: no change, no notice
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 9);
    EXPECT_EQ(grid.CurrentKey(), 2);

    grid.ChooseOption(1, 0);
    grid.ChooseOption(1, 0);  // the same option again: only the option notice
    EXPECT_EQ(changed.size(), 3);
    EXPECT_EQ(chosen.size(), 2);

    grid.CommitPacked(3, PackTime(11, 16, 0));
    EXPECT_EQ(grid.Value(3), "11:16:00");
    EXPECT_EQ(grid.PackedValue(3), PackTime(11, 16, 0));
    EXPECT_EQ(changed.size(), 4);

    grid.SetItemEnabled(2, false);
    EXPECT_FALSE(grid.EditValue(2));
    EXPECT_FALSE(grid.EditValue(100));
}

TEST(PropertyGrid, InPlaceEditorsCommitThroughTheGrid) {
    PropertyGrid grid(3);
    grid.Build(Specs());
    grid.resize(300, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy changed(&grid, &PropertyGrid::PropertyChanged);
    QSignalSpy chosen(&grid, &PropertyGrid::OptionChosen);

    ASSERT_TRUE(grid.EditValue(1));
    auto* combo = grid.Tree()->viewport()->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 2);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QApplication::processEvents();
    EXPECT_EQ(grid.Value(1), "Green");
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(chosen.size(), 1);

    ASSERT_TRUE(grid.EditValue(2));
    auto* spin = grid.Tree()->viewport()->findChild<QSpinBox*>();
    ASSERT_NE(spin, nullptr);
    spin->setValue(255);
    spin->stepUp();  // the arrows stay inside the stored range (typing is held to it on commit)
    EXPECT_EQ(spin->value(), 255);
    spin->setValue(42);
    grid.Tree()->setCurrentItem(grid.Item(100));  // leaving the item commits the editor
    QApplication::processEvents();
    EXPECT_EQ(grid.IntValue(2), 42);
    EXPECT_EQ(changed.size(), 2);

    ASSERT_TRUE(grid.EditValue(3));
    CDateTimeCtrlEx* editor = CDateTimeCtrlEx::Existing();
    ASSERT_NE(editor, nullptr);
    editor->setTime(QTime(6, 7, 8));
    editor->OnKillFocus();
    EXPECT_EQ(grid.Value(3), "06:07:08");
    EXPECT_EQ(changed.size(), 3);
}

TEST(PropertyGrid, ArrowsBrowseAListReturnChoosesAndADoubleClickedTimeTakesTyping) {
    PropertyGrid grid(3);
    grid.Build(Specs());
    grid.SelectOptionIndex(1, 0);
    grid.resize(300, 300);
    grid.show();
    grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    QSignalSpy changed(&grid, &PropertyGrid::PropertyChanged);
    QSignalSpy chosen(&grid, &PropertyGrid::OptionChosen);
    QTreeWidget* tree = grid.Tree();
    // A point in the value cell of `key`, past its text.
    auto valuePoint = [&](int key) {
        return QPoint(tree->columnViewportPosition(1) + tree->columnWidth(1) * 3 / 4,
                      tree->visualItemRect(grid.Item(key)).center().y());
    };
    auto openList = [&] {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, valuePoint(1));
        return tree->viewport()->findChild<QComboBox*>();
    };
    QPointer<QComboBox> combo = openList();
    ASSERT_TRUE(combo);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(std::tuple(combo->currentIndex(), grid.Value(1), changed.size(), chosen.size()),
              std::tuple(1, "Red", 0, 0));
    tree->setCurrentItem(grid.Item(100));  // leaving it chooses nothing
    QTest::qWait(1);
    EXPECT_EQ(std::tuple(bool(combo), grid.Value(1), changed.size(), chosen.size()), std::tuple(false, "Red", 0, 0));
    combo = openList();
    ASSERT_TRUE(combo);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Return);
    QTest::qWait(1);
    EXPECT_EQ(std::tuple(grid.Value(1), changed.size(), chosen.size()), std::tuple("Green", 1, 1));

    // The second click of a double-click lands in the editor the first one opened.
    QTest::mouseDClick(grid.windowHandle(), Qt::LeftButton, {}, tree->viewport()->mapTo(&grid, valuePoint(3)));
    CDateTimeCtrlEx* editor = CDateTimeCtrlEx::Existing();
    ASSERT_TRUE(editor && editor->isVisible());
    QTest::keyClicks(QApplication::focusWidget(), "093000");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // Return ends the edit
    EXPECT_EQ(std::tuple(grid.Value(3), changed.size(), editor->isVisible()), std::tuple("09:30:00", 2, false));
    EXPECT_EQ(QApplication::focusWidget(), tree);
}
