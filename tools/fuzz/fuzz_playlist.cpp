// "playlist.dat" as read at start-up: a file that loads must encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "music/playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto file = ledsuite::DecodePlaylistFile(std::span(data, size));
    if (file && file->rows.size() * ledsuite::kPlaylistEntrySize + ledsuite::kPlaylistFixedSize != size)
        __builtin_trap();
    return 0;
}
