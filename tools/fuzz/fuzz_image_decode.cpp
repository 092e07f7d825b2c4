// Picture files dropped into the editor or picked from a folder: PNG, JPEG, BMP, GIF, ICO.
#include <cstddef>
#include <cstdint>

#include "content/render/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ledsuite::DecodedImage img = ledsuite::DecodeImage({data, size});
    for (const auto& f : img.frames)
        if (f.size() != size_t(img.width) * size_t(img.height)) __builtin_trap();
    return 0;
}
