// The Excel import's own reading: the bytes the workbook-reading process sends back, and the
// import of the sheet they give. (libfreexl itself runs in that process, whose crashes on
// malformed workbooks only refuse the file; it is not fuzzed here.)
#include <cstddef>
#include <cstdint>

#include "content/model/excel_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    ExcelSheet sheet;
    if (ParseExcelSheet({data, size}, sheet) != ExcelReadResult::Ok) return 0;
    ProgramTree tree;
    tree.screen().height = uint16_t(size);
    ImportProgramSets(tree, sheet, 0);
    for (const ProgramSetNode& set : tree.sets())
        for (const ProgramNode& p : set.programs)
            if (CountCells(p.record->content) > int(kImportMaxChars)) __builtin_trap();
    return 0;
}
