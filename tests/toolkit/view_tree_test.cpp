#include <gtest/gtest.h>

#include <QApplication>

#include "toolkit/view_tree.h"

using namespace ledsuite;

namespace {

// Screen; set "A" (playMode 1) with programs left 10 and 11; set "B" (playMode 2) with
// the program left 20.
ProgramTree TwoSetsThreePrograms() {
    ProgramTree programs;
    const int lefts[2][2] = {{10, 11}, {20, -1}};
    for (int s = 0; s < 2; ++s) {
        ProgramSetNode* set = programs.AddProgramSet();
        set->title = s ? u"B" : u"A";
        set->record->playMode = uint8_t(s + 1);
        for (int left : lefts[s])
            if (left >= 0) programs.AddProgram(size_t(s))->record->left = left;
    }
    return programs;
}

int Left(CViewTree& tree, int set, int program) { return tree.Programs().program(size_t(set), size_t(program))->record->left; }

// The Qt tree shows exactly the ProgramTree: one screen item, every set and program in
// order with its text, and each item's place naming its own record.
void ExpectInStep(CViewTree& tree) {
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* screen = tree.ScreenItem();
    EXPECT_EQ(screen->text(0), QString::fromStdU16String(ProgramTree::screenTitle()));
    auto& sets = tree.Programs().sets();
    ASSERT_EQ(screen->childCount(), int(sets.size()));
    for (int s = 0; s < int(sets.size()); ++s) {
        QTreeWidgetItem* setItem = screen->child(s);
        EXPECT_EQ(setItem->text(0), QString::fromStdU16String(sets[size_t(s)].title));
        EXPECT_EQ(tree.SetNode(setItem), &sets[size_t(s)]);
        EXPECT_EQ(GetTreeItemDepth(&tree, setItem), 1);
        ASSERT_EQ(setItem->childCount(), int(sets[size_t(s)].programs.size()));
        for (int p = 0; p < setItem->childCount(); ++p) {
            const TreeItemRef ref = tree.ItemRef(setItem->child(p));
            EXPECT_EQ(ref.depth, 2);
            EXPECT_EQ(ref.set, s);
            EXPECT_EQ(ref.program, p);
            EXPECT_EQ(tree.ProgramNodeOf(setItem->child(p)), &sets[size_t(s)].programs[size_t(p)]);
            EXPECT_EQ(setItem->child(p)->text(0), QString::fromStdU16String(sets[size_t(s)].programs[size_t(p)].title()));
        }
    }
}

struct TreeWindow {
    CViewTreeEx tree;
    TreeWindow() {
        tree.SetProgramTree(TwoSetsThreePrograms());
        tree.resize(200, 300);
        tree.show();
    }
};

}  // namespace

TEST(ViewTree, DepthAndSelectedTopItem) {
    CViewTree empty;
    EXPECT_EQ(GetSelectedTopItem(&empty), nullptr);
    EXPECT_EQ(GetSelectedTopItem(nullptr), nullptr);
    EXPECT_EQ(GetTreeItemDepth(nullptr), -1);

    TreeWindow w;
    ExpectInStep(w.tree);
    EXPECT_EQ(GetTreeItemDepth(&w.tree), -1);  // nothing selected
    EXPECT_EQ(GetSelectedTopItem(&w.tree), w.tree.ScreenItem());
    EXPECT_EQ(GetTreeItemDepth(&w.tree, w.tree.ScreenItem()), 0);
    EXPECT_EQ(GetTreeItemDepth(&w.tree, w.tree.ItemAt(1)), 1);
    w.tree.setCurrentItem(w.tree.ItemAt(1, 0));
    EXPECT_EQ(GetTreeItemDepth(&w.tree), 2);
    EXPECT_EQ(GetSelectedTopItem(&w.tree), w.tree.ScreenItem());
    EXPECT_EQ(w.tree.ProgramNodeOf(w.tree.SelectedItem())->record->left, 20);
    EXPECT_EQ(w.tree.SetNode(w.tree.ScreenItem()), nullptr);
}

TEST(ViewTree, CopiesAreDeepAndMirrored) {
    TreeWindow w;
    CViewTree& t = w.tree;
    // A program of A after the first program of B.
    QTreeWidgetItem* copy = CopyTreeItem(&t, t.ItemAt(0, 0), t.ItemAt(1), t.ItemAt(1, 0));
    ASSERT_EQ(copy, t.ItemAt(1, 1));
    EXPECT_EQ(Left(t, 1, 1), 10);
    t.ProgramNodeOf(copy)->record->left = 99;
    EXPECT_EQ(Left(t, 0, 0), 10);
    ExpectInStep(t);

    // Set A with its programs, at the end of the screen.
    QTreeWidgetItem* setCopy = CopyTreeSubtree(&t, t.ItemAt(0), t.ScreenItem());
    ASSERT_EQ(setCopy, t.ItemAt(2));
    ASSERT_EQ(t.Programs().sets()[2].programs.size(), 2u);
    EXPECT_EQ(t.Programs().sets()[2].title, u"A");
    t.SetNode(setCopy)->record->playMode = 7;
    t.ProgramNodeOf(t.ItemAt(2, 1))->record->left = 77;
    EXPECT_EQ(t.Programs().sets()[0].record->playMode, 1);
    EXPECT_EQ(Left(t, 0, 1), 11);
    ExpectInStep(t);

    // The items of A's copy go to the end of B.
    EXPECT_EQ(CopyTreeChildren(&t, setCopy, t.ItemAt(1)), 2);
    EXPECT_EQ(Left(t, 1, 2), 10);
    EXPECT_EQ(Left(t, 1, 3), 77);
    // Copying the screen's children into the screen copies each set once.
    EXPECT_EQ(CopyTreeChildren(&t, t.ScreenItem(), t.ScreenItem()), 3);
    EXPECT_EQ(t.Programs().sets().size(), 6u);
    ExpectInStep(t);

    // Places the program tree cannot hold.
    EXPECT_EQ(CopyTreeItem(&t, t.ItemAt(0), t.ItemAt(1)), nullptr);
    EXPECT_EQ(CopyTreeItem(&t, t.ItemAt(0, 0), t.ScreenItem()), nullptr);
    EXPECT_EQ(CopyTreeItem(&t, t.ItemAt(0, 0), t.ItemAt(1), t.ItemAt(0, 1)), nullptr);
    ExpectInStep(t);
}

TEST(ViewTree, DeletingChildrenMovesTheSelectionOffThem) {
    TreeWindow w;
    CViewTree& t = w.tree;
    t.setCurrentItem(t.ItemAt(0, 1));
    DeleteTreeChildren(&t, t.ItemAt(0));
    EXPECT_TRUE(t.Programs().sets()[0].programs.empty());
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(0));
    ExpectInStep(t);
    DeleteTreeChildren(&t, t.ItemAt(0, 0));  // no such item: nothing happens
    DeleteTreeChildren(&t, t.ScreenItem());
    EXPECT_TRUE(t.Programs().sets().empty());
    EXPECT_EQ(t.SelectedItem(), t.ScreenItem());
    ExpectInStep(t);
}

TEST(ViewTree, SwapMovesTheRecordBeforeTheSelectionFollowsIt) {
    TreeWindow w;
    CViewTree& t = w.tree;
    t.setCurrentItem(t.ItemAt(0, 0));
    const ProgramRecord* moving = t.ProgramNodeOf(t.SelectedItem())->record.get();
    EXPECT_FALSE(SwapTreeItemWithSibling(&t, true));  // the first has no previous sibling
    EXPECT_EQ(Left(t, 0, 0), 10);

    // Whoever follows the selection must be handed the moved record at its new place.
    std::vector<const ProgramRecord*> seen;
    QObject::connect(&t, &QTreeWidget::itemSelectionChanged, &t, [&] {
        if (ProgramNode* node = t.ProgramNodeOf(t.SelectedItem())) seen.push_back(node->record.get());
    });
    ASSERT_TRUE(SwapTreeItemWithSibling(&t, false));
    EXPECT_EQ(Left(t, 0, 0), 11);
    EXPECT_EQ(Left(t, 0, 1), 10);
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(0, 1));
    ASSERT_FALSE(seen.empty());
    for (const ProgramRecord* record : seen) EXPECT_EQ(record, moving);
    EXPECT_FALSE(SwapTreeItemWithSibling(&t, false));  // now the last
    ExpectInStep(t);

    // A set moves with its programs and its expansion.
    t.ItemAt(1)->setExpanded(false);
    t.setCurrentItem(t.ItemAt(0));
    ASSERT_TRUE(SwapTreeItemWithSibling(&t, false));
    EXPECT_EQ(t.Programs().sets()[0].title, u"B");
    EXPECT_EQ(t.Programs().sets()[1].record->playMode, 1);
    EXPECT_EQ(Left(t, 1, 1), 10);
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(1));
    EXPECT_TRUE(t.ItemAt(1)->isExpanded());
    EXPECT_FALSE(t.ItemAt(0)->isExpanded());
    ExpectInStep(t);
    EXPECT_FALSE(SwapTreeItemWithSibling(nullptr, true));
}

TEST(ViewTree, ThirdLevelItemsAreThePrograms) {
    TreeWindow w;
    std::vector<QTreeWidgetItem*> items{nullptr};  // appended to
    CollectThirdLevelItems(&w.tree, items);
    const std::vector<QTreeWidgetItem*> expected{nullptr, w.tree.ItemAt(0, 0), w.tree.ItemAt(0, 1), w.tree.ItemAt(1, 0)};
    EXPECT_EQ(items, expected);
}

TEST(ViewTree, AddDeleteRenameAndRelabelKeepBothSides) {
    TreeWindow w;
    CViewTree& t = w.tree;
    QTreeWidgetItem* set = t.AddProgramSetItem();
    ASSERT_EQ(set, t.ItemAt(2));
    QTreeWidgetItem* program = t.AddProgramItem(set);
    ASSERT_EQ(program, t.ItemAt(2, 0));
    EXPECT_EQ(t.AddProgramItem(program), nullptr);
    ExpectInStep(t);

    set->setText(0, "Renamed");  // as an in-place edit ends
    EXPECT_EQ(t.Programs().sets()[2].title, u"Renamed");

    t.Programs().SetProgramKind(2, 0, kKindLyricShow);
    QPixmap lyric(4, 4);
    lyric.fill(Qt::blue);
    t.SetItemImages({QIcon(), QIcon(), QIcon(), QIcon(), QIcon(lyric), QIcon()});
    EXPECT_EQ(program->text(0), "Lyric Show");
    EXPECT_FALSE(program->icon(0).isNull());
    EXPECT_TRUE(t.ItemAt(0, 0)->icon(0).isNull());

    t.setCurrentItem(t.ItemAt(0, 1));
    EXPECT_TRUE(t.DeleteItem(t.ItemAt(0, 1)));
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(0, 0));  // the previous sibling
    EXPECT_TRUE(t.DeleteItem(t.ItemAt(0, 0)));
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(0));     // else the parent
    EXPECT_FALSE(t.DeleteItem(t.ScreenItem()));
    ExpectInStep(t);
}
