#include "shell/list_view_program_edit.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include "shell/list_view_program_server.h"
#include "tests/qt_main/qt_test_util.h"

namespace ledsuite {
namespace {

std::vector<ProgramRow> Rows(std::initializer_list<uint8_t> statuses) {
    std::vector<ProgramRow> rows;
    int i = 0;
    for (uint8_t s : statuses) rows.push_back({{std::u16string(1, char16_t(u'0' + i++)), u"title"}, s});
    return rows;
}

TEST(ListViewProgramEdit, ColumnsChecksAndCounters) {
    ListViewProgramEdit pane(nullptr, nullptr);
    ASSERT_EQ(pane.List()->columnCount(), 10);
    EXPECT_EQ(pane.List()->horizontalHeaderItem(9)->text(), QString::fromUtf16(u"目标屏"));
    EXPECT_EQ(pane.List()->columnWidth(4), 200);
    EXPECT_EQ(pane.List()->columnWidth(1), 120);
    pane.SetRows(Rows({4, 3, 6, 2}));
    pane.List()->item(0, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(pane.List()->item(0, 0)->checkState(), Qt::Unchecked);  // status 4 refused
    EXPECT_EQ(pane.Counts().checked, 0);
    pane.List()->item(1, 0)->setCheckState(Qt::Checked);
    pane.List()->item(2, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(pane.Counts().checked, 2);
    EXPECT_EQ(pane.Counts().awaitingAudit, 1);
    pane.List()->item(2, 0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(pane.Counts().checked, 1);
    EXPECT_EQ(pane.Counts().awaitingAudit, 0);
}

TEST(ListViewProgramEdit, ConfirmationsCollectTheCheckedRows) {
    ListViewProgramEdit pane(nullptr, nullptr);
    pane.SetRows(Rows({3, 5}));
    pane.List()->item(1, 0)->setCheckState(Qt::Checked);
    QString asked;
    testing::AnswerNextBox([&](CMessageBoxFx* box) {
        asked = box->TextLabel()->text() + "|" + box->windowTitle();
        box->done(IDYES);
    });
    EXPECT_TRUE(pane.OnCommand(ListViewProgramEdit::kCmdDelete));
    EXPECT_EQ(asked, "Delete the selected program?|Delete program");
    EXPECT_EQ(pane.PendingRows(), (std::vector<int>{1}));
    testing::AnswerNextBox([&](CMessageBoxFx* box) {
        asked = box->TextLabel()->text() + "|" + box->windowTitle();
        box->done(IDNO);
    });
    EXPECT_FALSE(pane.OnCommand(ListViewProgramEdit::kCmdCancelRequest));
    EXPECT_EQ(asked, "Cancel Request ?|Kesh Varn PC Suit");
    EXPECT_TRUE(pane.PendingRows().empty());
    EXPECT_FALSE(pane.OnCommand(ListViewProgramEdit::kCmdRefresh));
}

TEST(ListViewProgramServer, OneCheckedRowAndItsFlags) {
    ListViewProgramServer pane(nullptr, nullptr);
    ASSERT_EQ(pane.List()->columnCount(), 9);
    EXPECT_EQ(pane.List()->columnWidth(0), 40);
    EXPECT_EQ(pane.List()->horizontalHeaderItem(6)->text(), QString::fromUtf16(u"发布时间"));
    EXPECT_EQ(pane.StatusFilter()->itemText(0), QString::fromUtf16(u"全部"));
    pane.SetRows(Rows({1, 2, 1}));
    pane.List()->item(0, 0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(pane.Flags().statusOne && pane.Flags().any && !pane.Flags().other);
    pane.List()->item(1, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(pane.CheckedRow(), 1);
    EXPECT_EQ(pane.List()->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(pane.Flags().other && !pane.Flags().statusOne);
    pane.List()->item(1, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(pane.Flags().any);
    QString asked;
    testing::AnswerNextBox([&](CMessageBoxFx* box) {
        asked = box->TextLabel()->text() + "|" + box->windowTitle();
        box->done(IDYES);
    });
    EXPECT_TRUE(pane.OnMenuCommand(ListViewProgramServer::kDeleteProgram));
    EXPECT_EQ(asked, QString::fromUtf16(u"是否删除选中的节目?|删除节目"));
}

}  // namespace
}  // namespace ledsuite
