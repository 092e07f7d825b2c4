#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTableWidget>
#include <QTemporaryDir>

#include "tests/toolkit/gui_test_util.h"
#include "toolkit/list_helpers.h"

using namespace ledsuite;
namespace fs = std::filesystem;

namespace {

// Cell texts "row/column"; column 0 holds 100 + row as item data.
std::unique_ptr<QTableWidget> MakeList(int rows, int columns) {
    auto list = std::make_unique<QTableWidget>(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) list->setItem(r, c, new QTableWidgetItem(QString("%1/%2").arg(r).arg(c)));
        list->item(r, 0)->setData(Qt::UserRole, 100 + r);
    }
    return list;
}

}  // namespace

TEST(ListHelpers, ColumnAndTableNamesAreMadeSafe) {
    EXPECT_TRUE(EscapeReservedColumn(u"INDEX"));
    EXPECT_TRUE(EscapeReservedColumn(u"Position"));
    EXPECT_FALSE(EscapeReservedColumn(u"indexes"));
    EXPECT_EQ(ExcelColumnName(u"Name"), u"Name");  // more in the export below
    EXPECT_EQ(ExcelColumnName(u"Title"), u"Title_");
    EXPECT_EQ(ExcelTableName(u"'a[1]:b/c'"), u"_a_1__b_c_");
    EXPECT_EQ(ExcelTableName(std::u16string(40, u'车')).size(), 31u);
    EXPECT_EQ(ExcelTableName(std::u16string(30, u'x') + u"\U0001F600\U0001F600"),
              std::u16string(30, u'x') + u"\U0001F600");  // a pair is never split
    EXPECT_EQ(WorkbookFileName("/t/a.XLS"), "/t/a.xlsx");
    EXPECT_EQ(WorkbookFileName("/t/a.Xlsx"), "/t/a.Xlsx");
    EXPECT_EQ(WorkbookFileName("/t/a.csv"), "/t/a.csv.xlsx");
}

TEST(ListHelpers, ScrollingAndSwappingKeepToTheRowsOfTheList) {
    auto list = MakeList(10, 3);
    auto row = [&](int r) {
        return QStringList{list->item(r, 0)->text(), list->item(r, 1)->text(), list->item(r, 2)->text(),
                           list->item(r, 0)->data(Qt::UserRole).toString()};
    };
    list->resize(200, 80);
    list->show();
    ScrollListRowToTop(list.get(), 10);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    ScrollListRowToTop(list.get(), 9);
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(list->model()->index(9, 0))));

    list->selectRow(5);
    SwapListRows(2, list.get(), 5);
    EXPECT_EQ(row(2), (QStringList{"2/0", "5/1", "5/2", "105"}));
    EXPECT_EQ(row(5), (QStringList{"5/0", "2/1", "2/2", "102"}));
    EXPECT_TRUE(list->selectionModel()->isRowSelected(2, {}));
    EXPECT_FALSE(list->selectionModel()->isRowSelected(5, {}));
    SwapListRows(0, list.get(), 10);  // no row 10: nothing changes
    EXPECT_EQ(row(0), (QStringList{"0/0", "0/1", "0/2", "100"}));
}

TEST(ListHelpers, ExportWritesWhatARealReaderReadsBackAndAFailureLeavesTheOldFileAlone) {
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    auto list = MakeList(3, 3);
    list->setHorizontalHeaderLabels({"Index", "Plate No", "Driver's name"});
    const QString cells[3][3] = {{"1", "粤B 12345", "O'Brien"}, {"2", "", "  "}, {"3", "車牌 ‘x’ 😀", "it's 'quoted'"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) list->item(r, c)->setText(cells[r][c]);
    const fs::path file = root / "cars.xlsx";
    std::ofstream(file) << "old contents";

    ASSERT_EQ(ExportListToFile(list.get(), u"car list", QString::fromStdString(file.string())), kExportOk);
    EXPECT_EQ(ledsuite::testing::ReadWorkbookText(QString::fromStdString(file.string())),
              "car_list\nIndex_\tPlate_No\tDriver_s_name\n1\t粤B 12345\tO'Brien\n2\t\t  \n3\t車牌 ‘x’ 😀\tit's 'quoted'");
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1);  // no temporary left

    // The target is a folder: the workbook cannot replace it.
    const fs::path busy = root / "busy.xlsx";
    fs::create_directories(busy);
    std::ofstream(busy / "keep.txt") << "x";
    EXPECT_EQ(ExportListToFile(list.get(), u"t", QString::fromStdString(busy.string())), kExportWriteFailed);
    EXPECT_TRUE(fs::exists(busy / "keep.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2);
    EXPECT_EQ(ExportListToFile(list.get(), u"t", QString::fromStdString((root / "none" / "a.xlsx").string())),
              kExportWriteFailed);
    list->setRowCount(0);
    EXPECT_EQ(ExportListToFile(list.get(), u"t", QString::fromStdString((root / "empty.xlsx").string())), kExportEmpty);
    EXPECT_FALSE(fs::exists(root / "empty.xlsx"));
}

TEST(ListHelpers, ANameTypedWithXlsInTheExportDialogGetsAnXlsxWorkbook) {
    using namespace ledsuite::testing;
    QTemporaryDir dir;
    auto list = MakeList(2, 2);
    list->setHorizontalHeaderLabels({"Plate", "Driver"});
    // Types each of `names` into the real save dialog, pressing Enter after each.
    auto typeNames = [&](const QStringList& names) {
        AnswerNext<QFileDialog>([&dir, names](QFileDialog* dialog) {
            dialog->setDirectory(dir.path());
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            for (const QString& name : names) {
                edit->clear();
                QTest::keyClicks(edit, name);
                QTest::keyClick(edit, Qt::Key_Return);
            }
        });
    };
    auto typeName = [&](const QString& name) { typeNames({name}); };
    // A folder's name (with a dot in it) opens the folder; the name typed there is mended.
    ASSERT_TRUE(QDir(dir.path()).mkdir("archive.2024"));
    typeNames({"archive.2024", "cars.xls"});
    ASSERT_EQ(ExportListToExcel(list.get(), u"gprs"), kExportOk);
    EXPECT_EQ(QDir(dir.filePath("archive.2024")).entryList(QDir::Files), QStringList{"cars.xlsx"});

    typeName("cars.xls");
    ASSERT_EQ(ExportListToExcel(list.get(), u"gprs"), kExportOk);
    const QString workbook = dir.filePath("cars.xlsx");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"cars.xlsx"});
    EXPECT_EQ(ReadWorkbookText(workbook), "gprs\nPlate\tDriver\n0/0\t0/1\n1/0\t1/1");

    // The same name again: the question to replace it names the workbook, and Yes replaces it.
    list->item(1, 1)->setText("new");
    QString question;
    AnswerNext<QMessageBox>([&question](QMessageBox* box) {
        question = box->text();
        box->button(QMessageBox::Yes)->click();
    });
    typeName("cars.XLS");
    ASSERT_EQ(ExportListToExcel(list.get(), u"gprs"), kExportOk);
    EXPECT_TRUE(question.contains("cars.xlsx")) << question.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"cars.xlsx"});
    EXPECT_EQ(ReadWorkbookText(workbook), "gprs\nPlate\tDriver\n0/0\t0/1\n1/0\tnew");
}

// Typed as a user types: the name box has the focus (the dialog then leaves its text alone).
TEST(ListHelpers, AnXlsNameTypedIntoTheFocusedNameBoxGivesAnXlsxFileAndAsksAboutIt) {
    using namespace ledsuite::testing;
    QTemporaryDir dir;
    auto list = MakeList(1, 2);
    list->setHorizontalHeaderLabels({"Plate", "Driver"});
    for (auto [to, name] : {std::pair{list.get(), u""}, {list.get(), nullptr}, {nullptr, u"gprs"}})
        EXPECT_EQ(ExportListToExcel(to, name), kExportEmpty);  // no chooser: nothing to export
    std::ofstream(dir.filePath("old.xls").toStdString()) << "an older workbook";
    QString asked;
    TypeInNextChooser(dir.path(), "old.xls", &asked);
    ASSERT_EQ(ExportListToExcel(list.get(), u"gprs"), kExportOk);
    EXPECT_TRUE(asked.isEmpty()) << asked.toStdString();  // old.xlsx did not exist: nothing to replace
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"old.xls", "old.xlsx"}));
    EXPECT_EQ(ReadWorkbookText(dir.filePath("old.xlsx")), "gprs\nPlate\tDriver\n0/0\t0/1");

    // Again: the question names the workbook; No keeps it and leaves the chooser open.
    list->item(0, 1)->setText("new");
    TypeInNextChooser(dir.path(), "old.xls", &asked, QMessageBox::No);
    EXPECT_EQ(ExportListToExcel(list.get(), u"gprs"), kExportCancelled);
    EXPECT_EQ(asked.toStdString(), "old.xlsx already exists.\nDo you want to replace it?");
    EXPECT_EQ(ReadWorkbookText(dir.filePath("old.xlsx")), "gprs\nPlate\tDriver\n0/0\t0/1");
    TypeInNextChooser(dir.path(), "old.xls", &asked, QMessageBox::Yes);
    ASSERT_EQ(ExportListToExcel(list.get(), u"gprs"), kExportOk);
    EXPECT_EQ(ReadWorkbookText(dir.filePath("old.xlsx")), "gprs\nPlate\tDriver\n0/0\tnew");
    std::ifstream older(dir.filePath("old.xls").toStdString());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(older), {}), "an older workbook");
}

TEST(ListHelpers, AFittedColumnDrawsEachOfItsTextsWhole) {
    const QStringList texts{
        "1.500000", "-0.000001", "4096", "115200(Unfixed)",                           // numbers
        QString::fromUtf16(u"京A·12345"), QString::fromUtf16(u"粤B 8F2K9"), QString::fromUtf16(u"贵C12345挂"),  // plates
        "2026-03-15 10:20:30", "23:59:58", "2026-12-31",                              // dates and times
        "ZU-3000A", "SD-2000", "CL3000", "Xm-Qr 11",                                  // models
        QString::fromUtf16(u"节目列表"), QString::fromUtf16(u"背景音乐 Volume")};     // words
    QTableWidget plain(1, 1);  // grid lines and word wrap
    CMyListCtrl report;        // neither
    report.setColumnCount(1);
    report.setRowCount(1);
    for (QTableWidget* list : {static_cast<QTableWidget*>(&plain), static_cast<QTableWidget*>(&report)})
        for (qreal points : {8.0, 9.0, 10.5, 11.0, 13.0}) {
            QFont font = list->font();
            font.setPointSizeF(points);
            list->setFont(font);
            for (const QString& text : texts) {
                FitListColumn(list, 0, {text});
                EXPECT_EQ(ledsuite::testing::DrawnCellText(list, 0, 0, text).toStdString(), text.toStdString())
                    << points << " pt in " << list->columnWidth(0) << " px, grid " << list->showGrid();
            }
        }
}
