// An .lcs program file picked for the USB-disk export: the size and length checks,
// then the next-file index written into it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/udisk_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    std::vector<std::vector<uint8_t>> files{std::vector<uint8_t>(data, data + size)};
    if (IsValidLcs(files[0])) {
        files.push_back(files[0]);
        ChainLcsFiles(files);
    }
    return 0;
}
