#pragma once
// Helpers over report lists: moving a row's content, bringing a row into view and
// exporting a whole list as an Excel workbook.
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/list_ctrl.h"

class QString;

namespace ledsuite {

// Exchanges the texts of columns 1.. and the item data (Qt::UserRole of column 0) of
// rows a and b; column 0 keeps its text. Row a ends selected, b unselected, a in view.
// Nothing happens unless both rows exist.
void SwapListRows(int a, CListCtrlEx* list, int b);
// Makes the row fully visible; nothing for a row outside the list.
void ScrollListRowToTop(CListCtrlEx* list, int row);

// The column width that shows `text` whole in the list's font: the text, the margin an
// item view keeps on each side of it and the grid line when there is one.
int ListTextWidth(const CListCtrlEx* list, const QString& text);
// Sets the column's width to show its header text and each of `texts` whole.
void FitListColumn(CListCtrlEx* list, int column, const QStringList& texts);
// Gives every cell of the column its own text as tooltip, for texts longer than the
// column can show (paths, card answers).
void SetCellTips(CListCtrlEx* list, int column);

// True for the column names "index", "title" and "position" (ASCII case ignored).
bool EscapeReservedColumn(std::u16string_view name);
// A header text as a column name: blanks and apostrophes become '_', a reserved name
// gets a '_' appended ("Index" -> "Index_", "Plate No" -> "Plate_No").
std::u16string ExcelColumnName(std::u16string_view header);
// A table name as a sheet name: blanks become '_' ("car list" -> "car_list"), and so do
// the characters a sheet name may not hold ([ ] : * ? / \, an apostrophe at either
// end); at most 31 characters.
std::u16string ExcelTableName(std::u16string_view name);

enum ExportResult : int {
    kExportOk = 0,
    kExportEmpty = -1,        // no rows or no columns: nothing written
    kExportWriteFailed = -2,  // the workbook could not be written; an existing file is untouched
    kExportCancelled = -3,    // no file was chosen
};
// Writes one sheet named `table` with a header row of `columns` and one row per entry
// of `rows`, through a temporary file in the same folder renamed over `path`.
int WriteListWorkbook(const std::string& path, std::u16string_view table, const std::vector<std::u16string>& columns,
                      const std::vector<std::vector<std::u16string>>& rows);
// The list's headers (as column names) and cells written to `path` as sheet `tableName`.
int ExportListToFile(CListCtrlEx* list, std::u16string_view tableName, const QString& path);
// The file an export chooser's name stands for: the workbook is an .xlsx one, so a ".xls"
// (in any case) becomes ".xlsx" and any other name without ".xlsx" gets it appended.
QString WorkbookFileName(const QString& chosen);
// Asks for an ".xlsx" file name and exports the list there; a failure is shown to the user.
// Returns the export's result (kExportOk when the workbook was written).
int ExportListToExcel(CListCtrlEx* list, const char16_t* tableName);

}  // namespace ledsuite
