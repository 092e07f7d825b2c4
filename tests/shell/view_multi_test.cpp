#include "shell/view_multi.h"

#include <gtest/gtest.h>

#include <QListWidget>

#include "shell/group_list_dlg.h"
#include "shell/server_session.h"
#include "tests/link/fake_server.h"
#include "tests/link_ui/link_ui_test_util.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace testing;

// East 101, 102; "Empty" (no members: no item); West 201.
GroupTable Groups() {
    GroupTable t;
    SetGroupName(t.groups[0], u"East");
    SetGroupName(t.groups[1], u"Empty");
    SetGroupName(t.groups[2], u"West");
    t.groups[0].count = 2;
    t.groups[0].ids[0] = 101;
    t.groups[0].ids[1] = 102;
    t.groups[2].count = 1;
    t.groups[2].ids[0] = 201;
    return t;
}

// Answers the next group dialog with the group at `row` (-1: no selection, then Cancel).
void PickGroup(int row, QStringList* listed) {
    AnswerNext<CGroupListDlg>([=](CGroupListDlg* dlg) {
        for (int i = 0; i < dlg->Groups()->count(); ++i) listed->push_back(dlg->Groups()->item(i)->text());
        if (row >= 0) dlg->Groups()->setCurrentRow(row);
        dlg->accept();
        if (dlg->isVisible()) dlg->reject();
    });
}

// A session on the client end of a fake server (null: no connection) that has received `table`.
struct Session {
    ServerSession server;
    Session(FakeServer* fake, const GroupTable& table) {
        if (fake) server.Adopt(dup(fake->Socket().fd), 500);
        server.ReceiveGroups(table);
    }
};

TEST(CViewMulti, TreeFromTheGroupTableAndCollectedScreens) {
    Session s(nullptr, Groups());
    CViewMulti page(nullptr, nullptr, &s.server);
    page.FillFromGroupTable();
    QTreeWidgetItem* root = page.Tree()->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "East");
    EXPECT_EQ(root->child(1)->text(0), "West");
    EXPECT_EQ(root->child(0)->child(1)->text(0), "102");
    auto* below = new QTreeWidgetItem(root->child(1)->child(0), QStringList("detail"));
    const std::pair<QTreeWidgetItem*, std::vector<uint16_t>> cases[] = {
        {root, {101, 102, 201}}, {root->child(0), {101, 102}}, {below, {201}}};
    for (const auto& [item, screens] : cases) {
        page.Tree()->setCurrentItem(item);
        EXPECT_EQ(page.CollectedScreens(), screens);
    }
    EXPECT_EQ(CViewMulti::Depth(below), 3);
}

TEST(CViewMulti, MoveToMovesItemAndIdAndUploads) {
    FakeServer server({ServerReply(0xFFFF), ServerReply(0xFFFF)});
    Session s(&server, Groups());
    GroupTable& table = s.server.Groups();
    CViewMulti page(nullptr, nullptr, &s.server);
    page.FillFromGroupTable();
    QTreeWidgetItem* root = page.Tree()->topLevelItem(0);
    page.Tree()->setCurrentItem(root->child(0)->child(0));  // 101 in East
    QStringList listed;
    PickGroup(1, &listed);
    EXPECT_EQ(page.MoveTo(), CViewMulti::kMoved);
    EXPECT_EQ(listed, (QStringList{"East", "West"}));  // the groups, not the screens
    EXPECT_EQ(root->child(0)->childCount(), 1);
    ASSERT_EQ(root->child(1)->childCount(), 2);
    EXPECT_EQ(root->child(1)->child(1)->text(0), "101");
    EXPECT_EQ(root->child(1)->child(1)->data(0, CViewMulti::kMemberRole).toInt(), 101);
    EXPECT_EQ(FindGroupOfMember(table, 101), 2);
    EXPECT_EQ(server.Requests().size(), 2u);

    PickGroup(-1, &listed);
    EXPECT_EQ(page.MoveTo(), CViewMulti::kMoveCancelled);
    EXPECT_EQ(page.MoveSelectedTo("West"), CViewMulti::kMoveRefused);  // already there
}

TEST(CViewMulti, FullTargetRefusedAndFailedUploadReported) {
    Session s(nullptr, Groups());
    GroupTable& table = s.server.Groups();
    table.groups[2].count = 1024;
    for (int i = 0; i < 1024; ++i) table.groups[2].ids[size_t(i)] = uint16_t(1000 + i);
    CViewMulti page(nullptr, nullptr, &s.server);
    page.FillFromGroupTable();
    QTreeWidgetItem* east = page.Tree()->topLevelItem(0)->child(0);
    QTreeWidgetItem* screen = east->child(0);
    page.Tree()->setCurrentItem(screen);
    EXPECT_EQ(page.MoveSelectedTo("West"), CViewMulti::kMoveRefused);
    EXPECT_EQ(screen->parent(), east);
    EXPECT_EQ(FindGroupOfMember(table, 101), 0);

    table.groups[2].count = 1;
    page.FillFromGroupTable();
    page.Tree()->setCurrentItem(page.Tree()->topLevelItem(0)->child(0)->child(0));
    EXPECT_EQ(page.MoveSelectedTo("West"), CViewMulti::kUploadFailed);  // no connection
}

TEST(CViewMulti, FocusSendsViewModeOneAndAnswersZero) {
    RecordingChannel channel;
    CViewMulti page(nullptr, &channel, nullptr);
    page.show();
    page.activateWindow();
    page.setFocus();
    ASSERT_TRUE(WaitUntil([&] { return !channel.sent.empty(); }));
    EXPECT_EQ(channel.sent.front(), (std::pair<int, intptr_t>{IMC_SET_VIEW_MODE, 1}));
    EXPECT_TRUE(page.Tree()->hasFocus());
    EXPECT_EQ(page.onInternal(IMC_LANGUAGE_CHANGED, 0), 0);
}

TEST(CGroupListDlg, CutsTheNameToTenCharactersAndNeedsASelection) {
    QTreeWidget tree;
    auto* root = new QTreeWidgetItem(&tree, QStringList("root"));
    auto* group = new QTreeWidgetItem(root, QStringList("ABCDEFGHIJKLMNOP"));
    new QTreeWidgetItem(group, QStringList("screen"));
    CGroupListDlg dlg(nullptr, &tree);
    EXPECT_EQ(dlg.windowTitle(), "Select group");
    ASSERT_EQ(dlg.Groups()->count(), 1);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(dlg.ChosenName().isEmpty());
    dlg.Groups()->setCurrentRow(0);
    dlg.accept();
    EXPECT_EQ(dlg.ChosenName(), "ABCDEFGHIJ");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace ledsuite
