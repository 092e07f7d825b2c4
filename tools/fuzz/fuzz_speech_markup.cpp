// Texts with speech markup, translated into SSML for espeak-ng. Whatever the text, the SSML
// holds only the translator's own elements, each closed in order: a text cannot smuggle
// markup of its own into the engine.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "content/sound/kipvoice/speech_markup.h"

namespace {

// The elements the translator writes, with the closing tag of those that have one.
struct Element {
    std::string_view open, close;
};
constexpr Element kElements[] = {
    {"<break time=\"", ""},      {"<prosody ", "</prosody>"}, {"<emphasis>", "</emphasis>"},
    {"<say-as interpret-as=\"characters\">", "</say-as>"},    {"<p>", "</p>"},
    {"<s>", "</s>"},
};

bool WellFormed(std::string_view ssml) {
    std::vector<std::string_view> open;
    for (size_t at = ssml.find('<'); at != ssml.npos; at = ssml.find('<', at + 1)) {
        const std::string_view rest = ssml.substr(at);
        if (!open.empty() && rest.starts_with(open.back())) {
            open.pop_back();
            continue;
        }
        bool known = false;
        for (const Element& e : kElements) {
            if (!rest.starts_with(e.open)) continue;
            known = true;
            if (!e.close.empty()) open.push_back(e.close);
            break;
        }
        if (!known) return false;
    }
    return open.empty();
}

}  // namespace

// The first byte is the voice's rate, the rest the text as UTF-16 (little-endian).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int rate = int(int8_t(data[0])) % 11;
    std::u16string text;
    for (size_t i = 1; i + 1 < size; i += 2) text += char16_t(data[i] | data[i + 1] << 8);
    const std::string ssml = kipvoice_detail::MarkupToSsml(text, rate);
    if (!WellFormed(ssml)) __builtin_trap();
    return 0;
}
