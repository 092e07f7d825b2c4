#include <gtest/gtest.h>

#include "toolkit/view_tree.h"

using namespace ledsuite;

namespace {

// Screen; set "A" (playMode 1) with programs left 10 and 11; set "B" (playMode 2) with
// the program left 20.
struct TreeWindow {
    CViewTreeEx t;
    TreeWindow() {
        ProgramTree programs;
        for (int s = 0; s < 2; ++s) {
            ProgramSetNode* set = programs.AddProgramSet();
            set->title = s ? u"B" : u"A";
            set->record->playMode = uint8_t(s + 1);
        }
        for (auto [set, left] : {std::pair{0, 10}, {0, 11}, {1, 20}}) programs.AddProgram(set)->record->left = left;
        t.SetProgramTree(std::move(programs));
        t.resize(200, 300);
        t.show();
    }
};

// The tree as "A1:10,11 B2:20" (each set's title and play mode, its programs' left
// edges) read through the Qt items: their texts and the records their places name.
// The ProgramTree must read the same, so the two sides are in step.
std::string Shape(CViewTree& t) {
    std::string viaItems, viaRecords;
    EXPECT_EQ(t.topLevelItemCount(), 1);
    EXPECT_EQ(t.ScreenItem()->text(0).toStdU16String(), ProgramTree::screenTitle());
    for (int s = 0; s < t.ScreenItem()->childCount(); ++s) {
        QTreeWidgetItem* set = t.ScreenItem()->child(s);
        viaItems += (s ? " " : "") + set->text(0).toStdString() + std::to_string(t.SetNode(set)->record->playMode) + ":";
        for (int p = 0; p < set->childCount(); ++p) {
            const ProgramNode* program = t.ProgramNodeOf(set->child(p));
            EXPECT_EQ(set->child(p)->text(0).toStdU16String(), program->title());
            viaItems += (p ? "," : "") + std::to_string(program->record->left);
        }
    }
    for (const ProgramSetNode& set : t.Programs().sets()) {
        viaRecords += (viaRecords.empty() ? "" : " ") + QString::fromStdU16String(set.title).toStdString() +
                      std::to_string(set.record->playMode) + ":";
        for (size_t p = 0; p < set.programs.size(); ++p)
            viaRecords += (p ? "," : "") + std::to_string(set.programs[p].record->left);
    }
    EXPECT_EQ(viaItems, viaRecords);
    return viaRecords;
}

}  // namespace

TEST(ViewTree, DepthSelectedTopItemAndThirdLevelItems) {
    EXPECT_EQ(GetSelectedTopItem(nullptr), nullptr);
    EXPECT_EQ(GetTreeItemDepth(nullptr), -1);
    CViewTree empty;
    EXPECT_EQ(GetSelectedTopItem(&empty), nullptr);

    TreeWindow w;
    CViewTree& t = w.t;
    EXPECT_EQ(Shape(t), "A1:10,11 B2:20");
    EXPECT_EQ(GetTreeItemDepth(&t), -1);  // nothing selected
    EXPECT_EQ(GetSelectedTopItem(&t), t.ScreenItem());
    EXPECT_EQ(GetTreeItemDepth(&t, t.ScreenItem()), 0);
    EXPECT_EQ(GetTreeItemDepth(&t, t.ItemAt(1)), 1);
    t.setCurrentItem(t.ItemAt(1, 0));
    EXPECT_EQ(GetTreeItemDepth(&t), 2);
    EXPECT_EQ(GetSelectedTopItem(&t), t.ScreenItem());
    EXPECT_EQ(t.SetNode(t.ScreenItem()), nullptr);
    std::vector<QTreeWidgetItem*> items{nullptr};  // appended to
    CollectThirdLevelItems(&t, items);
    EXPECT_EQ(items, (std::vector<QTreeWidgetItem*>{nullptr, t.ItemAt(0, 0), t.ItemAt(0, 1), t.ItemAt(1, 0)}));
}

TEST(ViewTree, CopiesAreDeepAndMirrored) {
    TreeWindow w;
    CViewTree& t = w.t;
    // A program of A after the first program of B; set A with its programs at the end.
    QTreeWidgetItem* copy = CopyTreeItem(&t, t.ItemAt(0, 0), t.ItemAt(1), t.ItemAt(1, 0));
    ASSERT_EQ(copy, t.ItemAt(1, 1));
    copy = CopyTreeSubtree(&t, t.ItemAt(0), t.ScreenItem());
    ASSERT_EQ(copy, t.ItemAt(2));
    t.ProgramNodeOf(t.ItemAt(1, 1))->record->left = 99;
    t.SetNode(t.ItemAt(2))->record->playMode = 7;
    t.ProgramNodeOf(t.ItemAt(2, 1))->record->left = 77;
    EXPECT_EQ(Shape(t), "A1:10,11 B2:20,99 A7:10,77");

    // The items of A's copy to the end of B; the screen's sets into the screen, each once.
    EXPECT_EQ(CopyTreeChildren(&t, t.ItemAt(2), t.ItemAt(1)), 2);
    EXPECT_EQ(CopyTreeChildren(&t, t.ScreenItem(), t.ScreenItem()), 3);
    const std::string copied = Shape(t);
    EXPECT_EQ(copied, "A1:10,11 B2:20,99,10,77 A7:10,77 A1:10,11 B2:20,99,10,77 A7:10,77");

    // Places the program tree cannot hold.
    EXPECT_EQ(CopyTreeItem(&t, t.ItemAt(0), t.ItemAt(1)), nullptr);
    EXPECT_EQ(CopyTreeItem(&t, t.ItemAt(0, 0), t.ScreenItem()), nullptr);
    EXPECT_EQ(CopyTreeItem(&t, t.ItemAt(0, 0), t.ItemAt(1), t.ItemAt(0, 1)), nullptr);
    EXPECT_EQ(Shape(t), copied);
}

TEST(ViewTree, SwapExchangesTheRecordsBeforeTheSelectionFollows) {
    TreeWindow w;
    CViewTree& t = w.t;
    t.setCurrentItem(t.ItemAt(0, 0));
    const ProgramRecord* moving = t.ProgramNodeOf(t.SelectedItem())->record.get();
    EXPECT_FALSE(SwapTreeItemWithSibling(&t, true));  // the first has no previous sibling

    // Whoever follows the selection must be handed the moved record at its new place.
    std::vector<const ProgramRecord*> seen;
    QObject::connect(&t, &QTreeWidget::itemSelectionChanged, &t, [&] {
        if (ProgramNode* node = t.ProgramNodeOf(t.SelectedItem())) seen.push_back(node->record.get());
    });
    ASSERT_TRUE(SwapTreeItemWithSibling(&t, false));
    EXPECT_EQ(Shape(t), "A1:11,10 B2:20");
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(0, 1));
    ASSERT_FALSE(seen.empty());
    for (const ProgramRecord* record : seen) EXPECT_EQ(record, moving);
    EXPECT_FALSE(SwapTreeItemWithSibling(&t, false));  // now the last

    // A set moves with its programs and its expansion.
    t.ItemAt(1)->setExpanded(false);
    t.setCurrentItem(t.ItemAt(0));
    ASSERT_TRUE(SwapTreeItemWithSibling(&t, false));
    EXPECT_EQ(Shape(t), "B2:20 A1:11,10");
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(1));
    EXPECT_TRUE(t.ItemAt(1)->isExpanded());
    EXPECT_FALSE(t.ItemAt(0)->isExpanded());
    EXPECT_FALSE(SwapTreeItemWithSibling(nullptr, true));
}

TEST(ViewTree, AddDeleteRenameAndRelabelKeepBothSides) {
    TreeWindow w;
    CViewTree& t = w.t;
    QTreeWidgetItem* set = t.AddProgramSetItem();
    ASSERT_EQ(set, t.ItemAt(2));
    QTreeWidgetItem* program = t.AddProgramItem(set);
    ASSERT_EQ(program, t.ItemAt(2, 0));
    EXPECT_EQ(t.AddProgramItem(program), nullptr);
    set->setText(0, "C");  // as an in-place edit ends
    EXPECT_EQ(Shape(t), "A1:10,11 B2:20 C0:0");

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
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(0));  // else the parent
    EXPECT_FALSE(t.DeleteItem(t.ScreenItem()));

    // Deleting an item's children moves a selection among them to the item.
    t.setCurrentItem(t.ItemAt(1, 0));
    DeleteTreeChildren(&t, t.ItemAt(1));
    DeleteTreeChildren(&t, t.ItemAt(1, 0));  // no such item: nothing happens
    EXPECT_EQ(t.SelectedItem(), t.ItemAt(1));
    EXPECT_EQ(Shape(t), "A1: B2: C0:0");
    DeleteTreeChildren(&t, t.ScreenItem());
    EXPECT_EQ(t.SelectedItem(), t.ScreenItem());
    EXPECT_EQ(Shape(t), "");
}
