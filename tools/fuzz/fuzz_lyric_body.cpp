// The body of a lyric server's answer as the lyric code takes it: read as UTF-8, parsed as a
// search answer, and, as a downloaded lyric, stored as UTF-16LE and loaded from those bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "music/flyric.h"
#include "music/lyric_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = ledsuite::LyricBodyText(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<ledsuite::LyricMatch> matches;
    if (ledsuite::ParseLyricList(text, matches) != int(matches.size())) __builtin_trap();
    for (const auto& m : matches)
        if (text.find(m.id) == std::u16string::npos || text.find(m.title) == std::u16string::npos) __builtin_trap();
    const std::vector<uint8_t> file = ledsuite::LyricFileBytes(text);
    if (file.size() != 2 + 2 * text.size()) __builtin_trap();
    ledsuite::FLyric lyric;
    lyric.LoadBytes(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()));
    for (size_t i = 1; i < lyric.GetLineCount(); ++i)
        if (lyric.GetLine(i - 1).time > lyric.GetLine(i).time) __builtin_trap();
    return 0;
}
