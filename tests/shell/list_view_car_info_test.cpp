#include "shell/list_view_car_info.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTemporaryDir>

#include "link/ui/quest_program_dlg.h"
#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace testing;

std::vector<VehicleRow> Cars() {
    return {{u"300", u"bob", u"B-2", u"on", u""}, {u"100", u"Al", u"A-1", u"off", u""},
            {u"200", u"al", u"C-3", u"on", u""}};
}

QStringList Column(const CMyListCtrl* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) out << list->item(r, c)->text();
    return out;
}

// A pane with the three cars; `Selected` is the one selected row, or -1.
struct CarPane {
    ListViewCarInfo pane{nullptr, nullptr};
    CarPane() { pane.SetRows(Cars()); }
    int Selected() const {
        const auto rows = pane.List()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows[0].row() : -1;
    }
};

TEST(ListViewCarInfo, HeaderClicksSortOrdinallyAndRenumber) {
    CarPane p;
    CMyListCtrl* list = p.pane.List();
    list->item(1, 0)->setCheckState(Qt::Checked);  // the check moves with its row
    // (clicked column, column read, its texts): descending first, case-sensitive; the index does not sort.
    const std::tuple<int, int, QStringList> clicks[] = {{2, 2, {"bob", "al", "Al"}}, {2, 2, {"Al", "al", "bob"}},
                                                       {1, 1, {"300", "200", "100"}}, {0, 1, {"300", "200", "100"}}};
    for (const auto& [clicked, column, texts] : clicks) {
        emit list->horizontalHeader()->sectionClicked(clicked);
        EXPECT_EQ(Column(list, column), texts) << clicked;
        EXPECT_EQ(Column(list, 0), (QStringList{"0", "1", "2"}));
    }
    EXPECT_EQ(list->item(2, 0)->checkState(), Qt::Checked);  // "Al", last of 300, 200, 100
}

TEST(ListViewCarInfo, SearchFieldAndFirstMatch) {
    CarPane p;
    // (field: 1 "Driver", 2 "License Plate"; text; the row selected).
    for (const auto& [field, text, row] : {std::tuple{1, "l", 1}, {2, "C-", 2}, {2, "none", -1}}) {
        p.pane.SearchField()->setCurrentIndex(field);
        p.pane.SearchEdit()->setText(text);
        p.pane.Search();
        EXPECT_EQ(p.Selected(), row) << text;
    }
    EXPECT_TRUE(p.pane.List()->selectionModel()->selectedRows().isEmpty());
}

TEST(ListViewCarInfo, LanguageSwitchRefillsCombosKeepingTheFilter) {
    ResetUiLanguageForTests();
    ListViewCarInfo pane(nullptr, nullptr);
    EXPECT_EQ(pane.StateFilter()->count(), 6);
    EXPECT_EQ(pane.StateFilter()->currentText(), QString::fromUtf16(u"全部"));
    EXPECT_EQ(pane.SearchField()->itemText(1), QString::fromUtf16(u"司机"));
    pane.StateFilter()->setCurrentIndex(4);
    pane.onInternal(IMC_LANGUAGE_CHANGED, 0);  // English before any choice
    EXPECT_EQ(pane.StateFilter()->currentIndex(), 4);
    EXPECT_EQ(pane.StateFilter()->currentText(), "Power Off");
    EXPECT_EQ(pane.SearchField()->itemText(2), "License Plate");
    EXPECT_EQ(pane.List()->horizontalHeaderItem(2)->text(), "Driver");
    SetUiLanguage(1);  // Simplified Chinese: the headers follow
    pane.onInternal(IMC_LANGUAGE_CHANGED, 0);
    EXPECT_EQ(pane.List()->horizontalHeaderItem(2)->text(), QString::fromUtf16(u"司机"));
    ResetUiLanguageForTests();
    EXPECT_EQ(pane.onInternal(IMC_GET_VEHICLE_LIST, 0), reinterpret_cast<intptr_t>(pane.List()));
}

TEST(ListViewCarInfo, CheckCommandsAndViewProgram) {
    CarPane p;
    auto checks = [&] {
        QString s;
        for (int r = 0; r < 3; ++r) s += p.pane.List()->item(r, 0)->checkState() == Qt::Checked ? "x" : "-";
        return s;
    };
    p.pane.List()->item(0, 0)->setCheckState(Qt::Checked);
    for (const auto& [command, after] : {std::pair{ListViewCarInfo::kSelectInverse, "-xx"},
                                         {ListViewCarInfo::kSelectAll, "xxx"}, {ListViewCarInfo::kDeselect, "---"}}) {
        p.pane.OnCommand(command);
        EXPECT_EQ(checks(), after);
    }
    p.pane.List()->selectRow(2);
    std::u16string opened = u"unset";
    AnswerNext<CQuestProgramDlg>([&](CQuestProgramDlg* dlg) {
        opened = dlg->VehicleId();
        dlg->reject();
    });
    p.pane.OnCommand(ListViewCarInfo::kViewProgram);
    EXPECT_EQ(opened, u"200");  // the row's GPRS ID, not its index
}

TEST(ListViewCarInfo, ExportsAsGprs) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cars.xlsx");
    CarPane p;
    QString text, caption;
    ChooseNextFile(path);
    AnswerBox(&text, IDOK, &caption);
    p.pane.OnCommand(ListViewCarInfo::kExportId);
    EXPECT_EQ(text + "|" + caption, "Save|Kesh Varn PC Suit");
    EXPECT_EQ(ReadWorkbookText(path),
              "gprs\nIndex_\tGPRS_ID\tDriver\tLicense_Plate\tState\n0\t300\tbob\tB-2\ton\n1\t100\tAl\tA-1\toff\n"
              "2\t200\tal\tC-3\ton");
}

}  // namespace
}  // namespace ledsuite
