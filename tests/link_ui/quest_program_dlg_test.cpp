#include "link/ui/quest_program_dlg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "tests/link_ui/export_test_util.h"
#include "tests/qt_main/qt_test_util.h"

namespace ledsuite {
namespace {

const std::vector<std::vector<std::u16string>> kPrograms = {
    {u"0", u"Morning news", u"ann", u"done", u"text", u"1"},
    {u"1", u"Weather", u"bob", u"sending", u"text", u"2"},
    {u"2", u"Evening news", u"cat", u"done", u"text", u"3"},
};
const std::vector<std::vector<std::u16string>> kCars = {
    {u"0", u"13800001111", u"Li", u"粤A12345", u"online", u"done"},
    {u"1", u"13900002222", u"Wang", u"粤B54321", u"offline", u"none"},
};

TEST(CQuestProgramDlg, DetailChoicesSwapListsAndCaptionsAndClearRows) {
    CQuestProgramDlg dlg(nullptr, u"13800001111");
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Query Program");
    EXPECT_EQ(dlg.QueryEdit()->text(), "13800001111");
    EXPECT_EQ(dlg.ProgramList()->columnCount(), 6);
    EXPECT_EQ(dlg.ProgramList()->horizontalHeaderItem(4)->text(), "Program Content");
    EXPECT_EQ(dlg.ProgramList()->columnWidth(4), 160);
    EXPECT_EQ(dlg.CarList()->horizontalHeaderItem(4)->text(), "GPRS's State");
    EXPECT_EQ(dlg.CarList()->columnWidth(3), 120);
    EXPECT_EQ(dlg.TopList(), dlg.ProgramList());
    EXPECT_EQ(dlg.TopCaption()->text(), "Program");
    EXPECT_EQ(dlg.BottomCaption()->text(), "Car");
    EXPECT_LT(dlg.ProgramList()->y(), dlg.CarList()->y());

    dlg.SetProgramRows(kPrograms);
    dlg.SetCarRows(kCars);
    dlg.SetDetail(CQuestProgramDlg::kDetailCars);
    QApplication::processEvents();
    EXPECT_EQ(dlg.TopList(), dlg.CarList());
    EXPECT_EQ(dlg.TopCaption()->text(), "Car");
    EXPECT_EQ(dlg.BottomCaption()->text(), "Program");
    EXPECT_LT(dlg.CarList()->geometry().top(), dlg.ProgramList()->geometry().top());
    EXPECT_EQ(dlg.ProgramList()->rowCount(), 0);
    EXPECT_EQ(dlg.CarList()->rowCount(), 0);
}

TEST(CQuestProgramDlg, SearchesSelectMatchingRowsAndClearTheOtherList) {
    CQuestProgramDlg dlg(nullptr, u"");
    dlg.show();
    dlg.SetProgramRows(kPrograms);
    dlg.SetCarRows(kCars);
    dlg.QueryEdit()->setText("news");
    dlg.findChild<QPushButton*>("searchProgram")->click();
    EXPECT_EQ(dlg.SelectedProgramRows(), (std::vector<int>{0, 2}));
    dlg.QueryEdit()->setText("2222");
    dlg.findChild<QPushButton*>("searchGprs")->click();
    EXPECT_EQ(dlg.SelectedCarRows(), (std::vector<int>{1}));
    EXPECT_TRUE(dlg.SelectedProgramRows().empty());  // a selection in one list clears the other
    dlg.QueryEdit()->setText("Weather");
    dlg.SearchProgram();
    EXPECT_EQ(dlg.SelectedProgramRows(), (std::vector<int>{1}));
    EXPECT_TRUE(dlg.SelectedCarRows().empty());
    dlg.QueryEdit()->setText("nothing");
    dlg.SearchProgram();
    EXPECT_TRUE(dlg.SelectedProgramRows().empty());
}

TEST(CQuestProgramDlg, ExportsTheTopListToAWorkbook) {
    QTemporaryDir dir;
    const QString path = dir.filePath("query.xlsx");
    CQuestProgramDlg dlg(nullptr, u"");
    dlg.show();
    dlg.SetDetail(CQuestProgramDlg::kDetailCars);
    dlg.SetCarRows(kCars);
    QString saved;
    testing::ChooseNextFile(path);
    testing::AnswerNextBox([&](CMessageBoxFx* box) {
        saved = box->TextLabel()->text() + "|" + box->windowTitle();
        box->done(IDOK);
    });
    EXPECT_TRUE(dlg.ExportTopList());
    EXPECT_EQ(saved, "Save|Kesh Varn");
    EXPECT_EQ(testing::ReadWorkbookText(path),
              "Detail_Of_Car's_Prgs\n"
              "Index_\tGPRS_ID\tDriver\tLicense_Plate\tGPRS_s_State\tFinish_State\n"
              "0\t13800001111\tLi\t粤A12345\tonline\tdone\n"
              "1\t13900002222\tWang\t粤B54321\toffline\tnone");
}

}  // namespace
}  // namespace ledsuite
