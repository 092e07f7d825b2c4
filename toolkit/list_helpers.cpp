#include "toolkit/list_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QMessageBox>
#include <QStyle>
#include <QTableWidget>

#include <xlsxwriter.h>

#include "content/model/text_codec.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

constexpr size_t kSheetNameMax = 31;     // characters in a sheet name
constexpr size_t kCellTextMax = 32767;   // characters in a cell

// The first `max` characters of a text (a surrogate pair counts as one and is never split).
std::u16string CutCharacters(std::u16string_view text, size_t max) {
    size_t i = 0;
    for (size_t n = 0; i < text.size() && n < max; ++n) {
        const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size();
        i += pair ? 2 : 1;
    }
    return std::u16string(text.substr(0, i));
}

// The export's save dialog. The name is mended by WorkbookFileName where the path is
// taken, not in the dialog's name box (the dialog leaves a box with the focus alone), and
// the question about replacing a file is asked here about that mended name: the chooser's
// own question would name the file as typed.
class WorkbookSaveDialog : public QFileDialog {
public:
    explicit WorkbookSaveDialog(QWidget* parent) : QFileDialog(parent, QString(), QString(), "xlsx(*.xlsx)") {
        setAcceptMode(QFileDialog::AcceptSave);
        setDefaultSuffix(QStringLiteral("xlsx"));
        setOption(QFileDialog::DontConfirmOverwrite);
    }
    // The file the workbook goes to (empty until the dialog is accepted).
    const QString& Workbook() const { return workbook_; }

    void accept() override {
        // After the file's name.
        static const LangText kReplace{
            {u"已存在。\n要替换它吗？", u"已存在。\n要取代它嗎？", u"already exists.\nDo you want to replace it?"}};
        const QString chosen = selectedFiles().value(0);
        if (chosen.isEmpty() || QFileInfo(chosen).isDir()) return QFileDialog::accept();  // it opens the folder
        const QFileInfo target(WorkbookFileName(chosen));
        if (target.exists()) {
            const QString question = target.fileName() + u' ' + ToQString(kReplace);
            if (QMessageBox::warning(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) != QMessageBox::Yes)
                return;
        }
        workbook_ = target.filePath();
        QFileDialog::accept();
    }

private:
    QString workbook_;
};

std::u16string Text(const QTableWidgetItem* item) {
    if (!item) return {};
    const QString s = item->text();
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

}  // namespace

void SwapListRows(int a, CListCtrlEx* list, int b) {
    if (!list || a < 0 || b < 0 || a >= list->rowCount() || b >= list->rowCount()) return;
    for (int c = 1; c < list->columnCount(); ++c) {
        QTableWidgetItem* itemA = list->takeItem(a, c);
        QTableWidgetItem* itemB = list->takeItem(b, c);
        if (itemB) list->setItem(a, c, itemB);
        if (itemA) list->setItem(b, c, itemA);
    }
    QTableWidgetItem* firstA = list->item(a, 0);
    QTableWidgetItem* firstB = list->item(b, 0);
    const QVariant dataA = firstA ? firstA->data(Qt::UserRole) : QVariant();
    const QVariant dataB = firstB ? firstB->data(Qt::UserRole) : QVariant();
    if (!firstA) list->setItem(a, 0, firstA = new QTableWidgetItem);
    if (!firstB) list->setItem(b, 0, firstB = new QTableWidgetItem);
    firstA->setData(Qt::UserRole, dataB);
    firstB->setData(Qt::UserRole, dataA);
    QItemSelectionModel* selection = list->selectionModel();
    const auto rows = QItemSelectionModel::Rows;
    selection->select(list->model()->index(b, 0), QItemSelectionModel::Deselect | rows);
    selection->select(list->model()->index(a, 0), QItemSelectionModel::Select | rows);
    ScrollListRowToTop(list, a);
}

void ScrollListRowToTop(CListCtrlEx* list, int row) {
    if (!list || row < 0 || row >= list->rowCount()) return;
    list->scrollTo(list->model()->index(row, 0), QAbstractItemView::EnsureVisible);
}

int ListTextWidth(const CListCtrlEx* list, const QString& text) {
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    // The view elides a text whose advance passes its room by any fraction of a pixel, so the
    // advance is taken unrounded and rounded up.
    const int advance = int(std::ceil(QFontMetricsF(list->font()).horizontalAdvance(text)));
    return advance + 2 * margin + (list->showGrid() ? 1 : 0);
}

void FitListColumn(CListCtrlEx* list, int column, const QStringList& texts) {
    if (!list || column < 0 || column >= list->columnCount()) return;
    int width = list->horizontalHeader()->sectionSizeHint(column);
    for (const QString& text : texts) width = std::max(width, ListTextWidth(list, text));
    list->setColumnWidth(column, width);
}

void SetCellTips(CListCtrlEx* list, int column) {
    if (!list) return;
    for (int row = 0; row < list->rowCount(); ++row)
        if (QTableWidgetItem* cell = list->item(row, column)) cell->setToolTip(cell->text());
}

bool EscapeReservedColumn(std::u16string_view name) {
    return EqualsIgnoreAsciiCase(name, u"index") || EqualsIgnoreAsciiCase(name, u"title") ||
           EqualsIgnoreAsciiCase(name, u"position");
}

std::u16string ExcelColumnName(std::u16string_view header) {
    std::u16string name(header);
    for (char16_t& c : name)
        if (c == u' ' || c == u'\'') c = u'_';
    if (EscapeReservedColumn(name)) name += u'_';
    return name;
}

std::u16string ExcelTableName(std::u16string_view table) {
    std::u16string name = CutCharacters(table, kSheetNameMax);
    for (char16_t& c : name)
        if (std::u16string_view(u" []:*?/\\").find(c) != std::u16string_view::npos) c = u'_';
    if (!name.empty() && name.front() == u'\'') name.front() = u'_';
    if (!name.empty() && name.back() == u'\'') name.back() = u'_';
    return name;
}

int WriteListWorkbook(const std::string& path, std::u16string_view table, const std::vector<std::u16string>& columns,
                      const std::vector<std::vector<std::u16string>>& rows) {
    if (columns.empty() || rows.empty()) return kExportEmpty;
    // The library writes the whole file when the workbook closes; it goes to a name
    // beside the target first, so a failure never harms an existing file.
    const std::string temp = path + "." + std::to_string(getpid()) + ".tmp";
    bool ok = false;
    if (lxw_workbook* workbook = workbook_new(temp.c_str())) {
        const std::string sheetName = WideToUtf8(ExcelTableName(table));
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, sheetName.empty() ? nullptr : sheetName.c_str());
        ok = sheet != nullptr;
        auto put = [&](size_t row, size_t column, std::u16string_view text) {
            if (!ok || text.empty()) return;
            const std::string utf8 = WideToUtf8(CutCharacters(text, kCellTextMax));
            ok = worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), utf8.c_str(), nullptr) ==
                 LXW_NO_ERROR;
        };
        for (size_t c = 0; c < columns.size(); ++c) put(0, c, columns[c]);
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < columns.size() && c < rows[r].size(); ++c) put(r + 1, c, rows[r][c]);
        ok = workbook_close(workbook) == LXW_NO_ERROR && ok;
    }
    if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok ? kExportOk : kExportWriteFailed;
}

int ExportListToFile(CListCtrlEx* list, std::u16string_view tableName, const QString& path) {
    if (!list || tableName.empty()) return kExportEmpty;
    std::vector<std::u16string> columns;
    for (int c = 0; c < list->columnCount(); ++c) columns.push_back(ExcelColumnName(Text(list->horizontalHeaderItem(c))));
    std::vector<std::vector<std::u16string>> rows(size_t(list->rowCount()));
    for (int r = 0; r < list->rowCount(); ++r)
        for (int c = 0; c < list->columnCount(); ++c) rows[size_t(r)].push_back(Text(list->item(r, c)));
    return WriteListWorkbook(QFile::encodeName(path).toStdString(), tableName, columns, rows);
}

QString WorkbookFileName(const QString& chosen) {
    if (chosen.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive)) return chosen.chopped(4) + ".xlsx";
    if (chosen.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) return chosen;
    return chosen + QStringLiteral(".xlsx");
}

int ExportListToExcel(CListCtrlEx* list, const char16_t* tableName) {
    static const LangText kNotWritten{{u"无法打开数据库!", u"無法打開資料庫!", u"Can not open db!"}};
    static const LangText kError{{u"错误", u"錯誤", u"error"}};
    if (!list || !tableName || !*tableName) return kExportEmpty;
    WorkbookSaveDialog dialog(list);
    if (dialog.exec() != QDialog::Accepted) return kExportCancelled;  // accepted: the workbook is named
    const int result = ExportListToFile(list, tableName, dialog.Workbook());
    if (result == kExportWriteFailed) MessageBoxFx(nullptr, kNotWritten(), kError(), MB_OK);
    return result;
}

}  // namespace ledsuite
