#include "content/model/excel_import.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <sys/wait.h>
#include <unistd.h>

#include <freexl.h>

#include "content/bytes.h"

#include "content/model/text_codec.h"

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

ExcelReadResult ReadInProcess(const std::string& path, std::string_view sheet, ExcelSheet& out) {
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

// ---- the workbook is read in a child process ----
// libfreexl can crash on malformed files; the child's crash is then only a refused file.
// The child sends the sheet through a pipe: u32 result, the header row, then the rows,
// each text as u32 unit count and units, each cell behind a presence byte.

constexpr size_t kMaxSheetBytes = size_t(64) << 20;

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
    PutU32(out, uint32_t(text.size()));
    for (char16_t c : text) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
}

bool GetText(ByteReader& in, std::u16string& text) {
    const uint32_t n = in.u32();
    if (!in.ok() || n > in.remaining() / 2) return false;
    text.resize(n);
    for (char16_t& c : text) c = char16_t(in.u16());
    return in.ok();
}

ExcelReadResult ParseSheet(std::span<const uint8_t> bytes, ExcelSheet& out) {
    ByteReader in(bytes.data(), bytes.size());
    const uint32_t result = in.u32(), columns = in.u32(), rows = in.u32();
    if (in.ok() && result == uint32_t(ExcelReadResult::NoSheet)) return ExcelReadResult::NoSheet;
    if (!in.ok() || result != uint32_t(ExcelReadResult::Ok)) return ExcelReadResult::CannotOpen;
    if (columns > kImportMaxColumns || rows > kImportMaxRows) return ExcelReadResult::CannotOpen;
    // Every cell takes at least its presence byte: no more cells are made than bytes remain.
    if (uint64_t(rows) * columns > in.remaining()) return ExcelReadResult::CannotOpen;
    ExcelSheet sheet;
    sheet.columns.resize(columns);
    for (auto& c : sheet.columns)
        if (!GetText(in, c)) return ExcelReadResult::CannotOpen;
    for (uint32_t r = 0; r < rows; ++r) {
        auto& row = sheet.rows.emplace_back(columns);
        for (auto& cell : row) {
            const uint8_t present = in.u8();
            if (!in.ok()) return ExcelReadResult::CannotOpen;
            if (present && !GetText(in, cell.emplace())) return ExcelReadResult::CannotOpen;
        }
    }
    out = std::move(sheet);
    return ExcelReadResult::Ok;
}

void WriteAll(int fd, const std::vector<uint8_t>& data) {
    for (size_t done = 0; done < data.size();) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n <= 0) return;
        done += size_t(n);
    }
}

}  // namespace

int ExcelSheet::ColumnIndex(std::u16string_view name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == name) return int(i);
    return -1;
}

ExcelReadResult ReadExcelSheet(const std::string& path, std::string_view sheet, ExcelSheet& out) {
    int fds[2];
    if (pipe(fds) != 0) return ExcelReadResult::CannotOpen;
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return ExcelReadResult::CannotOpen;
    }
    if (child == 0) {
        close(fds[0]);
        ExcelSheet read;
        const ExcelReadResult result = ReadInProcess(path, sheet, read);
        WriteAll(fds[1], SerializeExcelSheet(result, read));
        _exit(0);
    }
    close(fds[1]);
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0 && bytes.size() <= kMaxSheetBytes;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes.size() > kMaxSheetBytes)
        return ExcelReadResult::CannotOpen;  // the reader crashed on the file, or it is absurdly large
    return ParseExcelSheet(bytes, out);
}

std::vector<uint8_t> SerializeExcelSheet(ExcelReadResult result, const ExcelSheet& sheet) {
    std::vector<uint8_t> out;
    PutU32(out, uint32_t(result));
    PutU32(out, uint32_t(sheet.columns.size()));
    PutU32(out, uint32_t(sheet.rows.size()));
    for (const auto& c : sheet.columns) PutText(out, c);
    for (const auto& row : sheet.rows)
        for (const auto& cell : row) {
            out.push_back(cell ? 1 : 0);
            if (cell) PutText(out, *cell);
        }
    return out;
}

ExcelReadResult ParseExcelSheet(std::span<const uint8_t> bytes, ExcelSheet& out) { return ParseSheet(bytes, out); }

int ImportProgramSets(ProgramTree& tree, const ExcelSheet& sheet, uint16_t fontIndex) {
    const int setColumn = sheet.ColumnIndex(kImportSetColumn);
    const int contentColumn = sheet.ColumnIndex(kImportContentColumn);
    if (setColumn < 0) return 0;
    int added = 0;
    for (const auto& row : sheet.rows) {
        if (row.size() <= size_t(std::max(setColumn, contentColumn))) continue;  // a row shorter than the header
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
