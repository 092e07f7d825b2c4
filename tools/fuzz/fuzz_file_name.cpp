// A file name's bytes as the suite reads them from a folder: the text it shows for the name
// must lead back to the same bytes (as UTF-8, or byte by byte as Latin-1), and the lyric
// lookup's folding of letter case must take any such text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "content/model/file_names.h"
#include "content/model/text_codec.h"
#include "music/lyric_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = ledsuite::FileNameText(bytes);
    if (ledsuite::WideToUtf8(text) != bytes) {
        if (text.size() != size) __builtin_trap();
        for (size_t i = 0; i < size; ++i)
            if (text[i] != char16_t(uint8_t(bytes[i]))) __builtin_trap();
    }
    (void)ledsuite::NormalizeSearchText(text);
    return 0;
}
