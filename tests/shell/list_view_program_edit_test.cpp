#include "shell/list_view_program_edit.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include "shell/list_view_program_server.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace testing;

std::vector<ProgramRow> Rows(std::initializer_list<uint8_t> statuses) {
    std::vector<ProgramRow> rows;
    int i = 0;
    for (uint8_t s : statuses) rows.push_back({{std::u16string(1, char16_t(u'0' + i++)), u"title"}, s});
    return rows;
}

void Check(CMyListCtrl* list, int row, bool on) { list->item(row, 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked); }

TEST(ListViewProgramEdit, ColumnsChecksAndCounters) {
    ListViewProgramEdit pane(nullptr, nullptr);
    ASSERT_EQ(pane.List()->columnCount(), 10);
    EXPECT_EQ(pane.List()->horizontalHeaderItem(9)->text(), QString::fromUtf16(u"Target Screen"));
    EXPECT_EQ(pane.List()->columnWidth(4), 200);
    EXPECT_EQ(pane.List()->columnWidth(1), 120);
    pane.SetRows(Rows({4, 3, 6, 2}));
    Check(pane.List(), 0, true);
    EXPECT_EQ(pane.List()->item(0, 0)->checkState(), Qt::Unchecked);  // status 4 refused
    // (row, checked) -> (checked rows, awaiting audit).
    for (const auto& [row, on, checked, awaiting] : {std::tuple{0, true, 0, 0}, {1, true, 1, 0}, {2, true, 2, 1},
                                                     {2, false, 1, 0}}) {
        Check(pane.List(), row, on);
        EXPECT_EQ(std::pair(pane.Counts().checked, pane.Counts().awaitingAudit), std::pair(checked, awaiting)) << row;
    }
}

TEST(ListViewProgramEdit, ConfirmationsCollectTheCheckedRows) {
    ListViewProgramEdit pane(nullptr, nullptr);
    pane.SetRows(Rows({3, 5}));
    Check(pane.List(), 1, true);
    QString text, caption;
    AnswerBox(&text, IDYES, &caption);
    EXPECT_TRUE(pane.OnCommand(ListViewProgramEdit::kCmdDelete));
    EXPECT_EQ(text + "|" + caption, "Delete the selected program?|Delete program");
    EXPECT_EQ(pane.PendingRows(), (std::vector<int>{1}));
    AnswerBox(&text, IDNO, &caption);
    EXPECT_FALSE(pane.OnCommand(ListViewProgramEdit::kCmdCancelRequest));
    EXPECT_EQ(text + "|" + caption, "Cancel Request ?|Kesh Varn PC Suit");
    EXPECT_TRUE(pane.PendingRows().empty());
    // Refresh needs the server; without one (no relay to ask here) it says so.
    AnswerBox(&text, IDOK, &caption);
    EXPECT_FALSE(pane.OnCommand(ListViewProgramEdit::kCmdRefresh));
    EXPECT_EQ(text, "Not connected to the server");
}

TEST(ListViewProgramServer, OneCheckedRowAndItsFlags) {
    ListViewProgramServer pane(nullptr, nullptr);
    ASSERT_EQ(pane.List()->columnCount(), 9);
    EXPECT_EQ(pane.List()->columnWidth(0), 40);
    EXPECT_EQ(pane.List()->horizontalHeaderItem(6)->text(), QString::fromUtf16(u"Publish Time"));
    EXPECT_EQ(pane.StatusFilter()->itemText(0), QString::fromUtf16(u"All"));
    pane.SetRows(Rows({1, 2, 1}));
    auto flags = [&] {
        const auto f = pane.Flags();
        return std::string(f.statusOne ? "1" : "") + (f.other ? "o" : "") + (f.any ? "a" : "");
    };
    Check(pane.List(), 0, true);
    EXPECT_EQ(flags(), "1a");
    Check(pane.List(), 1, true);
    EXPECT_EQ(pane.CheckedRow(), 1);
    EXPECT_EQ(pane.List()->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(flags(), "oa");
    Check(pane.List(), 1, false);
    EXPECT_EQ(flags(), "");
    QString text, caption;
    AnswerBox(&text, IDYES, &caption);
    EXPECT_TRUE(pane.OnMenuCommand(ListViewProgramServer::kDeleteProgram));
    EXPECT_EQ(text + "|" + caption, QString::fromUtf16(u"Delete the selected program?|Delete Program"));
}

}  // namespace
}  // namespace ledsuite
