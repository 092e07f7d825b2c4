// LRC lyric files in any encoding: the loaded lines are sorted by time.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "music/flyric.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ledsuite::FLyric lyric;
    lyric.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    for (size_t i = 1; i < lyric.GetLineCount(); ++i)
        if (lyric.GetLine(i - 1).time > lyric.GetLine(i).time) __builtin_trap();
    return 0;
}
