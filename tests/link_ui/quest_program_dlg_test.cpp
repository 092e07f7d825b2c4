#include "link/ui/quest_program_dlg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "tests/toolkit/gui_test_util.h"

namespace ledsuite {
namespace {

using namespace testing;

const std::vector<std::vector<std::u16string>> kPrograms = {
    {u"0", u"Morning news", u"ann", u"done", u"text", u"1"},
    {u"1", u"Weather", u"bob", u"sending", u"text", u"2"},
    {u"2", u"Evening news", u"cat", u"done", u"text", u"3"},
};
const std::vector<std::vector<std::u16string>> kCars = {
    {u"0", u"13800001111", u"Li", u"粤A12345", u"online", u"done"},
    {u"1", u"13900002222", u"Wang", u"粤B54321", u"offline", u"none"},
};

// A shown dialog holding both lists' rows.
struct Dialog {
    CQuestProgramDlg dlg;
    explicit Dialog(const std::u16string& id = u"") : dlg(nullptr, id) {
        dlg.show();
        dlg.SetProgramRows(kPrograms);
        dlg.SetCarRows(kCars);
    }
};

TEST(CQuestProgramDlg, DetailChoicesSwapListsAndCaptionsAndClearRows) {
    Dialog d(u"13800001111");
    CQuestProgramDlg& dlg = d.dlg;
    EXPECT_EQ(dlg.windowTitle(), "Query Program");
    EXPECT_EQ(dlg.QueryEdit()->text(), "13800001111");
    EXPECT_EQ(dlg.ProgramList()->columnCount(), 6);
    EXPECT_EQ(dlg.ProgramList()->horizontalHeaderItem(4)->text(), "Program Content");
    EXPECT_EQ(dlg.ProgramList()->columnWidth(4), 160);
    EXPECT_EQ(dlg.CarList()->horizontalHeaderItem(4)->text(), "GPRS's State");
    EXPECT_EQ(dlg.CarList()->columnWidth(3), 120);
    // (top list, top caption, bottom caption) before and after choosing the cars' detail.
    for (const bool cars : {false, true}) {
        if (cars) dlg.SetDetail(CQuestProgramDlg::kDetailCars);
        QApplication::processEvents();
        QTableWidget* top = cars ? dlg.CarList() : dlg.ProgramList();
        QTableWidget* bottom = cars ? dlg.ProgramList() : dlg.CarList();
        EXPECT_EQ(dlg.TopList(), top);
        EXPECT_EQ(dlg.TopCaption()->text() + "/" + dlg.BottomCaption()->text(), cars ? "Car/Program" : "Program/Car");
        EXPECT_LT(top->geometry().top(), bottom->geometry().top());
    }
    EXPECT_EQ(dlg.ProgramList()->rowCount() + dlg.CarList()->rowCount(), 0);
}

TEST(CQuestProgramDlg, SearchesSelectMatchingRowsAndClearTheOtherList) {
    Dialog d;
    CQuestProgramDlg& dlg = d.dlg;
    auto search = [&](const char* text, const char* button) {
        dlg.QueryEdit()->setText(text);
        dlg.findChild<QPushButton*>(button)->click();
        return std::pair(dlg.SelectedProgramRows(), dlg.SelectedCarRows());
    };
    using Rows = std::vector<int>;
    // A selection in one list clears the other.
    EXPECT_EQ(search("news", "searchProgram"), std::pair(Rows{0, 2}, Rows{}));
    EXPECT_EQ(search("2222", "searchGprs"), std::pair(Rows{}, Rows{1}));
    EXPECT_EQ(search("Weather", "searchProgram"), std::pair(Rows{1}, Rows{}));
    EXPECT_EQ(search("nothing", "searchProgram"), std::pair(Rows{}, Rows{}));
}

TEST(CQuestProgramDlg, ExportsTheTopListToAWorkbook) {
    QTemporaryDir dir;
    const QString path = dir.filePath("query.xlsx");
    Dialog d;
    d.dlg.SetDetail(CQuestProgramDlg::kDetailCars);
    d.dlg.SetCarRows(kCars);
    QString text, caption;
    ChooseNextFile(path);
    AnswerBox(&text, IDOK, &caption);
    EXPECT_TRUE(d.dlg.ExportTopList());
    EXPECT_EQ(text + "|" + caption, "Save|Kesh Varn");
    EXPECT_EQ(ReadWorkbookText(path),
              "Detail_Of_Car's_Prgs\n"
              "Index_\tGPRS_ID\tDriver\tLicense_Plate\tGPRS_s_State\tFinish_State\n"
              "0\t13800001111\tLi\t粤A12345\tonline\tdone\n"
              "1\t13900002222\tWang\t粤B54321\toffline\tnone");
}

}  // namespace
}  // namespace ledsuite
