// Decoding of outside text bytes: the legacy code page (files, servers) and UTF-8 (lyric answers).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "content/model/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::u16string a = ledsuite::AnsiToWide(bytes, "CP936");
    std::u16string b = ledsuite::AnsiToWide(bytes, "BIG5");
    std::u16string u = ledsuite::Utf8ToWide(bytes);
    char dest[17];
    ledsuite::WideToAnsi(a, dest, sizeof dest);
    if (dest[16] != '\0') __builtin_trap();
    (void)ledsuite::WideToUtf8(u);
    (void)b;
    return 0;
}
