// Reading a compact bitmap image (card type 0) back into a program tree. The
// length word, end mark and CRC are set to match the input first, so that the
// fuzzer reaches the fields behind them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "content/card/bitmap_image.h"
#include "content/model/crc16.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    std::vector<uint8_t> image(data, data + size);
    if (size >= 12 && size % 4 == 0 && (data[0] & 1)) {
        StoreU32(image.data(), uint32_t(size));
        StoreU32(image.data() + 4, kBitmapImageMark);
        StoreU16(image.data() + size - 4, 0x00FF);
        StoreU16(image.data() + size - 2, Crc16Modbus(size - 2, image.data()));
    }
    ProgramTree tree;
    const int n = LoadBitmapProgramImage(image, tree);
    if (n >= 0 && (tree.sets().size() != 1 || n > int(kBitmapImageChars))) __builtin_trap();
    if (n < 0 && !tree.sets().empty()) __builtin_trap();
    return 0;
}
