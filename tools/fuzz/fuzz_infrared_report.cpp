// Bytes on the serial line while infrared learning runs, fed to the report scanner
// in pieces whose lengths the input's first bytes choose.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "link/infrared.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    InfraredReportScanner scanner;
    InfraredKeyTable keys = EmptyKeyTable();
    size_t pos = 0, step = 0;
    while (pos < size) {
        const size_t piece = std::min<size_t>(size - pos, size_t(data[step++ % size] % 9) + 1);
        for (uint8_t code : scanner.Feed({data + pos, piece})) keys[code % kInfraredKeys] = code;
        pos += piece;
    }
    (void)KeyTableFromWire(BuildWireTable(keys));
    return 0;
}
