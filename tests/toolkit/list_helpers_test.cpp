#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <QScrollBar>
#include <QTableWidget>

#include "content/text_codec.h"
#include "toolkit/list_helpers.h"

using namespace ledsuite;
namespace fs = std::filesystem;

namespace {

QTableWidget* MakeList(int rows, int columns) {
    auto* list = new QTableWidget(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) list->setItem(r, c, new QTableWidgetItem(QString("%1/%2").arg(r).arg(c)));
        list->item(r, 0)->setData(Qt::UserRole, 100 + r);
    }
    return list;
}

fs::path TempDir(const char* name) {
    fs::path dir = fs::temp_directory_path() / (std::string("ledsuite-toolkit-") + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Reads a workbook with openpyxl: the sheet name, then one line per row, cells split by
// tabs (an empty cell as nothing).
std::vector<std::string> ReadWorkbook(const fs::path& file) {
    const fs::path script = file.parent_path() / "read.py";
    std::ofstream(script) << "import sys, openpyxl\n"
                             "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
                             "out = [ws.title]\n"
                             "for row in ws.iter_rows(values_only=True):\n"
                             "    out.append('\\t'.join('' if v is None else str(v) for v in row))\n"
                             "sys.stdout.buffer.write('\\n'.join(out).encode('utf-8'))\n";
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "'";
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return lines;
    std::string all;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) all.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0) << "python could not read " << file;
    size_t start = 0;
    for (size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(all.substr(start, end - start));
    lines.push_back(all.substr(start));
    return lines;
}

}  // namespace

TEST(ListHelpers, ColumnAndTableNamesAreMadeSafe) {
    EXPECT_TRUE(EscapeReservedColumn(u"INDEX"));
    EXPECT_TRUE(EscapeReservedColumn(u"Position"));
    EXPECT_FALSE(EscapeReservedColumn(u"indexes"));
    EXPECT_EQ(ExcelColumnName(u"Index"), u"Index_");
    EXPECT_EQ(ExcelColumnName(u"Name"), u"Name");
    EXPECT_EQ(ExcelColumnName(u"Title"), u"Title_");
    EXPECT_EQ(ExcelColumnName(u"Plate No"), u"Plate_No");
    EXPECT_EQ(ExcelColumnName(u"Driver's name"), u"Driver_s_name");
    EXPECT_EQ(ExcelTableName(u"car list"), u"car_list");
    EXPECT_EQ(ExcelTableName(u"'a[1]:b/c'"), u"_a_1__b_c_");
    EXPECT_EQ(ExcelTableName(std::u16string(40, u'车')).size(), 31u);
    EXPECT_EQ(ExcelTableName(std::u16string(30, u'x') + u"\U0001F600\U0001F600"),
              std::u16string(30, u'x') + u"\U0001F600");  // a pair is never split
}

TEST(ListHelpers, SwapMovesEveryColumnButTheFirstAndTheItemData) {
    std::unique_ptr<QTableWidget> list(MakeList(6, 3));
    list->selectRow(5);
    SwapListRows(2, list.get(), 5);
    EXPECT_EQ(list->item(2, 0)->text(), QString("2/0"));
    EXPECT_EQ(list->item(5, 0)->text(), QString("5/0"));
    EXPECT_EQ(list->item(2, 1)->text(), QString("5/1"));
    EXPECT_EQ(list->item(2, 2)->text(), QString("5/2"));
    EXPECT_EQ(list->item(5, 2)->text(), QString("2/2"));
    EXPECT_EQ(list->item(2, 0)->data(Qt::UserRole).toInt(), 105);
    EXPECT_EQ(list->item(5, 0)->data(Qt::UserRole).toInt(), 102);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(2, {}));
    EXPECT_FALSE(list->selectionModel()->isRowSelected(5, {}));

    SwapListRows(0, list.get(), 6);  // no row 6: nothing changes
    EXPECT_EQ(list->item(0, 1)->text(), QString("0/1"));
}

TEST(ListHelpers, ScrollingToARowOutsideTheListDoesNothing) {
    std::unique_ptr<QTableWidget> list(MakeList(10, 2));
    list->resize(200, 80);
    list->show();
    ScrollListRowToTop(list.get(), 10);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    ScrollListRowToTop(list.get(), 9);
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
    const QRect row = list->visualRect(list->model()->index(9, 0));
    EXPECT_TRUE(list->viewport()->rect().contains(row));
}

TEST(ListHelpers, ExportWritesUnicodeApostrophesAndBlanksThatARealReaderReadsBack) {
    const fs::path dir = TempDir("export");
    std::unique_ptr<QTableWidget> list(MakeList(3, 3));
    list->setHorizontalHeaderLabels({"Index", "Plate No", "Driver's name"});
    const QString cells[3][3] = {{"1", "粤B 12345", "O'Brien"}, {"2", "", "  "}, {"3", "車牌 ‘x’ 😀", "it's 'quoted'"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) list->item(r, c)->setText(cells[r][c]);
    const fs::path file = dir / "cars.xlsx";
    std::ofstream(file) << "old contents";

    ASSERT_EQ(ExportListToFile(list.get(), u"car list", QString::fromStdString(file.string())), kExportOk);
    const std::vector<std::string> lines = ReadWorkbook(file);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "car_list");
    EXPECT_EQ(lines[1], "Index_\tPlate_No\tDriver_s_name");
    EXPECT_EQ(lines[2], "1\t粤B 12345\tO'Brien");
    EXPECT_EQ(lines[3], "2\t\t  ");
    EXPECT_EQ(lines[4], "3\t車牌 ‘x’ 😀\tit's 'quoted'");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);  // no temporary left
    fs::remove_all(dir);
}

TEST(ListHelpers, AFailedOrEmptyExportLeavesTheOldFileAlone) {
    const fs::path dir = TempDir("fail");
    std::unique_ptr<QTableWidget> list(MakeList(2, 2));
    // The target is a folder: the workbook cannot replace it.
    const fs::path target = dir / "busy.xlsx";
    fs::create_directories(target);
    std::ofstream(target / "keep.txt") << "x";
    EXPECT_EQ(ExportListToFile(list.get(), u"t", QString::fromStdString(target.string())), kExportWriteFailed);
    EXPECT_TRUE(fs::exists(target / "keep.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_EQ(ExportListToFile(list.get(), u"t", QString::fromStdString((dir / "none" / "a.xlsx").string())),
              kExportWriteFailed);
    list->setRowCount(0);
    EXPECT_EQ(ExportListToFile(list.get(), u"t", QString::fromStdString((dir / "empty.xlsx").string())), kExportEmpty);
    EXPECT_FALSE(fs::exists(dir / "empty.xlsx"));
    fs::remove_all(dir);
}
