#pragma once
// Import of program sets from an Excel 97-2003 workbook (".xls"): the sheet "Sheet1",
// its first row naming the columns. Each row whose column "节目集" holds text adds a
// program set of that name; its column "内容" (when text) becomes the one program of
// that set. The workbook is read with libfreexl; every string it gives is bounded here.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/model/program_tree.h"

namespace ledsuite {

inline constexpr char16_t kImportSetColumn[] = u"节目集";
inline constexpr char16_t kImportContentColumn[] = u"内容";
inline constexpr char kImportSheet[] = "Sheet1";
// A program takes at most this many characters of its content cell.
constexpr size_t kImportMaxChars = 1000;
// Rows and columns read at most (a workbook holds no more).
constexpr uint32_t kImportMaxRows = 65536;
constexpr uint32_t kImportMaxColumns = 256;

// One worksheet: the header row's texts and, per further row, each cell as text (none
// for empty cells, numbers, dates and other non-text cells).
struct ExcelSheet {
    std::vector<std::u16string> columns;
    std::vector<std::vector<std::optional<std::u16string>>> rows;

    // The index of the column named exactly `name`, or -1.
    int ColumnIndex(std::u16string_view name) const;
};

enum class ExcelReadResult { Ok, CannotOpen, NoSheet };

// Reads the sheet named `sheet` of the workbook at `path`. The workbook is read by a child
// process (the library may crash on a malformed file: the file is then CannotOpen), which
// sends the sheet back as the bytes below.
ExcelReadResult ReadExcelSheet(const std::string& path, std::string_view sheet, ExcelSheet& out);

// The bytes the reading child sends back (little-endian): u32 result, u32 columns, u32 rows,
// the header row's texts, then each row's cells, each behind a presence byte; a text is a
// u32 unit count and its UTF-16 units. Rows and columns beyond the limits above are refused.
std::vector<uint8_t> SerializeExcelSheet(ExcelReadResult result, const ExcelSheet& sheet);
// Reads them back: Ok with the sheet in `out` (left alone otherwise), NoSheet as the child
// said, CannotOpen for anything else (short, too many rows or columns, a text past the end).
ExcelReadResult ParseExcelSheet(std::span<const uint8_t> bytes, ExcelSheet& out);

// Adds the sheet's rows to the tree (see above): a set named "默认..." gets play-mode
// type 0, any other name 5; a program covers the screen, its cells take the content's
// characters up to the first NUL and at most 1000, without the private-use field codes
// U+E001..U+E030 (they would be object cells without objects), each in the face
// `fontIndex`, red, at the screen's height (at most 255). The number of sets added.
int ImportProgramSets(ProgramTree& tree, const ExcelSheet& sheet, uint16_t fontIndex);

}  // namespace ledsuite
