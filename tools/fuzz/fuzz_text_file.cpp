// Text files dropped on the editor or listed in the playlist: UTF-16 with either
// byte-order mark, UTF-8, or the legacy code page.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "content/render/plain_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto text = ledsuite::DecodeTextFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (text && text->find(u'\0') != std::u16string::npos) __builtin_trap();  // cut at the first NUL
    return 0;
}
