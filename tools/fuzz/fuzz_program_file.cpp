// ".lcs" files as the single-screen page opens them: the checks, then the load of what passed.
#include <cstddef>
#include <cstdint>

#include "content/card/program_file.h"
#include "content/card/program_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    const std::span<const uint8_t> file(data, size);
    const ProgramFileCheck check = CheckProgramFile(file);
    if (check.error != ProgramFileError::None) return 0;
    ProgramTree tree;
    LoadProgramFile(tree, file);
    // A refused file would have said so; a passed one may not load more than its size allows.
    if (check.hasImage != (size >= kProgramFileMinImageFile)) __builtin_trap();
    return 0;
}
