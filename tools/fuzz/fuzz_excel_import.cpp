// ".xls" workbooks given to the Excel import (libfreexl reads them from a file).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "content/model/excel_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    static const std::string path = "/tmp/fuzz_excel_import_" + std::to_string(getpid()) + ".xls";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    ExcelSheet sheet;
    if (ReadExcelSheet(path, kImportSheet, sheet) == ExcelReadResult::Ok) {
        ProgramTree tree;
        ImportProgramSets(tree, sheet, 0);
        for (const ProgramSetNode& set : tree.sets())
            for (const ProgramNode& p : set.programs)
                if (CountCells(p.record->content) > int(kImportMaxChars)) __builtin_trap();
    }
    std::remove(path.c_str());
    return 0;
}
