// The lyric server's search answer (UTF-8 bytes as HttpGetText converts them).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "content/model/text_codec.h"
#include "music/lyric_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ledsuite::LyricMatch> matches;
    auto answer = ledsuite::Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
    const int n = ledsuite::ParseLyricList(answer, matches);
    if (n != int(matches.size())) __builtin_trap();
    for (const auto& m : matches) {
        auto path = ledsuite::DownloadRequestPath(m);
        if (path && path->find_first_of(" \r\n") != std::string::npos) __builtin_trap();
    }
    return 0;
}
