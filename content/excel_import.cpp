#include "content/excel_import.h"

#include <algorithm>
#include <memory>

#include <freexl.h>

#include "content/text_codec.h"

namespace ledsuite {

namespace {

constexpr char16_t kDefaultSetPrefix[] = u"默认";
constexpr uint8_t kPlayModeDefault = 0;
constexpr uint8_t kPlayModeNamed = 5;
constexpr char16_t kFirstFieldCode = 0xE001;
constexpr char16_t kLastFieldCode = 0xE030;
constexpr uint32_t kRed = 1;

struct XlsCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};
using XlsHandle = std::unique_ptr<const void, XlsCloser>;

bool SelectSheet(const void* xls, std::string_view sheet) {
    unsigned int count = 0;
    if (freexl_get_info(xls, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return false;
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(xls, uint16_t(i), &name) != FREEXL_OK || !name) continue;
        if (sheet == name) return freexl_select_active_worksheet(xls, uint16_t(i)) == FREEXL_OK;
    }
    return false;
}

std::optional<std::u16string> CellText(const void* xls, uint32_t row, uint16_t column) {
    FreeXL_CellValue cell{};
    if (freexl_get_cell_value(xls, row, column, &cell) != FREEXL_OK) return std::nullopt;
    if (cell.type != FREEXL_CELL_TEXT && cell.type != FREEXL_CELL_SST_TEXT) return std::nullopt;
    if (!cell.value.text_value) return std::nullopt;
    return Utf8ToWide(cell.value.text_value);
}

// The content cell's text as the cells take it: up to the first NUL, field codes left
// out, at most kImportMaxChars.
std::u16string ContentCells(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == 0 || out.size() == kImportMaxChars) break;
        if (c >= kFirstFieldCode && c <= kLastFieldCode) continue;
        out.push_back(c);
    }
    return out;
}

void FillProgram(ProgramRecord& program, const std::u16string& text, uint16_t fontIndex, uint16_t screenHeight) {
    const uint32_t size = std::min<uint32_t>(screenHeight, 255);
    const uint32_t attr = CellAttr::Make(size, fontIndex, kRed);
    const std::u16string cells = ContentCells(text);
    for (size_t i = 0; i < cells.size(); ++i) program.content.cells[i] = TextCell(cells[i], attr);
}

}  // namespace

int ExcelSheet::ColumnIndex(std::u16string_view name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == name) return int(i);
    return -1;
}

ExcelReadResult ReadExcelSheet(const std::string& path, std::string_view sheet, ExcelSheet& out) {
    const void* raw = nullptr;
    const int opened = freexl_open(path.c_str(), &raw);
    XlsHandle xls(raw);
    if (opened != FREEXL_OK || !raw) return ExcelReadResult::CannotOpen;
    if (!SelectSheet(raw, sheet)) return ExcelReadResult::NoSheet;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK) return ExcelReadResult::NoSheet;
    rows = std::min<uint32_t>(rows, kImportMaxRows);
    columns = uint16_t(std::min<uint32_t>(columns, kImportMaxColumns));
    out = {};
    for (uint16_t c = 0; c < columns && rows > 0; ++c) out.columns.push_back(CellText(raw, 0, c).value_or(u""));
    for (uint32_t r = 1; r < rows; ++r) {
        auto& row = out.rows.emplace_back();
        for (uint16_t c = 0; c < columns; ++c) row.push_back(CellText(raw, r, c));
    }
    return ExcelReadResult::Ok;
}

int ImportProgramSets(ProgramTree& tree, const ExcelSheet& sheet, uint16_t fontIndex) {
    const int setColumn = sheet.ColumnIndex(kImportSetColumn);
    const int contentColumn = sheet.ColumnIndex(kImportContentColumn);
    if (setColumn < 0) return 0;
    int added = 0;
    for (const auto& row : sheet.rows) {
        const auto& name = row[size_t(setColumn)];
        if (!name) continue;
        ProgramSetNode* set = tree.AddProgramSet();
        set->title = *name;
        set->record->playMode = name->starts_with(kDefaultSetPrefix) ? kPlayModeDefault : kPlayModeNamed;
        ++added;
        if (contentColumn < 0 || !row[size_t(contentColumn)]) continue;
        ProgramNode* program = tree.AddProgram(tree.sets().size() - 1);
        FillProgram(*program->record, *row[size_t(contentColumn)], fontIndex, tree.screen().height);
    }
    return added;
}

}  // namespace ledsuite
